// SPDX-License-Identifier: BSD-3-Clause
#include "squeezer/colour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "squeezer/planar_output.h"
#include "support/diag_capture.h"

namespace {

void chromaticity_of(int kelvin, float* x, float* y) {
  float xyz[3] = {0, 0, 0};
  lftm::daylight_xyz(kelvin, xyz);
  float sum = xyz[0] + xyz[1] + xyz[2];
  *x = xyz[0] / sum;
  *y = xyz[1] / sum;
}

TEST(DaylightWhite, MatchesPublishedIlluminantsOnBothBranches) {
  float x, y;
  chromaticity_of(6500, &x, &y);  // D65
  EXPECT_NEAR(x, 0.31271, 1e-3);
  EXPECT_NEAR(y, 0.32902, 1e-3);
  chromaticity_of(7500, &x, &y);  // D75, above the 7000 K switch
  EXPECT_NEAR(x, 0.29902, 1e-3);
  EXPECT_NEAR(y, 0.31485, 1e-3);
  float xyz[3];
  lftm::daylight_xyz(5000, xyz);
  EXPECT_EQ(xyz[1], 1.0f);
}

TEST(Hsl, PrimariesAndGreys) {
  float hsl[3];
  const float red[3] = {255, 0, 0};
  lftm::rgb_to_hsl(255, red, hsl);
  EXPECT_FLOAT_EQ(hsl[0], 0);
  EXPECT_FLOAT_EQ(hsl[1], 1);
  EXPECT_FLOAT_EQ(hsl[2], 0.5);
  const float blue[3] = {0, 0, 1};
  lftm::rgb_to_hsl(1, blue, hsl);
  EXPECT_NEAR(hsl[0], 2.0 / 3, 1e-6);
  const float grey[3] = {0.25f, 0.25f, 0.25f};
  lftm::rgb_to_hsl(1, grey, hsl);
  EXPECT_EQ(hsl[0], 0);
  EXPECT_EQ(hsl[1], 0);
  EXPECT_FLOAT_EQ(hsl[2], 0.25);
  float rgb[3];
  lftm::hsl_to_rgb(255, hsl, rgb);
  for (float c : rgb) EXPECT_FLOAT_EQ(c, 63.75f);
}

TEST(Hsl, RoundTripOverTheCube) {
  for (int s : {1, 255, 65535}) {
    for (int r = 0; r <= 10; ++r) {
      for (int g = 0; g <= 10; ++g) {
        for (int b = 0; b <= 10; ++b) {
          const float rgb[3] = {s * r / 10.0f, s * g / 10.0f, s * b / 10.0f};
          float hsl[3], back[3];
          lftm::rgb_to_hsl(s, rgb, hsl);
          EXPECT_GE(hsl[0], 0);
          EXPECT_LE(hsl[0], 1);
          lftm::hsl_to_rgb(s, hsl, back);
          for (int c = 0; c < 3; ++c) {
            ASSERT_NEAR(back[c], rgb[c], 2e-5 * s) << s << " " << r << " " << g << " " << b;
          }
        }
      }
    }
  }
}

ImageDesc layout(int w, int h, int spp, int bits, int bgr) {
  ImageDesc d{};
  d.width = w;
  d.height = h;
  d.spp = spp;
  d.bits = bits;
  d.rowStride = w * spp;
  d.bgr = bgr;
  return d;
}

TEST(PlanarConversion, SplitsChannelsWhateverTheirOrder) {
  // Two rows of two pixels; channel values encode pixel and channel.
  const std::vector<uint8_t> rgb = {10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42};
  const std::vector<uint8_t> want = {10, 20, 30, 40, 11, 21, 31, 41, 12, 22, 32, 42};
  std::vector<uint8_t> scratch(12);

  lftm_test::DiagCapture capture;
  std::vector<uint8_t> buf = rgb;
  ImageDesc d = layout(2, 2, 3, 8, 0);
  EXPECT_EQ(lftm::rgb_interleaved2color_planes(&d, scratch.data(), buf.data()), 2);
  EXPECT_EQ(buf, want);
  EXPECT_EQ(capture.err(), "rgb_interleaved2color_planes 2 x 2 \n");

  std::vector<uint8_t> bgr = {12, 11, 10, 22, 21, 20, 32, 31, 30, 42, 41, 40};
  d.bgr = 1;
  EXPECT_EQ(lftm::rgb_interleaved2color_planes(&d, scratch.data(), bgr.data()), 2);
  EXPECT_EQ(bgr, want);

  // 16-bit samples, four samples a pixel: the fourth is dropped.
  std::vector<uint16_t> wide = {1000, 1001, 1002, 9, 2000, 2001, 2002, 9, 0, 0};
  std::vector<uint16_t> scratch16(8);
  ImageDesc d16 = layout(2, 1, 4, 16, 0);
  d16.bgr = 0;
  EXPECT_EQ(lftm::rgb_interleaved2color_planes(&d16, scratch16.data(), wide.data()), 1);
  // red at 0, green at (4 - 1) / 2 = 1, blue at 3
  EXPECT_EQ((std::vector<uint16_t>(wide.begin(), wide.begin() + 6)),
            (std::vector<uint16_t>{1000, 2000, 1001, 2001, 9, 9}));
}

TEST(PlanarConversion, GreyGivesThreeEqualPlanes) {
  std::vector<uint8_t> buf = {1, 2, 3, 4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> scratch(6);
  ImageDesc d = layout(3, 2, 1, 8, 1);
  lftm_test::DiagCapture capture;
  EXPECT_EQ(lftm::rgb_interleaved2color_planes(&d, scratch.data(), buf.data()), 2);
  EXPECT_EQ(buf, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6, 1, 2, 3, 4, 5, 6}));
}

}  // namespace
