// SPDX-License-Identifier: BSD-3-Clause
#include "options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "setting_names.h"

namespace lftm_cli {
namespace {

TEST(OptionsTest, ParsesValuesInBothSpellingsAndKeepsPositionalsInOrder) {
  CliOptions o;
  ASSERT_EQ(parse_options({"in.hdr", "--bits", "16", "--quality=75", "-j", "3", "--disk",
                           "--Strength", "80", "--set", "Gamma=1.2", "--method=squeezer",
                           "out.tif"},
                          &o),
            "");
  EXPECT_EQ(o.bits, 16);
  EXPECT_EQ(o.quality, 75);
  EXPECT_EQ(o.threads, 3);
  EXPECT_TRUE(o.disk);
  EXPECT_EQ(o.method, LFTM_METHOD_RANGE_SQUEEZER);
  ASSERT_EQ(o.settings.size(), 2u);
  EXPECT_EQ(o.settings[0].first, "Strength");
  EXPECT_EQ(o.settings[1].second, "1.2");
  EXPECT_EQ(o.positionals, (std::vector<std::string>{"in.hdr", "out.tif"}));

  // Short flags combine; one that takes a value takes the rest of the group or the next word.
  CliOptions c;
  ASSERT_EQ(parse_options({"-qv", "-j4", "-qb", "16", "--Saturation", "-5", "--version"}, &c),
            "");
  EXPECT_FALSE(c.progress);
  EXPECT_EQ(c.diag, DiagMode::kVerbose);
  EXPECT_EQ(c.threads, 4);
  EXPECT_EQ(c.bits, 16);
  EXPECT_EQ(c.settings[0].second, "-5");
  EXPECT_TRUE(c.version);
}

TEST(OptionsTest, RefusesBadValues) {
  const std::vector<std::vector<std::string>> bad = {
      {"--bits", "12"}, {"--quality", "0"}, {"--threads", "33"}, {"--method", "fast"},
      {"--compression", "jpeg"}, {"-x"}, {"--Strength"}, {"--set", "=3"}};
  for (const auto& args : bad) {
    CliOptions o;
    EXPECT_NE(parse_options(args, &o), "") << args[0];
  }
}

TEST(OptionsTest, ThreadsDefaultToEveryCoreAndStayWithinLimits) {
  EXPECT_GE(resolve_threads(0), 1);
  EXPECT_LE(resolve_threads(0), 32);
  EXPECT_EQ(resolve_threads(5), 5);
  EXPECT_EQ(resolve_threads(100), 32);
}

TEST(SettingNamesTest, SidecarNamesFillTheirSlots) {
  TmParam p;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &p);
  EXPECT_EQ(apply_setting(1, "strength", "80", &p), "");
  EXPECT_EQ(p.tmParam[1], 80.0f);
  EXPECT_EQ(apply_setting(1, "Gamma", "2", &p), "");
  EXPECT_NEAR(p.tmParam[8], 0.0f, 1e-4);
  EXPECT_EQ(apply_setting(1, "Smoothing", "Medium", &p), "");
  EXPECT_EQ(p.tmParam[5], 2.0f);
  EXPECT_EQ(p.tmParam[16], 0.0f);
  EXPECT_EQ(apply_setting(1, "Smoothing", "4.5", &p), "");
  EXPECT_EQ(p.tmParam[17], 4.5f);
  EXPECT_EQ(p.tmParam[16], 1.0f);
  EXPECT_EQ(apply_setting(1, "360DegreeImage", "Yes", &p), "");
  EXPECT_EQ(p.tmParam[15], 1.0f);

  TmParam q;
  tmparam_default(LFTM_METHOD_RANGE_SQUEEZER, 0, &q);
  EXPECT_EQ(apply_setting(2, "Saturation", "-5", &q), "");
  EXPECT_EQ(q.tmParam[13], -5.0f);
  // Names of the other method, words where numbers belong, and bad gammas are refused.
  EXPECT_NE(apply_setting(2, "Strength", "1", &q), "");
  EXPECT_NE(apply_setting(1, "Strength", "strong", &p), "");
  EXPECT_NE(apply_setting(1, "Gamma", "0", &p), "");
  EXPECT_NE(apply_setting(1, "SmoothingMode", "Heavy", &p), "");
}

TEST(SettingNamesTest, FittingClampsToTheRangeAndKeepsTheSidecarsPrecision) {
  TmParam p;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &p);
  for (const char* setting : {"Strength=9999", "ColorSaturation=45.55", "Gamma=1.23456",
                              "WhiteClip=0.12345678", "Smoothing=-55"}) {
    const std::string s = setting;
    ASSERT_EQ(apply_setting(1, s.substr(0, s.find('=')), s.substr(s.find('=') + 1), &p), "");
  }
  std::vector<std::string> notes;
  ASSERT_EQ(fit_settings(1, "", &p, &notes), "");
  EXPECT_EQ(p.tmParam[1], 100.0f);
  EXPECT_EQ(p.tmParam[2], 45.5f);  // 45.55f lies below 45.55
  EXPECT_EQ(p.tmParam[3], 0.123457f);
  EXPECT_EQ(p.tmParam[17], -10.0f);
  EXPECT_NEAR(std::pow(2.0, (50 - p.tmParam[8]) / 50), 1.2, 1e-6);
  EXPECT_EQ(notes.size(), 5u);
  // A block that went through fitting is what its sidecar restores: fitting it again changes
  // nothing and says nothing.
  const TmParam fitted = p;
  notes.clear();
  ASSERT_EQ(fit_settings(1, "", &p, &notes), "");
  EXPECT_TRUE(notes.empty());
  EXPECT_EQ(std::memcmp(&p, &fitted, sizeof p), 0);
  p.tmParam[13] = std::nanf("");
  EXPECT_NE(fit_settings(1, "look.xmp: ", &p, &notes).find("look.xmp: SaturationHighlights"),
            std::string::npos);
}

}  // namespace
}  // namespace lftm_cli
