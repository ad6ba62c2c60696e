// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/pyramid.h"

#include "booster/attenuate/plane_stats.h"
#include "platform/diag.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

// The weights are applied in double precision to float sums of the neighbours. The edge
// kernels keep the weights as they have always been written (they sum to 0.999997).

float full_kernel(float c, float edges, float corners) {
  return static_cast<float>(0.25 * c + 0.125 * edges + 0.0625 * corners);
}

float edge_kernel(float c, float sides, float corners) {
  return static_cast<float>(0.33333 * c + 0.166667 * sides + static_cast<double>(corners) / 12);
}

float corner_kernel(float c, float sides) { return static_cast<float>(0.5 * c + 0.25 * sides); }

void reduce_top_row(const float* row, const float* down, int w, bool is360, float* out) {
  const int dw = w / 2 + (w & 1);
  out[0] = corner_kernel(row[0], row[1] + down[0]);
  const float p00 = row[0];
  const float pmid = row[w / 2];
  for (int i = 1; i < dw; ++i) {
    const int x = 2 * i;
    if (x == w - 1) {
      out[i] = corner_kernel(row[x], row[x - 1] + down[x]);
    } else if (is360) {
      out[i] = full_kernel(row[x], row[x - 1] + row[x + 1] + p00 + down[x],
                           pmid + p00 + down[x - 1] + down[x + 1]);
    } else {
      out[i] = edge_kernel(row[x], row[x - 1] + row[x + 1] + down[x],
                           down[x - 1] + down[x + 1]);
    }
  }
}

void reduce_bottom_row(const float* up, const float* row, int w, float* out) {
  const int dw = w / 2 + (w & 1);
  out[0] = corner_kernel(row[0], row[1] + up[0]);
  for (int i = 1; i < dw; ++i) {
    const int x = 2 * i;
    if (x == w - 1) {
      out[i] = corner_kernel(row[x], row[x - 1] + up[x]);
    } else {
      out[i] = edge_kernel(row[x], row[x - 1] + row[x + 1] + up[x], up[x - 1] + up[x + 1]);
    }
  }
}

void reduce_inner_row(const float* up, const float* row, const float* down, int w, bool is360,
                      float* out) {
  const int dw = w / 2 + (w & 1);
  const int last = w - 1;
  if (is360) {
    out[0] = full_kernel(row[0], row[last] + row[1] + up[0] + down[0],
                         up[last] + up[1] + down[last] + down[1]);
  } else {
    out[0] = edge_kernel(row[0], row[1] + up[0] + down[0], up[1] + down[1]);
  }
  for (int i = 1; i < dw; ++i) {
    const int x = 2 * i;
    if (x < last) {
      out[i] = full_kernel(row[x], row[x - 1] + row[x + 1] + up[x] + down[x],
                           up[x - 1] + up[x + 1] + down[x - 1] + down[x + 1]);
    } else if (is360) {
      out[i] = full_kernel(row[x], row[x - 1] + row[0] + up[x] + down[x],
                           up[x - 1] + up[0] + down[x - 1] + down[0]);
    } else {
      out[i] = edge_kernel(row[x], row[x - 1] + up[x] + down[x], up[x - 1] + down[x - 1]);
    }
  }
}

}  // namespace

void reduce_level(const float* src, int w, int h, bool is360, float* dst) {
  const int dw = w / 2 + (w & 1);
  const int dh = h / 2 + (h & 1);
  const size_t stride = static_cast<size_t>(w);
  for (int j = 0; j < dh; ++j) {
    if (run_cancelled()) return;  // the caller reports the cancel
    const int y = 2 * j;
    const float* row = src + static_cast<size_t>(y) * stride;
    float* out = dst + static_cast<size_t>(j) * dw;
    if (y == 0) {
      reduce_top_row(row, row + stride, w, is360, out);
    } else if (y == h - 1) {
      reduce_bottom_row(row - stride, row, w, out);
    } else {
      reduce_inner_row(row - stride, row, row + stride, w, is360, out);
    }
  }
}

void build_log_pyramid(float* buf, const LevelTable& levels, bool is360, bool printSums) {
  for (int k = 0; k + 1 < levels.count; ++k) {
    const float* level = buf + levels.offset[k];
    if (printSums) {
      diag_out("%d x %d    sum:  %1.8f  \n ", levels.width[k], levels.height[k],
               plane_sum(level, levels.size(k)));
    }
    reduce_level(level, levels.width[k], levels.height[k], is360, buf + levels.offset[k + 1]);
  }
}

}  // namespace lftm
