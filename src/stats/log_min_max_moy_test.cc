// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "lftm.h"
#include "stats/log_min_max_moy.h"
#include "support/rgbe_images.h"

namespace {

const std::vector<float> kExp = lftm_test::reference_exp_table();

// One grey value per pixel, three samples each.
std::vector<float> grey_image(const std::vector<float>& values) {
  std::vector<float> data;
  for (float v : values) data.insert(data.end(), {v, v, v});
  return data;
}

LogStats run(int spp, int w, int h, const void* data) {
  LogStats s{-1, -1, -1, 42.0f};
  EXPECT_EQ(logMinMaxMoy(spp, w, h, kExp.data(), data, &s), h);
  return s;
}

TEST(LogMinMaxMoyTest, HandComputedContrast) {
  std::vector<float> values(10 * 10);
  for (size_t i = 0; i < values.size(); ++i) values[i] = i % 2 ? 16.0f : 1.0f;
  LogStats s = run(3, 10, 10, grey_image(values).data());
  EXPECT_NEAR(s.logMin, 0.0, 1e-6);
  EXPECT_NEAR(s.logMax, std::log(16.0), 1e-6);
  EXPECT_NEAR(s.logMoy, std::log(4.0), 1e-6);
  // The mean lies halfway: 0.3 + 0.6 x 0.5^1.4.
  EXPECT_NEAR(s.autoContrast, 0.3 + 0.6 * std::pow(0.5, 1.4), 1e-6);
}

TEST(LogMinMaxMoyTest, DarkImageKeepsTheMaximumAtZero) {
  std::vector<float> values(12 * 10);
  for (size_t i = 0; i < values.size(); ++i) values[i] = i % 3 ? 0.5f : 0.125f;
  LogStats s = run(3, 12, 10, grey_image(values).data());
  const double moy = (80 * std::log(0.5) + 40 * std::log(0.125)) / 120;
  EXPECT_EQ(s.logMax, 0.0f);
  EXPECT_NEAR(s.logMin, std::log(0.125), 1e-6);
  EXPECT_NEAR(s.logMoy, moy, 1e-6);
  EXPECT_NEAR(s.autoContrast, 0.3 + 0.6 * std::pow(moy / std::log(0.125), 1.4), 1e-6);
}

TEST(LogMinMaxMoyTest, FlatOrEmptyImageKeepsAutoContrast) {
  std::vector<float> flat = grey_image(std::vector<float>(100, 2.0f));
  LogStats s = run(3, 10, 10, flat.data());
  EXPECT_EQ(s.logMax, s.logMin);
  EXPECT_EQ(s.autoContrast, 42.0f);

  std::vector<float> black(300, 0.0f);
  s = run(3, 10, 10, black.data());
  EXPECT_EQ(s.logMin, 99999997952.0f);
  EXPECT_EQ(s.logMax, 0.0f);
  EXPECT_EQ(s.logMoy, 0.0f);
  EXPECT_EQ(s.autoContrast, 42.0f);
}

// The same image as RGBE planar bytes and as floats: exponents scale by powers of two, so
// both layouts give the same bits. Unlit RGBE pixels are skipped whatever their mantissas.
TEST(LogMinMaxMoyTest, RgbeAndFloatLayoutsAgree) {
  const int w = 31, h = 19;
  lftm_test::RgbePlanar img = lftm_test::make_test_image(w, h, 7);
  lftm_test::set_pixel(&img, 4, 3, 200, 100, 50, 0);
  lftm_test::set_pixel(&img, 30, 18, 0, 0, 0, 130);
  std::vector<float> floats;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = img.bytes.data() + 4 * w * y;
    for (int x = 0; x < w; ++x) {
      const uint8_t e = row[3 * w + x];
      // Four samples a pixel: red, green and blue are samples 0, 1 and 3; 2 is never read.
      for (int c : {0, 1, -1, 2})
        floats.push_back(c < 0 ? -1.0f : e ? row[c * w + x] * kExp[e] : 0.0f);
    }
  }
  const LogStats f = run(4, w, h, floats.data());
  for (int spp : {0, -3}) {
    const LogStats r = run(spp, w, h, img.bytes.data());
    EXPECT_EQ(std::memcmp(&r, &f, sizeof r), 0) << spp;
  }
  EXPECT_LT(f.logMin, 0.0f);
  EXPECT_GT(f.autoContrast, 0.3f);
  EXPECT_LT(f.autoContrast, 0.9f);
}

// Worker runs compute the logs in blocks of rows, added up in order beside the next: an image of
// several blocks, the last one short, with unlit pixels, gives the bits of the one-thread
// pass in both layouts for any thread count.
TEST(LogMinMaxMoyTest, WorkersGiveTheBitsOfOneThread) {
  const int w = 700, h = 900;
  lftm_test::RgbePlanar img = lftm_test::make_test_image(w, h, 11);
  for (int y = 0; y < h; y += 7) lftm_test::set_pixel(&img, (y * 13) % w, y, 90, 90, 90, 0);
  std::vector<float> floats;
  for (int i = 0; i < w * h; ++i) floats.push_back(i % 5 ? 0.001f * (i % 977) : 0.0f);
  for (int spp : {0, 1}) {
    const void* data = spp ? static_cast<const void*>(floats.data()) : img.bytes.data();
    const LogStats one = run(spp, w, h, data);
    for (int threads : {2, 3, 5}) {
      LogStats s{-1, -1, -1, 42.0f};
      EXPECT_EQ(lftm::log_min_max_moy(spp, w, h, kExp.data(), data, &s, threads), h);
      EXPECT_EQ(std::memcmp(&s, &one, sizeof s), 0) << spp << " " << threads;
    }
  }
}

}  // namespace
