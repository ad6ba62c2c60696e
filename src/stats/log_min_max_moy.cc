// Log-luminance statistics of the Range Squeezer: extremes, mean and the automatic contrast
// exponent, from float samples or RGBE planar bytes. No plane is written.
#include <cmath>
#include <cstdint>

#include "lftm.h"
#include "stats/log_accumulator.h"
#include "stats/pixel_luminance.h"

namespace lftm {
namespace {

void scan_floats(int spp, int width, int height, const float* data, LogAccumulator* acc) {
  const ChannelOffsets off(spp);
  const size_t pixels = static_cast<size_t>(width) * height;
  const float* s = data;
  for (size_t i = 0; i < pixels; ++i, s += spp) {
    const float lum = luminance_squeezer(s[0], s[off.green], s[off.blue]);
    if (lum > 0) acc->add(log_as_float(lum));
  }
}

// Pixels without light (exponent 0) are skipped.
void scan_rgbe(int width, int height, const float* expTable, const uint8_t* data,
               LogAccumulator* acc) {
  const size_t w = static_cast<size_t>(width);
  for (int j = 0; j < height; ++j) {
    const uint8_t* row = data + 4 * w * j;
    for (size_t k = 0; k < w; ++k) {
      const uint8_t e = row[3 * w + k];
      if (e == 0) continue;
      const float lum = luminance_squeezer(row[k], row[w + k], row[2 * w + k]);
      if (lum > 0) acc->add(log_as_float(lum * expTable[e]));
    }
  }
}

}  // namespace
}  // namespace lftm

extern "C" int32_t logMinMaxMoy(int32_t spp, int32_t width, int32_t height,
                                const float* expTable, const void* data, LogStats* stats) {
  using namespace lftm;
  // The maximum starts at 0, so it never reports a value below 0.
  LogAccumulator acc;
  acc.min = 1e11f;
  acc.max = 0.0f;
  if (width > 0 && height > 0) {
    if (spp > 0) {
      scan_floats(spp, width, height, static_cast<const float*>(data), &acc);
    } else {
      scan_rgbe(width, height, expTable, static_cast<const uint8_t*>(data), &acc);
    }
  }
  stats->logMin = acc.min;
  stats->logMax = acc.max;
  stats->logMoy = static_cast<float>(acc.count > 0 ? acc.mean() : acc.sum);
  if (stats->logMax > stats->logMin) {
    const float r = (stats->logMax - stats->logMoy) / (stats->logMax - stats->logMin);
    stats->autoContrast = static_cast<float>(0.3 + 0.6 * std::pow(r, 1.4));
  }
  return height;
}
