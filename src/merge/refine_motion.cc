// SPDX-License-Identifier: BSD-3-Clause
// The Gauss-Newton refinement of translation and rotation (part of motion_search.h).
#include <cmath>

#include "merge/motion_search.h"
#include "merge/normal_equations.h"

namespace lftm {
namespace {

constexpr int kIterations = 12;
constexpr size_t kSamplesWanted = 200000;  // points per level, on a regular grid
constexpr int kMargin = 2;

// Bilinear rank at (x, y), which must lie inside [0, w - 1) x [0, h - 1).
float sample(const GreyImage& g, double x, double y) {
  const int ix = static_cast<int>(x), iy = static_cast<int>(y);
  const float tx = static_cast<float>(x - ix), ty = static_cast<float>(y - iy);
  const float a = g.at(ix, iy), b = g.at(ix + 1, iy);
  const float c = g.at(ix, iy + 1), d = g.at(ix + 1, iy + 1);
  return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

bool inside(const GreyImage& g, double x, double y) {
  return x >= kMargin && y >= kMargin && x < g.width - 1 - kMargin && y < g.height - 1 - kMargin;
}

// Whether every pixel the samples and gradient at (x, y) read is measured: a clipped
// neighbour has a rank that says nothing of its light.
bool measured_around(const GreyImage& g, double x, double y) {
  const int ix = static_cast<int>(x), iy = static_cast<int>(y);
  for (int j = iy - 1; j <= iy + 2; ++j) {
    for (int i = ix - 1; i <= ix + 2; ++i) {
      if (!measured_grey(g.grey[static_cast<size_t>(j) * g.width + i])) return false;
    }
  }
  return true;
}

// One Gauss-Newton step on one level; false when too few points or a singular system.
bool step(const GreyImage& ref, const GreyImage& frame, FrameMotion* m) {
  const size_t pixels = ref.rank.size();
  const int stride = std::max(1, static_cast<int>(std::sqrt(pixels / kSamplesWanted)));
  NormalEquations eq(3);
  const double c = std::cos(m->angle), s = std::sin(m->angle);
  size_t used = 0;
  for (int y = kMargin; y < ref.height - kMargin; y += stride) {
    for (int x = kMargin; x < ref.width - kMargin; x += stride) {
      if (!measured_grey(ref.grey[static_cast<size_t>(y) * ref.width + x])) continue;
      double fx = 0, fy = 0;
      m->map(x, y, &fx, &fy);
      if (!inside(frame, fx, fy) || !measured_around(frame, fx, fy)) continue;
      const double gx = 0.5 * (sample(frame, fx + 1, fy) - sample(frame, fx - 1, fy));
      const double gy = 0.5 * (sample(frame, fx, fy + 1) - sample(frame, fx, fy - 1));
      const double vx = x - m->cx, vy = y - m->cy;
      const double coef[3] = {gx, gy, gx * (-s * vx - c * vy) + gy * (c * vx - s * vy)};
      const size_t index[3] = {0, 1, 2};
      eq.add_row(index, coef, 3, ref.at(x, y) - sample(frame, fx, fy));
      ++used;
    }
  }
  std::vector<double> delta;
  if (used < 64 || !eq.solve(&delta)) return false;
  m->dx += delta[0];
  m->dy += delta[1];
  m->angle += delta[2];
  return std::fabs(delta[0]) + std::fabs(delta[1]) + std::fabs(delta[2]) * ref.width > 1e-3;
}

}  // namespace

double motion_residual(const GreyImage& ref, const GreyImage& frame, const FrameMotion& m) {
  const size_t pixels = ref.rank.size();
  const int stride = std::max(1, static_cast<int>(std::sqrt(pixels / kSamplesWanted)));
  double sum = 0;
  size_t used = 0;
  for (int y = kMargin; y < ref.height - kMargin; y += stride) {
    for (int x = kMargin; x < ref.width - kMargin; x += stride) {
      if (!measured_grey(ref.grey[static_cast<size_t>(y) * ref.width + x])) continue;
      double fx = 0, fy = 0;
      m.map(x, y, &fx, &fy);
      if (!inside(frame, fx, fy) || !measured_around(frame, fx, fy)) continue;
      const double d = ref.at(x, y) - sample(frame, fx, fy);
      sum += d * d;
      ++used;
    }
  }
  return used < 64 ? -1.0 : sum / static_cast<double>(used);
}

FrameMotion refine_motion(const std::vector<GreyImage>& ref, const std::vector<GreyImage>& frame,
                          FrameMotion motion) {
  // Coarse levels bring a rotation within a pixel at the corners, fine ones make it exact;
  // a level too small for enough points leaves the motion as it is.
  for (size_t level = ref.size(); level-- > 0;) {
    const double factor = 1.0 / static_cast<double>(1u << level);
    FrameMotion scaled = motion.scaled(factor);
    for (int i = 0; i < kIterations && step(ref[level], frame[level], &scaled); ++i) {
    }
    motion = scaled.scaled(1.0 / factor);
  }
  return motion;
}

}  // namespace lftm
