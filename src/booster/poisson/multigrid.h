// SPDX-License-Identifier: BSD-3-Clause
// The multigrid stage-2 worker: four V-cycles of red-black Gauss-Seidel smoothing with
// residual restriction and piecewise-constant prolongation of the corrections. Only level
// 0's right-hand side comes from stage 1; the coarser ones are restricted residuals.
#ifndef LFTM_BOOSTER_POISSON_MULTIGRID_H_
#define LFTM_BOOSTER_POISSON_MULTIGRID_H_

#include <cstdint>

#include "booster/poisson/mg_transfer.h"
#include "lftm.h"

namespace lftm {

constexpr int kMaxGridLevels = 33;

struct GridLevel {
  int w;
  int h;
  int64_t offset;  // float offset in the solution pyramid (and the right-hand sides)
};

// The levels a V-cycle visits. Level 0 is the image; level 1 halves it exactly, or is
// W'/2 x H'/2 (W', H' the sides rounded down to multiples of 2^N) for an uneven image;
// further levels halve exactly. The descent stops at the coarsest width, after N steps, or
// where a further step would need an odd side or leave a side below 2; the ascent climbs
// back through the same levels.
struct GridPlan {
  int N;                  // the level count actually used
  bool divisible;         // W and H are multiples of 2^N
  int coarseW, coarseH;   // the coarsest size as given or recomputed
  int64_t total;          // floats of the levels visited: the size of U and P
  int depth;              // levels below level 0 that the cycles use
  GridLevel level[kMaxGridLevels];
  UnevenStep step;        // the level 0 - level 1 transfer of an uneven image
};

// 0, -2 (no level to descend to), or -1 (an image below 2 x 2, or levels that do not fit
// in the `total` floats the caller described).
int plan_grid(int W, int H, int coarseW, int coarseH, int total, int N, GridPlan* plan);

// Stage 2 by multigrid: returns H, or -1, -2, -4. With files.readFromDisk set the
// right-hand sides live in files.scratch1, the solution pyramid is `out` itself, and the
// output plane is written to files.scratch1 as well as left in `out`.
int solve_multigrid(const ImageDesc& desc, int coarseW, int coarseH, int total, int N,
                    bool wrapsAround, const TmFiles& files, float* work1, float* work2,
                    float* out);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_MULTIGRID_H_
