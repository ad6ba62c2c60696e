// SPDX-License-Identifier: BSD-3-Clause
// A bracket whose frames the host holds in memory (8- or 16-bit lftm_images) instead of files:
// checked like frames read from files, then copied into the bracket's RGB samples.
#ifndef LFTM_MERGE_MEMORY_BRACKET_H_
#define LFTM_MERGE_MEMORY_BRACKET_H_

#include <cstdint>

#include "lftm_host.h"
#include "merge/bracket.h"
#include "merge/load_bracket.h"
#include "merge/merge_report.h"

namespace lftm {

// Fills `bracket` (names "frame 1", "frame 2"..., size, depth, exposures) from
// request.images without copying pixels. Every image must be LFTM_SAMPLE_UINT8 or
// LFTM_SAMPLE_UINT16 with 1, 3 or 4 channels, all of one size and sample type, and every
// frame needs an exposure from request.exposures. Returns 0 or a code.
int32_t check_image_bracket(const BracketRequest& request, MergeReport* report, Bracket* bracket);

// Copies the images' samples into the checked bracket as RGB (grey repeated, alpha dropped).
void copy_image_bracket(const BracketRequest& request, int threads, Bracket* bracket);

}  // namespace lftm

#endif  // LFTM_MERGE_MEMORY_BRACKET_H_
