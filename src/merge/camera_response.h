// SPDX-License-Identifier: BSD-3-Clause
// A camera's response, inverted: for each channel and each sample level, the relative
// linear light that gave that level. A merge divides it by a frame's exposure.
#ifndef LFTM_MERGE_CAMERA_RESPONSE_H_
#define LFTM_MERGE_CAMERA_RESPONSE_H_

#include <cstdint>
#include <vector>

#include "merge/merge_report.h"

namespace lftm {

struct CameraResponse {
  uint32_t levels = 256;          // 256 for 8-bit frames, 65536 for 16-bit ones
  std::vector<float> inverse[3];  // per channel, `levels` finite values >= 0, non-decreasing
};

// The response of linear frames: level z is z / (levels - 1).
CameraResponse linear_response(uint32_t levels);

// Makes each channel's curve non-decreasing and finite (a fit may wiggle where data is
// scarce), so that a brighter sample never means less light.
void make_monotone(CameraResponse* response);

// Whether a curve may be saved at `path`: nothing is there, or a saved response. Returns 0
// or LFTM_ERR_OUTPUT_EXISTS, so that a merge refuses before any work.
int32_t check_response_target(const char* path, MergeReport* report);

// Writes the curve as plain text: a header line, "levels N", then one line per level with
// the level and the three channels' values (C number format), whole or not at all. A file
// that is there already is replaced only when it is a saved response. Returns 0,
// LFTM_ERR_OUTPUT_EXISTS or LFTM_ERR_FILE.
int32_t save_response(const char* path, const CameraResponse& response, MergeReport* report);

// Reads a curve written by save_response for frames of `levels` levels. Returns 0, or
// LFTM_ERR_MERGE_RESPONSE (with a sentence naming the file and the line at fault).
int32_t load_response(const char* path, uint32_t levels, CameraResponse* response,
                      MergeReport* report);

}  // namespace lftm

#endif  // LFTM_MERGE_CAMERA_RESPONSE_H_
