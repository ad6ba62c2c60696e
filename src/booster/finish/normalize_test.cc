// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/normalize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "booster/finish/cubic.h"
#include "settings/settings_table.h"
#include "support/booster_inputs.h"
#include "support/diag_capture.h"

namespace {

using lftm_test::booster_defaults;

TEST(CubicCoeffs, MeetsItsFourConditions) {
  const float cases[][4] = {{-4.5f, 1, -3.5f, 0.5f}, {0, 0, 0.75f, 0.2f}, {1.5f, -0.3f, 0.75f, -0.15f},
                            {-1.5f, 0.4f, -0.75f, 0.2f}, {2, 10, 5, -3}};
  for (const auto& c : cases) {
    float x0 = c[0], y0 = c[1], x1 = c[2], y1 = c[3];
    lftm::Cubic p = lftm::cubic_coeffs(x0, y0, x1, y1);
    float tol = 1e-4f * (1 + std::fabs(y0) + std::fabs(y1));
    EXPECT_NEAR(lftm::cubic_at(p, x0), y0, tol);
    EXPECT_NEAR(lftm::cubic_at(p, x1), y1, tol);
    EXPECT_NEAR(3 * p.k3 * x0 * x0 + 2 * p.k2 * x0 + p.k1, 0, tol);
    EXPECT_NEAR(6 * p.k3 * x1 + 2 * p.k2, 0, tol);
  }
  lftm::Cubic flat = lftm::cubic_coeffs(1, 2, 1, 3);
  EXPECT_EQ(flat.k3, 0);
  EXPECT_EQ(flat.k2, 0);
  EXPECT_EQ(flat.k1, 0);
  EXPECT_EQ(flat.k0, 0);
}

struct Normalized {
  int result;
  std::vector<float> plane;
  std::string out;
};

Normalized normalize(std::vector<float> plane, int width, float whiteClip, float blackClip) {
  TmParam p = booster_defaults();
  p.tmParam[lftm::kBoosterWhiteClip] = whiteClip;
  p.tmParam[lftm::kBoosterBlackClip] = blackClip;
  ImageDesc d = lftm_test::image_desc(width, width > 0 ? static_cast<int>(plane.size()) / width : 0, 3, 16);
  lftm_test::DiagCapture capture;
  int result = lftm::normalize_luminance(&d, &p, plane.data());
  return Normalized{result, plane, capture.out()};
}

// 1000 evenly spaced values from 0 to 1.
std::vector<float> uniform_plane() {
  std::vector<float> plane(1000);
  for (int i = 0; i < 1000; ++i) plane[i] = i / 999.0f;
  return plane;
}

TEST(NormalizeLuminanceTest, BlackAndWhitePointsFromTheHistogram) {
  Normalized n = normalize(uniform_plane(), 100, 0.25f, 0);
  ASSERT_EQ(n.result, 10);
  EXPECT_NE(n.out.find("-- planch=0  plaf=65402 -- "), std::string::npos) << n.out;
  // Without black clipping the darkest value stays at 0 and the scale is linear; the 0.25%
  // brightest values pass 1.
  EXPECT_EQ(n.plane[0], 0);
  EXPECT_NEAR(n.plane[500] / n.plane[250], 2.0, 1e-5);
  EXPECT_EQ(std::count_if(n.plane.begin(), n.plane.end(), [](float v) { return v > 1; }), 3);

  // BlackClip 10 sends 10 / 200 of the pixels to 0.
  Normalized black = normalize(uniform_plane(), 100, 0.25f, 10);
  EXPECT_EQ(std::count(black.plane.begin(), black.plane.end(), 0.0f), 50);

  // Settings outside 0 .. 10 fall back to the defaults.
  for (float white : {12.0f, -1.0f}) {
    EXPECT_EQ(normalize(uniform_plane(), 100, white, 11).plane, n.plane) << white;
  }
}

TEST(NormalizeLuminanceTest, FlatAndDegeneratePlanesGiveFiniteValues) {
  Normalized flat = normalize(std::vector<float>(64, 2.0f), 8, 0.25f, 0);
  ASSERT_EQ(flat.result, 8);
  EXPECT_NE(flat.out.find("max <= min\n"), std::string::npos);
  EXPECT_NE(flat.out.find("planch=0  plaf=32766 "), std::string::npos) << flat.out;
  for (float v : flat.plane) EXPECT_FLOAT_EQ(v, 32767.5f / 32766);

  // All zeros, and a plane whose white point falls into the lowest bin: no division by zero.
  Normalized zeros = normalize(std::vector<float>(64, 0.0f), 8, 0.25f, 0);
  for (float v : zeros.plane) EXPECT_EQ(v, 0);
  std::vector<float> mostlyDark(10000, 0.0f);
  std::fill(mostlyDark.begin(), mostlyDark.begin() + 10, 1.0f);
  Normalized dark = normalize(mostlyDark, 100, 0.25f, 0);
  ASSERT_EQ(dark.result, 100);
  for (float v : dark.plane) ASSERT_TRUE(std::isfinite(v));
  EXPECT_EQ(dark.plane[9999], 0);
  EXPECT_GT(dark.plane[0], 1);
}

TEST(NormalizeLuminanceTest, RefusesNegativePlanesUnchanged) {
  std::vector<float> plane = uniform_plane();
  plane[567] = -0.001f;
  Normalized n = normalize(plane, 100, 0.25f, 0);
  EXPECT_EQ(n.result, -101);
  EXPECT_EQ(n.plane, plane);
}

TEST(NormalizeLuminanceTest, PlanesOfFewerThan32ValuesShowEveryValue) {
  Normalized tiny = normalize({0.1f, 0.2f, 0.3f, 0.4f, 0.5f}, 5, 0.25f, 0);
  ASSERT_EQ(tiny.result, 1);
  EXPECT_NE(tiny.out.find("tm30  vectI: 0.1000    0 \n"), std::string::npos) << tiny.out;
  EXPECT_NE(tiny.out.find("tm30  vectI: 0.5000    4 \n"), std::string::npos) << tiny.out;
}

}  // namespace
