// SPDX-License-Identifier: BSD-3-Clause
// Where a frame lies against the reference: a small rotation about the image centre and a
// translation, in pixels. A pixel (x, y) of the reference shows what the frame holds at
// map(x, y).
#ifndef LFTM_MERGE_FRAME_MOTION_H_
#define LFTM_MERGE_FRAME_MOTION_H_

#include <cmath>

namespace lftm {

struct FrameMotion {
  double dx = 0, dy = 0;  // translation
  double angle = 0;       // rotation in radians
  double cx = 0, cy = 0;  // centre of the rotation

  void map(double x, double y, double* fx, double* fy) const {
    map_turned(std::cos(angle), std::sin(angle), x, y, fx, fy);
  }

  // map() with the rotation's cosine and sine given (MotionMap works them out once).
  void map_turned(double c, double s, double x, double y, double* fx, double* fy) const {
    const double vx = x - cx, vy = y - cy;
    *fx = cx + c * vx - s * vy + dx;
    *fy = cy + s * vx + c * vy + dy;
  }

  // The motion at a scale `factor` times the size (a pyramid level).
  FrameMotion scaled(double factor) const {
    FrameMotion m = *this;
    m.dx *= factor;
    m.dy *= factor;
    m.cx *= factor;
    m.cy *= factor;
    return m;
  }
};

// A fixed motion with its rotation's cosine and sine worked out once, for loops over every
// pixel; it maps exactly as FrameMotion::map does.
class MotionMap {
 public:
  MotionMap() = default;
  explicit MotionMap(const FrameMotion& m)
      : motion_(m), cos_(std::cos(m.angle)), sin_(std::sin(m.angle)) {}

  void map(double x, double y, double* fx, double* fy) const {
    motion_.map_turned(cos_, sin_, x, y, fx, fy);
  }

 private:
  FrameMotion motion_;
  double cos_ = 1, sin_ = 0;
};

}  // namespace lftm

#endif  // LFTM_MERGE_FRAME_MOTION_H_
