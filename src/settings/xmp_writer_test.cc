// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <string>

#include "lftm.h"
#include "support/files.h"
#include "support/sidecar_text.h"
#include "support/temp_dir.h"
#include "settings/xmp_format.h"

namespace {

using lftm_test::read_text;
using lftm_test::TempDir;

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

TEST(XmpWriterTest, DefaultBoosterBlockGivesTheExactFile) {
  TempDir dir;
  TmParam p;
  tmparam_default(1, 0, &p);
  const std::string path = dir.file("default.xmp");
  ASSERT_EQ(write_xmp(path.c_str(), 1, &p), 1);
  EXPECT_EQ(read_text(path),
            "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n"
            "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n"
            "\n"
            "<rdf:Description rdf:about=''\n"
            "xmlns:lftm='http://ns.lftm.invalid/tone_mapping_settings'>\n"
            "<lftm:Version>3.2</lftm:Version>\n"
            "<lftm:Method>Texture Booster</lftm:Method>\n"
            "<lftm:Strength>70.0</lftm:Strength>\n"
            "<lftm:ColorSaturation>46.0</lftm:ColorSaturation>\n"
            "<lftm:Luminosity>0.0</lftm:Luminosity>\n"
            "<lftm:WhiteClip>0.250000</lftm:WhiteClip>\n"
            "<lftm:BlackClip>0.000000</lftm:BlackClip>\n"
            "<lftm:SmoothingMode>Slider</lftm:SmoothingMode>\n"
            "<lftm:Smoothing>0.0</lftm:Smoothing>\n"
            "<lftm:Microcontrast>0.0</lftm:Microcontrast>\n"
            "<lftm:Microsmoothing>2.0</lftm:Microsmoothing>\n"
            "<lftm:Gamma>1.0</lftm:Gamma>\n"
            "<lftm:HighlightsSmoothing>0.0</lftm:HighlightsSmoothing>\n"
            "<lftm:ShadowsSmoothing>0.0</lftm:ShadowsSmoothing>\n"
            "<lftm:ShadowsClipping>0.0</lftm:ShadowsClipping>\n"
            "<lftm:ColorTemperature>0.0</lftm:ColorTemperature>\n"
            "<lftm:SaturationHighlights>0.0</lftm:SaturationHighlights>\n"
            "<lftm:SaturationShadows>0.0</lftm:SaturationShadows>\n"
            "<lftm:360DegreeImage>No</lftm:360DegreeImage>\n"
            "</rdf:Description>\n"
            "\n"
            "</rdf:RDF>\n"
            "</x:xmpmeta>\n");
  // The text handed to the image writers is the file's text.
  EXPECT_EQ(lftm::render_settings_xmp(1, p), read_text(path));
}

TEST(XmpWriterTest, OtherMethodsWriteTheirElementsInOrder) {
  const TmParam p = lftm_test::filled_block(0.25f);
  auto settings_lines = [&p](int method) {
    const std::string text = lftm::render_settings_xmp(method, p);
    const size_t from = text.find("</lftm:Version>\n") + 16;
    return text.substr(from, text.find("</rdf:Description>") - from);
  };
  EXPECT_EQ(settings_lines(2),
            "<lftm:Method>Range Squeezer</lftm:Method>\n<lftm:Brightness>0.2</lftm:Brightness>\n"
            "<lftm:Compression>0.2</lftm:Compression>\n<lftm:Contrast>0.2</lftm:Contrast>\n"
            "<lftm:WhiteClip>0.250000</lftm:WhiteClip>\n<lftm:BlackClip>0.250000</lftm:BlackClip>\n"
            "<lftm:ColorTemperature>0.2</lftm:ColorTemperature>\n"
            "<lftm:Saturation>0.2</lftm:Saturation>\n");
  EXPECT_EQ(settings_lines(10),
            "<lftm:Method>Blend/Tune</lftm:Method>\n<lftm:Accentuation>0.2</lftm:Accentuation>\n"
            "<lftm:BlendingPoint>0.2</lftm:BlendingPoint>\n<lftm:Shadows>0.2</lftm:Shadows>\n"
            "<lftm:Saturation>0.2</lftm:Saturation>\n<lftm:WhiteClip>0.250000</lftm:WhiteClip>\n"
            "<lftm:BlackClip>0.250000</lftm:BlackClip>\n"
            "<lftm:MidtonesAdjustment>0.2</lftm:MidtonesAdjustment>\n");
  EXPECT_EQ(settings_lines(11),
            "<lftm:Method>Blend/Strong</lftm:Method>\n<lftm:Strength>0.2</lftm:Strength>\n"
            "<lftm:Saturation>0.2</lftm:Saturation>\n<lftm:Radius>0.2</lftm:Radius>\n");
  // Codes 3 to 9: header, version and the closing lines only.
  EXPECT_EQ(settings_lines(5), "");
}

TEST(XmpWriterTest, IntegerSettingsAreTruncatedAndGammaIsConverted) {
  TmParam p;
  tmparam_default(1, 0, &p);
  auto has = [&p](const std::string& line) {
    return lftm::render_settings_xmp(1, p).find(line) != std::string::npos;
  };
  p.tmParam[15] = 0.9f;
  EXPECT_TRUE(has("<lftm:360DegreeImage>No</lftm:360DegreeImage>\n"));
  p.tmParam[15] = 1.0f;
  EXPECT_TRUE(has("<lftm:360DegreeImage>Yes</lftm:360DegreeImage>\n"));

  p.tmParam[16] = 0.9f;  // truncates to "Light": the preset word of slot 5
  p.tmParam[5] = 2.7f;
  EXPECT_TRUE(has("<lftm:SmoothingMode>Light</lftm:SmoothingMode>\n"));
  EXPECT_TRUE(has("<lftm:Smoothing>Medium</lftm:Smoothing>\n"));
  // Presets outside the range are written as the nearest one; other modes as "Light".
  p.tmParam[16] = 2;
  p.tmParam[5] = 9;
  EXPECT_TRUE(has("<lftm:SmoothingMode>Light</lftm:SmoothingMode>\n"));
  EXPECT_TRUE(has("<lftm:Smoothing>Very Low</lftm:Smoothing>\n"));

  p.tmParam[8] = 0;
  EXPECT_TRUE(has("<lftm:Gamma>2.0</lftm:Gamma>\n"));
  p.tmParam[8] = 100;
  EXPECT_TRUE(has("<lftm:Gamma>0.5</lftm:Gamma>\n"));
  p.tmParam[8] = 25;  // 2^0.5
  EXPECT_TRUE(has("<lftm:Gamma>1.4</lftm:Gamma>\n"));
  // Values are written as they are, unchecked against any range.
  p.tmParam[3] = -1e30f;
  EXPECT_TRUE(has("<lftm:WhiteClip>-1000000015047466219876688855040.000000</lftm:WhiteClip>\n"));
}

// A NaN or infinite value (or a slider whose gamma overflows) would be written as "nan" or
// "inf"; the writer refuses the block and leaves the file as it was.
TEST(XmpWriterBadArgs, NonFiniteValuesTouchNoFile) {
  TempDir dir;
  const std::string kept = dir.file("kept.xmp");
  ASSERT_TRUE(lftm_test::write_text(kept, "old"));
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    int method, slot;
    float value;
  };
  for (const Case& c : {Case{1, 3, -inf}, Case{1, 1, std::nanf("")}, Case{1, 8, -1e30f},
                        Case{2, 13, inf}, Case{11, 2, std::nanf("")}}) {
    TmParam p;
    tmparam_default(1, 0, &p);
    p.tmParam[c.slot] = c.value;
    EXPECT_EQ(write_xmp(kept.c_str(), c.method, &p), -2) << c.method << " " << c.slot;
  }
  EXPECT_EQ(write_xmp(kept.c_str(), 1, nullptr), -2);
  EXPECT_EQ(read_text(kept), "old");
  // Slots the method does not write may hold anything: a squeezer file has no gamma, and the
  // slider form of the smoothing is not written under "Light".
  TmParam p;
  tmparam_default(1, 0, &p);
  p.tmParam[8] = -1e30f;
  EXPECT_EQ(write_xmp(kept.c_str(), 2, &p), 1);
  p.tmParam[16] = 0;
  p.tmParam[17] = std::nanf("");
  p.tmParam[8] = 50;
  EXPECT_EQ(write_xmp(kept.c_str(), 1, &p), 1);
}

TEST(XmpWriterBadArgs, MethodOutsideOneToElevenTouchesNoFile) {
  TempDir dir;
  TmParam p;
  tmparam_default(1, 0, &p);
  const std::string kept = dir.file("kept.xmp");
  ASSERT_TRUE(lftm_test::write_text(kept, "old"));
  for (int method : {0, -1, 12}) {
    EXPECT_EQ(write_xmp(dir.file("none.xmp").c_str(), method, &p), -2);
    EXPECT_EQ(write_xmp(kept.c_str(), method, &p), -2);
  }
  EXPECT_FALSE(file_exists(dir.file("none.xmp")));
  EXPECT_EQ(read_text(kept), "old");
}

TEST(XmpWriterBadFiles, OpenAndWriteFailures) {
  TempDir dir;
  TmParam p;
  tmparam_default(1, 0, &p);
  EXPECT_EQ(write_xmp(dir.file("missing/dir.xmp").c_str(), 1, &p), -1);
  EXPECT_EQ(write_xmp(dir.path().c_str(), 1, &p), -1);
  EXPECT_EQ(write_xmp(nullptr, 1, &p), -1);
  // A full device takes the buffered text and fails when it is flushed: not a saved file.
  if (file_exists("/dev/full")) {
    EXPECT_EQ(write_xmp("/dev/full", 1, &p), -3);
  }
}

}  // namespace
