// SPDX-License-Identifier: BSD-3-Clause
// What the vector kernels share, compiled once per instruction set (hwy/foreach_target.h
// includes each kernel, and so this header, once for every target): the lane types, the fused
// multiply-add of the library's FMA build, table look-ups and the noting of scalar lanes.
#if defined(LFTM_VECMATH_VECTOR_LANES_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef LFTM_VECMATH_VECTOR_LANES_INL_H_
#undef LFTM_VECMATH_VECTOR_LANES_INL_H_
#else
#define LFTM_VECMATH_VECTOR_LANES_INL_H_
#endif

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "hwy/highway.h"
#include "vecmath/scalar_lanes.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The kernels compute in double lanes; their float and 32-bit integer inputs are vectors of
// the same number of lanes (half as wide).
using DD = hn::ScalableTag<double>;
using DF = hn::Rebind<float, DD>;
using DI32 = hn::Rebind<int32_t, DD>;
using DU32 = hn::Rebind<uint32_t, DD>;
using DI64 = hn::RebindToSigned<DD>;
using DU64 = hn::RebindToUnsigned<DD>;
using VD = hn::Vec<DD>;
using VF = hn::Vec<DF>;
using VI32 = hn::Vec<DI32>;
using VU32 = hn::Vec<DU32>;
using VI64 = hn::Vec<DI64>;
using VU64 = hn::Vec<DU64>;

// Lanes of a vector at most, on every target (the masks of scalar lanes are 64 bits).
constexpr size_t kMaxLanes = 64;

// Whether this target's multiply-add rounds once. Those that do not (SSE4 and older, the
// portable ones) compute it lane by lane below, so that every target gives the same bits.
#if (HWY_ARCH_X86 && HWY_TARGET <= HWY_AVX2) || HWY_ARCH_ARM_A64
constexpr bool kFusedMulAdd = true;
#else
constexpr bool kFusedMulAdd = false;
#endif

HWY_INLINE VD set(double v) { return hn::Set(DD(), v); }

// a * b + c rounded once, as the library's FMA build computes it.
HWY_INLINE VD fma(VD a, VD b, VD c) {
  if (kFusedMulAdd) return hn::MulAdd(a, b, c);
  const DD d;
  HWY_ALIGN double la[kMaxLanes], lb[kMaxLanes], lc[kMaxLanes];
  hn::Store(a, d, la);
  hn::Store(b, d, lb);
  hn::Store(c, d, lc);
  for (size_t j = 0; j < hn::Lanes(d); ++j) la[j] = std::fma(la[j], lb[j], lc[j]);
  return hn::Load(d, la);
}

// a * b - c rounded once.
HWY_INLINE VD fms(VD a, VD b, VD c) {
  if (kFusedMulAdd) return hn::MulSub(a, b, c);
  return fma(a, b, hn::Neg(c));
}

// Bit j set where lane j of m is.
template <class D>
HWY_INLINE uint64_t mask_bits(D d, hn::Mask<D> m) {
  if (hn::AllFalse(d, m)) return 0;  // nearly always
  uint8_t bytes[kMaxLanes / 8];
  const size_t count = hn::StoreMaskBits(d, m, bytes);
  uint64_t bits = 0;
  for (size_t i = 0; i < count; ++i) bits |= uint64_t{bytes[i]} << 8 * i;
  return bits;
}

// Table row numbers (small) as the look-ups take them.
HWY_INLINE VI64 table_row(VU32 row) { return hn::PromoteTo(DI64(), hn::BitCast(DI32(), row)); }

// Notes the lanes set in `scalar` of the vector at `at`, with their inputs x and y.
template <class D, typename T = hn::TFromD<D>>
HWY_INLINE void note_lanes(ScalarLanes<T>& notes, size_t at, uint64_t scalar, D d, hn::Vec<D> x,
                           hn::Vec<D> y) {
  HWY_ALIGN T xs[kMaxLanes], ys[kMaxLanes];
  hn::Store(x, d, xs);
  hn::Store(y, d, ys);
  notes.note(at, scalar, xs, ys);
}

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#endif  // LFTM_VECMATH_VECTOR_LANES_INL_H_
