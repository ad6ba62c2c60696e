// SPDX-License-Identifier: BSD-3-Clause
#include "merge/radiance_merge.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "lftm_host.h"
#include "merge/sample_levels.h"
#include "platform/run_context.h"
#include "platform/workers.h"

namespace lftm {
namespace {

constexpr int kRowsPerCheck = 32;

struct MergePlan {
  const Bracket* bracket;
  const CameraResponse* response;
  LevelTrust trust;
  std::vector<size_t> order;  // frames from the shortest exposure to the longest
};

uint32_t brightest(const Frame& f, size_t at) {
  return std::max({f.level(at), f.level(at + 1), f.level(at + 2)});
}

void frame_estimate(const MergePlan& plan, const Frame& f, size_t at, float* out) {
  const float scale = static_cast<float>(1.0 / f.exposure);
  for (size_t k = 0; k < 3; ++k) out[k] = plan.response->inverse[k][f.level(at + k)] * scale;
}

// The estimate of a pixel no frame measured: the shortest exposure's when it is clipped
// there, otherwise the longest's (of the frames that cover the pixel; the reference does).
void unmeasured_pixel(const MergePlan& plan, int x, int y, size_t at, float* out) {
  const Bracket& b = *plan.bracket;
  const Frame* shortest = nullptr;
  const Frame* longest = nullptr;
  for (size_t i : plan.order) {
    if (!b.frames[i].covers(x, y, b.width, b.height)) continue;
    if (shortest == nullptr) shortest = &b.frames[i];
    longest = &b.frames[i];
  }
  const bool bright = brightest(*shortest, at) >= plan.trust.clipHigh;
  frame_estimate(plan, bright ? *shortest : *longest, at, out);
}

// The weighted sums of one pixel over the frames that measure it.
struct PixelSums {
  float sum[3] = {0, 0, 0};
  float weight = 0;

  void add(float trust, const MergePlan& plan, const Frame& f, size_t at) {
    // trust x exposure is the weight; the estimate is inverse / exposure, so the exposure
    // cancels in the weighted sum.
    weight += trust * static_cast<float>(f.exposure);
    for (size_t k = 0; k < 3; ++k) sum[k] += trust * plan.response->inverse[k][f.level(at + k)];
  }
};

// Returns true when some frame measured the pixel. Where ghost removal took away every frame
// that measures it (the reference is clipped or black there), the frames count as they are:
// a ghost is better than a value from a clipped or black sample, stops away.
bool merge_pixel(const MergePlan& plan, size_t pixel, float* out) {
  const Bracket& b = *plan.bracket;
  const int x = static_cast<int>(pixel % static_cast<size_t>(b.width));
  const int y = static_cast<int>(pixel / static_cast<size_t>(b.width));
  const size_t at = 3 * pixel;
  PixelSums kept, all;
  for (const Frame& f : b.frames) {
    if (!f.covers(x, y, b.width, b.height)) continue;
    const float trust = plan.trust.weight[brightest(f, at)];
    if (trust <= 0) continue;
    const float share = f.share(pixel);
    if (share > 0) kept.add(trust * share, plan, f, at);
    if (share < 1) all.add(trust, plan, f, at);
  }
  const PixelSums& used = kept.weight > 0 ? kept : all;
  if (used.weight > 0) {
    for (size_t k = 0; k < 3; ++k) out[k] = used.sum[k] / used.weight;
    return true;
  }
  unmeasured_pixel(plan, x, y, at, out);
  return false;
}

}  // namespace

int32_t merge_radiance(const Bracket& bracket, const CameraResponse& response, int threads,
                       float* rgb, MergeCounts* counts) {
  const MergePlan plan{&bracket, &response, level_trust(bracket.levels()), by_exposure(bracket)};
  const int workers = clamp_workers(threads);
  std::vector<size_t> unmeasured(static_cast<size_t>(workers), 0);
  std::atomic<bool> stopped{false};
  run_tiles(workers, [&](int index) {
    const RowBand band = tile_rows(index, workers, bracket.height);
    for (int y = band.first; y < band.first + band.rows; ++y) {
      if ((y - band.first) % kRowsPerCheck == 0 && (stopped || run_cancelled())) {
        stopped = true;
        return;
      }
      const size_t first = static_cast<size_t>(y) * bracket.width;
      for (size_t p = first; p < first + bracket.width; ++p) {
        if (!merge_pixel(plan, p, rgb + 3 * p)) ++unmeasured[static_cast<size_t>(index)];
      }
    }
  });
  if (stopped) return LFTM_ERR_CANCELLED;
  counts->unmeasured = 0;
  for (size_t n : unmeasured) counts->unmeasured += n;
  return 0;
}

}  // namespace lftm
