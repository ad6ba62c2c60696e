// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "lftm.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/sidecar_text.h"
#include "support/temp_dir.h"
#include "settings/stored_settings.h"
#include "settings/xmp_reader.h"

namespace {

using lftm_test::DiagCapture;
using lftm_test::filled_block;
using lftm_test::sidecar_text;
using lftm_test::TempDir;
using lftm_test::write_text;

constexpr float kUntouched = -777.0f;

class XmpReaderTest : public ::testing::Test {
 protected:
  // Writes `text` and reads it with `method` into `block`; the printed line is kept.
  int32_t parse_text(const std::string& text, int32_t method, TmParam* block) {
    const std::string path = dir_.file("in.xmp");
    EXPECT_TRUE(write_text(path, text));
    DiagCapture capture;
    const int32_t result = parse_xmp(path.c_str(), method, block);
    printed_ = capture.out();
    return result;
  }
  int32_t parse_body(const std::string& body, int32_t method, TmParam* block) {
    return parse_text(sidecar_text(body), method, block);
  }

  TempDir dir_;
  std::string printed_;
};

// Slots a method's sidecar carries.
std::vector<int> slots_of(int method) {
  switch (method) {
    case 1:
      return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    case 2:
      return {0, 1, 2, 3, 4, 12, 13};
    case 10:
      return {0, 1, 2, 3, 4, 5, 6};
    default:
      return {0, 1, 2};
  }
}

TEST_F(XmpReaderTest, EveryMethodRoundTrips) {
  for (int method : {1, 2, 10, 11}) {
    for (float smoothing_mode : {0.0f, 1.0f}) {
      if (method != 1 && smoothing_mode == 0.0f) continue;
      TmParam written;
      for (int i = 0; i < 20; ++i) written.tmParam[i] = 10.5f * i - 40.0f;  // one decimal each
      if (method != 11) written.tmParam[method == 10 ? 4 : 3] = 0.125f;  // six decimals
      written.tmParam[5] = 3;
      written.tmParam[8] = 0;       // gamma 2.0
      written.tmParam[15] = 1;
      written.tmParam[16] = smoothing_mode;
      const std::string path = dir_.file("rt.xmp");
      ASSERT_EQ(write_xmp(path.c_str(), method, &written), 1);

      TmParam read = filled_block(kUntouched);
      DiagCapture quiet;
      EXPECT_GT(parse_xmp(path.c_str(), method, &read), 0);
      std::vector<int> carried = slots_of(method);
      for (int i = 0; i < 20; ++i) {
        const bool in_file = std::find(carried.begin(), carried.end(), i) != carried.end();
        float expected = in_file ? written.tmParam[i] : kUntouched;
        if (method == 1 && i == (smoothing_mode == 1.0f ? 5 : 17)) expected = kUntouched;
        if (i == 8) expected = method == 1 ? 0.0f : 50.0f;  // no gamma element: neutral
        EXPECT_EQ(read.tmParam[i], expected) << "method " << method << " slot " << i;
      }
    }
  }
}

TEST_F(XmpReaderTest, ScanCountAndFinalLine) {
  TmParam p;
  tmparam_default(1, 0, &p);
  p.tmParam[15] = 1;
  const std::string path = dir_.file("count.xmp");
  ASSERT_EQ(write_xmp(path.c_str(), 1, &p), 1);
  const std::string written = lftm_test::read_text(path);
  TmParam read = p;
  DiagCapture capture;
  // The scan ends with the line that closes the description.
  const size_t end = written.find("</rdf:Description>\n") + 19;
  EXPECT_EQ(parse_xmp(path.c_str(), 1, &read), static_cast<int32_t>(end));
  EXPECT_EQ(capture.out(), "parse_xmp  fin -  param15: 1.00    70.0 46.0\n");
}

TEST_F(XmpReaderTest, QueryModeNamesTheMethodAndStoresNothing) {
  TmParam p;
  tmparam_default(1, 0, &p);
  const std::string path = dir_.file("q.xmp");
  for (int method : {1, 2, 10, 11}) {
    ASSERT_EQ(write_xmp(path.c_str(), method, &p), 1);
    TmParam read = filled_block(kUntouched);
    DiagCapture quiet;
    EXPECT_EQ(parse_xmp(path.c_str(), -1, &read), method);
    for (float s : read.tmParam) EXPECT_EQ(s, kUntouched);
    EXPECT_EQ(parse_xmp(path.c_str(), -1, nullptr), method);
  }
  TmParam read = filled_block(kUntouched);
  const std::string old_names =
      "<lftm:Version>2.0</lftm:Version>\n<lftm:Method>Edge Lifter</lftm:Method>\n";
  EXPECT_EQ(parse_body(old_names, -1, &read), 1);
  EXPECT_EQ(parse_body("<lftm:Method>Gentle Shift v2</lftm:Method>\n", -1, &read), 2);
  EXPECT_EQ(parse_body("<lftm:Method>Mystery</lftm:Method>\n", -1, &read), 0);
  // Without a method element the whole file is scanned, and still nothing is stored.
  EXPECT_GT(parse_body("<lftm:Gamma>2.0</lftm:Gamma>\n", -1, &read), 0);
  for (float s : read.tmParam) EXPECT_EQ(s, kUntouched);
}

TEST_F(XmpReaderTest, MethodMismatchGivesMinusFive) {
  TmParam read = filled_block(kUntouched);
  const std::string booster = "<lftm:Method>Texture Booster</lftm:Method>\n";
  EXPECT_EQ(parse_body(booster, 2, &read), -5);
  EXPECT_EQ(parse_body(booster, 5, &read), -5);
  EXPECT_EQ(parse_body(booster, 0, &read), -5);
  EXPECT_TRUE(printed_.empty());
  // An unknown name is code 0, which a request of 0 accepts; other requests read no slot.
  EXPECT_GT(parse_body("<lftm:Method>Mystery</lftm:Method>\n", 0, &read), 0);
  EXPECT_GT(parse_body("<lftm:Strength>3</lftm:Strength>\n", 7, &read), 0);
  EXPECT_EQ(read.tmParam[1], kUntouched);
  // A second, different method later in the file is refused too.
  EXPECT_EQ(parse_body(booster + "<lftm:Method>Blend/Tune</lftm:Method>\n", 1, &read), -5);
}

TEST_F(XmpReaderTest, FilesThatAreNoSidecar) {
  TmParam read = filled_block(kUntouched);
  EXPECT_EQ(parse_xmp(dir_.file("absent.xmp").c_str(), 1, &read), -1);
  EXPECT_EQ(parse_xmp(nullptr, 1, &read), -1);
  EXPECT_EQ(parse_text("", 1, &read), -10);
  EXPECT_EQ(parse_text("<lftm:Strength>3</lftm:Strength>\nmore\nlines\n", 1, &read), -10);
  // The declaration must come early enough to leave room for settings behind it.
  EXPECT_EQ(parse_text("a\nxmlns:lftm='x'>\n", 1, &read), -10);
  // A line of 256 bytes or more ends the search for the declaration.
  EXPECT_EQ(parse_text(std::string(300, ' ') + "\n" + sidecar_text(""), 1, &read), -10);
  for (float s : read.tmParam) EXPECT_EQ(s, kUntouched);
  EXPECT_TRUE(printed_.empty());
}

TEST_F(XmpReaderTest, OlderFormatVersions) {
  TmParam read = filled_block(kUntouched);
  parse_body("<lftm:Version>2.4</lftm:Version>\n"
             "<lftm:Microcontrast>Medium Low</lftm:Microcontrast>\n"
             "<lftm:NoiseSmoothing>4.7</lftm:NoiseSmoothing>\n"
             "<lftm:360DegreeImage>Yes</lftm:360DegreeImage>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[6], -6.0f);
  EXPECT_EQ(read.tmParam[7], 4.0f);          // integer under the legacy flag
  EXPECT_EQ(read.tmParam[15], kUntouched);   // not read from legacy files

  read = filled_block(kUntouched);
  parse_body("<lftm:Version>3.0</lftm:Version>\n"
             "<lftm:Strength>12.5</lftm:Strength><lftm:WhiteClip>0.5</lftm:WhiteClip>\n"
             "<lftm:Microcontrast>-3.5</lftm:Microcontrast>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[1], 12.0f);
  EXPECT_EQ(read.tmParam[3], 0.5f);  // never an integer
  EXPECT_EQ(read.tmParam[6], -3.0f);

  read = filled_block(kUntouched);
  parse_body("<lftm:Version>3.2</lftm:Version>\n"
             "<lftm:Microcontrast>12.5</lftm:Microcontrast><lftm:Strength>12.5</lftm:Strength>\n"
             "<lftm:360DegreeImage>Yes</lftm:360DegreeImage>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[6], 12.5f);
  EXPECT_EQ(read.tmParam[1], 12.5f);
  EXPECT_EQ(read.tmParam[15], 1.0f);

  // A first settings line without the version is read as legacy, and that stays.
  read = filled_block(kUntouched);
  parse_body("<lftm:Luminosity>1.5</lftm:Luminosity>\n"
             "<lftm:Version>3.2</lftm:Version><lftm:Strength>2.5</lftm:Strength>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[0], 1.0f);
  EXPECT_EQ(read.tmParam[1], 2.0f);

  // The earlier name of micro-smoothing loses to the current one when it comes later.
  read = filled_block(kUntouched);
  parse_body("<lftm:Version>1.2</lftm:Version>\n"
             "<lftm:Microcontrast>Extreme</lftm:Microcontrast><lftm:Microsmoothing>5"
             "</lftm:Microsmoothing><lftm:NoiseSmoothing>6</lftm:NoiseSmoothing>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[6], kUntouched);  // no word of the scale
  EXPECT_EQ(read.tmParam[7], 5.0f);
}

TEST_F(XmpReaderTest, GammaAndSmoothingRules) {
  TmParam read = filled_block(kUntouched);
  parse_body("<lftm:Strength>1</lftm:Strength>\n", 1, &read);
  EXPECT_EQ(read.tmParam[8], 50.0f);  // no gamma element
  read = filled_block(kUntouched);
  parse_body("<lftm:Brightness>1</lftm:Brightness>\n", 2, &read);
  EXPECT_EQ(read.tmParam[8], 50.0f);
  read = filled_block(kUntouched);
  parse_body("<lftm:Version>3.0</lftm:Version><lftm:Gamma>2.0</lftm:Gamma>\n", 1, &read);
  EXPECT_EQ(read.tmParam[8], 0.0f);  // gamma is never read as an integer

  // The smoothing line before the mode line follows the caller's mode.
  read = filled_block(kUntouched);
  read.tmParam[16] = 0;
  parse_body("<lftm:Version>3.2</lftm:Version>\n<lftm:Smoothing>Low</lftm:Smoothing>\n"
             "<lftm:SmoothingMode>Slider</lftm:SmoothingMode>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[5], 3.0f);
  EXPECT_EQ(read.tmParam[16], 1.0f);
  EXPECT_EQ(read.tmParam[17], kUntouched);

  read = filled_block(kUntouched);
  read.tmParam[16] = 1;
  parse_body("<lftm:Version>3.2</lftm:Version>\n<lftm:Smoothing>Low</lftm:Smoothing>\n"
             "<lftm:SmoothingMode>Light</lftm:SmoothingMode>\n"
             "<lftm:Smoothing>Very High</lftm:Smoothing>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[17], kUntouched);  // "Low" is no number
  EXPECT_EQ(read.tmParam[16], 0.0f);
  EXPECT_EQ(read.tmParam[5], 0.0f);

  // A mode set earlier in the same line counts; an unknown mode word stores nothing.
  read = filled_block(kUntouched);
  parse_body("<lftm:Version>3.2</lftm:Version>\n"
             "<lftm:Smoothing>7.5</lftm:Smoothing><lftm:SmoothingMode>Slider</lftm:SmoothingMode>"
             "\n<lftm:SmoothingMode>Heavy</lftm:SmoothingMode>\n",
             1, &read);
  EXPECT_EQ(read.tmParam[16], 1.0f);
  EXPECT_EQ(read.tmParam[17], 7.5f);
  EXPECT_EQ(read.tmParam[5], kUntouched);
}

TEST_F(XmpReaderTest, WhereValuesAreFound) {
  TmParam read = filled_block(kUntouched);
  // Settings on the declaration's line are not read; a value one byte behind the tag is.
  parse_text("<rdf:Description xmlns:lftm='x'><lftm:Strength>5</lftm:Strength>\n"
             "<lftm:Version>3.2</lftm:Version><lftm:Luminosity>'2.5'</lftm:Luminosity>\n"
             "<lftm:ColorSaturation>x</lftm:ColorSaturation>\n"
             "<lftm:ColorSaturation>9</lftm:ColorSaturation>\n"
             "</rdf:Description>\n<lftm:BlackClip>1</lftm:BlackClip>\n\n",
             1, &read);
  EXPECT_EQ(read.tmParam[1], kUntouched);
  EXPECT_EQ(read.tmParam[0], 2.5f);
  EXPECT_EQ(read.tmParam[2], kUntouched);  // the first element counts, even unreadable
  EXPECT_EQ(read.tmParam[4], kUntouched);  // behind the end marker

  // A line of 255 bytes with its LF is read; a longer one ends the settings.
  const std::string tag = "<lftm:Strength>8</lftm:Strength>";
  const std::string fits = std::string(255 - 1 - tag.size(), ' ') + tag + "\n";
  const std::string too_long = std::string(256 - 1 - tag.size(), ' ') + tag + "\n";
  read = filled_block(kUntouched);
  parse_body("<lftm:Version>3.2</lftm:Version>\n" + fits, 1, &read);
  EXPECT_EQ(read.tmParam[1], 8.0f);
  read = filled_block(kUntouched);
  EXPECT_GT(parse_body("<lftm:Version>3.2</lftm:Version>\n" + too_long +
                           "<lftm:Luminosity>1</lftm:Luminosity>\n",
                       1, &read),
            0);
  EXPECT_EQ(read.tmParam[1], kUntouched);
  EXPECT_EQ(read.tmParam[0], kUntouched);

  // A last line without LF is not processed; with bytes behind its LF it is.
  const std::string head = sidecar_text("").substr(0, sidecar_text("").find("</rdf:Desc"));
  read = filled_block(kUntouched);
  parse_text(head + "<lftm:Version>3.2</lftm:Version>\n<lftm:Strength>4</lftm:Strength>", 1,
             &read);
  EXPECT_EQ(read.tmParam[1], kUntouched);
  read = filled_block(kUntouched);
  parse_text(head + "<lftm:Version>3.2</lftm:Version>\n<lftm:Strength>4</lftm:Strength>\nx\n",
             1, &read);
  EXPECT_EQ(read.tmParam[1], 4.0f);
}

// settings_as_stored is write_xmp then parse_xmp without the file, for odd values of every
// method, both smoothing modes and gammas that the file rounds.
TEST(StoredSettings, MatchAWrittenAndReadSidecar) {
  TempDir dir;
  const std::string path = dir.file("s.xmp");
  DiagCapture quiet;
  for (int32_t method : {1, 2, 10, 11}) {
    for (float odd : {0.0f, 55.55f, -3.14159f, 0.1234567f, 1e6f}) {
      TmParam p;
      for (int i = 0; i < 20; ++i) p.tmParam[i] = odd * static_cast<float>(i % 3 + 1);
      p.tmParam[16] = odd > 1 ? 1.0f : 0.0f;
      p.tmParam[5] = 2;
      p.tmParam[15] = odd > 1 ? 1.0f : 0.0f;
      TmParam base = filled_block(kUntouched);
      ASSERT_EQ(write_xmp(path.c_str(), method, &p), 1);
      TmParam read = base;
      ASSERT_GT(parse_xmp(path.c_str(), method, &read), 0);
      const TmParam stored = lftm::settings_as_stored(method, p, base);
      for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(std::memcmp(&stored.tmParam[i], &read.tmParam[i], sizeof(float)), 0)
            << "method " << method << " value " << odd << " slot " << i;
      }
    }
  }
}

// The report names elements whose value the reader could not take; "No" is a value.
TEST(StoredSettings, ReportNamesUnreadableValues) {
  TempDir dir;
  const std::string path = dir.file("r.xmp");
  ASSERT_TRUE(write_text(path, sidecar_text("<lftm:Version>3.2</lftm:Version>\n"
                                            "<lftm:Strength>abc</lftm:Strength>\n"
                                            "<lftm:SmoothingMode>Banana</lftm:SmoothingMode>\n"
                                            "<lftm:Luminosity>2.5</lftm:Luminosity>\n"
                                            "<lftm:360DegreeImage>No</lftm:360DegreeImage>\n")));
  DiagCapture quiet;
  TmParam p;
  tmparam_default(1, 0, &p);
  lftm::SidecarReadReport report;
  ASSERT_GT(lftm::read_settings_file(path.c_str(), 1, &p, &report,
                                     lftm::ReadAnnouncement::kSilent),
            0);
  EXPECT_TRUE(report.found[1] && report.unreadable[1]);
  EXPECT_TRUE(report.found[16] && report.unreadable[16]);
  EXPECT_TRUE(report.found[0] && !report.unreadable[0]);
  EXPECT_TRUE(report.found[15] && !report.unreadable[15]);
  EXPECT_FALSE(report.found[2]);
  EXPECT_EQ(p.tmParam[1], 70.0f);
  EXPECT_EQ(p.tmParam[0], 2.5f);
}

}  // namespace
