// SPDX-License-Identifier: BSD-3-Clause
// A host that set LC_NUMERIC to a locale with a decimal comma must write and read the same
// sidecar as one in the C locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

#include "lftm.h"
#include "lftm_host.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/sidecar_text.h"
#include "support/temp_dir.h"

namespace {

// Switches LC_NUMERIC to the first installed locale with a decimal comma, and back.
class CommaNumericLocale {
 public:
  CommaNumericLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    saved_ = current != nullptr ? current : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                             "nl_NL.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8", "pt_BR.UTF-8",
                             "ru_RU.UTF-8", "de_DE", "fr_FR"}) {
      if (std::setlocale(LC_NUMERIC, name) != nullptr &&
          std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
        name_ = name;
        return;
      }
    }
    std::setlocale(LC_NUMERIC, saved_.c_str());
  }
  ~CommaNumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
  CommaNumericLocale(const CommaNumericLocale&) = delete;
  CommaNumericLocale& operator=(const CommaNumericLocale&) = delete;
  bool active() const { return !name_.empty(); }

 private:
  std::string saved_;
  std::string name_;
};

TEST(XmpLocaleTest, CommaLocaleWritesAndReadsTheSameFile) {
  lftm_test::TempDir dir;
  lftm_test::DiagCapture quiet;
  TmParam p;
  tmparam_default(1, 0, &p);
  p.tmParam[1] = 12.5f;
  p.tmParam[3] = 0.125f;
  p.tmParam[8] = 30;
  p.tmParam[17] = -3.5f;
  const std::string c_path = dir.file("c.xmp");
  ASSERT_EQ(write_xmp(c_path.c_str(), 1, &p), 1);
  TmParam c_read = lftm_test::filled_block(0);
  ASSERT_GT(parse_xmp(c_path.c_str(), 1, &c_read), 0);

  CommaNumericLocale comma;
  if (!comma.active()) {
    GTEST_SKIP() << "no locale with a decimal comma is installed (e.g. de_DE.UTF-8)";
  }
  char probe[16];
  std::snprintf(probe, sizeof probe, "%1.1f", 0.5);
  ASSERT_STREQ(probe, "0,5");  // the C library itself now writes commas

  const std::string comma_path = dir.file("comma.xmp");
  ASSERT_EQ(write_xmp(comma_path.c_str(), 1, &p), 1);
  EXPECT_EQ(lftm_test::read_text(comma_path), lftm_test::read_text(c_path));
  TmParam comma_read = lftm_test::filled_block(0);
  ASSERT_GT(parse_xmp(c_path.c_str(), 1, &comma_read), 0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(comma_read.tmParam[i], c_read.tmParam[i]) << i;
  EXPECT_EQ(comma_read.tmParam[1], 12.5f);
  EXPECT_EQ(comma_read.tmParam[3], 0.125f);
}

// The settings text of the public functions ignores the locale too: a front end shows and
// reads "55.55" whatever LC_NUMERIC says.
TEST(XmpLocaleTest, CommaLocaleShowsAndReadsSettingsWithAPeriod) {
  CommaNumericLocale comma;
  if (!comma.active()) {
    GTEST_SKIP() << "no locale with a decimal comma is installed (e.g. de_DE.UTF-8)";
  }
  char text[64];
  EXPECT_EQ(lftm_format_number(55.55f, LFTM_TEXT_SHORTEST, text, sizeof text), 5);
  EXPECT_STREQ(text, "55.55");
  float value = 0;
  EXPECT_EQ(lftm_parse_number("0.125", &value), 0);
  EXPECT_EQ(value, 0.125f);
  EXPECT_EQ(lftm_parse_number("0,125", &value), LFTM_ERR_SETTING_VALUE);
  TmParam p;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &p);
  const int32_t gamma = lftm_setting_find(LFTM_METHOD_TEXTURE_BOOSTER, "Gamma", 0);
  ASSERT_EQ(lftm_setting_parse(LFTM_METHOD_TEXTURE_BOOSTER, gamma, "1.5", &p, 0), 0);
  EXPECT_EQ(lftm_setting_text(LFTM_METHOD_TEXTURE_BOOSTER, gamma, &p, LFTM_TEXT_AS_SIDECAR, text,
                              sizeof text),
            1);
  EXPECT_STREQ(text, "1.5");
}

}  // namespace
