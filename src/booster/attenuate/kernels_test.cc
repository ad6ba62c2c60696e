// SPDX-License-Identifier: BSD-3-Clause
// Level kernels on hand-made planes. The whole-plane comparisons with the reference are in
// calc_tm1_test.cc.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "booster/attenuate/divergence.h"
#include "booster/attenuate/gradients.h"
#include "support/diag_capture.h"
#include "support/temp_dir.h"

namespace {

TEST(KernelsTest, GradientsWrapInPanoramasAndIgnoreJumpsAbove100) {
  // Columns hold 0, 1, 2, 3, 10, with 202 at (2, 2). At (0, 1) a plain image takes gx = 1 - 0
  // and a panorama gx = 1 - 10; the jump of 200 drops the differences across it.
  for (bool is360 : {false, true}) {
    const float column[] = {0, 1, 2, 3, 10};
    std::vector<float> p(20);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 5; ++x) p[y * 5 + x] = column[x];
    }
    p[2 * 5 + 2] = 202.0f;
    std::vector<float> rows(15);
    const float sum = lftm::gradient_level(p.data(), 5, 4, is360, 1.0, rows.data());
    EXPECT_EQ(p[1 * 5 + 0], is360 ? 9.0f : 1.0f);
    EXPECT_EQ(p[1 * 5 + 2], 2.0f);  // gy = 202 - 2 dropped, gx = 3 - 1
    EXPECT_EQ(p[2 * 5 + 1], 0.0f);  // gx = 202 - 0 dropped, gy = 1 - 1
    EXPECT_EQ(p[0 * 5 + 2], 2.0f);  // top row: gy = d - c = 0, or d - (2, 0) = 0 in panoramas
    float expected = 0.0f;
    for (float v : p) expected += v;
    EXPECT_EQ(sum, expected);
  }
}

TEST(KernelsTest, ShortOrMissingScratchFileIsReported) {
  lftm_test::TempDir dir;
  const std::string path = dir.file("short");
  std::vector<float> lg(8 * 4, 1.0f);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(lg.data(), sizeof(float), 8 * 3 + 2, file);  // three rows and a quarter more
  std::fclose(file);
  std::vector<float> phi(8 * 5, 1.0f);
  std::vector<float> rows(24);
  lftm_test::DiagCapture capture;
  lftm::LogRows streamed;
  ASSERT_EQ(streamed.open_file(path.c_str(), 0, 8, 5), 0);
  EXPECT_EQ(lftm::divergence_level(phi.data(), 8, 5, &streamed, rows.data()), -2);
  EXPECT_NE(capture.out().find("can not read temporary file at 2 - returned 1 instead of 4\n"),
            std::string::npos);

  lftm::LogRows early;
  ASSERT_EQ(early.open_file(path.c_str(), 20, 8, 5), 0);  // 6 floats left: a quarter of three rows
  EXPECT_EQ(lftm::divergence_level(phi.data(), 8, 5, &early, rows.data()), -2);
  EXPECT_NE(capture.out().find("can not read temporary file at 0 - returned 1 instead of 4\n"),
            std::string::npos);

  lftm::LogRows missing;
  EXPECT_EQ(missing.open_file(dir.file("none").c_str(), 0, 8, 5), -1);
  EXPECT_NE(capture.out().find("can not open temporary file\n"), std::string::npos);
}

}  // namespace
