// SPDX-License-Identifier: BSD-3-Clause
#include "frame/squeezer_tiff_input.h"

#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include "frame/driver_io.h"
#include "lftm.h"
#include "stats/log_min_max_moy.h"

namespace lftm {
namespace {

// Scales interleaved linear floats in place so that their geometric mean luminance is
// kSqueezerTiffMeanLevel, or higher where that is needed to keep the brightest luminance at 1
// or above (the statistics never report a maximum below 1). An image without a positive
// luminance is left as it is.
void bring_to_squeezer_level(int32_t width, int32_t height, int32_t spp, float* linear,
                             int threads) {
  LogStats stats = {0, 0, 0, 0};
  log_min_max_moy(spp, width, height, nullptr, linear, &stats, threads);
  // No positive luminance: the minimum kept its start value above the maximum.
  if (!(stats.logMin <= stats.logMax)) return;
  double logScale = std::log(kSqueezerTiffMeanLevel) - stats.logMoy;
  if (stats.logMax + logScale < 0) logScale = -stats.logMax;
  const float scale = static_cast<float>(std::exp(logScale));
  const size_t count = static_cast<size_t>(width) * height * spp;
  for (size_t i = 0; i < count; ++i) linear[i] *= scale;
}

}  // namespace

bool squeezer_input_from_tiff(int32_t extType, const uint16_t* samples, int32_t width,
                              int32_t height, int32_t spp, float* linear, int threads) {
  std::unique_ptr<float[]> lut(new (std::nothrow) float[65536]);
  if (!lut) return false;
  build_lut(extType, lut.get());
  lut[0] = 0.0f;
  const size_t count = static_cast<size_t>(width) * height * spp;
  for (size_t i = 0; i < count; ++i) linear[i] = lut[samples[i]];
  bring_to_squeezer_level(width, height, spp, linear, threads);
  return true;
}

}  // namespace lftm
