// SPDX-License-Identifier: BSD-3-Clause
// Log-luminance extremes and mean of an image over the pixels that have light, with the
// image's own values (the Range Squeezer's statistics start their maximum at 0, so they cannot
// report a maximum luminance below 1).
#ifndef LFTM_HOST_LUMINANCE_RANGE_H_
#define LFTM_HOST_LUMINANCE_RANGE_H_

#include <cstddef>
#include <cstdint>

namespace lftm {

struct LuminanceRange {
  int64_t count = 0;  // pixels with light
  double logMin = 0, logMax = 0, logMean = 0;
};

// Of RGBE planar bytes, width x height pixels.
LuminanceRange measure_rgbe(const uint8_t* rgbe, int64_t width, int64_t height);

// Of interleaved linear values, `spp` a pixel (red, green and blue at 0, (spp - 1) / 2 and
// spp - 1), `count` values in all.
LuminanceRange measure_linear(const float* values, size_t count, int32_t spp);

}  // namespace lftm

#endif  // LFTM_HOST_LUMINANCE_RANGE_H_
