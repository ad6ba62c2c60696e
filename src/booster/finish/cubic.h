// SPDX-License-Identifier: BSD-3-Clause
// Cubic segments that join two levels smoothly: flat at the start, no curvature at the end,
// so that two segments built towards the same point from either side form one smooth step.
#ifndef LFTM_BOOSTER_FINISH_CUBIC_H_
#define LFTM_BOOSTER_FINISH_CUBIC_H_

namespace lftm {

// p(x) = k3 x^3 + k2 x^2 + k1 x + k0.
struct Cubic {
  float k3;
  float k2;
  float k1;
  float k0;
};

// The cubic with p(x0) = y0, p'(x0) = 0, p(x1) = y1 and p''(x1) = 0; all zeros when x0 = x1.
Cubic cubic_coeffs(float x0, float y0, float x1, float y1);

inline float cubic_at(const Cubic& c, float x) {
  return c.k3 * x * x * x + c.k2 * x * x + c.k1 * x + c.k0;
}

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_CUBIC_H_
