// SPDX-License-Identifier: BSD-3-Clause
// Gradient magnitudes of one pyramid level, written over the level in place.
#ifndef LFTM_BOOSTER_ATTENUATE_GRADIENTS_H_
#define LFTM_BOOSTER_ATTENUATE_GRADIENTS_H_

namespace lftm {

// Differences larger than this (in log luminance) are treated as no gradient at all.
constexpr float kMaxLogStep = 100.0f;

// Replaces each value of the w x h level by scale x |(gx, gy)|, with central differences
// inside the level and one-sided ones at its borders; with is360 the left and right columns
// wrap around and the top row's vertical difference is taken from pixel (w/2, 0). `rows`
// holds 3 x w floats. Returns the float sum of the magnitudes. w, h >= 2.
float gradient_level(float* level, int w, int h, bool is360, double scale, float* rows);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_GRADIENTS_H_
