// SPDX-License-Identifier: BSD-3-Clause
// exp on vector lanes from the library's 128-entry table, shared by pow and exp (compiled once
// per instruction set, like vector_lanes-inl.h).
#if defined(LFTM_VECMATH_EXP_LANES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef LFTM_VECMATH_EXP_LANES_INL_H_
#undef LFTM_VECMATH_EXP_LANES_INL_H_
#else
#define LFTM_VECMATH_EXP_LANES_INL_H_
#endif

#include "hwy/highway.h"
#include "vecmath/libm_tables.h"
#include "vecmath/table_rows-inl.h"
#include "vecmath/vector_lanes-inl.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {

// exp(ehi + elo) = 2^(k/128) exp(r), ehi + elo = k ln2/128 + r. Without kWithLow, exp(ehi)
// alone, as the library's exp computes it (elo is not read).
template <bool kWithLow>
HWY_INLINE VD exp_lanes(VD ehi, VD elo) {
  const DU64 du;
  VD kd = fma(ehi, set(kExpInvLn2N), set(kExpShift));
  const VU64 ki = hn::BitCast(du, kd);
  kd = hn::Sub(kd, set(kExpShift));
  VD r = fma(kd, set(kExpNegLn2HiN), ehi);
  r = fma(kd, set(kExpNegLn2LoN), r);
  if (kWithLow) r = hn::Add(elo, r);
  const VI64 row = hn::BitCast(DI64(), hn::And(ki, hn::Set(du, 127)));
  VD tail, scaleBits;
  TableRows<1>(row).columns(reinterpret_cast<const double*>(kExpTable), 0, &tail, &scaleBits);
  const VD scale =
      hn::BitCast(DD(), hn::Add(hn::BitCast(du, scaleBits), hn::ShiftLeft<45>(ki)));
  const VD c23 = fma(r, set(kExpPoly[1]), set(kExpPoly[0]));
  const VD rTail = hn::Add(r, tail);
  const VD r2 = hn::Mul(r, r);
  const VD c45 = fma(r, set(kExpPoly[3]), set(kExpPoly[2]));
  VD t = fma(c23, r2, rTail);
  t = fma(c45, hn::Mul(r2, r2), t);
  return fma(scale, t, scale);
}

// Lanes whose |x| lies outside [2^-54, 512): there the library rounds 1 + x, or decides
// overflow and underflow, apart (NaNs and infinities included).
HWY_INLINE hn::Mask<DU64> exp_needs_call(VD x) {
  const DU64 du;
  const VU64 absX = hn::BitCast(du, hn::Abs(x));
  return hn::Not(hn::Lt(hn::Sub(absX, hn::Set(du, 0x3c90000000000000u)),
                        hn::Set(du, 0x03f0000000000000u)));
}

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#endif  // LFTM_VECMATH_EXP_LANES_INL_H_
