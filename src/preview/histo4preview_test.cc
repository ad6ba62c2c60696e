// SPDX-License-Identifier: BSD-3-Clause
// Preview histograms: bins, sample positions, accumulation and refusals.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "lftm.h"

namespace {

TEST(Histo4Preview, WhitePixelLandsInTheTopBins) {
  std::vector<int32_t> hist(1024, 0);
  const uint8_t white[3] = {255, 255, 255};
  EXPECT_EQ(histo4preview(1, 1, 3, white, hist.data()), 1);
  EXPECT_EQ(hist[255], 1);
  EXPECT_EQ(hist[511], 1);
  EXPECT_EQ(hist[767], 1);
  EXPECT_EQ(hist[1023], 1);
  EXPECT_EQ(std::accumulate(hist.begin(), hist.end(), 0), 4);
}

TEST(Histo4Preview, ReadsFirstMiddleAndLastSampleAndAddsUp) {
  // Four samples a pixel: channels are samples 0, 1 and 3; sample 2 is ignored.
  const std::vector<uint8_t> data = {10, 20, 99, 30, 0, 0, 200, 0};
  std::vector<int32_t> hist(1024, 0);
  EXPECT_EQ(histo4preview(2, 1, 4, data.data(), hist.data()), 2);
  EXPECT_EQ(histo4preview(1, 2, 4, data.data(), hist.data()), 2);
  EXPECT_EQ(hist[(54 * 10 + 183 * 20 + 19 * 30) >> 8], 2);  // bin 18
  EXPECT_EQ(hist[0], 2);
  EXPECT_EQ(hist[256 + 10], 2);
  EXPECT_EQ(hist[512 + 20], 2);
  EXPECT_EQ(hist[768 + 30], 2);
  EXPECT_EQ(hist[256 + 0] + hist[512 + 0] + hist[768 + 0], 6);
  EXPECT_EQ(std::accumulate(hist.begin(), hist.end(), 0), 16);
}

TEST(Histo4Preview, BadSizes) {
  std::vector<int32_t> hist(1024, 0);
  EXPECT_EQ(histo4preview(0, 10, 3, nullptr, hist.data()), 0);
  EXPECT_EQ(histo4preview(-1, -1, 3, nullptr, hist.data()), -1);
  EXPECT_EQ(histo4preview(1, 1, 0, nullptr, hist.data()), -1);
  EXPECT_EQ(histo4preview(50000, 50000, 1, nullptr, hist.data()), -1);
  EXPECT_EQ(histo4preview(30000, 30000, 3, nullptr, hist.data()), -1);
  EXPECT_EQ(std::accumulate(hist.begin(), hist.end(), 0), 0);
}

}  // namespace
