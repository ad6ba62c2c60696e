// SPDX-License-Identifier: BSD-3-Clause
// The vector kernels behind vecmath.h, each written once and compiled for every instruction set
// the build targets (Highway's foreach_target). They follow the C library's double-precision
// steps operation for operation, fusing exactly the multiply-adds that its FMA build fuses, and
// hand the lanes its table path does not cover (zero, negative, subnormal, infinite or NaN
// input, results near overflow or underflow) to the scalar call.
#ifndef LFTM_VECMATH_VECTOR_KERNELS_H_
#define LFTM_VECMATH_VECTOR_KERNELS_H_

#include <cstddef>
#include <vector>

namespace lftm {

using LogfKernel = void (*)(const float* x, float* out, size_t n);
using PowfKernel = void (*)(const float* x, float y, float* out, size_t n);
using PowfPairsKernel = void (*)(const float* x, const float* y, float* out, size_t n);
using PowKernel = void (*)(const double* x, double y, double* out, size_t n);
using ExpKernel = void (*)(const double* x, double* out, size_t n);

// The kernels of one instruction set.
struct VectorKernels {
  LogfKernel logf;
  PowfKernel powf;
  PowfPairsKernel powf_pairs;
  PowKernel pow;
  ExpKernel exp;
};

// Each kernel for the best instruction set the processor runs (from its own file).
LogfKernel best_logf_kernel();
PowfKernel best_powf_kernel();
PowfPairsKernel best_powf_pairs_kernel();
PowKernel best_pow_kernel();
ExpKernel best_exp_kernel();

// The kernels of the best instruction set the processor runs (or the one that
// hwy::SetSupportedTargetsForTest leaves).
VectorKernels best_vector_kernels();

// Whether that instruction set fuses multiply-adds in hardware. The others compute each fused
// multiply-add with a library call per lane: the same bits, but slower than the scalar calls.
bool best_vector_kernels_fuse();

// The kernels of every instruction set compiled in that the processor runs, best first.
std::vector<VectorKernels> vector_kernels_of_every_target();

// pow's table path takes exponents with 2^-65 <= |y| < 2^63; the library handles the others
// apart, so the kernels pass them to it whole.
bool pow_exponent_in_table_range(double y);

}  // namespace lftm

#endif  // LFTM_VECMATH_VECTOR_KERNELS_H_
