// SPDX-License-Identifier: BSD-3-Clause
// Ghost removal: where a frame shows something the reference (the middle exposure) does not
// (a person, a car, a branch that moved between the shots), the merge takes that region from
// the reference alone. A frame disagrees at a pixel when, both measuring it, their estimates
// of the light differ by more than the two levels' precision and a noise allowance explain.
// Where the reference is clipped (or black), the nearest shorter (longer) exposure that
// measures the pixel stands for it. The disagreeing regions are widened and softened so that
// no seam shows.
#ifndef LFTM_MERGE_GHOST_MASK_H_
#define LFTM_MERGE_GHOST_MASK_H_

#include <cstdint>

#include "merge/bracket.h"
#include "merge/camera_response.h"

namespace lftm {

// Fills `consistent` of every frame but the reference. Returns 0 or LFTM_ERR_CANCELLED.
int32_t mark_ghosts(const CameraResponse& response, int threads, Bracket* bracket);

}  // namespace lftm

#endif  // LFTM_MERGE_GHOST_MASK_H_
