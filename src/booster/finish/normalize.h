// SPDX-License-Identifier: BSD-3-Clause
// Stretching of the stage-2 luminance plane between a black and a white point found on a
// 65536-bin histogram, so that the finishing step receives values of roughly 0 .. 1.
#ifndef LFTM_BOOSTER_FINISH_NORMALIZE_H_
#define LFTM_BOOSTER_FINISH_NORMALIZE_H_

#include "lftm.h"

namespace lftm {

// What a plane whose values are all equal (the plane of a flat image) becomes.
enum class FlatPlane {
  // The white-point search of a plane with a spread of values, which puts the single value
  // just above the white point: a flat image comes out white.
  kAtWhitePoint,
  // 0.5, where the median of a nearly flat image with symmetric noise lands: a flat image
  // comes out as the mid-tone of such an image, whatever its level.
  kMidTone,
};

// Normalises the width x height floats at `plane` in place (the plane may start at any byte
// address: in disk mode it lies inside the 16-bit output buffer). Black point from BlackClip,
// white point from WhiteClip. Returns height, LFTM_ERR_NEGATIVE_LUM when a value is negative,
// LFTM_ERR_EMPTY_LUM when the maximum is negative, LFTM_ERR_NO_MEMORY when the histogram
// cannot be allocated; on a failure the plane is unchanged. The stages ask for kMidTone.
int normalize_luminance(const ImageDesc* desc, const TmParam* param, void* plane,
                        FlatPlane flat = FlatPlane::kAtWhitePoint);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_NORMALIZE_H_
