// Finding how a frame lies against the reference, on exposure-independent grey ranks:
// first a whole-pixel translation by median threshold bitmaps over a pyramid (each bit says
// whether a pixel is above the frame's median; pixels near the median are left out), then a
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

// The whole-pixel translation of `frame` against `ref` (levels of the same pyramid depth).
void bitmap_translation(const std::vector<GreyImage>& ref, const std::vector<GreyImage>& frame,
                        int* dx, int* dy);

// Refines `motion` (full-size pixels) on every level from the coarsest to the full size.
FrameMotion refine_motion(const std::vector<GreyImage>& ref, const std::vector<GreyImage>& frame,
                          FrameMotion motion);

}  // namespace lftm

#endif  // LFTM_MERGE_MOTION_SEARCH_H_
