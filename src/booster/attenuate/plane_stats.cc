// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/plane_stats.h"

namespace lftm {

double plane_sum(const float* values, size_t count) {
  double sum = 0.0;
  for (size_t i = 0; i < count; ++i) sum += values[i];
  return sum;
}

float level_probe(const float* values, size_t count, size_t index) {
  return index < count ? values[index] : 0.0f;
}

MinMaxMean min_max_mean(const float* values, size_t count, float minStart, float maxStart) {
  float lowest = minStart;
  float highest = maxStart;
  float sum = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    const float v = values[i];
    if (v < lowest) lowest = v;
    if (v > highest) highest = v;
    sum += v;
  }
  return MinMaxMean{lowest, highest, sum / static_cast<float>(count)};
}

}  // namespace lftm
