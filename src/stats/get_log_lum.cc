// SPDX-License-Identifier: BSD-3-Clause
// Packed log-luminance plane and LumStats fields 0-2 of a host's interleaved image.
#include <cstdint>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/sizes.h"
#include "stats/log_accumulator.h"
#include "stats/log_luminance.h"
#include "stats/pixel_luminance.h"

namespace lftm {
namespace {

struct Layout {
  int width;
  int height;
  int spp;
  size_t rowStride;  // samples
};

// Writes ln(luminance) per pixel, or a marker where the luminance is not positive; returns
// the number of markers.
template <typename Sample, typename ToLinear>
int log_plane(const Layout& l, const Sample* data, ToLinear linear, float* plane,
              LogAccumulator* acc) {
  const ChannelOffsets off(l.spp);
  int noLuminance = 0;
  for (int j = 0; j < l.height; ++j) {
    const Sample* s = data + l.rowStride * j;
    float* out = plane + static_cast<size_t>(l.width) * j;
    for (int k = 0; k < l.width; ++k, s += l.spp) {
      const float lum =
          luminance_single(linear(s[0]), linear(s[off.green]), linear(s[off.blue]));
      if (lum > 0) {
        out[k] = log_as_float(lum);
        acc->add(out[k]);
      } else {
        out[k] = kNoLuminance;
        ++noLuminance;
      }
    }
  }
  return noLuminance;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t get_log_lum(int32_t type, int32_t width, int32_t height, int32_t spp,
                               int32_t rowStride, LumStats* stats, const float* lut,
                               const void* data, float* plane) {
  using namespace lftm;
  if (type < 0 || type > LFTM_DOC_U8) return kUnsupportedLayout;
  size_t pixelCount;
  if (width < 0 || height < 0 || spp < 1 || rowStride < 0 ||
      !checked_product(width, height, 1, &pixelCount))
    return LFTM_ERR_FILE;

  const Layout layout{width, height, spp, static_cast<size_t>(rowStride)};
  LogAccumulator acc;
  int noLuminance;
  if (type == 0) {
    noLuminance = log_plane(layout, static_cast<const float*>(data),
                            [](float x) { return x; }, plane, &acc);
  } else if (type == LFTM_DOC_U16) {
    noLuminance = log_plane(layout, static_cast<const uint16_t*>(data),
                            [lut](uint16_t x) { return lut[x]; }, plane, &acc);
  } else {
    noLuminance = log_plane(layout, static_cast<const uint8_t*>(data),
                            [lut](uint8_t x) { return lut[x]; }, plane, &acc);
  }

  diag_out("valMoy:  %1.8f\n", acc.sum);
  if (acc.count > 0) {
    diag_out("get_log_lum   min: %1.4f  max: %1.2f    cntPetit: %d     %1.4f\n", acc.min,
             acc.max, noLuminance, noLuminance * 1000.0 / acc.count);
  }
  // Pixels without light take the darkest logged value.
  if (noLuminance > 0) {
    for (size_t i = 0; i < pixelCount; ++i) {
      if (is_marker(plane[i])) plane[i] = acc.min;
    }
  }
  close_lum_stats(acc, stats);

  double planeSum = 0.0;
  for (size_t i = 0; i < pixelCount; ++i) planeSum += plane[i];
  const int pixels = static_cast<int>(pixelCount);
  diag_out("tm0  sum:  %1.8f  \n ", planeSum);
  diag_out("get_log_lum - min max: %1.6f  %1.6f   lumParam %1.6f %1.6f  cntDiff=%d  "
           "ctnPetit=%d   %1.2f\n",
           acc.min, acc.max, stats->lumMoy, stats->lumMaxRatio,
           static_cast<int>(acc.count - pixels), noLuminance, noLuminance * 100.0 / pixels);
  return static_cast<int32_t>(acc.count);
}
