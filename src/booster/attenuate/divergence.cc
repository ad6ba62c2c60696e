// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/divergence.h"

#include "booster/attenuate/row_window.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

// With Gx = (Lg(x+1) - Lg) Phi and Gy = (Lg(y+1) - Lg) Phi, zero past the last column and
// row, the value is Gx(x) - Gx(x-1) + Gy(y) - Gy(y-1), evaluated as
// (Lg(x+1) + Lg(y+1) - 2 Lg) Phi + (Lg(x-1) - Lg) Phi(x-1) + (Lg(y-1) - Lg) Phi(y-1),
// terms outside the level left out.
void divergence_row(const float* lgUp, const float* lg, const float* lgDown,
                    const float* phiUp, const float* phi, int w, float* out) {
  const int last = w - 1;
  for (int x = 0; x < w; ++x) {
    const float c = lg[x];
    float v = 0.0f;
    bool any = true;
    if (lgDown != nullptr && x < last) {
      v = (lg[x + 1] + lgDown[x] - 2 * c) * phi[x];
    } else if (lgDown != nullptr) {
      v = (lgDown[x] - c) * phi[x];
    } else if (x < last) {
      v = (lg[x + 1] - c) * phi[x];
    } else {
      any = false;
    }
    if (x > 0) {
      const float left = (lg[x - 1] - c) * phi[x - 1];
      v = any ? v + left : left;
      any = true;
    }
    if (lgUp != nullptr) {
      const float above = (lgUp[x] - c) * phiUp[x];
      v = any ? v + above : above;
    }
    out[x] = v;
  }
}

}  // namespace

int divergence_level(float* phi, int w, int h, LogRows* lg, float* phiRows) {
  const size_t stride = static_cast<size_t>(w);
  RowWindow window(phiRows, w, h);
  for (int y = 0; y < h; ++y) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    run_progress(static_cast<double>(y) / h);
    window.advance_over(y, phi);
    const int result = lg->advance(y);
    if (result < 0) return result;
    divergence_row(lg->up(y), lg->current(y), lg->down(y), window.up(y), window.current(y), w,
                   phi + static_cast<size_t>(y) * stride);
  }
  return 0;
}

}  // namespace lftm
