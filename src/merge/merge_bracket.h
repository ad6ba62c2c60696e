// SPDX-License-Identifier: BSD-3-Clause
// One merge from frame paths to float radiance: check and decode the frames, find the
// response (recovered, linear or loaded), merge. Every entry point of merging runs this.
#ifndef LFTM_MERGE_MERGE_BRACKET_H_
#define LFTM_MERGE_MERGE_BRACKET_H_

#include <cstdint>
#include <vector>

#include "lftm_host.h"
#include "merge/camera_response.h"
#include "merge/frame_library.h"
#include "merge/load_bracket.h"
#include "merge/merge_report.h"

namespace lftm {

struct MergedImage {
  int width = 0;
  int height = 0;
  std::vector<float> rgb;  // width x height interleaved RGB, linear, finite, >= 0
  CameraResponse response;  // the curve the merge used
};

// What the host asked for, taken from its lftm_merge_options (null: the defaults).
struct MergeSettings {
  int32_t response = LFTM_RESPONSE_RECOVER;
  const char* responsePath = nullptr;
  const char* saveResponsePath = nullptr;
  bool align = true;
  bool deghost = false;
};

MergeSettings merge_settings_of(const lftm_merge_options* options);

// The whole merge. A response file to save is checked first but written only by
// save_merged_response, once the caller has its result. Returns 0 or a code; the report
// holds the sentence of a failure.
int32_t merge_bracket(const BracketRequest& request, const MergeSettings& settings, int threads,
                      FrameLibrary* library, MergeReport* report, MergedImage* merged);

// Saves the merge's curve when the settings ask for it. Returns 0 or a code.
int32_t save_merged_response(const MergeSettings& settings, const MergedImage& merged,
                             MergeReport* report);

}  // namespace lftm

#endif  // LFTM_MERGE_MERGE_BRACKET_H_
