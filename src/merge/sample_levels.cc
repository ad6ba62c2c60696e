// SPDX-License-Identifier: BSD-3-Clause
#include "merge/sample_levels.h"

#include <algorithm>

namespace lftm {

LevelTrust level_trust(uint32_t levels) {
  LevelTrust trust;
  trust.clipLow = levels / 256;
  trust.clipHigh = levels - 1 - levels / 64;
  trust.weight.resize(levels);
  const float mid = 0.5f * static_cast<float>(levels - 1);
  for (uint32_t z = 0; z < levels; ++z) {
    const float tent = 1.0f - std::abs(static_cast<float>(z) - mid) / mid;
    trust.weight[z] = trust.usable(z) ? std::max(tent, 1e-3f) : 0.0f;
  }
  return trust;
}

}  // namespace lftm
