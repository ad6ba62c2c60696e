// SPDX-License-Identifier: BSD-3-Clause
// The right-hand side of the Poisson equation: the divergence of the log-luminance gradient
// weighted by Phi, with forward differences and no wrap-around.
#ifndef LFTM_BOOSTER_ATTENUATE_DIVERGENCE_H_
#define LFTM_BOOSTER_ATTENUATE_DIVERGENCE_H_

#include "booster/attenuate/log_store.h"

namespace lftm {

// Replaces the w x h level `phi` by div(Phi grad Lg), Lg coming row by row from `lg` (already
// opened on the same level). `phiRows` holds 3 x w floats. Returns 0, or the negative result
// of a failed read of `lg`.
int divergence_level(float* phi, int w, int h, LogRows* lg, float* phiRows);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_DIVERGENCE_H_
