// SPDX-License-Identifier: BSD-3-Clause
// The log-luminance histogram and the percentiles that stage 3 keys on.
#ifndef LFTM_BOOSTER_ATTENUATE_HISTOGRAM_H_
#define LFTM_BOOSTER_ATTENUATE_HISTOGRAM_H_

#include <cstdint>

#include "lftm.h"

namespace lftm {

constexpr int kHistogramBins = 65536;

// Most steps the median search takes.
constexpr int kMaxMedianSteps = 40;

constexpr int kEmptyRange = -1;

// Adds `count` values to `hist` (nbins counters, zeroed by the caller): bin =
// trunc((nbins - 1) / (hi - lo) x (v - lo)), clamped to the bins. Returns count, or
// kEmptyRange (and counts nothing) when lo >= hi or either is NaN.
int histo_fill(int count, int nbins, float lo, float hi, const float* values, int32_t* hist);

// The first bin at which the running count exceeds trunc(count x fraction), or nbins.
int histo_index(float fraction, int count, int nbins, const int32_t* hist);

// Moves `fraction` until its bin lies between a quarter and nine tenths of the bins: by a
// factor 0.99 while the bin is above, 1.01 while below. `steps` counts the moves of this
// search (the caller sets it to 0 first); at kMaxMedianSteps the fraction is returned as it
// is. Each search owns its counter, so searches of different calls never interfere.
float adjust_perc_med(float fraction, int count, int nbins, const int32_t* hist, int* steps);

// Fills LumStats fields 3-6 from the first `count` values of the log plane, with the range
// taken from fields 0-2; `hist` holds kHistogramBins zeroed counters. Prints the median
// fraction and the percentile line. Does nothing when the range is empty.
void luminance_percentiles(const float* plane, int count, float clipFraction, LumStats* stats,
                           int32_t* hist);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_HISTOGRAM_H_
