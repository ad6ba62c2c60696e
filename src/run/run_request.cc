// SPDX-License-Identifier: BSD-3-Clause
#include "run/run_request.h"

#include "run/booster_run.h"
#include "run/squeezer_run.h"

namespace lftm {

int32_t run_tone_mapping(const RunRequest& request, const SiblingNames& names) {
  if (request.method == LFTM_METHOD_RANGE_SQUEEZER) return SqueezerRun(request, names).run();
  return BoosterRun(request, names).run();
}

}  // namespace lftm
