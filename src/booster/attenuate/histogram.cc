// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/histogram.h"

#include <cmath>

#include "booster/attenuate/settings.h"
#include "platform/diag.h"
#include "platform/setting_value.h"

namespace lftm {

int histo_fill(int count, int nbins, float lo, float hi, const float* values, int32_t* hist) {
  if (!(lo < hi)) return kEmptyRange;
  const float scale = static_cast<float>(nbins - 1) / (hi - lo);
  const float top = static_cast<float>(nbins - 1);
  for (int i = 0; i < count; ++i) {
    const float position = scale * (values[i] - lo);
    int bin;
    if (!(position > 0.0f)) {
      bin = 0;  // below the range, or NaN
    } else if (position >= top) {
      bin = nbins - 1;
    } else {
      bin = static_cast<int>(position);
    }
    ++hist[bin];
  }
  return count;
}

int histo_index(float fraction, int count, int nbins, const int32_t* hist) {
  const float wanted = static_cast<float>(count) * fraction;
  // Truncation of the wanted count; a fraction outside [0, 1] is kept in range.
  long long threshold = 0;
  if (wanted >= 9.0e18f) {
    threshold = 9000000000000000000LL;
  } else if (wanted > 0.0f) {
    threshold = static_cast<long long>(wanted);
  }
  long long running = 0;
  for (int i = 0; i < nbins; ++i) {
    running += hist[i];
    if (running > threshold) return i;
  }
  return nbins;
}

float adjust_perc_med(float fraction, int count, int nbins, const int32_t* hist, int* steps) {
  const int high = static_cast<int>(0.9 * nbins);
  const int low = nbins / 4;
  for (;;) {
    const int i = histo_index(fraction, count, nbins, hist);
    if (*steps >= kMaxMedianSteps) return fraction;
    ++*steps;
    if (i > high) {
      fraction *= 0.99f;
    } else if (i < low) {
      fraction *= 1.01f;
    } else {
      return fraction;
    }
  }
}

void luminance_percentiles(const float* plane, int count, float clipFraction, LumStats* stats,
                           int32_t* hist) {
  const float brightest = stats->lumMaxRatio * stats->lumMoy;
  const double logMin = std::log(static_cast<double>(stats->lumMin));
  const double logMax = std::log(static_cast<double>(brightest));
  const float lo = static_cast<float>(logMin);
  const float hi = static_cast<float>(logMax);
  if (histo_fill(count, kHistogramBins, lo, hi, plane, hist) < 0) return;

  int steps = 0;
  const float percMed = adjust_perc_med(0.5f, count, kHistogramBins, hist, &steps);
  diag_out("percMed apres adjustment: %1.3f\n", percMed);

  const float binWidth = static_cast<float>((logMax - logMin) / kHistogramBins);
  auto log_at = [&](float fraction) {
    const int bin = histo_index(fraction, count, kHistogramBins, hist);
    return static_cast<float>(logMin + static_cast<double>(binWidth) * bin);
  };
  stats->log25 = log_at(percMed / 2);
  stats->log75 = log_at(1 - (1 - percMed) / 2);
  stats->logMed = log_at(percMed);
  stats->logClip = log_at(clipFraction);
  diag_out("Percentile 25 50 75 %d:  %1.3f  %1.3f  %1.3f  %1.3f\n",
           truncate_setting(clipFraction * 100), stats->log25, stats->logMed, stats->log75,
           stats->logClip);
}

}  // namespace lftm
