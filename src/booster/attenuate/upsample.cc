// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/upsample.h"
#include "platform/run_context.h"

#include <cstring>

namespace lftm {

void upsample_multiply_row(const float* coarse, int coarseWidth, int fineWidth, int fineHeight,
                           int y, bool is360, const float* factor, float* out) {
  const float* above = coarse + static_cast<size_t>(y / 2) * coarseWidth;
  const bool evenLastRow = (fineHeight % 2 == 0) && y == fineHeight - 1;
  const bool oddRow = (y % 2 == 1) && !evenLastRow;
  const float* below = oddRow ? above + coarseWidth : nullptr;
  // First pixels of the coarse rows, kept before this row can overwrite them.
  const float wrapAbove = above[0];
  const float wrapBelow = below != nullptr ? below[0] : 0.0f;
  const int wrapColumn = (fineWidth % 2 == 0) ? fineWidth - 1 : -1;

  for (int x = 0; x < fineWidth; ++x) {
    const int i = x / 2;
    float u;
    if (evenLastRow) {
      u = (x % 2 == 0 || x == wrapColumn) ? above[i] : 0.5f * (above[i] + above[i + 1]);
    } else if (!oddRow) {
      if (x % 2 == 0) {
        u = above[i];
      } else if (x == wrapColumn) {
        u = is360 ? 0.5f * (above[i] + wrapAbove) : above[i];
      } else {
        u = 0.5f * (above[i] + above[i + 1]);
      }
    } else {
      if (x % 2 == 0) {
        u = 0.5f * (above[i] + below[i]);
      } else if (x == wrapColumn) {
        u = is360 ? 0.25f * (above[i] + wrapAbove + below[i] + wrapBelow)
                  : 0.5f * (above[i] + below[i]);
      } else {
        u = 0.25f * (above[i] + above[i + 1] + below[i] + below[i + 1]);
      }
    }
    out[x] = factor[x] * u;
  }
}

void phi_product(float* buf, const LevelTable& levels, bool is360) {
  for (int k = levels.count - 2; k >= 0; --k) {
    const float* coarse = buf + levels.offset[k + 1];
    float* fine = buf + levels.offset[k];
    const int fw = levels.width[k];
    const int fh = levels.height[k];
    for (int y = 0; y < fh; ++y) {
      if (run_cancelled()) return;  // the caller reports the cancel
      float* row = fine + static_cast<size_t>(y) * fw;
      upsample_multiply_row(coarse, levels.width[k + 1], fw, fh, y, is360, row, row);
    }
  }
}

void window_product(float* buf, const LevelTable& levels, int target, int top, bool is360,
                    float* temp, size_t tempSize) {
  if (top <= target) return;
  float* coarse = temp + (tempSize - levels.size(top));
  std::memcpy(coarse, buf + levels.offset[top], levels.size(top) * sizeof(float));
  for (int k = top; k > target; --k) {
    const int f = k - 1;
    const int fw = levels.width[f];
    const int fh = levels.height[f];
    const float* factor = buf + levels.offset[f];
    float* fine =
        (f == target) ? buf + levels.offset[target] : temp + (tempSize - levels.size(f));
    for (int y = 0; y < fh; ++y) {
      if (run_cancelled()) return;  // the caller reports the cancel
      const size_t row = static_cast<size_t>(y) * fw;
      upsample_multiply_row(coarse, levels.width[k], fw, fh, y, is360, factor + row,
                            fine + row);
    }
    coarse = fine;
  }
}

}  // namespace lftm
