// SPDX-License-Identifier: BSD-3-Clause
// Groups a run of frames into brackets (sets), either every N frames or by how they were
// shot: frames in capture-time order, and a new set starts when an exposure of the current
// set comes again (the camera began the next bracket) or after a pause of more than
// kSetPauseSeconds between the end of one exposure and the start of the next.
#ifndef LFTM_MERGE_BRACKET_SETS_H_
#define LFTM_MERGE_BRACKET_SETS_H_

#include <cstdint>
#include <vector>

namespace lftm {

constexpr double kSetPauseSeconds = 2.0;

// What grouping needs of one frame; zeros for what its EXIF data lacks.
struct FrameShot {
  double capture = 0;   // seconds (only differences count)
  double seconds = 0;   // exposure time
  double exposure = 0;  // relative exposure (time x ISO/100 / f-number^2)
};

// Every `size` consecutive frames as one set: set_of[i] = i / size.
std::vector<int32_t> sets_of_size(int32_t count, int32_t size);

// Sets by capture time and exposure pattern, numbered in capture order. Frames are taken in
// capture-time order when every frame has a capture time, else in the given order (and only
// the exposure pattern, and pauses between the frames that have times, count). A frame
// without an exposure continues the current set.
std::vector<int32_t> sets_by_shots(const std::vector<FrameShot>& shots);

}  // namespace lftm

#endif  // LFTM_MERGE_BRACKET_SETS_H_
