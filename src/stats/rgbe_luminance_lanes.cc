// SPDX-License-Identifier: BSD-3-Clause
// rgbe_luminances on the widest vectors the processor has (hwy/foreach_target.h compiles this
// file once per instruction set).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "stats/rgbe_luminance_lanes.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"
#include "stats/pixel_luminance.h"
#include "stats/rgbe_luminance_lanes.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Double lanes, and float, 32-bit and byte vectors of as many lanes.
using DD = hn::ScalableTag<double>;
using DF = hn::Rebind<float, DD>;
using DI = hn::Rebind<int32_t, DD>;
using DB = hn::Rebind<uint8_t, DD>;

HWY_INLINE hn::Vec<DD> bytes_as_doubles(const uint8_t* p) {
  return hn::PromoteTo(DD(), hn::PromoteTo(DI(), hn::LoadU(DB(), p)));
}

HWY_INLINE float luminance_of(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                              const uint8_t* exponent, const float* expTable, size_t k) {
  if (exponent[k] == 0) return 0.0f;
  const float lum = luminance_squeezer(red[k], green[k], blue[k]);
  return lum > 0 ? lum * expTable[exponent[k]] : 0.0f;
}

void rgbe_luminances_here(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                          const uint8_t* exponent, const float* expTable, size_t n,
                          float* out) {
  const DD dd;
  const DF df;
  const size_t lanes = hn::Lanes(dd);
  const auto wr = hn::Set(dd, 0.2125), wg = hn::Set(dd, 0.7154), wb = hn::Set(dd, 0.0721);
  const auto zero = hn::Zero(df);
  size_t k = 0;
  for (; k + lanes <= n; k += lanes) {
    const auto yr = hn::Mul(wr, bytes_as_doubles(red + k));
    const auto yg = hn::Mul(wg, bytes_as_doubles(green + k));
    const auto yb = hn::Mul(wb, bytes_as_doubles(blue + k));
    const auto lum = hn::DemoteTo(df, hn::Add(hn::Add(yr, yg), yb));
    const auto e = hn::PromoteTo(DI(), hn::LoadU(DB(), exponent + k));
    const auto lit = hn::And(hn::RebindMask(df, hn::Ne(e, hn::Zero(DI()))), hn::Gt(lum, zero));
    const auto x = hn::Mul(lum, hn::GatherIndex(df, expTable, e));
    hn::StoreU(hn::IfThenElseZero(lit, x), df, out + k);
  }
  for (; k < n; ++k) out[k] = luminance_of(red, green, blue, exponent, expTable, k);
}

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lftm {

HWY_EXPORT(rgbe_luminances_here);

void rgbe_luminances(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                     const uint8_t* exponent, const float* expTable, size_t n, float* out) {
  HWY_DYNAMIC_DISPATCH(rgbe_luminances_here)(red, green, blue, exponent, expTable, n, out);
}

}  // namespace lftm
#endif
