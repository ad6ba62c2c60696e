// SPDX-License-Identifier: BSD-3-Clause
// The two stage-1 workers behind the exported calc_tm1. Both take the call as checked and
// copied by stage1_prepare.
#ifndef LFTM_BOOSTER_ATTENUATE_STAGE1_H_
#define LFTM_BOOSTER_ATTENUATE_STAGE1_H_

#include "booster/attenuate/front.h"

namespace lftm {

// Single right-hand side: Phi over all attenuation levels and the divergence at level 0,
// limited to [-100, 100]. Returns W0, or a negative code.
int stage1_single_level(Stage1Front& f);

// One right-hand side per multigrid level but the coarsest, each from a window of five or six
// levels; `work` (optional) replaces every large temporary. Returns W0, or a negative code.
int stage1_multi_level(Stage1Front& f, float* work);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_STAGE1_H_
