// SPDX-License-Identifier: BSD-3-Clause
#include "merge/align_bracket.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "lftm_host.h"
#include "merge/motion_search.h"
#include "platform/run_context.h"
#include "platform/workers.h"

namespace lftm {
namespace {

constexpr double kStill = 0.05;  // pixels: a smaller motion is no motion
// A refinement that strays further than this from the bitmaps' translation, or turns more,
// found no true optimum (a scene without texture in one direction): the bitmaps' whole-pixel
// answer is kept.
constexpr double kStray = 2.0;               // pixels
constexpr double kLargestTurn = M_PI / 180;  // radians
// A motion is taken when its rank residual is below this share of no motion's.
constexpr double kClearGain = 0.95;

bool moves_pixels(const FrameMotion& m, const Bracket& b) {
  const double corner = std::hypot(b.width, b.height) / 2;
  return std::fabs(m.dx) >= kStill || std::fabs(m.dy) >= kStill ||
         std::fabs(m.angle) * corner >= kStill;
}

// Where row y of the reference lies in the frame as shot: the point of pixel x is
// (x0 + x cos, y0 + x sin), the motion's map worked out once per row.
struct RowLine {
  double x0, y0, cos, sin;
};

RowLine row_line(const FrameMotion& m, int y) {
  const double c = std::cos(m.angle), s = std::sin(m.angle);
  const double vy = y - m.cy;
  return RowLine{m.cx - c * m.cx - s * vy + m.dx, m.cy - s * m.cx + c * vy + m.dy, c, s};
}

// Bilinear samples of the frame as shot along the row's line, rounded to its levels (the
// values are >= 0, so adding a half and truncating rounds them).
template <typename Sample>
void resample_row(const Bracket& b, const Frame& frame, const std::vector<Sample>& shot, int y,
                  Sample* out) {
  const RowLine line = row_line(frame.motion, y);
  for (int x = 0; x < b.width; ++x) {
    Sample* px = out + 3 * static_cast<size_t>(x);
    const double fx = line.x0 + line.cos * x, fy = line.y0 + line.sin * x;
    if (!Frame::lies_within(fx, fy, b.width, b.height)) {
      px[0] = px[1] = px[2] = 0;
      continue;
    }
    const int ix = std::min(static_cast<int>(fx), b.width - 2);
    const int iy = std::min(static_cast<int>(fy), b.height - 2);
    const double tx = fx - ix, ty = fy - iy;
    const size_t at = 3 * (static_cast<size_t>(iy) * b.width + ix);
    const size_t below = at + 3 * static_cast<size_t>(b.width);
    for (size_t k = 0; k < 3; ++k) {
      const double top = shot[at + k] + (shot[at + 3 + k] - double(shot[at + k])) * tx;
      const double bottom = shot[below + k] + (shot[below + 3 + k] - double(shot[below + k])) * tx;
      px[k] = static_cast<Sample>(top + (bottom - top) * ty + 0.5);
    }
  }
}

template <typename Sample>
void resample(const Bracket& b, Frame* frame, std::vector<Sample>* samples, int threads) {
  const std::vector<Sample> shot = *samples;
  const int workers = clamp_workers(threads);
  run_tiles(workers, [&](int index) {
    const RowBand band = tile_rows(index, workers, b.height);
    for (int y = band.first; y < band.first + band.rows; ++y) {
      resample_row(b, *frame, shot, y, samples->data() + 3 * static_cast<size_t>(y) * b.width);
    }
  });
}

// The motion that matches the frame to its guide best: the refinement of the bitmaps'
// whole-pixel translation, or that translation, or none. A motion must match clearly
// better than none (kClearGain), so that noise or a frame mostly clipped never moves a
// tripod frame; a refinement that strays (kStray, kLargestTurn) found no true optimum.
FrameMotion better_motion(const std::vector<GreyImage>& guide,
                          const std::vector<GreyImage>& frame, const FrameMotion& still, int dx,
                          int dy) {
  FrameMotion motion = still;
  motion.dx = dx;
  motion.dy = dy;
  const FrameMotion refined = refine_motion(guide, frame, motion);
  double residual = motion_residual(guide.front(), frame.front(), motion);
  if (std::fabs(refined.dx - dx) <= kStray && std::fabs(refined.dy - dy) <= kStray &&
      std::fabs(refined.angle) <= kLargestTurn) {
    const double r = motion_residual(guide.front(), frame.front(), refined);
    if (r >= 0 && (residual < 0 || r < residual)) {
      motion = refined;
      residual = r;
    }
  }
  const double none = motion_residual(guide.front(), frame.front(), still);
  const bool clearer = residual >= 0 && (none < 0 || residual < kClearGain * none);
  return clearer ? motion : still;
}

// Aligns `frame` to `guide`, a frame already on the reference's pixels (the reference, or
// an aligned neighbour of closer exposure, whose light the frame shares more of).
void align_frame(Bracket* bracket, const Frame& guide, Frame* frame, int threads) {
  const std::vector<GreyImage> ref = grey_pyramid(rank_grey(*bracket, guide));
  const std::vector<GreyImage> levels = grey_pyramid(rank_grey(*bracket, *frame));
  const float cut = shared_threshold(ref.front(), levels.front());
  if (cut < 0) return;  // too little light in common: merged as it lies
  FrameMotion motion;
  motion.cx = 0.5 * (bracket->width - 1);
  motion.cy = 0.5 * (bracket->height - 1);
  int dx = 0, dy = 0;
  bitmap_translation(ref, levels, cut, &dx, &dy);
  motion = better_motion(ref, levels, motion, dx, dy);
  if (!moves_pixels(motion, *bracket)) return;
  frame->moved = true;
  frame->motion = motion;
  frame->placement = MotionMap(motion);
  if (bracket->bits == 16) {
    resample(*bracket, frame, &frame->samples16, threads);
  } else {
    resample(*bracket, frame, &frame->samples8, threads);
  }
}

}  // namespace

int32_t align_bracket(Bracket* bracket, int threads) {
  if (bracket->width < 8 || bracket->height < 8) return 0;
  // Outward from the reference, each frame to its neighbour toward it.
  const std::vector<size_t> order = by_exposure(*bracket);
  const size_t middle = order.size() / 2;
  std::vector<std::pair<size_t, size_t>> steps;  // (frame, guide) positions in `order`
  for (size_t k = middle; k-- > 0;) steps.push_back({k, k + 1});
  for (size_t k = middle + 1; k < order.size(); ++k) steps.push_back({k, k - 1});
  for (size_t i = 0; i < steps.size(); ++i) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    run_progress(static_cast<double>(i) / static_cast<double>(steps.size()));
    Frame& frame = bracket->frames[order[steps[i].first]];
    align_frame(bracket, bracket->frames[order[steps[i].second]], &frame, threads);
  }
  return 0;
}

}  // namespace lftm
