// SPDX-License-Identifier: BSD-3-Clause
// The camera response recovered from the frames themselves, by the least-squares fit of
// Debevec and Malik: per channel, the log inverse response g at 256 levels and the log
// radiance of each sample pixel solve g(z_ij) - ln E_i = ln t_j, weighted by the trust of
// level z_ij, with a smoothness term on g'' and g(mid) = 0. It is one linear solve (no
// iteration count or starting curve to choose), and the smoothness term fills in levels few
// samples reach. 16-bit frames are fitted on 256 bins and interpolated.
#ifndef LFTM_MERGE_RESPONSE_FIT_H_
#define LFTM_MERGE_RESPONSE_FIT_H_

#include <cstdint>

#include "merge/bracket.h"
#include "merge/camera_response.h"

namespace lftm {

// Fits the response of the bracket's frames (with their exposures). Returns 0, or
// LFTM_ERR_NO_MEMORY, or LFTM_ERR_MERGE_RESPONSE when the frames hold too little to fit (too
// small, or no two frames that both measure some pixel).
int32_t fit_response(const Bracket& bracket, CameraResponse* response);

}  // namespace lftm

#endif  // LFTM_MERGE_RESPONSE_FIT_H_
