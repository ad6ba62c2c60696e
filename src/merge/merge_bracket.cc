// SPDX-License-Identifier: BSD-3-Clause
#include "merge/merge_bracket.h"

#include "merge/align_bracket.h"
#include "merge/camera_response.h"
#include "merge/ghost_mask.h"
#include "merge/memory_bracket.h"
#include "merge/radiance_merge.h"
#include "merge/response_fit.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

int32_t find_response(const Bracket& bracket, const MergeSettings& settings, MergeReport* report,
                      CameraResponse* response) {
  if (settings.response == LFTM_RESPONSE_LINEAR) {
    *response = linear_response(bracket.levels());
  } else if (settings.response == LFTM_RESPONSE_FILE) {
    const int32_t loaded = load_response(settings.responsePath, bracket.levels(), response, report);
    if (loaded < 0) return loaded;
  } else if (fit_response(bracket, response) < 0) {
    return report->fail(LFTM_ERR_MERGE_RESPONSE,
                        "the camera response cannot be recovered from these frames (too "
                        "small, or no pixel measured by two of them); give a response");
  }
  return 0;
}

// Checks the frames, then decodes them (files) or copies them (images in memory).
int32_t read_frames(const BracketRequest& request, int threads, FrameLibrary* library,
                    MergeReport* report, Bracket* bracket) {
  const int32_t result = check_bracket(request, library, report, bracket);
  if (result < 0) return result;
  ProgressPhase phase(0.0, 0.4, "reading the frames");
  if (request.images == nullptr) return decode_bracket(library, report, bracket, threads);
  copy_image_bracket(request, threads, bracket);
  return run_cancelled() ? LFTM_ERR_CANCELLED : 0;
}

}  // namespace

MergeSettings merge_settings_of(const lftm_merge_options* options) {
  MergeSettings settings;
  if (options == nullptr) return settings;
  settings.response = options->response;
  settings.responsePath = options->response_path;
  settings.saveResponsePath = options->save_response;
  settings.align = options->align != 0;
  settings.deghost = options->deghost != 0;
  return settings;
}

int32_t merge_bracket(const BracketRequest& request, const MergeSettings& settings, int threads,
                      FrameLibrary* library, MergeReport* report, MergedImage* merged) {
  Bracket bracket;
  int32_t result = 0;
  if (settings.saveResponsePath != nullptr &&
      (result = check_response_target(settings.saveResponsePath, report)) < 0) {
    return result;
  }
  result = read_frames(request, threads, library, report, &bracket);
  if (result < 0) return result;
  if (settings.align) {
    ProgressPhase phase(0.4, 0.6, "aligning the frames");
    if ((result = align_bracket(&bracket, threads)) < 0) return result;
  }
  CameraResponse& response = merged->response;
  if ((result = find_response(bracket, settings, report, &response)) < 0) return result;
  if (settings.deghost && (result = mark_ghosts(response, threads, &bracket)) < 0) {
    return result;
  }
  merged->width = bracket.width;
  merged->height = bracket.height;
  merged->rgb.resize(bracket.pixels() * 3);
  MergeCounts counts;
  {
    ProgressPhase phase(0.6, 1.0, "merging");
    if ((result = merge_radiance(bracket, response, threads, merged->rgb.data(), &counts)) < 0) {
      return result;
    }
  }
  if (counts.unmeasured == bracket.pixels()) {
    report->warn(
        "every frame is clipped or black everywhere: the result holds no more "
        "than one frame");
  }
  return 0;
}

int32_t save_merged_response(const MergeSettings& settings, const MergedImage& merged,
                             MergeReport* report) {
  if (settings.saveResponsePath == nullptr) return 0;
  return save_response(settings.saveResponsePath, merged.response, report);
}

}  // namespace lftm
