// Chooses between the vector kernels and plain library calls, once per process.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "vecmath/vecmath.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

constexpr int kProbeCount = 4096;

float float_from_bits(uint32_t bits) {
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// The kernels reproduce one build of the library: the one it selects for a processor with
// FMA and AVX2. A library that computes otherwise (another version, or another selection)
// shows it on a spread of arguments, and then every call goes to the library instead.
bool kernels_match_library() {
  std::vector<float> x(kProbeCount), got(kProbeCount);
  std::vector<double> xd(kProbeCount), gotD(kProbeCount);
  uint32_t state = 12345;
  for (int i = 0; i < kProbeCount; ++i) {
    state = state * 1664525u + 1013904223u;
    // Positive normal floats of every exponent from 2^-30 to 2^30.
    x[i] = float_from_bits(0x30800000u + state % 0x1e000000u);
    xd[i] = static_cast<double>(x[i]) * (1.0 + 0x1p-40 * (state >> 8));
  }
  logf_avx2(x.data(), got.data(), kProbeCount);
  for (int i = 0; i < kProbeCount; ++i) {
    const float want = std::log(x[i]);
    if (std::memcmp(&got[i], &want, sizeof want) != 0) return false;
  }
  for (float y : {0.23f, 1.7f, -0.45f}) {
    powf_avx2(x.data(), y, got.data(), kProbeCount);
    for (int i = 0; i < kProbeCount; ++i) {
      const float want = std::pow(x[i], y);
      if (std::memcmp(&got[i], &want, sizeof want) != 0) return false;
    }
  }
  for (double y : {0.85, 1.3}) {
    pow_avx2(xd.data(), y, gotD.data(), kProbeCount);
    for (int i = 0; i < kProbeCount; ++i) {
      const double want = std::pow(xd[i], y);
      if (std::memcmp(&gotD[i], &want, sizeof want) != 0) return false;
    }
  }
  return true;
}

std::atomic<bool> forceLibraryCalls{false};

bool use_vectors() {
  static const bool use = cpu_has_avx2_fma() && kernels_match_library();
  return use && !forceLibraryCalls.load(std::memory_order_relaxed);
}

}  // namespace

bool cpu_has_avx2_fma() {
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

bool vecmath_uses_vectors() { return use_vectors(); }

void vecmath_force_library_calls(bool force) {
  forceLibraryCalls.store(force, std::memory_order_relaxed);
}

void logf_array(const float* x, float* out, size_t n) {
  if (use_vectors()) return logf_avx2(x, out, n);
  for (size_t i = 0; i < n; ++i) out[i] = std::log(x[i]);
}

void powf_array(const float* x, float y, float* out, size_t n) {
  if (use_vectors()) return powf_avx2(x, y, out, n);
  for (size_t i = 0; i < n; ++i) out[i] = std::pow(x[i], y);
}

void powf_pairs(const float* x, const float* y, float* out, size_t n) {
  if (use_vectors()) return powf_pairs_avx2(x, y, out, n);
  for (size_t i = 0; i < n; ++i) out[i] = std::pow(x[i], y[i]);
}

void pow_array(const double* x, double y, double* out, size_t n) {
  if (use_vectors()) return pow_avx2(x, y, out, n);
  for (size_t i = 0; i < n; ++i) out[i] = std::pow(x[i], y);
}

}  // namespace lftm
