// SPDX-License-Identifier: BSD-3-Clause
// channel_responses on the widest vectors the processor has (hwy/foreach_target.h compiles
// this file once per instruction set). The division dominates the pass; on lanes it runs
// several pixels per instruction and rounds each exactly as the scalar division does.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "squeezer/response_lanes.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"
#include "squeezer/response_lanes.h"

HWY_BEFORE_NAMESPACE();
namespace lftm {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// One pixel the scalar way: the tail of a run, and the definition the lanes follow.
HWY_INLINE float response_of(float v, double power, const ResponseScale& s) {
  const double vd = v;
  return (static_cast<float>(vd * s.ldrMax / (1e-20 + vd + power)) - s.lo) * s.scale;
}

template <bool kUnit>
void responses_on_lanes(const float* in, const float* unit, const double* power, size_t n,
                        const ResponseScale& s, float* out) {
  const hn::ScalableTag<double> dd;
  const hn::Rebind<float, decltype(dd)> df;
  const size_t lanes = hn::Lanes(dd);
  const auto ldrMax = hn::Set(dd, s.ldrMax);
  const auto tiny = hn::Set(dd, 1e-20);
  const auto lo = hn::Set(df, s.lo);
  const auto scale = hn::Set(df, s.scale);
  size_t i = 0;
  for (; i + lanes <= n; i += lanes) {
    auto v = hn::LoadU(df, in + i);
    if constexpr (kUnit) v = hn::Mul(v, hn::LoadU(df, unit + i));
    const auto vd = hn::PromoteTo(dd, v);
    const auto den = hn::Add(hn::Add(tiny, vd), hn::LoadU(dd, power + i));
    const auto q = hn::DemoteTo(df, hn::Div(hn::Mul(vd, ldrMax), den));
    hn::StoreU(hn::Mul(hn::Sub(q, lo), scale), df, out + i);
  }
  for (; i < n; ++i) out[i] = response_of(kUnit ? in[i] * unit[i] : in[i], power[i], s);
}

void channel_responses_here(const float* in, const float* unit, const double* power, size_t n,
                            const ResponseScale& s, float* out) {
  if (unit != nullptr) {
    responses_on_lanes<true>(in, unit, power, n, s, out);
  } else {
    responses_on_lanes<false>(in, unit, power, n, s, out);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace lftm
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace lftm {

HWY_EXPORT(channel_responses_here);

void channel_responses(const float* in, const float* unit, const double* power, size_t n,
                       const ResponseScale& s, float* out) {
  HWY_DYNAMIC_DISPATCH(channel_responses_here)(in, unit, power, n, s, out);
}

}  // namespace lftm
#endif
