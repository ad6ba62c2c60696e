// SPDX-License-Identifier: BSD-3-Clause
// Products of attenuation factors across pyramid levels: a coarser level is upsampled
// bilinearly onto the next finer one and multiplied into its factors.
#ifndef LFTM_BOOSTER_ATTENUATE_UPSAMPLE_H_
#define LFTM_BOOSTER_ATTENUATE_UPSAMPLE_H_

#include <cstddef>

#include "booster/attenuate/level_table.h"

namespace lftm {

// Row y of a fine level (fineWidth x fineHeight): out[x] = factor[x] x u(x, y), u upsampled
// from the coarse level (ceil(fineWidth/2) = coarseWidth wide, ceil(fineHeight/2) high). With
// is360, the last column of an even width interpolates towards the first column. `out` may be
// `factor`, and may overlap the tail of `coarse` as long as the fine level is stored
// right-aligned behind it (see window_product): the first pixels of the coarse rows in use are
// read before the row is written.
void upsample_multiply_row(const float* coarse, int coarseWidth, int fineWidth, int fineHeight,
                           int y, bool is360, const float* factor, float* out);

// Phi of the single-level worker: every level, from the coarsest to level 0, multiplied by
// the upsampled product of the levels below it, in place.
void phi_product(float* buf, const LevelTable& levels, bool is360);

// Phi of level `target` for the multi-level worker: the factors of levels target..top
// multiplied together from coarse to fine. Intermediate levels go right-aligned into `temp`
// (tempSize floats, at least the size of level 1); the product for the target level replaces
// its factors in buf.
void window_product(float* buf, const LevelTable& levels, int target, int top, bool is360,
                    float* temp, size_t tempSize);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_UPSAMPLE_H_
