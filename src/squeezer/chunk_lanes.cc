// SPDX-License-Identifier: BSD-3-Clause
// rgbe_mantissas and adaptation_products on the widest vectors the processor has
// (hwy/foreach_target.h compiles this file once per instruction set).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "squeezer/chunk_lanes.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"
#include "squeezer/chunk_lanes.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Double lanes, and float, 32-bit and byte vectors of as many lanes.
using DD = hn::ScalableTag<double>;
using DF = hn::Rebind<float, DD>;
using DI = hn::Rebind<int32_t, DD>;
using DB = hn::Rebind<uint8_t, DD>;

HWY_INLINE hn::Vec<DF> bytes_as_floats(const uint8_t* p) {
  return hn::ConvertTo(DF(), hn::PromoteTo(DI(), hn::LoadU(DB(), p)));
}

void rgbe_mantissas_here(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                         const uint8_t* exponent, const float* expTable, size_t n, float* r,
                         float* g, float* b, float* unit) {
  const DF df;
  const size_t lanes = hn::Lanes(df);
  size_t i = 0;
  for (; i + lanes <= n; i += lanes) {
    hn::StoreU(bytes_as_floats(red + i), df, r + i);
    hn::StoreU(bytes_as_floats(green + i), df, g + i);
    hn::StoreU(bytes_as_floats(blue + i), df, b + i);
    const auto e = hn::PromoteTo(DI(), hn::LoadU(DB(), exponent + i));
    hn::StoreU(hn::GatherIndex(df, expTable, e), df, unit + i);
  }
  for (; i < n; ++i) {
    r[i] = red[i];
    g[i] = green[i];
    b[i] = blue[i];
    unit[i] = expTable[exponent[i]];
  }
}

// One pixel the scalar way: the tail of a run, and the definition the lanes follow.
HWY_INLINE double adaptation_of(float r, float g, float b, const float* unit, size_t i,
                                const AdaptationScale& a) {
  float Y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  if (unit != nullptr) Y *= unit[i];
  const float A = a.globalPart + a.blend * Y;
  return a.k * A;
}

template <bool kUnit>
void adaptation_on_lanes(const float* r, const float* g, const float* b, const float* unit,
                         size_t n, const AdaptationScale& a, double* kA) {
  const DD dd;
  const DF df;
  const size_t lanes = hn::Lanes(dd);
  const auto wr = hn::Set(dd, 0.2126), wg = hn::Set(dd, 0.7152), wb = hn::Set(dd, 0.0722);
  const auto globalPart = hn::Set(df, a.globalPart), blend = hn::Set(df, a.blend);
  const auto k = hn::Set(dd, a.k);
  size_t i = 0;
  for (; i + lanes <= n; i += lanes) {
    const auto yr = hn::Mul(wr, hn::PromoteTo(dd, hn::LoadU(df, r + i)));
    const auto yg = hn::Mul(wg, hn::PromoteTo(dd, hn::LoadU(df, g + i)));
    const auto yb = hn::Mul(wb, hn::PromoteTo(dd, hn::LoadU(df, b + i)));
    auto Y = hn::DemoteTo(df, hn::Add(hn::Add(yr, yg), yb));
    if constexpr (kUnit) Y = hn::Mul(Y, hn::LoadU(df, unit + i));
    const auto A = hn::Add(globalPart, hn::Mul(blend, Y));
    hn::StoreU(hn::Mul(k, hn::PromoteTo(dd, A)), dd, kA + i);
  }
  for (; i < n; ++i) kA[i] = adaptation_of(r[i], g[i], b[i], kUnit ? unit : nullptr, i, a);
}

void adaptation_products_here(const float* r, const float* g, const float* b,
                              const float* unit, size_t n, const AdaptationScale& a,
                              double* kA) {
  if (unit != nullptr) {
    adaptation_on_lanes<true>(r, g, b, unit, n, a, kA);
  } else {
    adaptation_on_lanes<false>(r, g, b, unit, n, a, kA);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lftm {

HWY_EXPORT(rgbe_mantissas_here);
HWY_EXPORT(adaptation_products_here);

void rgbe_mantissas(const uint8_t* red, const uint8_t* green, const uint8_t* blue,
                    const uint8_t* exponent, const float* expTable, size_t n, float* r, float* g,
                    float* b, float* unit) {
  HWY_DYNAMIC_DISPATCH(rgbe_mantissas_here)(red, green, blue, exponent, expTable, n, r, g, b,
                                            unit);
}

void adaptation_products(const float* r, const float* g, const float* b, const float* unit,
                         size_t n, const AdaptationScale& a, double* kA) {
  HWY_DYNAMIC_DISPATCH(adaptation_products_here)(r, g, b, unit, n, a, kA);
}

}  // namespace lftm
#endif
