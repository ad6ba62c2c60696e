// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/finish_tile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "booster/finish/finish_constants.h"
#include "support/booster_inputs.h"
#include "support/diag_capture.h"
#include "support/rgbe_images.h"

namespace {

using lftm_test::booster_defaults;
using lftm_test::image_desc;
using lftm_test::scene_stats;

lftm::FinishConstants constants(int docType, const TmParam& p, int bits = 16) {
  lftm::FinishConstants k;
  std::vector<float> table = lftm_test::reference_exp_table();
  ImageDesc d = image_desc(4, 4, 3, bits);
  lftm::make_finish_constants(docType, d, p, scene_stats(), table.data(), &k);
  return k;
}

TmParam with(int slot, float value, TmParam p = booster_defaults()) {
  p.tmParam[slot] = value;
  return p;
}

TEST(FinishConstants, SettingsMapToTheirCurves) {
  lftm::FinishConstants weak = constants(0, with(1, 0.5f));
  EXPECT_EQ(weak.stre, 1);
  EXPECT_NEAR(weak.mixW, 0.891, 1e-5);
  EXPECT_NEAR(constants(1, with(1, 40)).mixW, 0.456, 1e-3);
  EXPECT_NEAR(constants(2, with(1, 40)).mixW, 0.456, 1e-3);
  EXPECT_NEAR(constants(1, with(1, 70)).mixW, 0.0051 * 59.4, 1e-5);
  EXPECT_EQ(constants(5, with(1, 70)).mixW, 0);

  EXPECT_NEAR(constants(0, with(2, 50)).gammaD, 0.45, 1e-6);
  EXPECT_NEAR(constants(0, with(2, 51)).gammaD, 0.361, 1e-6);
  const struct {
    float valSat;
    int steps;
    float factor;
  } sat[] = {{46, 0, 1.0f}, {40, 0, 1.0f}, {60, 2, 1.2f}, {30, -4, 0.6f}};
  for (const auto& s : sat) {
    lftm::FinishConstants k = constants(0, with(2, s.valSat));
    EXPECT_EQ(k.satSteps, s.steps) << s.valSat;
    EXPECT_NEAR(k.satFactor, s.factor, 1e-6) << s.valSat;
  }

  lftm::FinishConstants steep = constants(0, with(8, -100));
  EXPECT_NEAR(steep.gamma, 8, 1e-5);
  EXPECT_EQ(steep.dGamma, 1);
  EXPECT_NEAR(constants(0, with(8, 0)).dGamma, 2, 1e-6);
  EXPECT_NEAR(constants(10, with(8, 0)).dGamma, 4.4, 1e-5);

  // Shadow smoothing alone leaves the smoothing scale at 1; highlight smoothing sets it from
  // the white clip and the clip luminance.
  EXPECT_EQ(constants(0, with(10, 30)).highlightScale, 1);
  EXPECT_NEAR(constants(0, with(9, 30)).highlightScale, (1 - 0.00251) / std::exp(4.0), 1e-6);
}

// Runs finish_tile in memory mode on one row of pixels and returns the samples.
template <typename Sample>
std::vector<Sample> finish(int docType, ImageDesc d, const TmParam& p, const void* input,
                           std::vector<float> lum, size_t outSamples = 0) {
  std::vector<float> table = lftm_test::reference_exp_table();
  std::vector<float> lut = lftm_test::linear_lut();
  LumStats stats = scene_stats();
  TmFiles files{};
  std::vector<Sample> out(outSamples ? outSamples : static_cast<size_t>(d.height) * d.rowStride,
                          Sample(7));
  lftm_test::DiagCapture quiet;
  EXPECT_EQ(lftm::finish_tile(docType, &d, &p, &stats, table.data(), lut.data(), &files, input,
                              lum.data(), out.data()),
            d.height);
  return out;
}

// RGBE planar row of grey pixels (mantissa 128) with the given exponents.
std::vector<uint8_t> grey_rgbe_row(const std::vector<uint8_t>& exponents) {
  size_t w = exponents.size();
  std::vector<uint8_t> row(4 * w, 128);
  for (size_t x = 0; x < w; ++x) row[3 * w + x] = exponents[x];
  return row;
}

TEST(FinishTileTest, BlackPixelsAndPlainGreys) {
  TmParam p = with(1, 100);  // no logarithmic mix for RGBE input
  std::vector<uint8_t> row = grey_rgbe_row({0, 136, 130});
  row[0] = row[3] = row[6] = 200;  // mantissas of the exponent-0 pixel do not count
  std::vector<uint16_t> out =
      finish<uint16_t>(0, image_desc(3, 1, 3, 16), p, row.data(), {0.9f, 0.5f, 0.25f});
  std::vector<uint16_t> expect = {0, 0, 0, 32767, 32767, 32767, 16383, 16383, 16383};
  for (size_t i = 0; i < out.size(); ++i) EXPECT_NEAR(out[i], expect[i], 1) << i;

  std::vector<uint8_t> out8 =
      finish<uint8_t>(0, image_desc(3, 1, 3, 8), p, row.data(), {0.9f, 0.5f, 2.0f});
  EXPECT_EQ(out8, (std::vector<uint8_t>{0, 0, 0, 127, 127, 127, 255, 255, 255}));

  // Float pixels without positive luminance are black too.
  const float floats[] = {0, 0, 0, -1, 0.1f, 0.1f};
  EXPECT_EQ(finish<uint16_t>(10, image_desc(2, 1, 3, 16), p, floats, {0.5f, 0.5f}),
            std::vector<uint16_t>(6, 0));
}

TEST(FinishTileTest, SaturationAndWhiteBalanceShapeTheColour) {
  // A reddish RGBE pixel: full saturation keeps the source ratios, none gives a grey.
  std::vector<uint8_t> row = {200, 100, 50, 136};
  float y = 0.2126f * 200 + 0.7152f * 100 + 0.0722f * 50;
  std::vector<uint16_t> full =
      finish<uint16_t>(0, image_desc(1, 1, 3, 16), with(2, 100, with(1, 100)), row.data(), {0.4f});
  EXPECT_NEAR(full[0], 200 / y * 0.4f * 65535, 2);
  EXPECT_NEAR(full[1], 100 / y * 0.4f * 65535, 2);
  EXPECT_NEAR(full[2], 50 / y * 0.4f * 65535, 2);
  std::vector<uint16_t> none =
      finish<uint16_t>(0, image_desc(1, 1, 3, 16), with(2, 0, with(1, 100)), row.data(), {0.4f});
  EXPECT_EQ(none[0], none[1]);
  EXPECT_EQ(none[1], none[2]);

  // ColorTemperature 0.5 balances towards 6370 K: a grey turns warm; 0 leaves it grey.
  std::vector<uint8_t> grey = grey_rgbe_row({136});
  std::vector<uint16_t> neutral =
      finish<uint16_t>(0, image_desc(1, 1, 3, 16), with(12, 0), grey.data(), {0.5f});
  EXPECT_EQ(neutral[0], neutral[2]);
  std::vector<uint16_t> warm =
      finish<uint16_t>(0, image_desc(1, 1, 3, 16), with(12, 0.5f), grey.data(), {0.5f});
  EXPECT_GT(warm[0], warm[1]);
  EXPECT_GT(warm[1], warm[2]);
}

TEST(FinishTileTest, ShadowClippingPullsDeepShadowsToTheFloor) {
  // Scene log luminance -5 .. 5, median 0: ShadowsClipping 50 clips below -4.5 and blends
  // up to -2.5. Grey RGBE pixels at log luminance -6.24, -3.47 and 4.85.
  TmParam p = with(11, 50, with(1, 100));
  std::vector<uint8_t> row = grey_rgbe_row({120, 124, 136});
  std::vector<uint16_t> out =
      finish<uint16_t>(0, image_desc(3, 1, 3, 16), p, row.data(), {0.5f, 0.5f, 0.5f});
  EXPECT_NEAR(out[0], 0.02f * 65535, 1);
  EXPECT_GT(out[3], 0.02f * 65535 + 1);
  EXPECT_LT(out[3], 0.5f * 65535 - 1);
  EXPECT_NEAR(out[6], 0.5f * 65535, 1);
}

TEST(FinishTileTest, InterleavedLayoutsReadTheSameColours) {
  // Two pixels, bgr order, rows padded to 8 samples; 16-bit and 8-bit samples through a lut
  // that maps both to the same linear values.
  ImageDesc d = image_desc(2, 2, 3, 16);
  d.bgr = 1;
  d.rowStride = 8;
  const uint16_t s16[] = {10, 20, 30, 40, 50, 60, 0, 0, 60, 50, 40, 30, 20, 10, 0, 0};
  uint8_t s8[16];
  for (int i = 0; i < 16; ++i) s8[i] = static_cast<uint8_t>(s16[i]);
  std::vector<float> lum = {0.2f, 0.4f, 0.6f, 0.8f};
  std::vector<uint16_t> a = finish<uint16_t>(1, d, booster_defaults(), s16, lum);
  std::vector<uint16_t> b = finish<uint16_t>(2, d, booster_defaults(), s8, lum);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a[6], 7);  // row padding is left as it was
  EXPECT_EQ(a[15], 7);
  // Blue comes first in bgr order: the first pixel (blue 10, red 30) is reddish.
  EXPECT_GT(a[2], a[0]);
  // In red, green, blue order the same samples (red 10, blue 30) are bluish.
  d.bgr = 0;
  std::vector<uint16_t> rgb = finish<uint16_t>(1, d, booster_defaults(), s16, lum);
  EXPECT_GT(rgb[2], rgb[0]);
}

}  // namespace
