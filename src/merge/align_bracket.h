// SPDX-License-Identifier: BSD-3-Clause
// Aligns every frame of a bracket to the reference (the middle exposure): finds its motion
// (motion_search.h) and resamples it onto the reference's pixels. A frame whose motion moves
// no pixel by as much as a twentieth is left untouched, so that a tripod set comes out as it
// went in.
#ifndef LFTM_MERGE_ALIGN_BRACKET_H_
#define LFTM_MERGE_ALIGN_BRACKET_H_

#include <cstdint>

#include "merge/bracket.h"

namespace lftm {

// Resamples with `threads` workers (the same bits for any count). Returns 0 or
// LFTM_ERR_CANCELLED.
int32_t align_bracket(Bracket* bracket, int threads);

}  // namespace lftm

#endif  // LFTM_MERGE_ALIGN_BRACKET_H_
