// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "lftm.h"
#include "support/diag_capture.h"

namespace {

TmParam slider() {
  TmParam p;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &p);
  p.tmParam[16] = 1;
  return p;
}

TmParam light(float preset) {
  TmParam p = slider();
  p.tmParam[16] = 0;
  p.tmParam[5] = preset;
  return p;
}

PyramidDims poisoned() {
  PyramidDims d;
  std::memset(&d, 0x5A, sizeof d);
  return d;
}

bool untouched(const PyramidDims& d) {
  PyramidDims ref = poisoned();
  return std::memcmp(&d, &ref, sizeof d) == 0;
}

TEST(TmDimTest, LargeImageWithSliderSmoothing) {
  TmParam p = slider();
  PyramidDims d = poisoned();
  lftm_test::DiagCapture diag;
  ASSERT_EQ(tm_dim(4000, 3000, &p, &d), 7);
  EXPECT_EQ(d.W0, 4000);
  EXPECT_EQ(d.W, 4000);
  EXPECT_EQ(d.H0, 3000);
  EXPECT_EQ(d.H, 3000);
  EXPECT_EQ(d.rang, 7);
  EXPECT_EQ(d.coarseW, 32);
  EXPECT_EQ(d.coarseH, 24);
  EXPECT_EQ(d.total, 15999979);
  EXPECT_EQ(d.levels2, 10);
  EXPECT_EQ(d.minW, 4);
  EXPECT_EQ(d.minH, 3);
  EXPECT_EQ(d.total2, 16000231);
  EXPECT_EQ(d.reserved, 0x5A5A5A5A) << "the reserved field is not written";
  EXPECT_EQ(diag.out(),
            "tm_dim pour 4000 x 3000\n"
            "tm_dim 0  7\n"
            "W0=4000  H0=3000  min: 4 x 3  - rang: 7   32 x 24  \n");
}

TEST(TmDimTest, LightSmoothingPresets) {
  PyramidDims d = poisoned();
  TmParam high = light(1);
  ASSERT_EQ(tm_dim(4000, 3000, &high, &d), 8);
  EXPECT_EQ(d.coarseW, 16);
  EXPECT_EQ(d.coarseH, 12);
  EXPECT_EQ(d.levels2, 4);
  EXPECT_EQ(d.minW, 250);
  EXPECT_EQ(d.minH, 188);
  EXPECT_EQ(d.total2, 12000000 + 3000000 + 750000 + 187500 + 250 * 188);

  TmParam veryLow = light(4);
  ASSERT_EQ(tm_dim(4000, 3000, &veryLow, &d), 5);
  EXPECT_EQ(d.coarseW, 125);
  EXPECT_EQ(d.coarseH, 94);

  // Presets are truncated toward zero: 4.9 is still "Very Low".
  TmParam fraction = light(4.9f);
  EXPECT_EQ(tm_dim(4000, 3000, &fraction, &d), 5);

  // A preset that is not a number reads as 0 ("Very High"), one beyond any range as a very
  // low one; neither is undefined behaviour.
  TmParam nan = light(std::nanf(""));
  EXPECT_EQ(tm_dim(4000, 3000, &nan, &d), 9);
  TmParam huge = light(1e30f);
  EXPECT_LT(tm_dim(4000, 3000, &huge, &d), 0);
  EXPECT_EQ(d.total, 4000 * 3000);
}

TEST(TmDimTest, DepthOfZeroOrLessKeepsTheImageAsCoarsestLevel) {
  PyramidDims d = poisoned();
  TmParam veryLow = light(4);
  // log2(64 / 32) = 1 on both sides: n = 1, base depth -2.
  ASSERT_EQ(tm_dim(64, 64, &veryLow, &d), -1);
  EXPECT_EQ(d.total, 64 * 64);
  EXPECT_EQ(d.coarseW, 64);
  EXPECT_EQ(d.coarseH, 64);
  EXPECT_EQ(d.levels2, 4);
  EXPECT_EQ(d.minW, 4);
  EXPECT_EQ(d.total2, 4096 + 1024 + 256 + 64 + 16);

  // The smallest accepted image also gives depth -1 with slider smoothing.
  TmParam p = slider();
  ASSERT_EQ(tm_dim(10, 10, &p, &d), -1);
  EXPECT_EQ(d.total, 100);
  EXPECT_EQ(d.coarseW, 10);
  EXPECT_EQ(d.levels2, 2);
  EXPECT_EQ(d.minW, 5);
  EXPECT_EQ(d.minH, 5);
  EXPECT_EQ(d.total2, 100 + 25 + 25);
}

TEST(TmDimTest, NarrowWidthsRoundTowardZero) {
  TmParam p = slider();
  PyramidDims d = poisoned();
  // Height 32 contributes 0, so the depth is the width's term halved toward minus infinity.
  EXPECT_EQ(tm_dim(16, 32, &p, &d), -1);
  for (int w = 17; w <= 31; ++w) EXPECT_EQ(tm_dim(w, 32, &p, &d), 0) << "width " << w;
  // 45 / 32 gives log2 0.49, rounded down; 46 / 32 gives 0.52, rounded up.
  EXPECT_EQ(tm_dim(45, 45, &p, &d), 0);
  EXPECT_EQ(tm_dim(46, 46, &p, &d), 1);
}

TEST(TmDimTest, LongThinImage) {
  TmParam p = slider();
  PyramidDims d = poisoned();
  ASSERT_EQ(tm_dim(12, 4000, &p, &d), 3);
  EXPECT_EQ(d.coarseW, 6);
  EXPECT_EQ(d.coarseH, 2000);
  EXPECT_EQ(d.total, 48000 + 3 * 12000);
  EXPECT_EQ(d.levels2, 6);
  EXPECT_EQ(d.minW, 3);
  EXPECT_EQ(d.minH, 1000);
  EXPECT_EQ(d.total2, 48000 + 12000 + 5 * 3000);
}

TEST(TmDimTest, RefusesWithoutWritingTheRecord) {
  TmParam p = slider();
  for (auto size : {std::make_pair(9, 1000), std::make_pair(1000, 9), std::make_pair(0, 0),
                    std::make_pair(-20, 100)}) {
    PyramidDims d = poisoned();
    lftm_test::DiagCapture diag;
    EXPECT_EQ(tm_dim(size.first, size.second, &p, &d), -1);
    EXPECT_TRUE(untouched(d));
    EXPECT_EQ(diag.out(), "tm_dim pour " + std::to_string(size.first) + " x " +
                              std::to_string(size.second) + "\n");
  }
  // Pyramids whose float count does not fit 32 bits are refused the same way.
  PyramidDims d = poisoned();
  EXPECT_EQ(tm_dim(50000, 50000, &p, &d), -1);
  EXPECT_TRUE(untouched(d));
}

}  // namespace
