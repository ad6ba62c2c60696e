// SPDX-License-Identifier: BSD-3-Clause
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

// The frames a pixel is judged against where the reference does not measure it: toward the
// shorter exposures where it is clipped, toward the longer ones where it is black, each list
// from the exposure nearest the reference's outward.
struct StandIns {
  std::vector<const Frame*> shorter, longer;
};

StandIns stand_ins(const Bracket& b, size_t reference) {
  StandIns s;
  const std::vector<size_t> order = by_exposure(b);
  const size_t middle = static_cast<size_t>(
      std::find(order.begin(), order.end(), reference) - order.begin());
  for (size_t k = middle; k-- > 0;) s.shorter.push_back(&b.frames[order[k]]);
  for (size_t k = middle + 1; k < order.size(); ++k) s.longer.push_back(&b.frames[order[k]]);
  return s;
}

struct GhostJudge {
  const Bracket* bracket;
  const Frame* ref;
  const LevelLight* light;
  LevelTrust trust;
  StandIns standIns;

  uint32_t brightest(const Frame& f, size_t at) const {
    return std::max({f.level(at), f.level(at + 1), f.level(at + 2)});
  }

  // Where the reference measures the pixel: itself. Elsewhere the nearest frame beyond it
  // that does, unless that is `frame` (which then stands for the reference); null: none.
  const Frame* judge_of(const Frame& frame, size_t at) const {
    const uint32_t zr = brightest(*ref, at);
    if (trust.usable(zr)) return ref;
    for (const Frame* f : zr >= trust.clipHigh ? standIns.shorter : standIns.longer) {
      if (trust.usable(brightest(*f, at))) return f == &frame ? nullptr : f;
    }
    return nullptr;
  }

  // Whether `frame` disagrees with its judge at pixel p, both measuring it.
  bool disagrees(const Frame& frame, size_t p) const {
    const size_t at = 3 * p;
    const Frame* judge = judge_of(frame, at);
    if (judge == nullptr) return false;
    const uint32_t zr = brightest(*judge, at), zf = brightest(frame, at);
    if (!trust.usable(zf)) return false;
    const float shift = static_cast<float>(std::log2(judge->exposure / frame.exposure));
    const float allowed =
        kNoiseStops + kLevelsOfDoubt * (light->stepStops[zr] + light->stepStops[zf]);
    for (size_t k = 0; k < 3; ++k) {
      const float d = light->log2Light[k][frame.level(at + k)] + shift -
                      light->log2Light[k][judge->level(at + k)];
      if (std::fabs(d) > allowed) return true;
    }
    return false;
  }
};

// 1 where `frame` disagrees with the reference (or the frame that stands for it).
void find_disagreement(const GhostJudge& judge, const Frame& frame, int threads,
                       std::vector<uint8_t>* out) {
  const Bracket& b = *judge.bracket;
  const int workers = clamp_workers(threads);
  run_tiles(workers, [&](int index) {
    const RowBand band = tile_rows(index, workers, b.height);
    const size_t end = static_cast<size_t>(band.first + band.rows) * b.width;
    for (size_t p = static_cast<size_t>(band.first) * b.width; p < end; ++p) {
      (*out)[p] = judge.disagrees(frame, p) ? 1 : 0;
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
  const LevelLight light = level_light(response);
  const GhostJudge judge{bracket, &bracket->frames[reference], &light,
                         level_trust(bracket->levels()), stand_ins(*bracket, reference)};
  std::vector<uint8_t> disagree(bracket->pixels());
  for (size_t i = 0; i < bracket->frames.size(); ++i) {
    if (i == reference) continue;
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    Frame& frame = bracket->frames[i];
    find_disagreement(judge, frame, threads, &disagree);
    soften(disagree, bracket->width, bracket->height, &frame.consistent);
  }
  return 0;
}

}  // namespace lftm
