#include "platform/diag.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "support/diag_capture.h"

namespace lftm {
namespace {

TEST(DiagTest, SinkReceivesLinesByStream) {
  lftm_test::DiagCapture capture;
  diag_out("w=%d %s\n", 12, "x");
  diag_err("tile %d\n", 3);
  EXPECT_EQ(capture.out(), "w=12 x\n");
  EXPECT_EQ(capture.err(), "tile 3\n");
}

TEST(DiagTest, LongLinesArriveWhole) {
  lftm_test::DiagCapture capture;
  std::string long_text(3000, 'a');
  diag_out("%s|\n", long_text.c_str());
  EXPECT_EQ(capture.out(), long_text + "|\n");
}

TEST(DiagTest, NumbersUseAPeriodWhateverTheHostLocale) {
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  const char* comma = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr &&
        std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
      comma = name;
      break;
    }
  }
  if (comma == nullptr) {
    std::setlocale(LC_NUMERIC, saved.c_str());
    GTEST_SKIP() << "no decimal-comma locale installed";
  }
  {
    lftm_test::DiagCapture capture;
    diag_out("%1.3f\n", 0.25);
    EXPECT_EQ(capture.out(), "0.250\n");
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace lftm
