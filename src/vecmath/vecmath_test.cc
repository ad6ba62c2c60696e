// SPDX-License-Identifier: BSD-3-Clause
// The vector kernels against the library's scalar calls, bit for bit, over the arguments the
// stages pass (every float for logf) and the special values.
#include "vecmath/vecmath.h"

#include <gnu/libc-version.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "vecmath/vector_kernels.h"

namespace {

#ifdef LFTM_VECMATH_SPARSE_SWEEPS
constexpr uint64_t kSparse = 4093;  // instrumented builds: one argument in this many
#else
constexpr uint64_t kSparse = 1;
#endif

constexpr size_t kBlock = 1 << 14;

template <typename T>
uint64_t bits_of(T v) {
  uint64_t b = 0;
  std::memcpy(&b, &v, sizeof v);
  return b;
}

float float_bits(uint32_t b) {
  float v;
  std::memcpy(&v, &b, sizeof v);
  return v;
}

// Runs check(first, count) over [0, total) in blocks on two threads; returns the number of
// mismatches found (check returns its own count).
template <typename Check>
uint64_t sweep(uint64_t total, Check check) {
  uint64_t bad[2] = {0, 0};
  auto half = [&](int which) {
    for (uint64_t first = which * kBlock; first < total; first += 2 * kBlock) {
      bad[which] += check(first, std::min<uint64_t>(kBlock, total - first));
    }
  };
  std::thread other(half, 1);
  half(0);
  other.join();
  return bad[0] + bad[1];
}

using Kernels = lftm::VectorKernels;

// The kernels of each instruction set compiled in that the processor runs, including those
// without fused multiply-adds, which compute them lane by lane to the same bits.
std::vector<Kernels> all_kernels() {
  static const std::vector<Kernels> all = lftm::vector_kernels_of_every_target();
  return all;
}

// Mismatches between got and the library's want, bit for bit.
template <typename T>
uint64_t mismatches(const std::vector<T>& got, const std::vector<T>& want) {
  uint64_t n = 0;
  for (size_t i = 0; i < got.size(); ++i) n += bits_of(got[i]) != bits_of(want[i]);
  return n;
}

// The kernels follow the C library of the platform, glibc 2.36; on another one the library
// path is taken instead (and the comparisons below would not hold).
class VecMathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!lftm::best_vector_kernels_fuse()) GTEST_SKIP() << "no fused multiply-add here";
    if (std::strcmp(gnu_get_libc_version(), "2.36") != 0) {
      GTEST_SKIP() << "the kernels follow glibc 2.36, this is " << gnu_get_libc_version();
    }
  }
};

// Mismatches of logf over every stride-th float bit pattern.
uint64_t logf_mismatches(uint64_t stride) {
  return sweep((uint64_t{1} << 32) / stride, [stride](uint64_t first, uint64_t count) {
    std::vector<float> x(count), got(count), want(count);
    for (uint64_t i = 0; i < count; ++i) {
      x[i] = float_bits(static_cast<uint32_t>((first + i) * stride));
      want[i] = std::log(x[i]);
    }
    uint64_t n = 0;
    for (const Kernels& k : all_kernels()) {
      k.logf(x.data(), got.data(), count);
      n += mismatches(got, want);
    }
    return n;
  });
}

// One float in three (an odd stride reaches every low-order bit pattern): 1.4e9 arguments.
TEST_F(VecMathTest, LogfOverAllFloatsMatchesTheLibrary) { EXPECT_EQ(logf_mismatches(3 * kSparse), 0u); }

// Every one of the 2^32 floats; about three times as long as the test above. Run with
// --gtest_also_run_disabled_tests --gtest_filter=*EveryFloat*.
TEST_F(VecMathTest, DISABLED_LogfOfEveryFloatMatchesTheLibrary) { EXPECT_EQ(logf_mismatches(1), 0u); }

// Bases: every positive finite float in steps of 8 ulps (the stages' arguments of powf are
// luminance ratios, mapped luminances and colour ratios, all positive). The exponents include
// the largest one that skips the check for overflow and underflow, and one that needs it
// (results overflow and underflow well before the ends), in coarser steps.
TEST_F(VecMathTest, PowfOverPositiveBasesMatchesTheLibrary) {
  struct Exponent {
    float y;
    uint64_t step;
  };
  for (Exponent e : {Exponent{0.23f, 8}, Exponent{0.4545f, 8}, Exponent{-0.96874994f, 40},
                     Exponent{9.5f, 40}}) {
    const float y = e.y;
    const uint64_t step = e.step * kSparse;
    const uint64_t total = 0x7f800000u / step;
    const uint64_t bad = sweep(total, [y, step](uint64_t first, uint64_t count) {
      std::vector<float> x(count), got(count), want(count);
      for (uint64_t i = 0; i < count; ++i) {
        x[i] = float_bits(static_cast<uint32_t>((first + i) * step + 1));
        want[i] = std::pow(x[i], y);
      }
      uint64_t n = 0;
      for (const Kernels& k : all_kernels()) {
        k.powf(x.data(), y, got.data(), count);
        n += mismatches(got, want);
      }
      return n;
    });
    EXPECT_EQ(bad, 0u) << "y = " << y;
  }
  // Per-pixel exponents (the saturation exponents, 0 to 2.2) over bases near 1.
  const uint64_t bad = sweep(uint64_t{1} << 26 >> (kSparse > 1 ? 12 : 0), [](uint64_t first, uint64_t count) {
    std::vector<float> x(count), y(count), got(count), want(count);
    for (uint64_t i = 0; i < count; ++i) {
      const uint32_t h = static_cast<uint32_t>((first + i) * 2654435761u);
      x[i] = float_bits(0x3c000000u + h % 0x06000000u);  // 2^-7 .. 2^5
      y[i] = 2.2f * static_cast<float>(h >> 8) * 0x1p-24f;
      want[i] = std::pow(x[i], y[i]);
    }
    uint64_t n = 0;
    for (const Kernels& k : all_kernels()) {
      k.powf_pairs(x.data(), y.data(), got.data(), count);
      n += mismatches(got, want);
    }
    return n;
  });
  EXPECT_EQ(bad, 0u);
}

// Bases: floats widened to double (attenuation) and doubles with full mantissas (the Range
// Squeezer's products), under the exponents of both stages.
TEST_F(VecMathTest, PowOverStageArgumentsMatchesTheLibrary) {
  constexpr uint64_t step = 64 * kSparse;
  const uint64_t total = 0x7f800000u / step;
  for (double y : {-0.07, -0.23, 0.45, 0.9}) {
    const uint64_t bad = sweep(total, [y](uint64_t first, uint64_t count) {
      std::vector<double> x(count), got(count), want(count);
      for (uint64_t i = 0; i < count; ++i) {
        const uint64_t j = first + i;
        const double f = float_bits(static_cast<uint32_t>(j * step + 3));
        x[i] = j % 2 ? f : f * (1.0 + static_cast<double>(j * 0x9E3779B97F4A7C15ull >> 12) * 0x1p-53);
        want[i] = std::pow(x[i], y);
      }
      uint64_t n = 0;
      for (const Kernels& k : all_kernels()) {
        k.pow(x.data(), y, got.data(), count);
        n += mismatches(got, want);
      }
      return n;
    });
    EXPECT_EQ(bad, 0u) << "y = " << y;
  }
}

// exp of every float from -2^9 to 2^9 (widened to double, as the solved log luminances are),
// every stride-th one of the bit patterns, and of doubles with full mantissas; outside that
// range, and at the special values, the scalar call decides.
TEST_F(VecMathTest, ExpOverFloatArgumentsMatchesTheLibrary) {
  constexpr uint64_t stride = 13 * kSparse;
  const uint64_t bad = sweep((uint64_t{1} << 32) / stride, [](uint64_t first, uint64_t count) {
    std::vector<double> x(count), got(count), want(count);
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t j = first + i;
      const double f = float_bits(static_cast<uint32_t>(j * stride));
      x[i] = j % 3 ? f : f * (1.0 + static_cast<double>(j * 0x9E3779B97F4A7C15ull >> 12) * 0x1p-53);
      want[i] = std::exp(x[i]);
    }
    uint64_t n = 0;
    for (const Kernels& k : all_kernels()) {
      k.exp(x.data(), got.data(), count);
      n += mismatches(got, want);
    }
    return n;
  });
  EXPECT_EQ(bad, 0u);
  std::vector<double> special = {0.0, -0.0, 0x1p-54, -0x1p-54, 0x1p-55, 511.9, 512.0, -745.2,
                                 -708.5, 709.8, 1e300, -1e300, 1.0 / 0.0, -1.0 / 0.0, 0.0 / 0.0};
  for (const Kernels& k : all_kernels()) {
    std::vector<double> got = special;
    k.exp(got.data(), got.data(), got.size());
    for (size_t i = 0; i < special.size(); ++i) {
      EXPECT_EQ(bits_of(got[i]), bits_of(std::exp(special[i]))) << special[i];
    }
  }
}

// Zeros, negatives, subnormals, infinities, NaNs, 1, and results at the edges of the range,
// computed in place (out == x) where the kernels must keep the inputs for the scalar lanes.
TEST_F(VecMathTest, SpecialArgumentsInPlaceMatchTheLibrary) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> xs = {0.0f, -0.0f, -1.0f, -2.5f, 1e-45f, 1e-40f, 1.17549435e-38f, inf,
                                 -inf, nan, 1.0f, 2.0f, 0.5f, 3.4e38f, 1e-30f, 1e30f, 7.0f, 0.9999999f};
  const std::vector<float> ys = {0.0f, -0.0f, 1.0f, -1.0f, 2.0f, 3.0f, 0.5f, inf, -inf, nan,
                                 1e10f, -1e10f, 126.5f, -150.0f, 0.23f, 1e-30f, 200.0f};
  std::vector<float> x, y;
  for (float a : xs) {
    for (float b : ys) {
      x.push_back(a);
      y.push_back(b);
    }
  }
  for (const Kernels& k : all_kernels()) {
    std::vector<float> got = x;
    k.logf(got.data(), got.data(), got.size());
    for (size_t i = 0; i < x.size(); ++i) EXPECT_EQ(bits_of(got[i]), bits_of(std::log(x[i]))) << x[i];

    got = x;
    k.powf_pairs(got.data(), y.data(), got.data(), got.size());
    for (size_t i = 0; i < x.size(); ++i) {
      EXPECT_EQ(bits_of(got[i]), bits_of(std::pow(x[i], y[i]))) << x[i] << " ^ " << y[i];
    }
    for (float b : ys) {
      got = x;
      k.powf(got.data(), b, got.data(), got.size());
      for (size_t i = 0; i < x.size(); ++i) {
        EXPECT_EQ(bits_of(got[i]), bits_of(std::pow(x[i], b))) << x[i] << " ^ " << b;
      }
    }
  }

  std::vector<double> xd(x.begin(), x.end());
  for (double v : {4.9e-324, 1e-310, 1.7976931348623157e308, 1.0000000000000002, 0.9999999999999999}) {
    xd.push_back(v);
  }
  for (const Kernels& k : all_kernels()) {
    for (double b :
         {0.0, 1e-20, 1e-300, 5e18, -0.07, 2.0, 700.0, -800.0, 1e5, 1.0 / 0.0, 0.0 / 0.0}) {
      std::vector<double> gotD = xd;
      k.pow(gotD.data(), b, gotD.data(), gotD.size());
      for (size_t i = 0; i < xd.size(); ++i) {
        EXPECT_EQ(bits_of(gotD[i]), bits_of(std::pow(xd[i], b))) << xd[i] << " ^ " << b;
      }
    }
  }
}

TEST_F(VecMathTest, TheLibraryOfThisPlatformGetsTheVectorPath) {
  EXPECT_TRUE(lftm::vecmath_uses_vectors());
}

}  // namespace
