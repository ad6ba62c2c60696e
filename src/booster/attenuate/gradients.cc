// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/gradients.h"

#include <cmath>

#include "booster/attenuate/row_window.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

float limit_step(float g) { return (g > kMaxLogStep || g < -kMaxLogStep) ? 0.0f : g; }

float magnitude(float gx, float gy, double scale) {
  gx = limit_step(gx);
  gy = limit_step(gy);
  const float squares = gx * gx + gy * gy;
  return static_cast<float>(scale * std::sqrt(static_cast<double>(squares)));
}

// One row of magnitudes, added to the level's running float sum in pixel order. up/down are
// null on the first/last row; `mid` is pixel (w/2, 0), the upper neighbour of the top row in
// wrap-around images.
void gradient_row(const float* up, const float* row, const float* down, int w, bool is360,
                  float mid, double scale, float* out, float* sum) {
  const int last = w - 1;
  float running = *sum;
  for (int x = 0; x < w; ++x) {
    const float c = row[x];
    float gx;
    if (x == 0) {
      gx = row[1] - ((is360 && up != nullptr && down != nullptr) ? row[last] : c);
    } else if (x == last) {
      gx = ((is360 && up != nullptr && down != nullptr) ? row[0] : c) - row[x - 1];
    } else {
      gx = row[x + 1] - row[x - 1];
    }
    float gy;
    if (up == nullptr) {
      const bool wrapTop = is360 && x > 0 && x < last;
      gy = down[x] - (wrapTop ? mid : c);
    } else if (down == nullptr) {
      gy = c - up[x];
    } else {
      gy = down[x] - up[x];
    }
    const float m = magnitude(gx, gy, scale);
    out[x] = m;
    running += m;
  }
  *sum = running;
}

}  // namespace

float gradient_level(float* level, int w, int h, bool is360, double scale, float* rows) {
  const size_t stride = static_cast<size_t>(w);
  RowWindow window(rows, w, h);
  const float mid = level[w / 2];
  float sum = 0.0f;
  for (int y = 0; y < h; ++y) {
    if (run_cancelled()) break;  // the caller reports the cancel
    window.advance_over(y, level);
    gradient_row(window.up(y), window.current(y), window.down(y), w, is360, mid, scale,
                 level + static_cast<size_t>(y) * stride, &sum);
  }
  return sum;
}

}  // namespace lftm
