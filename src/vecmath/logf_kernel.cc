// SPDX-License-Identifier: BSD-3-Clause
// logf on vector lanes: x = 2^k z with z near a table point c, and
// log(x) = k ln2 + log(c) + log1p(z/c - 1), all in double precision.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "vecmath/logf_kernel.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"
#include "vecmath/libm_tables.h"
#include "vecmath/vector_kernels.h"
#include "vecmath/small_tables-inl.h"
#include "vecmath/vector_lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {

// logf of the lanes of ix (float bits), with the table of kLogfTable. Lanes set in *scalar need the scalar call: zero,
// negative, subnormal, infinite and NaN inputs, and 1, whose zero the library returns directly.
HWY_INLINE VF logf_lanes(VU32 ix, const PairTable<16>& table, uint64_t* scalar) {
  const DU32 du;
  *scalar = mask_bits(du, hn::Or(hn::Gt(hn::Sub(ix, hn::Set(du, 0x00800000u)),
                                        hn::Set(du, 0x7effffffu)),
                                 hn::Eq(ix, hn::Set(du, 0x3f800000u))));

  const auto tmp = hn::Sub(ix, hn::Set(du, 0x3f330000u));
  const VI64 row = table_row(hn::And(hn::ShiftRight<19>(tmp), hn::Set(du, 15u)));
  const VI32 k = hn::ShiftRight<23>(hn::BitCast(DI32(), tmp));
  const auto iz = hn::Sub(ix, hn::And(tmp, hn::Set(du, 0xff800000u)));
  const VD z = hn::PromoteTo(DD(), hn::BitCast(DF(), iz));
  VD invc, logc;
  table.lookup(row, &invc, &logc);

  const VD y0 = fma(hn::PromoteTo(DD(), k), set(kLogfLn2), logc);
  const VD r = fma(z, invc, set(-1.0));
  VD p = fma(r, set(kLogfPoly[1]), set(kLogfPoly[2]));
  const VD r2 = hn::Mul(r, r);
  const VD sum = hn::Add(r, y0);
  p = fma(r2, set(kLogfPoly[0]), p);
  return hn::DemoteTo(DF(), fma(r2, p, sum));
}

// Vectors [begin, end) of x (there is no y), noting the lanes the table path leaves out. Not
// inlined, so that no call shares the function with the loop.
HWY_NOINLINE void logf_block(const float* x, const float*, float* out, size_t begin, size_t end,
                             ScalarLanes<float>& notes) {
  const DF df;
  const size_t lanes = hn::Lanes(df);
  const PairTable<16> table(kLogfTable);
  for (size_t i = begin; i < end; i += lanes) {
    const VF in = hn::LoadU(df, x + i);
    uint64_t scalar;
    hn::StoreU(logf_lanes(hn::BitCast(DU32(), in), table, &scalar), df, out + i);
    if (scalar != 0) note_lanes(notes, i, scalar, df, in, hn::Zero(df));
  }
}

float logf_call(float x, float) { return std::log(x); }

void logf_vectors(const float* x, float* out, size_t n) {
  run_in_blocks<float>(x, nullptr, 0, out, n, n, hn::Lanes(DF()), logf_block, logf_call);
}

LogfKernel logf_kernel() { return logf_vectors; }

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lftm {

HWY_EXPORT(logf_kernel);

LogfKernel best_logf_kernel() { return HWY_DYNAMIC_DISPATCH(logf_kernel)(); }

}  // namespace lftm
#endif
