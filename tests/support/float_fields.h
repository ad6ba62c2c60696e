// SPDX-License-Identifier: BSD-3-Clause
// Float vectors and fields for the Poisson solver tests, compared bit for bit or up to a
// constant.
#ifndef LFTM_TESTS_SUPPORT_FLOAT_FIELDS_H_
#define LFTM_TESTS_SUPPORT_FLOAT_FIELDS_H_

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "booster/poisson/block_sums.h"

namespace lftm_test {

inline std::vector<float> random_vector(size_t n, uint32_t seed, float lo = -1.0f,
                                        float hi = 1.0f) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> dist(lo, hi);
  std::vector<float> v(n);
  for (float& x : v) x = dist(rng);
  return v;
}

// A smooth field with some detail, as a log-luminance image would be.
inline std::vector<float> smooth_field(int w, int h, float phase = 0.0f) {
  std::vector<float> v(static_cast<size_t>(w) * h);
  for (int i = 0; i < h; ++i) {
    for (int j = 0; j < w; ++j) {
      v[static_cast<size_t>(i) * w + j] =
          std::sin(0.07f * j + phase) + 0.5f * std::cos(0.05f * i) + 0.001f * ((i * 7 + j * 3) % 11);
    }
  }
  return v;
}

inline bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

inline bool same_bits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The solver's dot product written out plainly: per block of kSumBlock positions, 16 float
// sums, offset k of the block going to sum k mod 16 in position order; the 16 folded in
// halves (sum k plus sum k + 8, then k + 4, k + 2, k + 1); the block sums added in block order.
inline float reference_dot(const std::vector<float>& a, const std::vector<float>& b) {
  float total = 0.0f;
  for (size_t block = 0; block < a.size(); block += lftm::kSumBlock) {
    float lane[16] = {};
    for (size_t i = block; i < a.size() && i < block + lftm::kSumBlock; ++i) {
      lane[(i - block) % 16] += a[i] * b[i];
    }
    for (int half = 8; half >= 1; half /= 2) {
      for (int k = 0; k < half; ++k) lane[k] += lane[k + half];
    }
    total += lane[0];
  }
  return total;
}

// Largest |a - b - (mean of a - b)|: equality up to a constant.
inline double max_deviation_up_to_constant(const std::vector<float>& a,
                                           const std::vector<float>& b) {
  double mean = 0.0;
  for (size_t i = 0; i < a.size(); ++i) mean += static_cast<double>(a[i]) - b[i];
  mean /= static_cast<double>(a.size());
  double worst = 0.0;
  for (size_t i = 0; i < a.size(); ++i) {
    worst = std::fmax(worst, std::fabs(static_cast<double>(a[i]) - b[i] - mean));
  }
  return worst;
}

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_FLOAT_FIELDS_H_
