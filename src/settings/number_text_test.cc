// SPDX-License-Identifier: BSD-3-Clause
// The locale-free number routines must agree bit for bit with printf and scanf in the C
// locale, which defines the file format. The test process runs in the C locale, so the C
// library serves as the reference.
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

// scan_float over [text, text + n) against sscanf("%f") of the same bytes: same success,
// same bits. Exactly sized heap copies let the sanitizers catch a read past the end.
void expect_scans_like_c(const std::string& text) {
  std::unique_ptr<char[]> exact(new char[text.size() + 1]);
  std::memcpy(exact.get(), text.data(), text.size());
  float expected = -7.0f;
  float got = -7.0f;
  const bool c_ok = std::sscanf(text.c_str(), "%f", &expected) == 1;
  const bool ok = lftm::scan_float(exact.get(), exact.get() + text.size(), &got) != nullptr;
  ASSERT_EQ(ok, c_ok) << "[" << text << "]";
  EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << "[" << text << "] " << got;
  int32_t expected_int = -7;
  int32_t got_int = -7;
  EXPECT_EQ(lftm::scan_int(exact.get(), exact.get() + text.size(), &got_int) != nullptr,
            std::sscanf(text.c_str(), "%d", &expected_int) == 1) << "[" << text << "]";
  if (text.size() < 10) {  // longer digit runs overflow, which scanf leaves undefined
    EXPECT_EQ(got_int, expected_int) << "[" << text << "]";
  }
}

TEST(NumberTextTest, FixedMatchesCPrintf) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double v : {0.0, -0.0, 0.25, 0.75, 2.5, 0.05, 99.95, 1e30, 3.4028234663852886e38, 5e-324,
                   inf, -inf, nan, -nan}) {
    EXPECT_EQ(fixed(v, 1), c_printf("%1.1f", v));
    EXPECT_EQ(fixed(v, 6), c_printf("%f", v));
  }
  // Every slot is a float widened to double: random bit patterns cover them all.
  std::mt19937 rng(12345);
  for (int i = 0; i < 20000; ++i) {
    uint32_t bits = rng();
    float f;
    std::memcpy(&f, &bits, 4);
    EXPECT_EQ(fixed(f, 1), c_printf("%1.1f", f));
    EXPECT_EQ(fixed(f, 6), c_printf("%f", f));
  }
}

TEST(NumberTextTest, ScansMatchCScanf) {
  for (const char* text :
       {"12.5", "  \n\t-3", "+.5", "1e", "1e+", "100ergs", ".", "-", ".e5", "0x", "0xg", "0x.g",
        "0x1.8p3", "0X1P-2x", "0xp3", "inf", "-Infinity", "infin", "nan", "-NaN(1)", "n",
        "1e50", "-1e-50", "1e-40", "0x1p200", "1e999999999999", "1.5.5", "12.5e3",
        "0.000000000000000000000000000000000000000000000000000001",
        "123456789012345678901234567890123456789012345678901234567890"}) {
    expect_scans_like_c(text);
  }
  std::mt19937 rng(777);
  const char alphabet[] = "00001234567899999.eEpPxX+-infaty \n";
  for (int i = 0; i < 100000; ++i) {
    std::string text(rng() % 40, ' ');
    for (char& c : text) c = alphabet[rng() % (sizeof alphabet - 1)];
    expect_scans_like_c(text);
  }
}

TEST(NumberTextTest, IntegersSaturateAndVersionsNeedBothNumbers) {
  int32_t n = 0;
  const std::string big = "99999999999999999999";
  lftm::scan_int(big.data(), big.data() + big.size(), &n);
  EXPECT_EQ(n, std::numeric_limits<int32_t>::max());
  const std::string small = "-" + big;
  lftm::scan_int(small.data(), small.data() + small.size(), &n);
  EXPECT_EQ(n, std::numeric_limits<int32_t>::min());

  int32_t major = -1;
  int32_t minor = -1;
  for (const std::string v : {"3", "3.", "3x2"}) {
    EXPECT_FALSE(lftm::scan_version(v.data(), v.data() + v.size(), &major, &minor)) << v;
  }
  EXPECT_EQ(major, -1);  // a half-read version stores nothing
  const std::string v = " 2. 4<";
  EXPECT_TRUE(lftm::scan_version(v.data(), v.data() + v.size(), &major, &minor));
  EXPECT_EQ(major * 10 + minor, 24);
}

}  // namespace
