// SPDX-License-Identifier: BSD-3-Clause
// pow on vector lanes: log(x) to about 68 bits as hi + lo from a 128-entry table, its product
// with y split the same way, then exp(hi + lo) from a 128-entry table (exp_lanes-inl.h).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "vecmath/pow_kernel.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include <cstring>

#include "hwy/highway.h"
#include "vecmath/exp_lanes-inl.h"
#include "vecmath/libm_tables.h"
#include "vecmath/vector_kernels.h"
#include "vecmath/table_rows-inl.h"
#include "vecmath/vector_lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {

// log(x) = k ln2 + log(c) + log1p(z/c - 1) as *hi + *lo, of the lanes of ix (double bits).
HWY_INLINE void log_lanes(VU64 ix, VD* logHi, VD* logLo) {
  const DU64 du;
  const DI64 di;
  const VI64 tmp = hn::BitCast(di, hn::Sub(ix, hn::Set(du, 0x3fe6955500000000u)));
  const VI64 row = hn::And(hn::ShiftRight<45>(tmp), hn::Set(di, 127));
  // k = tmp >> 52 (arithmetic), within +-2^11: 2^52 + 2^11 + k from its bits, less 2^52 + 2^11.
  // Exact, and cheaper than the shift and conversion of 64-bit integers where the target has
  // none.
  const VU64 biasedK = hn::Xor(hn::ShiftRight<52>(hn::BitCast(du, tmp)), hn::Set(du, 0x800));
  const VD kd = hn::Sub(hn::BitCast(DD(), hn::Or(biasedK, hn::Set(du, 0x4330000000000000u))),
                        set(0x1p52 + 0x1p11));
  const VU64 field = hn::And(hn::BitCast(du, tmp), hn::Set(du, 0xfffull << 52));
  const VD z = hn::BitCast(DD(), hn::Sub(ix, field));
  const TableRows<2> rows(row);
  VD invc, unused, logc, logctail;
  rows.columns(kPowLogTable, 0, &invc, &unused);
  rows.columns(kPowLogTable, 2, &logc, &logctail);
  const double* A = kPowLogPoly;

  const VD t1 = fma(kd, set(kPowLn2Hi), logc);
  const VD lo1 = fma(kd, set(kPowLn2Lo), logctail);
  const VD r = fma(z, invc, set(-1.0));
  const VD ar = hn::Mul(r, set(A[0]));
  const VD q1 = fma(r, set(A[2]), set(A[1]));
  const VD q3 = fma(r, set(A[4]), set(A[3]));
  const VD t2 = hn::Add(r, t1);
  const VD ar2 = hn::Mul(r, ar);
  const VD ar3 = hn::Mul(r, ar2);
  const VD lo3 = fms(ar, r, ar2);
  const VD lo2 = hn::Add(hn::Sub(t1, t2), r);
  const VD q5 = fma(r, set(A[6]), set(A[5]));
  const VD hi = hn::Add(t2, ar2);
  const VD lo4 = hn::Add(hn::Sub(t2, hi), ar2);
  VD q = fma(q5, ar2, q3);
  q = fma(ar2, q, q1);
  VD lo = hn::Add(lo1, lo2);
  lo = hn::Add(lo, lo3);
  lo = hn::Add(lo, lo4);
  lo = fma(ar3, q, lo);
  *logHi = hn::Add(hi, lo);
  *logLo = hn::Add(hn::Sub(hi, *logHi), lo);
}

// pow of the lanes of x and y. Lanes set in *scalar need the scalar call: x zero, negative,
// subnormal, infinite or NaN, and |y log x| below 2^-54 or from 512 up (where the library rounds
// tiny results, or decides overflow and underflow). y itself is checked by the caller.
HWY_INLINE VD pow_lanes(VD x, VD y, uint64_t* scalar) {
  const DU64 du;
  const VU64 ix = hn::BitCast(du, x);
  // Normal positive x: 0x001... <= ix < 0x7ff...
  const auto badX = hn::Not(hn::Lt(hn::Sub(ix, hn::Set(du, 0x0010000000000000u)),
                                   hn::Set(du, 0x7fe0000000000000u)));
  VD logHi, logLo;
  log_lanes(ix, &logHi, &logLo);
  const VD ehi = hn::Mul(y, logHi);
  const VD elo = fma(y, logLo, fms(logHi, y, ehi));
  *scalar = mask_bits(du, hn::Or(badX, exp_needs_call(ehi)));
  return exp_lanes<true>(ehi, elo);
}

// Vectors [begin, end) of x to the power y[0], noting the lanes the table path leaves out. Not
// inlined, so that no call shares the function with the loop.
HWY_NOINLINE void pow_block(const double* x, const double* y, double* out, size_t begin,
                            size_t end, ScalarLanes<double>& notes) {
  const DD dd;
  const size_t lanes = hn::Lanes(dd);
  const VD yv = hn::Set(dd, y[0]);
  for (size_t i = begin; i < end; i += lanes) {
    const VD in = hn::LoadU(dd, x + i);
    uint64_t scalar;
    hn::StoreU(pow_lanes(in, yv, &scalar), dd, out + i);
    if (scalar != 0) note_lanes(notes, i, scalar, dd, in, yv);
  }
}

double pow_call(double x, double y) { return std::pow(x, y); }

void pow_vectors(const double* x, double y, double* out, size_t n) {
  // Exponents outside the table range go to the library whole.
  const size_t vectorN = pow_exponent_in_table_range(y) ? n : 0;
  run_in_blocks<double>(x, &y, 0, out, vectorN, n, hn::Lanes(DD()), pow_block, pow_call);
}

PowKernel pow_kernel() { return pow_vectors; }

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lftm {

HWY_EXPORT(pow_kernel);

PowKernel best_pow_kernel() { return HWY_DYNAMIC_DISPATCH(pow_kernel)(); }

bool pow_exponent_in_table_range(double y) {
  uint64_t iy;
  std::memcpy(&iy, &y, sizeof iy);
  return ((iy >> 52 & 0x7ff) - 0x3be) < 0x80;
}

}  // namespace lftm
#endif
