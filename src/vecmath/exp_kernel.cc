// SPDX-License-Identifier: BSD-3-Clause
// exp on vector lanes: the library's exp, 2^(k/128) exp(r) from a 128-entry table
// (exp_lanes-inl.h), for arguments with 2^-54 <= |x| < 512; the others take the scalar call.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "vecmath/exp_kernel.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include <cmath>

#include "hwy/highway.h"
#include "vecmath/exp_lanes-inl.h"
#include "vecmath/vector_kernels.h"
#include "vecmath/vector_lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {

// Vectors [begin, end) of x, noting the lanes the table path leaves out. Not inlined, so that
// no call shares the function with the loop.
HWY_NOINLINE void exp_block(const double* x, const double*, double* out, size_t begin,
                            size_t end, ScalarLanes<double>& notes) {
  const DD dd;
  const DU64 du;
  const size_t lanes = hn::Lanes(dd);
  for (size_t i = begin; i < end; i += lanes) {
    const VD in = hn::LoadU(dd, x + i);
    hn::StoreU(exp_lanes<false>(in, in), dd, out + i);
    const uint64_t scalar = mask_bits(du, exp_needs_call(in));
    if (scalar != 0) note_lanes(notes, i, scalar, dd, in, in);
  }
}

double exp_call(double x, double) { return std::exp(x); }

void exp_vectors(const double* x, double* out, size_t n) {
  run_in_blocks<double>(x, nullptr, 0, out, n, n, hn::Lanes(DD()), exp_block, exp_call);
}

ExpKernel exp_kernel() { return exp_vectors; }

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lftm {

HWY_EXPORT(exp_kernel);

ExpKernel best_exp_kernel() { return HWY_DYNAMIC_DISPATCH(exp_kernel)(); }

}  // namespace lftm
#endif
