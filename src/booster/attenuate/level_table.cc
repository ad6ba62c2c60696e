// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/level_table.h"

#include <cstdint>

namespace lftm {

int plan_levels(const PyramidDims& dims, LevelTable* table) {
  if (dims.W0 < 10 || dims.H0 < 10 || dims.W < dims.W0 || dims.H < dims.H0) {
    return kNoPyramid;
  }
  if (dims.minW < 1 || dims.minH < 1 || dims.levels2 < 0 || dims.total2 < 1) {
    return kNoPyramid;
  }

  int w = dims.W;
  int h = dims.H;
  int halvings = 0;
  int64_t sum = 0;
  table->count = 0;
  for (;;) {
    if (w < 2 || h < 2) return kNoPyramid;
    const int k = table->count;
    table->width[k] = w;
    table->height[k] = h;
    table->offset[k] = static_cast<size_t>(sum);
    sum += static_cast<int64_t>(w) * h;
    table->count = k + 1;
    if (w <= dims.minW || halvings == dims.levels2) break;
    if (table->count == kMaxPyramidLevels) return kNoPyramid;
    w = w / 2 + (w & 1);
    h = h / 2 + (h & 1);
    ++halvings;
  }
  if (w != dims.minW || h != dims.minH) return kNoPyramid;
  if (sum > dims.total2) return kNoPyramid;
  table->width[table->count] = w / 2 + (w & 1);
  table->height[table->count] = h / 2 + (h & 1);
  table->offset[table->count] = static_cast<size_t>(sum);
  return 0;
}

size_t saved_pyramid_floats(const PyramidDims& dims) {
  const int32_t larger = dims.total > dims.total2 ? dims.total : dims.total2;
  return larger > 0 ? static_cast<size_t>(larger) : 0;
}

}  // namespace lftm
