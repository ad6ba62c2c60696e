// SPDX-License-Identifier: BSD-3-Clause
// Chooses, once per process, between the vector kernels and plain library calls.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "hwy/targets.h"
#include "vecmath/vecmath.h"
#include "vecmath/vector_kernels.h"

namespace lftm {
namespace {

void logf_library(const float* x, float* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = std::log(x[i]);
}

void powf_library(const float* x, float y, float* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = std::pow(x[i], y);
}

void powf_pairs_library(const float* x, const float* y, float* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = std::pow(x[i], y[i]);
}

void pow_library(const double* x, double y, double* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = std::pow(x[i], y);
}

void exp_library(const double* x, double* out, size_t n) {
  for (size_t i = 0; i < n; ++i) out[i] = std::exp(x[i]);
}

using Kernels = VectorKernels;

constexpr Kernels kLibrary = {logf_library, powf_library, powf_pairs_library, pow_library,
                              exp_library};

template <typename T>
bool same_bits(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The kernels reproduce one build of the library: the one with fused multiply-adds (on x86,
// the one it selects for a processor with FMA and AVX2). A library that computes otherwise (another version, or another selection)
// shows it on a spread of arguments, and then every call goes to the library instead.
bool match_library(const Kernels& k) {
  constexpr int kProbes = 4096;
  std::vector<float> x(kProbes), got(kProbes), ys(kProbes);
  std::vector<double> xd(kProbes), gotD(kProbes);
  uint32_t state = 12345;
  for (int i = 0; i < kProbes; ++i) {
    state = state * 1664525u + 1013904223u;
    // Positive normal floats of every exponent from 2^-30 to 2^30.
    const uint32_t bits = 0x30800000u + state % 0x1e000000u;
    std::memcpy(&x[i], &bits, sizeof bits);
    xd[i] = static_cast<double>(x[i]) * (1.0 + 0x1p-40 * (state >> 8));
    ys[i] = static_cast<float>(state >> 9) * 0x1p-22f - 2.0f;
  }
  k.logf(x.data(), got.data(), kProbes);
  for (int i = 0; i < kProbes; ++i) {
    if (!same_bits(got[i], std::log(x[i]))) return false;
  }
  for (float y : {0.23f, 1.7f, -0.45f}) {
    k.powf(x.data(), y, got.data(), kProbes);
    for (int i = 0; i < kProbes; ++i) {
      if (!same_bits(got[i], std::pow(x[i], y))) return false;
    }
  }
  k.powf_pairs(x.data(), ys.data(), got.data(), kProbes);
  for (int i = 0; i < kProbes; ++i) {
    if (!same_bits(got[i], std::pow(x[i], ys[i]))) return false;
  }
  for (double y : {0.85, -0.07}) {
    k.pow(xd.data(), y, gotD.data(), kProbes);
    for (int i = 0; i < kProbes; ++i) {
      if (!same_bits(gotD[i], std::pow(xd[i], y))) return false;
    }
  }
  // Arguments of exp from -21 to 21, as the logarithms of luminances are.
  for (int i = 0; i < kProbes; ++i) xd[i] = std::log(xd[i]);
  k.exp(xd.data(), gotD.data(), kProbes);
  for (int i = 0; i < kProbes; ++i) {
    if (!same_bits(gotD[i], std::exp(xd[i]))) return false;
  }
  return true;
}

Kernels choose_kernels() {
  if (!best_vector_kernels_fuse()) return kLibrary;
  const Kernels k = best_vector_kernels();
  return match_library(k) ? k : kLibrary;
}

std::atomic<bool> forceLibraryCalls{false};

const Kernels& kernels() {
  static const Kernels chosen = choose_kernels();
  return forceLibraryCalls.load(std::memory_order_relaxed) ? kLibrary : chosen;
}

}  // namespace

VectorKernels best_vector_kernels() {
  return {best_logf_kernel(), best_powf_kernel(), best_powf_pairs_kernel(), best_pow_kernel(),
          best_exp_kernel()};
}

bool best_vector_kernels_fuse() {
  const int64_t targets = hwy::SupportedTargets() & HWY_TARGETS;
  const int64_t best = targets & -targets;  // lower bits are the better targets
#if HWY_ARCH_X86
  return best != 0 && best <= HWY_AVX2;
#elif HWY_ARCH_ARM_A64
  return best != 0;
#else
  return false;
#endif
}

std::vector<VectorKernels> vector_kernels_of_every_target() {
  std::vector<VectorKernels> all;
  for (int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    all.push_back(best_vector_kernels());
  }
  hwy::SetSupportedTargetsForTest(0);
  return all;
}

bool vecmath_uses_vectors() { return kernels().logf != logf_library; }

void vecmath_force_library_calls(bool force) {
  forceLibraryCalls.store(force, std::memory_order_relaxed);
}

void logf_array(const float* x, float* out, size_t n) { kernels().logf(x, out, n); }

void powf_array(const float* x, float y, float* out, size_t n) { kernels().powf(x, y, out, n); }

void powf_pairs(const float* x, const float* y, float* out, size_t n) {
  kernels().powf_pairs(x, y, out, n);
}

void pow_array(const double* x, double y, double* out, size_t n) { kernels().pow(x, y, out, n); }

void exp_array(const double* x, double* out, size_t n) { kernels().exp(x, out, n); }

}  // namespace lftm
