// SPDX-License-Identifier: BSD-3-Clause
// Luminance of one pixel in the layouts the statistics read, with each routine's weights.
#ifndef LFTM_STATS_PIXEL_LUMINANCE_H_
#define LFTM_STATS_PIXEL_LUMINANCE_H_

#include <cstddef>

namespace lftm {

// Offsets of the red, green and blue samples within an interleaved pixel: a one-sample pixel
// uses its sample three times, a three-sample pixel its R, G and B.
struct ChannelOffsets {
  explicit ChannelOffsets(int spp)
      : green(static_cast<size_t>((spp - 1) / 2)), blue(static_cast<size_t>(spp - 1)) {}
  size_t green;
  size_t blue;
};

// The weights of the Texture Booster statistics, in single precision.
inline float luminance_single(float r, float g, float b) {
  return 0.2126f * r + 0.7152f * g + 0.0722f * b;
}

// The weights of the 8-bit sample path, in double precision rounded to float.
inline float luminance_8bit(double r, double g, double b) {
  return static_cast<float>(0.3 * r + 0.6 * g + 0.1 * b);
}

// The weights of the Range Squeezer statistics, in double precision rounded to float.
inline float luminance_squeezer(double r, double g, double b) {
  return static_cast<float>(0.2125 * r + 0.7154 * g + 0.0721 * b);
}

}  // namespace lftm

#endif  // LFTM_STATS_PIXEL_LUMINANCE_H_
