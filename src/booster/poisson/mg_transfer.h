// SPDX-License-Identifier: BSD-3-Clause
// Residuals and the transfers between levels of the multigrid worker. Every level above
// the coarsest has even sides, so that the normal transfers work on exact 2 x 2 blocks;
// the step between level 0 and level 1 of an image whose sides are not multiples of the
// pyramid's factor uses area weights over blocks of up to 3 x 3 pixels instead.
#ifndef LFTM_BOOSTER_POISSON_MG_TRANSFER_H_
#define LFTM_BOOSTER_POISSON_MG_TRANSFER_H_

#include <cstdint>

namespace lftm {

// Row i of the scaled residual J x (count x v - sum of neighbours) + f, computed in double.
// The first and last cells of the top row take neither the pole nor the wrap, and the
// bottom row never wraps.
void residual_row(const float* v, const float* f, int w, int h, int i, float J, bool wrapsAround,
                  float* out);

// Coarse (R, V) = 0.25 x the float sum of the fine 2 x 2 block at (2R, 2V).
void restrict_even(const float* fine, int w, float* coarse, int cw, int ch);

// The fine rows (or columns) that coarse row R (or column V) covers in the uneven step,
// with their weights: from floor(ratio x R), 2 of them when that side is a multiple of the
// factor, else 3.
struct AreaSpan {
  int first;
  int count;
  float weight[3];
};
AreaSpan area_span(float ratio, float inverse, int index, bool exact);

// Area-weighted restriction from level 0 (W x H) to level 1 (cw x ch) of an uneven image;
// fine pixels outside the level are left out. `report` prints sample weights and values.
struct UnevenStep {
  float t, r;   // W / cw and H / ch
  float u, o;   // 1 / t and 1 / r
  bool exact_w; // W is a multiple of the factor
  bool exact_h;
};
void restrict_uneven(const float* fine, int W, int H, float* coarse, int cw, int ch,
                     const UnevenStep& step, bool report);

// Copies each coarse value to its 2 x 2 block of the finer level (w x h, both even).
void prolong_even(const float* coarse, int cw, int ch, float* fine, int w);

// Copies each coarse value (R, V) to the block of area_span rows and columns in level 0,
// later blocks overwriting earlier ones; level 0 is cleared first so that a pixel no block
// reaches gets no correction.
void prolong_uneven(const float* coarse, int cw, int ch, float* fine, int W, int H,
                    const UnevenStep& step);

// Minimum, maximum and double sum of n floats.
struct LevelStats {
  float min;
  float max;
  double sum;
};
LevelStats level_stats(const float* v, int64_t n);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_MG_TRANSFER_H_
