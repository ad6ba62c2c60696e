// SPDX-License-Identifier: BSD-3-Clause
// powf on vector lanes: log2(x) from a 16-entry table and a polynomial, times y, then
// 2^(y log2 x) from a 32-entry table and a polynomial, all in double precision.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "vecmath/powf_kernel.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"
#include "vecmath/libm_tables.h"
#include "vecmath/vector_kernels.h"
#include "vecmath/small_tables-inl.h"
#include "vecmath/vector_lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {

// Lanes of x (float bits) that need the scalar call: zero, negative, subnormal, infinite or
// NaN. y needs no check: the table path gives the library's 1 for a zero y, and an infinite or
// NaN y makes y log2 x infinite or NaN, which fails the range check.
HWY_INLINE uint64_t powf_special_bases(VU32 ux) {
  const DU32 du;
  return mask_bits(du, hn::Gt(hn::Sub(ux, hn::Set(du, 0x00800000u)), hn::Set(du, 0x7effffffu)));
}

// log2(x) = log2(c) + k + log1p(z/c - 1)/ln2 of the lanes of ix (float bits).
HWY_INLINE VD log2_lanes(VU32 ix, const PairTable<16>& table) {
  const DU32 du;
  const VU32 tmp = hn::Sub(ix, hn::Set(du, 0x3f330000u));
  const VI64 row = table_row(hn::And(hn::ShiftRight<19>(tmp), hn::Set(du, 15u)));
  const VU32 top = hn::And(tmp, hn::Set(du, 0xff800000u));
  const VD z = hn::PromoteTo(DD(), hn::BitCast(DF(), hn::Sub(ix, top)));
  const VD kd = hn::PromoteTo(DD(), hn::ShiftRight<23>(hn::BitCast(DI32(), top)));
  VD invc, logc;
  table.lookup(row, &invc, &logc);
  const double* A = kPowfLog2Poly;
  const VD r = fma(z, invc, set(-1.0));
  const VD y0 = hn::Add(kd, logc);
  VD y = fma(r, set(A[0]), set(A[1]));
  const VD p = fma(r, set(A[2]), set(A[3]));
  const VD r2 = hn::Mul(r, r);
  VD q = fma(r, set(A[4]), y0);
  const VD r4 = hn::Mul(r2, r2);
  q = fma(r2, p, q);
  return fma(y, r4, q);
}

// 2^ylogx = 2^(k/32) 2^r.
HWY_INLINE VD exp2_lanes(VD ylogx, const ColumnTable<32>& table) {
  const DU64 du;
  const VD shift = set(kExp2fShift);
  VD kd = hn::Add(ylogx, shift);
  const VU64 ki = hn::BitCast(du, kd);
  kd = hn::Sub(kd, shift);
  const VD r = hn::Sub(ylogx, kd);
  const VD entry = table.lookup(hn::BitCast(DI64(), hn::And(ki, hn::Set(du, 31))));
  const VU64 t = hn::Add(hn::BitCast(du, entry), hn::ShiftLeft<47>(ki));
  const double* C = kExp2fPoly;
  const VD z = fma(r, set(C[0]), set(C[1]));
  const VD r2 = hn::Mul(r, r);
  VD e = fma(r, set(C[2]), set(1.0));
  e = fma(z, r2, e);
  return hn::Mul(e, hn::BitCast(DD(), t));
}

struct PowfTables {
  PairTable<16> log2{kPowfLog2Table};
  ColumnTable<32> exp2{reinterpret_cast<const double*>(kExp2fTable)};
};

// Exponents below this in magnitude keep |y log2 x| under 126 for every normal x (|log2 x| is
// at most 128), so that no lane needs the range check (nor can such a y be infinite or NaN).
constexpr float kNoRangeCheckBelow = 0.96875f;

// powf of the lanes of x (float bits) and y. Lanes set in *scalar need the scalar call: special
// bases, and, when kCheckRange, |y log2 x| of 126 or more or NaN (overflow and underflow are
// decided there).
template <bool kCheckRange>
HWY_INLINE VF powf_lanes(VU32 ix, VF y, const PowfTables& tables, uint64_t* scalar) {
  const VD ylogx = hn::Mul(hn::PromoteTo(DD(), y), log2_lanes(ix, tables.log2));
  *scalar = powf_special_bases(ix);
  if (kCheckRange) *scalar |= mask_bits(DD(), hn::Not(hn::Lt(hn::Abs(ylogx), set(126.0))));
  return hn::DemoteTo(DF(), exp2_lanes(ylogx, tables.exp2));
}

// Vectors [begin, end) of x and y (kOneY: y[0] for all), noting the lanes the table path leaves
// out. Not inlined, so that no call shares the function with the loop.
template <bool kOneY, bool kCheckRange>
HWY_NOINLINE void powf_block(const float* x, const float* y, float* out, size_t begin,
                             size_t end, ScalarLanes<float>& notes) {
  const DF df;
  const size_t lanes = hn::Lanes(df);
  const PowfTables tables;
  const VF oneY = hn::Set(df, y[0]);  // read before out, which may be y, is written
  for (size_t i = begin; i < end; i += lanes) {
    const VF yv = kOneY ? oneY : hn::LoadU(df, y + i);
    const VF in = hn::LoadU(df, x + i);
    uint64_t scalar;
    hn::StoreU(powf_lanes<kCheckRange>(hn::BitCast(DU32(), in), yv, tables, &scalar), df, out + i);
    if (scalar != 0) note_lanes(notes, i, scalar, df, in, yv);
  }
}

float powf_call(float x, float y) { return std::pow(x, y); }

void powf_vectors(const float* x, float y, float* out, size_t n) {
  const auto block = std::fabs(y) < kNoRangeCheckBelow ? powf_block<true, false>
                                                        : powf_block<true, true>;
  run_in_blocks<float>(x, &y, 0, out, n, n, hn::Lanes(DF()), block, powf_call);
}

void powf_pairs_vectors(const float* x, const float* y, float* out, size_t n) {
  run_in_blocks<float>(x, y, 1, out, n, n, hn::Lanes(DF()), powf_block<false, true>,
                       powf_call);
}

PowfKernel powf_kernel() { return powf_vectors; }
PowfPairsKernel powf_pairs_kernel() { return powf_pairs_vectors; }

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lftm {

HWY_EXPORT(powf_kernel);
HWY_EXPORT(powf_pairs_kernel);

PowfKernel best_powf_kernel() { return HWY_DYNAMIC_DISPATCH(powf_kernel)(); }
PowfPairsKernel best_powf_pairs_kernel() { return HWY_DYNAMIC_DISPATCH(powf_pairs_kernel)(); }

}  // namespace lftm
#endif
