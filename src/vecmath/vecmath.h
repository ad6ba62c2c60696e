// SPDX-License-Identifier: BSD-3-Clause
// Whole-array logf, powf, pow and exp for the per-pixel loops. Every result has the bits that the
// C library's scalar call gives for the same arguments on the running machine; where the
// processor has vectors with fused multiply-adds (AVX2 and FMA, AVX-512, 64-bit Arm), and the
// library computes the way the vector kernels do, several pixels are done at once. Outputs may be the inputs (in place); arrays need no alignment.
#ifndef LFTM_VECMATH_VECMATH_H_
#define LFTM_VECMATH_VECMATH_H_

#include <cstddef>

namespace lftm {

// out[i] = logf(x[i])
void logf_array(const float* x, float* out, size_t n);

// out[i] = powf(x[i], y)
void powf_array(const float* x, float y, float* out, size_t n);

// out[i] = powf(x[i], y[i])
void powf_pairs(const float* x, const float* y, float* out, size_t n);

// out[i] = pow(x[i], y)
void pow_array(const double* x, double y, double* out, size_t n);

// out[i] = exp(x[i])
void exp_array(const double* x, double* out, size_t n);

// True when the calls above use the vector kernels, false when they call the library.
bool vecmath_uses_vectors();

// Benchmarks only: true sends every call above to the library, to measure what the vectors
// gain. Process-wide.
void vecmath_force_library_calls(bool force);

}  // namespace lftm

#endif  // LFTM_VECMATH_VECMATH_H_
