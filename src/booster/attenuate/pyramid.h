// SPDX-License-Identifier: BSD-3-Clause
// Gaussian pyramid of the log-luminance plane: each level is the previous one smoothed and
// sampled at its even pixels.
#ifndef LFTM_BOOSTER_ATTENUATE_PYRAMID_H_
#define LFTM_BOOSTER_ATTENUATE_PYRAMID_H_

#include "booster/attenuate/level_table.h"

namespace lftm {

// Reduces the w x h level `src` into `dst` (ceil(w/2) x ceil(h/2)); destination pixel (i, j)
// is the weighted neighbourhood of source pixel (2i, 2j). With is360 the left and right
// edges wrap around and the top row also draws on pixels (0, 0) and (w/2, 0). w, h >= 2.
void reduce_level(const float* src, int w, int h, bool is360, float* dst);

// Builds levels 1.. of the table from level 0 in buf. With printSums, the size and the sum of
// each level are printed before it is reduced.
void build_log_pyramid(float* buf, const LevelTable& levels, bool is360, bool printSums);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_PYRAMID_H_
