// SPDX-License-Identifier: BSD-3-Clause
// How much a merge trusts a sample level: clipped levels not at all, mid-tones most.
#ifndef LFTM_MERGE_SAMPLE_LEVELS_H_
#define LFTM_MERGE_SAMPLE_LEVELS_H_

#include <cstdint>
#include <vector>

namespace lftm {

struct LevelTrust {
  uint32_t clipLow = 0;       // levels at or below: black, no light measured
  uint32_t clipHigh = 0;      // levels at or above: clipped, the light may be anything brighter
  std::vector<float> weight;  // per level: 0 when clipped, rising to 1 at mid-grey

  // Whether a pixel whose brightest channel has level `z` is measured (not clipped).
  bool usable(uint32_t z) const { return z > clipLow && z < clipHigh; }
};

// The trust of `levels` sample levels (256 or 65536): a tent peaking at mid-grey, 0 at and
// beyond the clipping levels (the last 1/64 of the range, and the first 1/256).
LevelTrust level_trust(uint32_t levels);

}  // namespace lftm

#endif  // LFTM_MERGE_SAMPLE_LEVELS_H_
