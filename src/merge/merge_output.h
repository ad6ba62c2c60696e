// SPDX-License-Identifier: BSD-3-Clause
// Where a merge goes in a file: OpenEXR or Radiance as it is, or tone mapped into JPEG or
// TIFF through the one run, from the same RGBE bytes the run would read from the merge's
// OpenEXR file, so that one go and two steps write the same bytes.
#ifndef LFTM_MERGE_MERGE_OUTPUT_H_
#define LFTM_MERGE_MERGE_OUTPUT_H_

#include <cstdint>

#include "lftm_host.h"
#include "merge/frame_library.h"
#include "merge/merge_bracket.h"

namespace lftm {

enum class MergeOutput { kExr, kRadiance, kJpeg, kTiff, kUnknown };

// The kind of output a name asks for, by its extension (any case).
MergeOutput merge_output_of(const char* path);

// Writes `merged` to `path` as `kind` asks. Returns 0 or a code.
int32_t write_merge_output(const MergedImage& merged, MergeOutput kind, const char* path,
                           const lftm_options& options, FrameLibrary* library);

}  // namespace lftm

#endif  // LFTM_MERGE_MERGE_OUTPUT_H_
