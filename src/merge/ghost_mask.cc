#include "merge/ghost_mask.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "lftm_host.h"
#include "merge/sample_levels.h"
#include "platform/run_context.h"
#include "platform/workers.h"

namespace lftm {
namespace {

constexpr float kNoiseStops = 0.15f;  // what sensor noise and compression may move a value
constexpr float kLevelsOfDoubt = 3;   // level steps each frame's value may be off by
constexpr int kWiden = 3;             // pixels a disagreement is widened by
constexpr int kSoften = 4;            // radius of the box blur that softens its edges

// log2 of the light at each level, and how far one level step moves it.
struct LevelLight {
  std::vector<float> log2Light[3];
  std::vector<float> stepStops;  // of the brightest channel's level, all channels alike
};

LevelLight level_light(const CameraResponse& response) {
  LevelLight l;
  const uint32_t n = response.levels;
  for (int k = 0; k < 3; ++k) {
    l.log2Light[k].resize(n);
    for (uint32_t z = 0; z < n; ++z) {
      l.log2Light[k][z] = std::log2(std::max(response.inverse[k][z], 1e-30f));
    }
  }
  l.stepStops.resize(n);
  const std::vector<float>& g = l.log2Light[1];
  for (uint32_t z = 0; z < n; ++z) {
    const uint32_t lo = z == 0 ? 0 : z - 1, hi = std::min(z + 1, n - 1);
    l.stepStops[z] = (g[hi] - g[lo]) / static_cast<float>(hi - lo);
  }
  return l;
}

// 1 where `frame` disagrees with `ref`, both measuring the pixel.
void find_disagreement(const Bracket& b, const Frame& ref, const Frame& frame,
                       const LevelLight& light, const LevelTrust& trust, int threads,
                       std::vector<uint8_t>* out) {
  const float shift = static_cast<float>(std::log2(ref.exposure / frame.exposure));
  const int workers = clamp_workers(threads);
  run_tiles(workers, [&](int index) {
    const RowBand band = tile_rows(index, workers, b.height);
    const size_t end = static_cast<size_t>(band.first + band.rows) * b.width;
    for (size_t p = static_cast<size_t>(band.first) * b.width; p < end; ++p) {
      const size_t at = 3 * p;
      const uint32_t zr = std::max({ref.level(at), ref.level(at + 1), ref.level(at + 2)});
      const uint32_t zf = std::max({frame.level(at), frame.level(at + 1), frame.level(at + 2)});
      (*out)[p] = 0;
      if (!trust.usable(zr) || !trust.usable(zf)) continue;
      const float allowed =
          kNoiseStops + kLevelsOfDoubt * (light.stepStops[zr] + light.stepStops[zf]);
      for (size_t k = 0; k < 3; ++k) {
        const float d =
            light.log2Light[k][frame.level(at + k)] + shift - light.log2Light[k][ref.level(at + k)];
        if (std::fabs(d) > allowed) (*out)[p] = 1;
      }
    }
  });
}

// A box pass of radius r along rows (transpose = false) or columns, keeping the maximum
// (widen) or the mean.
void box_pass(const std::vector<float>& in, int w, int h, int r, bool columns, bool maximum,
              std::vector<float>* out) {
  out->assign(in.size(), 0.0f);
  const int along = columns ? h : w, across = columns ? w : h;
  for (int a = 0; a < across; ++a) {
    for (int i = 0; i < along; ++i) {
      float acc = 0;
      const int lo = std::max(0, i - r), hi = std::min(along - 1, i + r);
      for (int j = lo; j <= hi; ++j) {
        const float v =
            in[columns ? static_cast<size_t>(j) * w + a : static_cast<size_t>(a) * w + j];
        acc = maximum ? std::max(acc, v) : acc + v;
      }
      (*out)[columns ? static_cast<size_t>(i) * w + a : static_cast<size_t>(a) * w + i] =
          maximum ? acc : acc / static_cast<float>(hi - lo + 1);
    }
  }
}

// The share a frame keeps: 1 away from disagreements, 0 over them, with a soft edge.
void soften(const std::vector<uint8_t>& disagree, int w, int h, std::vector<uint8_t>* share) {
  std::vector<float> a(disagree.begin(), disagree.end()), b;
  box_pass(a, w, h, kWiden, false, true, &b);
  box_pass(b, w, h, kWiden, true, true, &a);
  box_pass(a, w, h, kSoften, false, false, &b);
  box_pass(b, w, h, kSoften, true, false, &a);
  share->resize(a.size());
  for (size_t i = 0; i < a.size(); ++i) {
    (*share)[i] = static_cast<uint8_t>(std::lround(255.0f * (1.0f - std::min(a[i], 1.0f))));
  }
}

}  // namespace

int32_t mark_ghosts(const CameraResponse& response, int threads, Bracket* bracket) {
  const size_t reference = reference_frame(*bracket);
  const Frame& ref = bracket->frames[reference];
  const LevelLight light = level_light(response);
  const LevelTrust trust = level_trust(bracket->levels());
  std::vector<uint8_t> disagree(bracket->pixels());
  for (size_t i = 0; i < bracket->frames.size(); ++i) {
    if (i == reference) continue;
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    Frame& frame = bracket->frames[i];
    find_disagreement(*bracket, ref, frame, light, trust, threads, &disagree);
    soften(disagree, bracket->width, bracket->height, &frame.consistent);
  }
  return 0;
}

}  // namespace lftm
