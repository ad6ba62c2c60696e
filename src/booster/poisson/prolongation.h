// SPDX-License-Identifier: BSD-3-Clause
// Bilinear prolongation of a coarse-level solution to the next finer level: the start
// vector of the finer level's solve.
#ifndef LFTM_BOOSTER_POISSON_PROLONGATION_H_
#define LFTM_BOOSTER_POISSON_PROLONGATION_H_

namespace lftm {

// Fine pixel (k, l) of the L x M level takes coarse element (k >> 1, l >> 1) of the G x Hc
// level and its right, lower and diagonal neighbours. The fine values are written in
// increasing index order, so `fine` may overlap `coarse` as long as the fine level ends
// where the coarse one ends and the coarse level is a halving of the fine one (every write
// lands below the coarse elements still to be read). With wrapsAround the last column of an even
// width blends the row ends with the row starts.
void prolongate(const float* coarse, int G, int Hc, float* fine, int L, int M, bool wrapsAround);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_PROLONGATION_H_
