// The locale-free number routines must agree bit for bit with printf and scanf in the C
// locale, which is what the settings file format is defined by. The test process runs in
// the C locale, so the C library serves as the reference here.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "settings/number_text.h"

namespace {

std::string c_printf(const char* format, double value) {
  char text[512];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string fixed(double value, int decimals) {
  std::string out;
  lftm::append_fixed(&out, value, decimals);
  return out;
}

// Compares scan_float with sscanf("%f") on one string: same success, same bits.
void expect_float_scan_like_c(const std::string& text) {
  float expected = -7.0f;
  float got = -7.0f;
  const bool c_ok = std::sscanf(text.c_str(), "%f", &expected) == 1;
  const bool ok = lftm::scan_float(text.data(), text.data() + text.size(), &got) != nullptr;
  ASSERT_EQ(ok, c_ok) << "[" << text << "]";
  if (ok) {
    uint32_t a;
    uint32_t b;
    std::memcpy(&a, &expected, 4);
    std::memcpy(&b, &got, 4);
    EXPECT_EQ(a, b) << "[" << text << "] " << expected << " vs " << got;
  }
}

TEST(NumberTextTest, FixedMatchesCPrintf) {
  const double specials[] = {0.0, -0.0, 0.25, 0.75, 2.5, 0.125, 0.05, 0.35, 1e-7, 99.95,
                             1e30, -1e30, 3.4028234663852886e38, 5e-324,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -std::numeric_limits<double>::quiet_NaN()};
  for (double v : specials) {
    EXPECT_EQ(fixed(v, 1), c_printf("%1.1f", v));
    EXPECT_EQ(fixed(v, 6), c_printf("%f", v));
  }
  // Random float bit patterns (every slot is a float widened to double) and values on the
  // halfway points of one decimal.
  std::mt19937 rng(12345);
  for (int i = 0; i < 20000; ++i) {
    uint32_t bits = rng();
    float f;
    std::memcpy(&f, &bits, 4);
    EXPECT_EQ(fixed(f, 1), c_printf("%1.1f", f));
    EXPECT_EQ(fixed(f, 6), c_printf("%f", f));
    const double tie = (static_cast<int>(rng() % 20001) - 10000) / 100.0 + 0.05;
    EXPECT_EQ(fixed(static_cast<float>(tie), 1), c_printf("%1.1f", static_cast<float>(tie)));
  }
}

TEST(NumberTextTest, FloatScanMatchesCScanf) {
  for (const char* text :
       {"12.5", "  \n\t-3", "+.5", "1e", "1e+", "100ergs", ".", "-", ".e5", "0x", "0xg", "0x.g",
        "0x1.8p3", "0X1P-2x", "0xp3", "inf", "-Infinity", "infin", "infx", "nan", "-NaN(1)",
        "n", "1e50", "-1e-50", "1e-40", "0x1p200", "0x1p-200", "1e999999999999", "1.5.5",
        "0.000000000000000000000000000000000000000000000000000001",
        "123456789012345678901234567890123456789012345678901234567890"}) {
    expect_float_scan_like_c(text);
  }
  std::mt19937 rng(777);
  const char alphabet[] = "00001234567899999.eEpPxX+-infaty \n";
  for (int i = 0; i < 100000; ++i) {
    std::string text;
    const int length = static_cast<int>(rng() % 40);
    for (int k = 0; k < length; ++k) text += alphabet[rng() % (sizeof alphabet - 1)];
    expect_float_scan_like_c(text);
  }
}

TEST(NumberTextTest, IntegerAndVersionScans) {
  for (const char* text : {"42", " -17x", "+0", "- 1", "x1", "", "2147483647", "-2147483648"}) {
    int32_t expected = -7;
    int32_t got = -7;
    const bool c_ok = std::sscanf(text, "%d", &expected) == 1;
    EXPECT_EQ(lftm::scan_int(text, text + std::strlen(text), &got) != nullptr, c_ok) << text;
    EXPECT_EQ(got, expected) << text;
  }
  int32_t big = 0;
  const char* huge = "99999999999999999999";
  lftm::scan_int(huge, huge + 20, &big);
  EXPECT_EQ(big, std::numeric_limits<int32_t>::max());
  const char* tiny = "-99999999999";
  lftm::scan_int(tiny, tiny + 12, &big);
  EXPECT_EQ(big, std::numeric_limits<int32_t>::min());
  int32_t major = -1;
  int32_t minor = -1;
  const std::string versions[] = {"3.2<", " 2. 4", "3", "3.", "3x2", "-1.+4"};
  const bool readable[] = {true, true, false, false, false, true};
  for (int i = 0; i < 6; ++i) {
    const std::string& v = versions[i];
    EXPECT_EQ(lftm::scan_version(v.data(), v.data() + v.size(), &major, &minor), readable[i]);
  }
  EXPECT_EQ(major, -1);
  EXPECT_EQ(minor, 4);
}

TEST(NumberTextTest, ScansStopAtTheEndOfTheirRange) {
  // Exactly sized heap blocks: a read past the end is caught by the sanitizers, and a digit
  // behind the range must not count.
  const std::string text = "12.5e3";
  for (size_t n = 0; n <= text.size(); ++n) {
    std::unique_ptr<char[]> block(new char[n + 1]);
    std::memcpy(block.get(), text.data(), n);
    block[n] = '9';
    float f = -7.0f;
    int32_t i = -7;
    const bool f_ok = lftm::scan_float(block.get(), block.get() + n, &f) != nullptr;
    const bool i_ok = lftm::scan_int(block.get(), block.get() + n, &i) != nullptr;
    const std::string prefix = text.substr(0, n);
    float expected_f = -7.0f;
    int32_t expected_i = -7;
    EXPECT_EQ(f_ok, std::sscanf(prefix.c_str(), "%f", &expected_f) == 1) << prefix;
    EXPECT_EQ(i_ok, std::sscanf(prefix.c_str(), "%d", &expected_i) == 1) << prefix;
    EXPECT_EQ(f, expected_f) << prefix;
    EXPECT_EQ(i, expected_i) << prefix;
  }
}

TEST(NumberTextTest, SlotTruncation) {
  EXPECT_EQ(lftm::truncate_slot(0.9f), 0);
  EXPECT_EQ(lftm::truncate_slot(-0.9f), 0);
  EXPECT_EQ(lftm::truncate_slot(1.0f), 1);
  EXPECT_EQ(lftm::truncate_slot(-2147483648.0f), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(lftm::truncate_slot(3e9f), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(lftm::truncate_slot(std::numeric_limits<float>::quiet_NaN()),
            std::numeric_limits<int32_t>::min());
}

}  // namespace
