// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/mg_transfer.h"

#include <cmath>
#include <cstring>

#include "platform/diag.h"

namespace lftm {

void residual_row(const float* v, const float* f, int w, int h, int i, float J, bool wrapsAround,
                  float* out) {
  const float* cur = v + static_cast<int64_t>(i) * w;
  const float* up = i > 0 ? cur - w : nullptr;
  const float* down = i < h - 1 ? cur + w : nullptr;
  const bool top = i == 0;
  const bool bottom = i == h - 1;
  for (int j = 0; j < w; ++j) {
    const bool end_column = j == 0 || j == w - 1;
    // The top row's end cells and the whole bottom row have no wrap; only the top row's
    // other cells have the pole.
    const bool wrap = wrapsAround && !bottom && !(top && end_column);
    double s = 0.0;
    int count = 0;
    if (top && wrapsAround && !end_column) { s += v[w >> 1]; ++count; }
    if (j > 0) { s += cur[j - 1]; ++count; } else if (wrap) { s += cur[w - 1]; ++count; }
    if (up != nullptr) { s += up[j]; ++count; }
    if (j < w - 1) { s += cur[j + 1]; ++count; } else if (wrap) { s += cur[0]; ++count; }
    if (down != nullptr) { s += down[j]; ++count; }
    out[j] = static_cast<float>(static_cast<double>(J) * (count * static_cast<double>(cur[j]) - s) +
                                static_cast<double>(f[j]));
  }
}

void restrict_even(const float* fine, int w, float* coarse, int cw, int ch) {
  for (int R = 0; R < ch; ++R) {
    const float* row0 = fine + static_cast<int64_t>(2 * R) * w;
    const float* row1 = row0 + w;
    float* out = coarse + static_cast<int64_t>(R) * cw;
    for (int V = 0; V < cw; ++V) {
      const float sum = row0[2 * V] + row0[2 * V + 1] + row1[2 * V] + row1[2 * V + 1];
      out[V] = static_cast<float>(0.25 * static_cast<double>(sum));
    }
  }
}

AreaSpan area_span(float ratio, float inverse, int index, bool exact) {
  const float start = ratio * static_cast<float>(index);
  AreaSpan span{};
  span.first = static_cast<int>(std::floor(start));
  float s = static_cast<float>(span.first) + 1.0f - start;
  if (s < 1e-30f) s = 1.0f;
  s *= inverse;
  span.weight[0] = s;
  span.weight[1] = inverse;
  if (exact) {
    span.count = 2;
    return span;
  }
  const float end = ratio * static_cast<float>(index + 1);
  float e = end - std::floor(end);
  if (e < 1e-30f) e = 1.0f;
  e *= inverse;
  if (s + e + inverse < 0.9f) e = 1.0f - s - inverse;
  span.weight[2] = e;
  span.count = 3;
  return span;
}

void restrict_uneven(const float* fine, int W, int H, float* coarse, int cw, int ch,
                     const UnevenStep& step, bool report) {
  for (int R = 0; R < ch; ++R) {
    const AreaSpan rows = area_span(step.r, step.o, R, step.exact_h);
    for (int V = 0; V < cw; ++V) {
      const AreaSpan cols = area_span(step.t, step.u, V, step.exact_w);
      float sum = 0.0f;
      for (int a = 0; a < rows.count; ++a) {
        const int y = rows.first + a;
        if (y < 0 || y >= H) continue;
        for (int b = 0; b < cols.count; ++b) {
          const int x = cols.first + b;
          if (x < 0 || x >= W) continue;
          sum += cols.weight[b] * rows.weight[a] * fine[static_cast<int64_t>(y) * W + x];
        }
      }
      coarse[static_cast<int64_t>(R) * cw + V] = sum;
      if (report && R == ch / 2 && (V == 0 || V == cw / 2)) {
        diag_out("%1.8f   %1.8f  %d,%d\n", rows.weight[0], cols.weight[0], R, V);
        diag_out("%d, %d  isDivH=%d  isDivW=%d   tempResFine=%1.4f   RHScoarse=%1.4f\n", R, V,
                 step.exact_h ? 1 : 0, step.exact_w ? 1 : 0,
                 fine[static_cast<int64_t>(rows.first) * W + cols.first], sum);
      }
    }
  }
}

void prolong_even(const float* coarse, int cw, int ch, float* fine, int w) {
  for (int R = 0; R < ch; ++R) {
    const float* in = coarse + static_cast<int64_t>(R) * cw;
    float* row0 = fine + static_cast<int64_t>(2 * R) * w;
    float* row1 = row0 + w;
    for (int V = 0; V < cw; ++V) {
      row0[2 * V] = row0[2 * V + 1] = row1[2 * V] = row1[2 * V + 1] = in[V];
    }
  }
}

void prolong_uneven(const float* coarse, int cw, int ch, float* fine, int W, int H,
                    const UnevenStep& step) {
  std::memset(fine, 0, static_cast<size_t>(W) * static_cast<size_t>(H) * sizeof(float));
  for (int R = 0; R < ch; ++R) {
    const AreaSpan rows = area_span(step.r, step.o, R, step.exact_h);
    for (int V = 0; V < cw; ++V) {
      const AreaSpan cols = area_span(step.t, step.u, V, step.exact_w);
      const float value = coarse[static_cast<int64_t>(R) * cw + V];
      for (int a = 0; a < rows.count; ++a) {
        const int y = rows.first + a;
        if (y < 0 || y >= H) continue;
        for (int b = 0; b < cols.count; ++b) {
          const int x = cols.first + b;
          if (x >= 0 && x < W) fine[static_cast<int64_t>(y) * W + x] = value;
        }
      }
    }
  }
}

LevelStats level_stats(const float* v, int64_t n) {
  LevelStats stats{n > 0 ? v[0] : 0.0f, n > 0 ? v[0] : 0.0f, 0.0};
  for (int64_t i = 0; i < n; ++i) {
    if (v[i] < stats.min) stats.min = v[i];
    if (v[i] > stats.max) stats.max = v[i];
    stats.sum += v[i];
  }
  return stats;
}

}  // namespace lftm
