// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/prolongation.h"

#include <cstdint>

#include "platform/diag.h"

namespace lftm {
namespace {

// Weights are applied in double to the float sums and the result rounded to float.
inline float half(float sum) { return static_cast<float>(0.5 * static_cast<double>(sum)); }
inline float quarter(float sum) { return static_cast<float>(0.25 * static_cast<double>(sum)); }

}  // namespace

void prolongate(const float* coarse, int G, int Hc, float* fine, int L, int M, bool wrapsAround) {
  (void)Hc;
  const float* x = coarse;
  const int64_t g = G;
  const int last_row = M + (M % 2) - 2;  // rows and columns covered by the main table
  const int last_col = L + (L % 2) - 2;
  const int every_row = M >> 2;
  const int every_col = L >> 2;
  for (int k = 0; k <= last_row; ++k) {
    const int64_t row_start = static_cast<int64_t>(k >> 1) * g;
    float* out = fine + static_cast<int64_t>(k) * L;
    // The wrapped last column needs the coarse row starts, which the row's own writes may
    // reach in place (last row of an odd height): keep them first.
    const float start = x[row_start];
    const float next_start = (L % 2 == 0 && wrapsAround && (k & 1) != 0) ? x[row_start + g] : 0.0f;
    for (int l = 0; l <= last_col; ++l) {
      const int64_t c = row_start + (l >> 1);
      float v;
      if ((k & 1) == 0) {
        v = (l & 1) == 0 ? x[c] : half(x[c] + x[c + 1]);
      } else {
        v = (l & 1) == 0 ? half(x[c] + x[c + g]) : quarter(x[c] + x[c + 1] + x[c + g] + x[c + g + 1]);
      }
      if (every_row != 0 && every_col != 0 && k % every_row == 0 && l % every_col == 0) {
        diag_out("coarse: %1.3f    fine: %1.3f    %d %d    %d,%d\n ", x[c], v,
                 static_cast<int>(c), static_cast<int>(static_cast<int64_t>(k) * L + l), l, k);
      }
      out[l] = v;
    }
    if (L % 2 == 0) {
      const int64_t c = row_start + ((L - 1) >> 1);
      float v;
      if (wrapsAround) {
        v = (k & 1) == 0 ? half(x[c] + start) : quarter(x[c] + start + x[c + g] + next_start);
      } else {
        v = (k & 1) == 0 ? x[c] : half(x[c] + x[c + g]);
      }
      out[L - 1] = v;
    }
  }
  if (M % 2 == 0) {
    const int k = M - 1;
    const int64_t row_start = static_cast<int64_t>(k >> 1) * g;
    float* out = fine + static_cast<int64_t>(k) * L;
    for (int l = 0; l <= last_col; ++l) {
      const int64_t c = row_start + (l >> 1);
      out[l] = (l & 1) == 0 ? x[c] : half(x[c] + x[c + 1]);
    }
    if (L % 2 == 0) out[L - 1] = x[row_start + ((L - 1) >> 1)];
  }
}

}  // namespace lftm
