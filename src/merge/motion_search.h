// SPDX-License-Identifier: BSD-3-Clause
// Finding how a frame lies against the reference, on exposure-independent grey ranks:
// first a whole-pixel translation by threshold bitmaps over a pyramid (each bit says whether
// a pixel is above the median of the light both frames measure, the same rank in both;
// pixels near it, black or clipped are left out), then a
// Gauss-Newton refinement of translation and rotation to a fraction of a pixel, from the
// coarse levels to the full size, over pixels that both frames measure.
#ifndef LFTM_MERGE_MOTION_SEARCH_H_
#define LFTM_MERGE_MOTION_SEARCH_H_

#include <vector>

#include "merge/frame_motion.h"
#include "merge/grey_levels.h"

namespace lftm {

// Pyramids of the two images: level 0 the full size, each next half the last, down to a
// side of about 16 pixels.
std::vector<GreyImage> grey_pyramid(GreyImage full);

// The rank both frames measure best: the middle of the ranks that neither holds as black or
// clipped; negative when they share too little (a frame almost all black or clipped).
float shared_threshold(const GreyImage& a, const GreyImage& b);

// The whole-pixel translation of `frame` against `ref` (levels of the same pyramid depth),
// with bitmaps cut at rank `threshold`.
void bitmap_translation(const std::vector<GreyImage>& ref, const std::vector<GreyImage>& frame,
                        float threshold, int* dx, int* dy);

// Refines `motion` (full-size pixels) on every level from the coarsest to the full size.
FrameMotion refine_motion(const std::vector<GreyImage>& ref, const std::vector<GreyImage>& frame,
                          FrameMotion motion);

// The mean squared rank difference between `ref` and `frame` under `m` (full-size levels),
// over pixels both measure; negative when too few are.
double motion_residual(const GreyImage& ref, const GreyImage& frame, const FrameMotion& m);

}  // namespace lftm

#endif  // LFTM_MERGE_MOTION_SEARCH_H_
