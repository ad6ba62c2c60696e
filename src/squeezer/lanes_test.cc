// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer's vector passes against the scalar formulas they stand for, on every
// instruction set this build has that the processor runs, with runs whose length leaves a
// tail after the last full vector.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "hwy/targets.h"
#include "squeezer/chunk_lanes.h"
#include "squeezer/response_lanes.h"
#include "stats/pixel_luminance.h"
#include "stats/rgbe_luminance_lanes.h"

namespace lftm {
namespace {

bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(SqueezerLanesTest, EveryTargetGivesTheScalarBits) {
  constexpr size_t n = 203;
  std::mt19937 random(7);
  std::vector<uint8_t> red(n), green(n), blue(n), ex(n);
  std::vector<float> expTable(256);
  for (int e = 0; e < 256; ++e) expTable[e] = std::ldexp(1.0f, e - 136);
  for (size_t i = 0; i < n; ++i) {
    red[i] = random() % 256;
    green[i] = random() % 256;
    blue[i] = random() % 256;
    // Some pixels without light, many near 1e-20 where the order of the sums shows.
    ex[i] = i % 17 == 0 ? 0 : i % 2 ? 55 + random() % 25 : random() % 256;
  }
  const AdaptationScale a{0.37f, 0.6f, 0.85};
  const ResponseScale s{255.0, 0.013f, 261.3f};
  for (int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    std::vector<float> r(n), g(n), b(n), unit(n), out(n), lum(n);
    std::vector<double> kA(n), power(n);
    rgbe_mantissas(red.data(), green.data(), blue.data(), ex.data(), expTable.data(), n,
                   r.data(), g.data(), b.data(), unit.data());
    adaptation_products(r.data(), g.data(), b.data(), unit.data(), n, a, kA.data());
    for (size_t i = 0; i < n; ++i) {
      power[i] = i % 3 ? std::ldexp(1.0, -55 - static_cast<int>(i % 20)) : 0.0;
    }
    channel_responses(g.data(), unit.data(), power.data(), n, s, out.data());
    rgbe_luminances(red.data(), green.data(), blue.data(), ex.data(), expTable.data(), n,
                    lum.data());
    for (size_t i = 0; i < n; ++i) {
      const float unitI = expTable[ex[i]];
      ASSERT_TRUE(same_bits(r[i], red[i]) && same_bits(unit[i], unitI)) << target << " " << i;
      float Y = 0.2126 * r[i] + 0.7152 * g[i] + 0.0722 * b[i];
      Y *= unitI;
      const float A = a.globalPart + a.blend * Y;
      ASSERT_TRUE(same_bits(kA[i], a.k * A)) << target << " " << i;
      const double v = g[i] * unitI;
      const float q = static_cast<float>(v * s.ldrMax / (1e-20 + v + power[i]));
      const float o = (q - s.lo) * s.scale;
      ASSERT_TRUE(same_bits(out[i], o)) << target << " " << i;
      const float l = luminance_squeezer(red[i], green[i], blue[i]);
      const float x = ex[i] != 0 && l > 0 ? l * unitI : 0.0f;
      ASSERT_TRUE(same_bits(lum[i], x)) << target << " " << i;
    }
  }
  hwy::SetSupportedTargetsForTest(0);
}

}  // namespace
}  // namespace lftm
