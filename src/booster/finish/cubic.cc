// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/cubic.h"

namespace lftm {

Cubic cubic_coeffs(float x0, float y0, float x1, float y1) {
  // e is 2 (x1 - x0)^3, written out as the products the coefficients are built from.
  float e = 2 * (x1 * x1 * x1 - x0 * x0 * x0) + 6 * x0 * x1 * (x0 - x1);
  if (e == 0) return Cubic{0, 0, 0, 0};
  Cubic c;
  c.k3 = (y0 - y1) / e;
  c.k2 = -3 * x1 * c.k3;
  c.k1 = (6 * x0 * x1 - 3 * x0 * x0) * c.k3;
  c.k0 = y0 - (c.k3 * x0 * x0 * x0 + c.k2 * x0 * x0 + c.k1 * x0);
  return c;
}

}  // namespace lftm
