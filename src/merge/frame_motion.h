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
    const double c = std::cos(angle), s = std::sin(angle);
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

}  // namespace lftm

#endif  // LFTM_MERGE_FRAME_MOTION_H_
