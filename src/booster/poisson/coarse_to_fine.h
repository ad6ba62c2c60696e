// SPDX-License-Identifier: BSD-3-Clause
// The default stage-2 worker: conjugate gradients on every level of the right-hand-side
// pyramid, coarsest first, each level starting from the prolongated solution of the level
// below it.
#ifndef LFTM_BOOSTER_POISSON_COARSE_TO_FINE_H_
#define LFTM_BOOSTER_POISSON_COARSE_TO_FINE_H_

#include <cstdint>

#include "lftm.h"

namespace lftm {

// Sizes of the `count` levels from W x H: each level halves (rounding up) the one before
// while both of its sides are at least 4, else repeats it. Writes count entries.
void pyramid_levels(int W, int H, int count, int* widths, int* heights);

// Solves the `count` levels held in `out` (count < 1 is taken as 1: level 0 alone) and
// leaves exp(solution), the linear luminance, in the first W x H floats of `out`; with
// files.readFromDisk set it also writes that plane to files.scratch1. Levels 0 and 1 run
// from the scratch files when files.readFromDisk is set and count >= 3, keeping r and p in
// memory as far as `solverHeadroom` bytes allow. Returns W x H or a negative code (-1, -2,
// -4, -20); on failure the buffers it allocated are released.
int solve_coarse_to_fine(int W, int H, int count, const TmParam* tmParam, const TmFiles& files,
                         float* work1, float* work2, float* out, int64_t solverHeadroom = 0);

// calc_tm2 with the bytes that disk mode's solver may keep in memory (calc_tm2 itself passes
// 0: a stage called on its own keeps its vectors in files). Same results and lines.
int32_t calc_tm2_within(const ImageDesc& desc, int32_t coarseW, int32_t coarseH, int32_t total,
                        int32_t rang, const TmParam* tmParam, const TmFiles& files,
                        float* work1, float* work2, float* out, int64_t solverHeadroom);

// The base tolerance of a tolerance class (slot kBoosterToleranceClass, truncated) and the
// iteration limit of a smoothing slider (slot kBoosterSmoothingSlider). A slider whose limit
// is NaN or beyond the int range (above about 159.7, +inf included) gives -1: a solve that
// does not converge, such as a 360-degree level, would otherwise run for days.
float base_tolerance(int tolerance_class);
int iteration_limit(float slider);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_COARSE_TO_FINE_H_
