// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "lftm.h"
#include "support/diag_capture.h"

namespace {

using lftm_test::count_of;
using lftm_test::DiagCapture;

const double kLn4 = std::log(4.0);

// Grey 1.0 and 4.0 in a checkerboard, three samples per pixel and two spare samples a row.
std::vector<float> checkerboard(int w, int h, int stride) {
  std::vector<float> data(static_cast<size_t>(stride) * h, -123.0f);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) data[y * stride + 3 * x + c] = (x + y) % 2 ? 4.0f : 1.0f;
  return data;
}

TEST(GetLogLumTest, HandComputedFloatImage) {
  const int w = 10, h = 4, stride = 32;
  std::vector<float> data = checkerboard(w, h, stride);
  std::vector<float> plane(w * h, -7.0f);
  LumStats stats{};
  DiagCapture diag;
  ASSERT_EQ(get_log_lum(0, w, h, 3, stride, &stats, nullptr, data.data(), plane.data()), 40);
  for (int i = 0; i < w * h; ++i) EXPECT_NEAR(plane[i], (i / w + i % w) % 2 ? kLn4 : 0, 1e-6);
  EXPECT_NEAR(stats.lumMoy, 2.0, 2e-6);
  EXPECT_NEAR(stats.lumMaxRatio, 2.0, 2e-6);
  EXPECT_NEAR(stats.lumMin, 1.0, 2e-6);
  const std::string& out = diag.out();
  EXPECT_EQ(out.rfind("valMoy:  27.72588", 0), 0u) << out;  // 20 x ln 4
  EXPECT_NE(out.find("\ntm0  sum:  27.72588"), std::string::npos);
  EXPECT_NE(out.find("  \n get_log_lum - min max: "), std::string::npos);
  EXPECT_NE(out.find("  cntDiff=0  ctnPetit=0   0.00\n"),
            std::string::npos)
      << out;
}

TEST(GetLogLumTest, UnusablePixelsTakeTheMinimum) {
  const int w = 10, h = 10, stride = 30;
  std::vector<float> data = checkerboard(w, h, stride);
  data[3 * 5] = data[3 * 5 + 1] = data[3 * 5 + 2] = 0.0f;
  data[stride * 2 + 3 * 7 + 1] = -50.0f;  // green outweighs the others
  data[stride * 9 + 3 * 9] = std::numeric_limits<float>::quiet_NaN();
  data[stride * 4 + 3 * 4] = 0.25f;  // the darkest usable pixel
  std::vector<float> plane(w * h);
  LumStats stats{};
  DiagCapture diag;
  ASSERT_EQ(get_log_lum(0, w, h, 3, stride, &stats, nullptr, data.data(), plane.data()), 97);
  const float darkest = plane[4 * w + 4];
  EXPECT_NEAR(darkest, std::log(0.25 * 0.2126 + 0.7152 + 0.0722), 1e-6);
  EXPECT_EQ(plane[5], darkest);
  EXPECT_EQ(plane[2 * w + 7], darkest);
  EXPECT_EQ(plane[9 * w + 9], darkest);
  EXPECT_NEAR(stats.lumMin, std::exp(darkest), 1e-6);
  EXPECT_NE(diag.out().find("cntPetit: 3     30.9278\n"), std::string::npos) << diag.out();
  EXPECT_NE(diag.out().find("cntDiff=-3  ctnPetit=3   3.00\n"), std::string::npos);
}

TEST(GetLogLumTest, LookupTableLayouts) {
  std::vector<float> lut(65536);
  for (int i = 0; i < 65536; ++i) lut[i] = i * 0.01f;
  const int w = 12, h = 10;

  std::vector<uint16_t> grey(static_cast<size_t>(w + 1) * h);
  for (size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<uint16_t>(1 + i * 311);
  grey[w + 1] = 0;  // first pixel of row 1 has no light
  std::vector<float> plane(w * h);
  LumStats stats{};
  DiagCapture diag;
  ASSERT_EQ(get_log_lum(1, w, h, 1, w + 1, &stats, lut.data(), grey.data(), plane.data()),
            w * h - 1);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (x == 0 && y == 1) continue;
      EXPECT_NEAR(plane[y * w + x], std::log(grey[y * (w + 1) + x] * 0.01), 2e-6);
    }
  }
  EXPECT_EQ(plane[w], plane[0]) << "the darkest pixel is the first one";

  // Four samples a pixel: red, green and blue are samples 0, 1 and 3.
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(1 + i * 13 % 250);
  ASSERT_EQ(get_log_lum(2, w, h, 4, 4 * w, &stats, lut.data(), rgba.data(), plane.data()),
            w * h);
  for (int i = 0; i < w * h; ++i) {
    const uint8_t* s = &rgba[4 * i];
    double lum = 0.01 * (0.2126 * s[0] + 0.7152 * s[1] + 0.0722 * s[3]);
    EXPECT_NEAR(plane[i], std::log(lum), 1e-5) << i;
  }
}

TEST(GetLogLumTest, NoUsablePixelKeepsTheCallersMean) {
  std::vector<float> data(10 * 10 * 3, 0.0f);
  std::vector<float> plane(100);
  LumStats stats{};
  stats.lumMoy = 3.0f;
  DiagCapture diag;
  EXPECT_EQ(get_log_lum(0, 10, 10, 3, 30, &stats, nullptr, data.data(), plane.data()), 0);
  EXPECT_EQ(stats.lumMoy, 3.0f);
  EXPECT_EQ(count_of(diag.out(), "get_log_lum   min:"), 0);
}

TEST(GetLogLumTest, BadArguments) {
  std::vector<float> data(10 * 10 * 3, 1.0f);
  std::vector<float> plane(100, -7.0f);
  LumStats stats{};
  DiagCapture diag;
  EXPECT_EQ(get_log_lum(3, 10, 10, 3, 30, &stats, nullptr, data.data(), plane.data()), -3);
  EXPECT_EQ(get_log_lum(-1, 10, 10, 3, 30, &stats, nullptr, data.data(), plane.data()), -3);
  EXPECT_EQ(get_log_lum(0, 10, 10, 0, 30, &stats, nullptr, data.data(), plane.data()), -1);
  EXPECT_EQ(get_log_lum(0, 10, 10, 3, -30, &stats, nullptr, data.data(), plane.data()), -1);
  EXPECT_EQ(get_log_lum(0, -10, 10, 3, 30, &stats, nullptr, data.data(), plane.data()), -1);
  EXPECT_EQ(get_log_lum(0, 70000, 70000, 3, 30, &stats, nullptr, data.data(), plane.data()),
            -1);
  for (float v : plane) EXPECT_EQ(v, -7.0f);
  EXPECT_EQ(diag.out(), "");
}

}  // namespace
