// SPDX-License-Identifier: BSD-3-Clause
#include "merge/response_fit.h"

#include <algorithm>
#include <cmath>

#include "lftm_host.h"
#include "merge/normal_equations.h"
#include "merge/response_samples.h"
#include "merge/sample_levels.h"

namespace lftm {
namespace {

constexpr size_t kBins = 256;     // levels of the fitted curve
constexpr double kSmooth = 4.0;   // weight of g'' = 0 against a fully trusted sample
constexpr double kAnchor = 10.0;  // weight of g(mid) = 0

// One channel's log inverse response at kBins levels.
bool fit_channel(const Bracket& bracket, const std::vector<size_t>& samples, size_t channel,
                 std::vector<double>* g) {
  const LevelTrust trust = level_trust(kBins);
  const uint32_t shift = bracket.bits == 16 ? 8 : 0;
  NormalEquations eq(kBins + samples.size());
  size_t measured = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    for (const Frame& f : bracket.frames) {
      const uint32_t z = f.level(3 * samples[i] + channel) >> shift;
      const double w = trust.weight[z];
      if (w <= 0) continue;
      const size_t index[2] = {z, kBins + i};
      const double coef[2] = {w, -w};
      eq.add_row(index, coef, 2, w * std::log(f.exposure));
      ++measured;
    }
    // Keeps a sample that no frame measures from leaving its unknown undetermined.
    const size_t own = kBins + i;
    const double tiny = 1e-4;
    eq.add_row(&own, &tiny, 1, 0.0);
  }
  if (measured < kBins / 4) return false;
  const size_t mid = kBins / 2;
  eq.add_row(&mid, &kAnchor, 1, 0.0);
  for (size_t z = 1; z + 1 < kBins; ++z) {
    const size_t index[3] = {z - 1, z, z + 1};
    const double coef[3] = {kSmooth, -2 * kSmooth, kSmooth};
    eq.add_row(index, coef, 3, 0.0);
  }
  std::vector<double> x;
  if (!eq.solve(&x)) return false;
  g->assign(x.begin(), x.begin() + kBins);
  return true;
}

// The inverse response at every level from the fitted bins: level z of `levels` sits at
// bin position (z + 0.5) x kBins / levels - 0.5, between two bins' values.
void spread_levels(const std::vector<double>& g, uint32_t levels, std::vector<float>* curve) {
  curve->resize(levels);
  for (uint32_t z = 0; z < levels; ++z) {
    const double at = std::clamp((z + 0.5) * kBins / levels - 0.5, 0.0, kBins - 1.0);
    const size_t lo = std::min(static_cast<size_t>(at), kBins - 2);
    const double t = at - static_cast<double>(lo);
    (*curve)[z] = static_cast<float>(std::exp((1 - t) * g[lo] + t * g[lo + 1]));
  }
}

}  // namespace

int32_t fit_response(const Bracket& bracket, CameraResponse* response) {
  const std::vector<size_t> samples = choose_response_samples(bracket);
  if (samples.empty()) return LFTM_ERR_MERGE_RESPONSE;
  response->levels = bracket.levels();
  for (size_t c = 0; c < 3; ++c) {
    std::vector<double> g;
    if (!fit_channel(bracket, samples, c, &g)) return LFTM_ERR_MERGE_RESPONSE;
    spread_levels(g, response->levels, &response->inverse[c]);
  }
  make_monotone(response);
  return 0;
}

}  // namespace lftm
