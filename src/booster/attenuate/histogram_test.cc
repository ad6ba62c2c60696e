// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/histogram.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/diag_capture.h"

namespace {

using lftm::adjust_perc_med;
using lftm::histo_fill;
using lftm::histo_index;
using lftm::kHistogramBins;

TEST(HistogramTest, FillClampsToTheBinsAndRejectsAnEmptyRange) {
  std::vector<int32_t> hist(11, 0);
  const float values[] = {-5.0f, 0.0f, 0.55f, 1.0f, 7.0f, NAN};
  EXPECT_EQ(histo_fill(6, 11, 0.0f, 1.0f, values, hist.data()), 6);
  EXPECT_EQ(hist[0], 3);   // below the range, at its start, and NaN
  EXPECT_EQ(hist[5], 1);   // 10 x 0.55 = 5.5
  EXPECT_EQ(hist[10], 2);  // at and above the top

  std::vector<int32_t> untouched(11, 0);
  EXPECT_EQ(histo_fill(6, 11, 1.0f, 1.0f, values, untouched.data()), -1);
  EXPECT_EQ(histo_fill(6, 11, NAN, 1.0f, values, untouched.data()), -1);
  for (int32_t c : untouched) EXPECT_EQ(c, 0);
}

TEST(HistogramTest, IndexIsTheFirstBinWhoseRunningCountExceedsTheFraction) {
  const int32_t hist[] = {2, 0, 3, 5};
  EXPECT_EQ(histo_index(0.0f, 10, 4, hist), 0);
  EXPECT_EQ(histo_index(0.2f, 10, 4, hist), 2);  // running count 2 is not above 2
  EXPECT_EQ(histo_index(0.5f, 10, 4, hist), 3);
  EXPECT_EQ(histo_index(1.0f, 10, 4, hist), 4);  // never above 10: one past the bins
}

TEST(HistogramTest, MedianSearchMovesInSmallStepsAndStopsAfterForty) {
  std::vector<int32_t> hist(kHistogramBins, 0);
  // Median already between a quarter and nine tenths: kept.
  hist[30000] = 100;
  int steps = 0;
  EXPECT_EQ(adjust_perc_med(0.5f, 100, kHistogramBins, hist.data(), &steps), 0.5f);
  EXPECT_EQ(steps, 1);

  // 45 values in the middle, 55 at the top: the fraction drops by 0.99 until it falls below
  // 0.45, which takes 11 moves.
  hist[30000] = 45;
  hist[kHistogramBins - 1] = 55;
  float expected = 0.5f;
  for (int i = 0; i < 11; ++i) expected *= 0.99f;
  steps = 0;
  EXPECT_EQ(adjust_perc_med(0.5f, 100, kHistogramBins, hist.data(), &steps), expected);
  EXPECT_EQ(steps, 12);

  // Nothing below the top bin before 0.5 x 0.99^91: the search gives up after 40 moves.
  hist[30000] = 5;
  hist[kHistogramBins - 1] = 95;
  expected = 0.5f;
  for (int i = 0; i < 40; ++i) expected *= 0.99f;
  steps = 0;
  EXPECT_EQ(adjust_perc_med(0.5f, 100, kHistogramBins, hist.data(), &steps), expected);
  EXPECT_EQ(steps, 40);

  // Everything in the first bin: the fraction rises by 1.01, also at most 40 times.
  std::vector<int32_t> low(kHistogramBins, 0);
  low[0] = 100;
  expected = 0.5f;
  for (int i = 0; i < 40; ++i) expected *= 1.01f;
  steps = 0;
  EXPECT_EQ(adjust_perc_med(0.5f, 100, kHistogramBins, low.data(), &steps), expected);

  // The counter belongs to the caller: one already at the limit moves nothing.
  steps = 40;
  EXPECT_EQ(adjust_perc_med(0.5f, 100, kHistogramBins, low.data(), &steps), 0.5f);
}

TEST(HistogramTest, PercentilesOfAUniformPlane) {
  // Log values 0 .. 9.99 in steps of 0.01: luminance range e^0 .. e^9.99.
  std::vector<float> plane(1000);
  for (int i = 0; i < 1000; ++i) plane[i] = i * 0.01f;
  LumStats stats{};
  stats.lumMin = 1.0f;
  stats.lumMoy = std::exp(5.0f);
  stats.lumMaxRatio = std::exp(9.99f) / stats.lumMoy;
  std::vector<int32_t> hist(kHistogramBins, 0);
  lftm_test::DiagCapture capture;
  lftm::luminance_percentiles(plane.data(), 1000, (100.0f - 0.25f) / 100.0f, &stats,
                              hist.data());
  const float bin = 9.99f / 65536;
  EXPECT_NEAR(stats.logMed, 5.0f, 0.01f + bin);
  EXPECT_NEAR(stats.log25, 2.5f, 0.01f + bin);
  EXPECT_NEAR(stats.log75, 7.5f, 0.01f + bin);
  EXPECT_NEAR(stats.logClip, 9.97f, 0.01f + bin);
  EXPECT_NE(capture.out().find("percMed apres adjustment: 0.500\n"), std::string::npos);
  EXPECT_NE(capture.out().find("Percentile 25 50 75 99:  "), std::string::npos);
}

}  // namespace
