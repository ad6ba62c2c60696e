// SPDX-License-Identifier: BSD-3-Clause
// Where a response fit looks: pixels spread over the whole range of the reference frame's
// levels, each the flattest of its neighbourhood, so that a slight misregistration or the
// blur of an edge does not pass for a different response.
#ifndef LFTM_MERGE_RESPONSE_SAMPLES_H_
#define LFTM_MERGE_RESPONSE_SAMPLES_H_

#include <cstddef>
#include <vector>

#include "merge/bracket.h"

namespace lftm {

// Pixel indices (y x width + x), at most a few hundred.
std::vector<size_t> choose_response_samples(const Bracket& bracket);

}  // namespace lftm

#endif  // LFTM_MERGE_RESPONSE_SAMPLES_H_
