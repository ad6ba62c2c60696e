// SPDX-License-Identifier: BSD-3-Clause
// Layout of the attenuation pyramid in the work buffer: level 0 (W x H, row-major) at offset
// 0, every further level (ceil(w/2) x ceil(h/2)) directly after the previous one, built while
// the width is above the coarsest width of the pyramid record.
#ifndef LFTM_BOOSTER_ATTENUATE_LEVEL_TABLE_H_
#define LFTM_BOOSTER_ATTENUATE_LEVEL_TABLE_H_

#include <cstddef>

#include "lftm.h"

namespace lftm {

// Halving a 32-bit width reaches 1 after at most 31 steps.
constexpr int kMaxPyramidLevels = 33;

struct LevelTable {
  int count = 0;                       // levels built; the coarsest is count - 1
  int width[kMaxPyramidLevels + 1];    // entry `count` holds the half of the coarsest level
  int height[kMaxPyramidLevels + 1];
  size_t offset[kMaxPyramidLevels + 1];  // entry `count` is the size of the whole pyramid

  size_t size(int k) const { return static_cast<size_t>(width[k]) * height[k]; }
};

// Plans the levels from the pyramid record. The pyramid ends at the first level whose width
// is minW, after at most levels2 halvings; for images so small that the record stopped
// halving early this is before levels2 halvings, and only the levels really built are used.
constexpr int kNoPyramid = -1;

// Returns 0, or kNoPyramid when the record cannot describe a pyramid of this image: sides below 10,
// W x H smaller than the image, a coarsest level never reached or not minW x minH, a level
// narrower or lower than 2 pixels, or levels that do not fit in the record's totals.
int plan_levels(const PyramidDims& dims, LevelTable* table);

// Floats of the log-luminance pyramid that stage 1 saves: max(total, total2).
size_t saved_pyramid_floats(const PyramidDims& dims);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_LEVEL_TABLE_H_
