// SPDX-License-Identifier: BSD-3-Clause
// Plane summaries for the diagnostic lines of stage 1.
#ifndef LFTM_BOOSTER_ATTENUATE_PLANE_STATS_H_
#define LFTM_BOOSTER_ATTENUATE_PLANE_STATS_H_

#include <cstddef>

namespace lftm {

// Double-precision sum of `count` floats.
double plane_sum(const float* values, size_t count);

// values[index] when index < count, else 0: the fixed sample positions of the diagnostic
// lines can lie past the end of a small level.
float level_probe(const float* values, size_t count, size_t index);

struct MinMaxMean {
  float min;
  float max;
  float mean;
};

// Minimum, maximum and mean of `count` floats; the minimum and the maximum start from the
// given values and the mean is the float sum over the count.
MinMaxMean min_max_mean(const float* values, size_t count, float minStart, float maxStart);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_PLANE_STATS_H_
