// Products of attenuation factors across pyramid levels: a coarser level is upsampled
// bilinearly onto the next finer one and multiplied into its factors.
#ifndef LFTM_BOOSTER_ATTENUATE_UPSAMPLE_H_
#define LFTM_BOOSTER_ATTENUATE_UPSAMPLE_H_

#include <cstddef>

#include "booster/attenuate/level_table.h"

namespace lftm {

// Row y of a fine level (fw x fh): out[x] = factor[x] x u(x, y), u upsampled from the coarse
// level q (ceil(fw/2) = cw wide, ceil(fh/2) high). With is360, the last column of an even
// width interpolates towards the first column. `out` may be `factor`, and may overlap the
// tail of `q` as long as the fine level is stored right-aligned behind it (see
// window_product): the first pixels of the coarse rows in use are read before the row is
// written.
void upsample_multiply_row(const float* q, int cw, int fw, int fh, int y, bool is360,
                           const float* factor, float* out);

// Phi of the single-level worker: every level, from the coarsest to level 0, multiplied by
// the upsampled product of the levels below it, in place.
void phi_product(float* buf, const LevelTable& levels, bool is360);

// Phi of target level t for the multi-level worker: the factors of levels t..k0 multiplied
// together from coarse to fine. Intermediate levels go right-aligned into `temp` (tempSize
// floats, at least the size of level 1); the product for level t replaces its factors in buf.
void window_product(float* buf, const LevelTable& levels, int t, int k0, bool is360,
                    float* temp, size_t tempSize);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_UPSAMPLE_H_
