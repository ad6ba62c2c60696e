// SPDX-License-Identifier: BSD-3-Clause
// The accumulation shared by the log-luminance routines: each log value is computed in double,
// stored as a float, and that float is what is summed (in double), counted and compared.
#ifndef LFTM_STATS_LOG_ACCUMULATOR_H_
#define LFTM_STATS_LOG_ACCUMULATOR_H_

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "lftm.h"

namespace lftm {

// Any plane value below this is a marker left for a patch pass.
constexpr double kMarkerBelow = -99999999.0;

inline bool is_marker(float v) { return v < kMarkerBelow; }

// ln(x) rounded to single precision.
inline float log_as_float(double x) { return static_cast<float>(std::log(x)); }

struct LogAccumulator {
  double sum = 0.0;
  int64_t count = 0;
  float min = 1e9f;
  float max = -1e9f;

  void add(float v) {
    sum += v;
    ++count;
    if (v > max) max = v;
    if (min > v) min = v;
  }

  // The count goes through single precision before the division, as it always has: large
  // counts round the same way in every routine.
  double mean() const { return sum / static_cast<double>(static_cast<float>(count)); }
};

// The value that stands in for a pixel without light once the pass is over: the mean log
// value, or the running minimum when no pixel had light.
inline float no_light_value(const LogAccumulator& acc) {
  return acc.count >= 1 ? static_cast<float>(acc.mean()) : acc.min;
}

// The ratio of the brightest pixel to the geometric mean as a float. An image whose range
// spans the whole float range (1e38 beside 1e-40) has a ratio beyond the largest float: it
// is held at that float rather than made infinite, since every later use of the ratio (its
// logarithm, its inverse, its product with the mean) must stay finite for the tones to keep
// their order.
inline float max_ratio_within_float(double ratio) {
  return ratio > FLT_MAX ? FLT_MAX : static_cast<float>(ratio);
}

// LumStats fields 0-2: the geometric mean only when some pixel was valid, the maximum ratio
// only when that mean is positive, the minimum always.
inline void close_lum_stats(const LogAccumulator& acc, LumStats* stats) {
  if (acc.count > 0) stats->lumMoy = static_cast<float>(std::exp(acc.mean()));
  if (stats->lumMoy > 0) {
    stats->lumMaxRatio =
        max_ratio_within_float(std::exp(static_cast<double>(acc.max)) / stats->lumMoy);
  }
  stats->lumMin = static_cast<float>(std::exp(static_cast<double>(acc.min)));
}

}  // namespace lftm

#endif  // LFTM_STATS_LOG_ACCUMULATOR_H_
