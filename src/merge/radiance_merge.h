// SPDX-License-Identifier: BSD-3-Clause
// The merge proper: per pixel, the frames' estimates of the light (inverse response over
// exposure) averaged with weights that trust mid-tones and the longer exposures (whose
// shadows hold more signal over the noise: the weight is the level's trust times the
// exposure, so that the mean is the optimal one under shot noise). Samples clipped at either
// end get no weight; a pixel no frame measures takes the shortest exposure's estimate when
// it is clipped bright there, otherwise the longest's. Every value is finite and >= 0.
#ifndef LFTM_MERGE_RADIANCE_MERGE_H_
#define LFTM_MERGE_RADIANCE_MERGE_H_

#include <cstddef>
#include <cstdint>

#include "merge/bracket.h"
#include "merge/camera_response.h"

namespace lftm {

struct MergeCounts {
  size_t unmeasured = 0;  // pixels no frame measured (taken from one frame)
};

// Writes width x height interleaved RGB floats into `rgb`, the rows cut among `threads`
// workers (every count gives the same bits). Returns 0 or LFTM_ERR_CANCELLED.
int32_t merge_radiance(const Bracket& bracket, const CameraResponse& response, int threads,
                       float* rgb, MergeCounts* counts);

}  // namespace lftm

#endif  // LFTM_MERGE_RADIANCE_MERGE_H_
