// SPDX-License-Identifier: BSD-3-Clause
// lftm_merge_sets: which bracket each frame of a run belongs to.
#include <algorithm>
#include <new>
#include <vector>

#include "lftm_host.h"
#include "merge/bracket_sets.h"
#include "merge/frame_library.h"
#include "merge/load_bracket.h"

namespace lftm {
namespace {

// The capture time and exposure of each frame from its EXIF data; zeros for a frame that
// cannot be read (its set then fails when merged, naming it).
std::vector<FrameShot> shots_of(const char* const* paths, int32_t count, FrameLibrary* library) {
  std::vector<FrameShot> shots(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    int32_t layout[LFFRAME_LAYOUT_SLOTS] = {0};
    double exif[LFFRAME_EXIF_SLOTS] = {0};
    if (paths[i] == nullptr || library->info(paths[i], layout, exif) < 0) continue;
    FrameShot& shot = shots[static_cast<size_t>(i)];
    shot.capture = exif[LFFRAME_CAPTURE_TIME];
    shot.seconds = exif[LFFRAME_EXPOSURE_TIME];
    shot.exposure = exif_exposure(exif);
  }
  return shots;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_merge_sets(const char* const* paths, int32_t count,
                                   int32_t frames_per_set, int32_t* set_of_frame) {
  if (paths == nullptr || count < 1 || frames_per_set < 0 || set_of_frame == nullptr) {
    return LFTM_ERR_ARGUMENT;
  }
  try {
    std::vector<int32_t> sets;
    if (frames_per_set > 0) {
      sets = lftm::sets_of_size(count, frames_per_set);
    } else {
      lftm::FrameLibrary library;
      if (!library.load_reader()) return LFTM_ERR_MERGE_LIBRARY;
      sets = lftm::sets_by_shots(lftm::shots_of(paths, count, &library));
    }
    for (size_t i = 0; i < sets.size(); ++i) set_of_frame[i] = sets[i];
    return *std::max_element(sets.begin(), sets.end()) + 1;
  } catch (const std::bad_alloc&) {
    return LFTM_ERR_NO_MEMORY;
  }
}
