// SPDX-License-Identifier: BSD-3-Clause
// Reads a bracket's frames: checks every frame, its size and its exposure before any pixel
// is decoded, then decodes them. Each refusal names the frame and the cause.
#ifndef LFTM_MERGE_LOAD_BRACKET_H_
#define LFTM_MERGE_LOAD_BRACKET_H_

#include <cstdint>

#include "lftm_host.h"
#include "merge/bracket.h"
#include "merge/frame_library.h"
#include "merge/merge_report.h"

namespace lftm {

struct BracketRequest {
  const char* const* paths = nullptr;
  const lftm_image* images = nullptr;  // frames in memory instead of `paths`
  int32_t count = 0;
  const double* exposures = nullptr;  // seconds in the frames' order, or null: from EXIF
  int32_t exposureCount = 0;
};

// The relative exposure of EXIF values (time in seconds, f-number, ISO; 0 for a value the
// frame lacks): time x ISO/100 / f-number^2, where a missing ISO counts as 100 and a missing
// f-number as 1 (the same for every frame of a bracket, so the ratios hold). 0 without a time.
double exif_exposure(const double exif[3]);

// Fills `bracket` (frames, size, depth, exposures) without pixels, from the files or from the
// images in memory. Returns 0 or a code.
int32_t check_bracket(const BracketRequest& request, FrameLibrary* library, MergeReport* report,
                      Bracket* bracket);

// Decodes the pixels of every frame of a checked bracket, up to `threads` frames at once.
// Returns 0 or a code.
int32_t decode_bracket(FrameLibrary* library, MergeReport* report, Bracket* bracket, int threads);

}  // namespace lftm

#endif  // LFTM_MERGE_LOAD_BRACKET_H_
