// SPDX-License-Identifier: BSD-3-Clause
// Bilinear enlargement: values against hand-worked and linear references, edge repetition,
// printed lines and refusals.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "lftm.h"
#include "support/diag_capture.h"

namespace {

TEST(Tm300, TwoByTwoToFourByFour) {
  const std::vector<float> src = {0, 1, 2, 3};
  std::vector<float> dst(16, -1);
  lftm_test::DiagCapture diag;
  EXPECT_EQ(tm300(2, 2, 4, 4, src.data(), dst.data()), 16);
  const std::vector<float> want = {0, 0.5f, 1, 1,  //
                                   1, 1.5f, 2, 2,  //
                                   2, 2.5f, 3, 3,  //
                                   2, 2.5f, 3, 3};
  EXPECT_EQ(dst, want);
  EXPECT_EQ(diag.out(), "");
  EXPECT_EQ(diag.err(),
            "upsampling 2 x 2  to 4 x 4   -  scale 0.50  0.50\n"
            "upsampling positOut: 12\n");
}

TEST(Tm300, TracesSamplesTwoPastEachHalf) {
  std::vector<float> src(16);
  for (int i = 0; i < 16; ++i) src[i] = static_cast<float>(i);  // p(x, y) = x + 4y
  std::vector<float> dst(64);
  lftm_test::DiagCapture diag;
  EXPECT_EQ(tm300(4, 4, 8, 8, src.data(), dst.data()), 64);
  EXPECT_EQ(diag.err(),
            "upsampling 4 x 4  to 8 x 8   -  scale 0.50  0.50\n"
            "2,2   1 1.00  1 1.00    1.00 0.00 0.00 0.00   -  5.00 -> 5.00\n"
            "6,2   3 3.00  1 1.00    1.00 0.00 0.00 0.00   -  7.00 -> 7.00\n"
            "2,6   1 1.00  3 3.00    1.00 0.00 0.00 0.00   -  13.00 -> 13.00\n"
            "6,6   3 3.00  3 3.00    1.00 0.00 0.00 0.00   -  15.00 -> 15.00\n"
            "upsampling positOut: 56\n");
}

TEST(Tm300, ReproducesALinearPlaneAwayFromTheEdges) {
  const int sw = 7, sh = 5, dw = 23, dh = 17;
  std::vector<float> src(sw * sh);
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw; ++x) src[y * sw + x] = 2.0f * x - 3.0f * y + 10.0f;
  std::vector<float> dst(dw * dh);
  lftm_test::DiagCapture diag;
  ASSERT_EQ(tm300(sw, sh, dw, dh, src.data(), dst.data()), dw * dh);
  const double sx = static_cast<double>(sw) / dw, sy = static_cast<double>(sh) / dh;
  for (int i = 0; i < dh - 1; ++i) {
    for (int k = 0; k < dw - 1; ++k) {
      const double fx = sx * k, fy = sy * i;
      if (fx >= sw - 1 || fy >= sh - 1) continue;  // the edge repeats the last source value
      EXPECT_NEAR(dst[i * dw + k], 2 * fx - 3 * fy + 10, 1e-4) << k << "," << i;
    }
    EXPECT_EQ(dst[i * dw + dw - 1], dst[i * dw + dw - 2]);
  }
  for (int k = 0; k < dw; ++k) EXPECT_EQ(dst[(dh - 1) * dw + k], dst[(dh - 2) * dw + k]);
}

TEST(Tm300, RefusesDestinationsBelowTwoByTwoAndOversizedPlanes) {
  const std::vector<float> src(4, 1);
  std::vector<float> dst(16, 0);
  lftm_test::DiagCapture diag;
  EXPECT_EQ(tm300(2, 2, 1, 4, src.data(), dst.data()), -1);
  EXPECT_EQ(tm300(2, 2, 4, 1, src.data(), dst.data()), -1);
  EXPECT_EQ(tm300(2, 2, 0, 0, src.data(), dst.data()), -1);
  EXPECT_EQ(tm300(0, 2, 4, 4, src.data(), dst.data()), -1);
  EXPECT_EQ(tm300(2, -2, 4, 4, src.data(), dst.data()), -1);
  EXPECT_EQ(tm300(2, 2, 65536, 65536, src.data(), nullptr), -1);
  EXPECT_EQ(tm300(65536, 65536, 4, 4, nullptr, dst.data()), -1);
  EXPECT_EQ(dst, std::vector<float>(16, 0));
  EXPECT_EQ(diag.err(), "");
}

}  // namespace
