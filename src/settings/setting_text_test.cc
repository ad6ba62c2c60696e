// SPDX-License-Identifier: BSD-3-Clause
// The settings table as hosts see it: values read from text, fitted and written back exactly
// as the tool, the tuner, the Python module and the sidecar take them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "lftm.h"
#include "lftm_host.h"
#include "platform/setting_value.h"
#include "settings/xmp_format.h"

namespace {

constexpr int32_t kBooster = LFTM_METHOD_TEXTURE_BOOSTER;

int32_t index_of(const char* name) { return lftm_setting_find(kBooster, name, 0); }

// The setting's text as the sidecar writes it, and whether it is a number (1) or a word (2).
std::string text_of(const TmParam& p, const char* name, int32_t* kind = nullptr,
                    int32_t decimals = LFTM_TEXT_AS_SIDECAR) {
  char text[64] = "";
  const int32_t got = lftm_setting_text(kBooster, index_of(name), &p, decimals, text, sizeof text);
  if (kind != nullptr) *kind = got;
  return text;
}

TEST(SettingTextTest, ShortestTextRoundTripsAndRefusesWhatDoesNotFit) {
  char text[64];
  for (float v : {55.55f, 0.1f, -3.5f, 100.0f, 0.000001f, 1e-10f, 3e38f, 16777217.0f}) {
    ASSERT_GT(lftm_format_number(v, LFTM_TEXT_SHORTEST, text, sizeof text), 0) << v;
    float back = 0;
    ASSERT_EQ(lftm_parse_number(text, &back), 0) << text;
    EXPECT_EQ(back, v) << text;
  }
  lftm_format_number(55.55f, LFTM_TEXT_SHORTEST, text, sizeof text);
  EXPECT_STREQ(text, "55.55");
  lftm_format_number(std::numeric_limits<float>::quiet_NaN(), LFTM_TEXT_SHORTEST, text, 64);
  EXPECT_STREQ(text, "nan");
  lftm_format_number(0.25f, 6, text, sizeof text);
  EXPECT_STREQ(text, "0.250000");
  EXPECT_EQ(lftm_format_number(123.5f, 1, text, 5), LFTM_ERR_ARGUMENT);  // needs 6 bytes
  EXPECT_EQ(lftm_format_number(1.0f, LFTM_TEXT_AS_SIDECAR, text, sizeof text), LFTM_ERR_ARGUMENT);
  float value = 7;
  for (const char* bad : {"", "1.5x", "x", "1.5 "}) {
    EXPECT_EQ(lftm_parse_number(bad, &value), LFTM_ERR_SETTING_VALUE) << bad;
  }
  EXPECT_EQ(value, 7);
}

TEST(SettingTextTest, ParseAndFitFollowTheSidecarRules) {
  TmParam p;
  tmparam_default(kBooster, 0, &p);
  int32_t kind = 0;
  // Gamma is given as a gamma value and held as the slider; 0 is no gamma.
  EXPECT_EQ(lftm_setting_parse(kBooster, index_of("Gamma"), "1.2", &p, 0), 0);
  EXPECT_EQ(text_of(p, "Gamma"), "1.2");
  EXPECT_EQ(lftm_setting_parse(kBooster, index_of("Gamma"), "0", &p, 0), LFTM_ERR_SETTING_VALUE);
  // A preset word selects Light, a number Slider.
  EXPECT_EQ(lftm_setting_parse(kBooster, index_of("Smoothing"), "very high", &p, 0), 0);
  EXPECT_EQ(text_of(p, "Smoothing", &kind), "Very High");
  EXPECT_EQ(kind, 2);
  EXPECT_EQ(text_of(p, "SmoothingMode"), "Light");
  EXPECT_EQ(lftm_setting_parse(kBooster, index_of("Smoothing"), "-2.5", &p, 0), 0);
  EXPECT_EQ(text_of(p, "Smoothing", &kind), "-2.5");
  EXPECT_EQ(kind, 1);
  EXPECT_EQ(text_of(p, "SmoothingMode"), "Slider");
  // Range and precision only when asked for; a refused text leaves the block alone.
  const int32_t strength = index_of("Strength");
  EXPECT_EQ(lftm_setting_parse(kBooster, strength, "250", &p, LFTM_SETTING_INTO_RANGE), 1);
  EXPECT_EQ(text_of(p, "Strength"), "100.0");
  EXPECT_EQ(lftm_setting_parse(kBooster, strength, "55.55", &p, LFTM_SETTING_AS_STORED), 0);
  EXPECT_EQ(text_of(p, "Strength", nullptr, LFTM_TEXT_SHORTEST), "55.5");
  EXPECT_EQ(lftm_setting_parse(kBooster, strength, "nan", &p, 0), LFTM_ERR_SETTING_VALUE);
  EXPECT_EQ(lftm_setting_parse(kBooster, index_of("360DegreeImage"), "1", &p, 0), 0);
  EXPECT_EQ(text_of(p, "360DegreeImage"), "Yes");
  EXPECT_EQ(lftm_setting_parse(kBooster, index_of("360DegreeImage"), "maybe", &p, 0),
            LFTM_ERR_SETTING_VALUE);
  p.tmParam[2] = -5;  // ColorSaturation
  EXPECT_EQ(lftm_setting_fit(kBooster, index_of("ColorSaturation"), &p, LFTM_SETTING_INTO_RANGE),
            1);
  EXPECT_EQ(p.tmParam[2], 0);
  p.tmParam[2] = std::numeric_limits<float>::infinity();
  EXPECT_EQ(lftm_setting_fit(kBooster, index_of("ColorSaturation"), &p, 0),
            LFTM_ERR_SETTING_VALUE);
  // Names match as in the sidecar unless any case is asked for.
  EXPECT_EQ(lftm_setting_find(kBooster, "strength", 0), LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_setting_find(kBooster, "strength", 1), strength);
  lftm_setting_info info{};
  info.struct_size = sizeof info - 1;
  EXPECT_EQ(lftm_setting_describe(kBooster, 0, &info), LFTM_ERR_ARGUMENT);
}

// One truncation from a float slot to an integer: NaN reads as 0, values beyond the 32-bit
// range saturate. The sidecar therefore writes a huge preset as the largest one.
TEST(SettingTextTest, SlotsTruncateTowardZeroAndSaturate) {
  EXPECT_EQ(lftm::truncate_setting(-2.7), -2);
  EXPECT_EQ(lftm::truncate_setting(std::nan("")), 0);
  EXPECT_EQ(lftm::truncate_setting(3e9), INT32_MAX);
  EXPECT_EQ(lftm::truncate_setting(-std::numeric_limits<double>::infinity()), INT32_MIN);
  TmParam p;
  tmparam_default(kBooster, 0, &p);
  p.tmParam[16] = 0;  // SmoothingMode Light
  p.tmParam[5] = 1e10f;
  EXPECT_NE(lftm::render_settings_xmp(kBooster, p).find("<lftm:Smoothing>Very Low<"),
            std::string::npos);
}

}  // namespace
