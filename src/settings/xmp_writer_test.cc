#include <gtest/gtest.h>

#include <sys/stat.h>

#include <limits>
#include <string>

#include "lftm.h"
#include "settings/sidecar_test_files.h"
#include "settings/xmp_format.h"

namespace {

using lftm_test::read_text;
using lftm_test::TempDir;

bool file_exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

// The element names of a sidecar, in file order.
std::string element_names(const std::string& text) {
  std::string names;
  for (size_t at = text.find("<lftm:"); at != std::string::npos;
       at = text.find("<lftm:", at + 1)) {
    names += text.substr(at + 6, text.find('>', at) - at - 6) + " ";
  }
  return names;
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
  TempDir dir;
  const TmParam p = lftm_test::filled_block(0.25f);
  struct Case {
    int method;
    const char* names;
  } cases[] = {
      {2, "Version Method Brightness Compression Contrast WhiteClip BlackClip ColorTemperature "
          "Saturation "},
      {10, "Version Method Accentuation BlendingPoint Shadows Saturation WhiteClip BlackClip "
           "MidtonesAdjustment "},
      {11, "Version Method Strength Saturation Radius "},
      {3, "Version "},
      {9, "Version "},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("m" + std::to_string(c.method) + ".xmp");
    ASSERT_EQ(write_xmp(path.c_str(), c.method, &p), 1);
    const std::string text = read_text(path);
    EXPECT_EQ(element_names(text), c.names) << "method " << c.method;
    EXPECT_EQ(text.find("<lftm:Method>") != std::string::npos, c.method >= 10 || c.method == 2);
  }
  const std::string squeezer = read_text(dir.file("m2.xmp"));
  EXPECT_NE(squeezer.find("<lftm:Method>Range Squeezer</lftm:Method>\n"), std::string::npos);
  EXPECT_NE(squeezer.find("<lftm:Brightness>0.2</lftm:Brightness>\n"), std::string::npos);
  EXPECT_NE(squeezer.find("<lftm:WhiteClip>0.250000</lftm:WhiteClip>\n"), std::string::npos);
  EXPECT_NE(read_text(dir.file("m10.xmp")).find("<lftm:BlackClip>0.250000</lftm:BlackClip>"),
            std::string::npos);
  // A method without elements still makes a complete, closed file.
  const std::string empty = read_text(dir.file("m3.xmp"));
  EXPECT_NE(empty.find("</lftm:Version>\n</rdf:Description>\n\n</rdf:RDF>\n</x:xmpmeta>\n"),
            std::string::npos);
}

TEST(XmpWriterTest, IntegerSettingsAreTruncatedAndGammaIsConverted) {
  TmParam p;
  tmparam_default(1, 0, &p);
  auto text = [&p] { return lftm::render_settings_xmp(1, p); };
  auto has = [&text](const std::string& line) {
    return text().find(line) != std::string::npos;
  };
  p.tmParam[15] = 0.9f;
  EXPECT_TRUE(has("<lftm:360DegreeImage>No</lftm:360DegreeImage>\n"));
  p.tmParam[15] = 1.0f;
  EXPECT_TRUE(has("<lftm:360DegreeImage>Yes</lftm:360DegreeImage>\n"));

  p.tmParam[17] = 3.25f;
  EXPECT_TRUE(has("<lftm:Smoothing>3.2</lftm:Smoothing>\n"));  // printf rounds ties to even
  p.tmParam[16] = 0.9f;  // truncates to "Light": the preset word of slot 5
  EXPECT_TRUE(has("<lftm:SmoothingMode>Light</lftm:SmoothingMode>\n"));
  const char* words[] = {"Very High", "High", "Medium", "Low", "Very Low"};
  for (int preset = 0; preset < 5; ++preset) {
    p.tmParam[5] = preset + 0.7f;
    EXPECT_TRUE(has(std::string("<lftm:Smoothing>") + words[preset] + "</lftm:Smoothing>\n"));
  }
  // Presets outside the range are written as the nearest one; other modes as "Light".
  p.tmParam[5] = -3;
  p.tmParam[16] = 2;
  EXPECT_TRUE(has("<lftm:SmoothingMode>Light</lftm:SmoothingMode>\n"));
  EXPECT_TRUE(has("<lftm:Smoothing>Very High</lftm:Smoothing>\n"));
  p.tmParam[5] = 9;
  EXPECT_TRUE(has("<lftm:Smoothing>Very Low</lftm:Smoothing>\n"));

  p.tmParam[8] = 0;
  EXPECT_TRUE(has("<lftm:Gamma>2.0</lftm:Gamma>\n"));
  p.tmParam[8] = 100;
  EXPECT_TRUE(has("<lftm:Gamma>0.5</lftm:Gamma>\n"));
  p.tmParam[8] = 25;  // 2^0.5
  EXPECT_TRUE(has("<lftm:Gamma>1.4</lftm:Gamma>\n"));

  // Values are written as they are, unchecked.
  p.tmParam[1] = -1e30f;
  p.tmParam[3] = std::numeric_limits<float>::infinity();
  EXPECT_TRUE(has("<lftm:Strength>-1000000015047466219876688855040.0</lftm:Strength>\n"));
  EXPECT_TRUE(has("<lftm:WhiteClip>inf</lftm:WhiteClip>\n"));
}

TEST(XmpWriterBadArgs, MethodOutsideOneToElevenTouchesNoFile) {
  TempDir dir;
  TmParam p;
  tmparam_default(1, 0, &p);
  for (int method : {0, -1, 12, 1000}) {
    const std::string path = dir.file("none" + std::to_string(method) + ".xmp");
    EXPECT_EQ(write_xmp(path.c_str(), method, &p), -2);
    EXPECT_FALSE(file_exists(path));
  }
  const std::string kept = dir.file("kept.xmp");
  ASSERT_TRUE(lftm_test::write_text(kept, "old"));
  EXPECT_EQ(write_xmp(kept.c_str(), 12, &p), -2);
  EXPECT_EQ(read_text(kept), "old");
}

TEST(XmpWriterBadFiles, OpenAndWriteFailures) {
  TempDir dir;
  TmParam p;
  tmparam_default(1, 0, &p);
  EXPECT_EQ(write_xmp(dir.file("missing/dir.xmp").c_str(), 1, &p), -1);
  EXPECT_EQ(write_xmp(dir.path().c_str(), 1, &p), -1);
  EXPECT_EQ(write_xmp(nullptr, 1, &p), -1);
  // A full device accepts the buffered text and fails when it is flushed.
  if (file_exists("/dev/full")) {
    EXPECT_EQ(write_xmp("/dev/full", 1, &p), -3);
  }
}

}  // namespace
