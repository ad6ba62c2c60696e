// SPDX-License-Identifier: BSD-3-Clause
// Images at the edges of the float range, through the host interface: tones never change
// places, a flat image comes out uniform at every level, and the Texture Booster's picture
// does not depend on the overall scale. Memory and disk mode and any worker count agree.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "lftm_host.h"

namespace {

constexpr int kSide = 48;

struct Mapped {
  int32_t result;
  std::vector<uint8_t> grey;  // the output's one channel (its red)
};

Mapped tone_map(int32_t method, const std::vector<float>& grey, int threads, int disk) {
  lftm_options options;
  lftm_options_init(&options, sizeof options, method);
  options.threads = threads;
  options.disk = disk;
  Mapped run{0, std::vector<uint8_t>(grey.size(), 0)};
  lftm_image in, out;
  lftm_image_init(&in, sizeof in, LFTM_SAMPLE_FLOAT32, 1, kSide, kSide,
                  const_cast<float*>(grey.data()));
  lftm_image_init(&out, sizeof out, LFTM_SAMPLE_UINT8, 1, kSide, kSide, run.grey.data());
  run.result = lftm_tonemap_image(&in, &out, &options);
  return run;
}

// Checkerboard of two levels.
std::vector<float> two_levels(float bright, float dark) {
  std::vector<float> v(kSide * kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) v[y * kSide + x] = (x + y) % 2 ? bright : dark;
  }
  return v;
}

// Smooth bright and dark patches over four decades, times 2^exponent.
std::vector<float> scene(int exponent) {
  std::vector<float> v(kSide * kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const double t = 0.5 + 0.5 * std::sin(x * 0.2) * std::cos(y * 0.13);
      v[y * kSide + x] = static_cast<float>(std::ldexp(std::pow(10.0, 4 * t), exponent));
    }
  }
  return v;
}

// Every run of the Texture Booster gives the bits of one memory-mode worker.
Mapped booster(const std::vector<float>& grey) {
  const Mapped one = tone_map(LFTM_METHOD_TEXTURE_BOOSTER, grey, 1, 0);
  EXPECT_EQ(tone_map(LFTM_METHOD_TEXTURE_BOOSTER, grey, 3, 0).grey, one.grey);
  EXPECT_EQ(tone_map(LFTM_METHOD_TEXTURE_BOOSTER, grey, 1, 1).grey, one.grey);
  return one;
}

bool uniform(const Mapped& run) {
  for (uint8_t v : run.grey) {
    if (v != run.grey[0]) return false;
  }
  return true;
}

TEST(NumericExtremes, TonesKeepTheirOrderAndFlatImagesAnswerAtEveryLevel) {
  const float pairs[][2] = {{1e38f, 1e-40f}, {1e30f, 1e-30f}, {100.0f, 1.0f}};
  for (const auto& p : pairs) {
    const std::string what = std::to_string(p[0]) + " over " + std::to_string(p[1]);
    for (int32_t method : {LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER}) {
      const Mapped r = method == LFTM_METHOD_TEXTURE_BOOSTER
                        ? booster(two_levels(p[0], p[1]))
                        : tone_map(method, two_levels(p[0], p[1]), 1, 0);
      ASSERT_EQ(r.result, 0) << what;
      EXPECT_GE(r.grey[1], r.grey[0]) << what << " method " << method;  // (1, 0) is bright
    }
  }

  // A flat image: the Texture Booster gives one mid-tone at every level (no spread to stretch
  // to white); the Range Squeezer, which has no range to scale, refuses it at every level.
  const float levels[] = {0.001f, 1.0f, 1000.0f, std::ldexp(1.0f, -100), std::ldexp(1.0f, 100)};
  const Mapped midTone = booster(std::vector<float>(kSide * kSide, 1.0f));
  EXPECT_TRUE(uniform(midTone));
  EXPECT_GT(midTone.grey[0], 64);
  EXPECT_LT(midTone.grey[0], 224);
  for (float level : levels) {
    const std::vector<float> flat(kSide * kSide, level);
    EXPECT_EQ(booster(flat).grey, midTone.grey) << level;
    EXPECT_EQ(tone_map(LFTM_METHOD_RANGE_SQUEEZER, flat, 2, 0).result, LFTM_ERR_FILE) << level;
  }

  // The same scene 2^-100 (about 1e-30) and 2^100 (about 1e30) times over: the same picture,
  // up to the rounding of the logarithms.
  const Mapped unit = booster(scene(0));
  for (int exponent : {-100, 100}) {
    const Mapped scaled = booster(scene(exponent));
    for (size_t i = 0; i < unit.grey.size(); ++i) {
      ASSERT_LE(std::abs(scaled.grey[i] - unit.grey[i]), 1) << exponent << " at " << i;
    }
  }
}

}  // namespace
