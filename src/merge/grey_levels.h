// SPDX-License-Identifier: BSD-3-Clause
// Exposure-independent grey images of the frames, for alignment: each frame's grey is
// replaced by its rank among the frame's pixels (0..1), which a brighter exposure through
// the same monotone camera leaves unchanged wherever neither frame is clipped.
#ifndef LFTM_MERGE_GREY_LEVELS_H_
#define LFTM_MERGE_GREY_LEVELS_H_

#include <cstdint>
#include <vector>

#include "merge/bracket.h"

namespace lftm {

struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<float> rank;    // 0..1
  std::vector<uint8_t> grey;  // the 8-bit grey the rank was made from

  float at(int x, int y) const { return rank[static_cast<size_t>(y) * width + x]; }
};

// 8-bit grey ((54 R + 183 G + 19 B) / 256 of the top 8 bits) and its rank.
GreyImage rank_grey(const Bracket& bracket, const Frame& frame);

// Half the size: each pixel the mean of four (a last odd row or column is dropped).
GreyImage halve(const GreyImage& image);

// Whether an 8-bit grey level measures light (neither black nor clipped).
inline bool measured_grey(uint8_t g) { return g > 4 && g < 250; }

}  // namespace lftm

#endif  // LFTM_MERGE_GREY_LEVELS_H_
