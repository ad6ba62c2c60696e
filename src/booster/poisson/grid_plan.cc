// SPDX-License-Identifier: BSD-3-Clause
#include <cstdint>

#include "booster/poisson/multigrid.h"
#include "lftm.h"

namespace lftm {

int plan_grid(int W, int H, int coarseW, int coarseH, int total, int N, GridPlan* plan) {
  if (N < 1) return LFTM_ERR_IO;
  if (W < 2 || H < 2) return LFTM_ERR_FILE;
  // A factor 2^N above the shorter side would round that side down to nothing; the
  // deepest level count that still fits is used instead.
  const int shorter = W < H ? W : H;
  int levels = N > 30 ? 30 : N;
  while (levels > 1 && (1 << levels) > shorter) --levels;
  const int factor = 1 << levels;
  plan->N = levels;
  plan->divisible = W % factor == 0 && H % factor == 0;
  const int Wp = factor * (W / factor);
  const int Hp = factor * (H / factor);
  int64_t n = total;
  if (plan->divisible) {
    plan->coarseW = coarseW;
    plan->coarseH = coarseH;
  } else {
    int w = Wp;
    int h = Hp;
    n = static_cast<int64_t>(W) * H;
    for (int k = 0; k < levels; ++k) {
      if (w > 3 && h > 3) {
        w /= 2;
        h /= 2;
      }
      n += static_cast<int64_t>(w) * h;
    }
    plan->coarseW = w;
    plan->coarseH = h;
  }
  plan->total = n;
  UnevenStep& step = plan->step;
  step.exact_w = W % factor == 0;
  step.exact_h = H % factor == 0;
  step.t = static_cast<float>(W) / static_cast<float>(Wp / 2 > 0 ? Wp / 2 : 1);
  step.r = static_cast<float>(H) / static_cast<float>(Hp / 2 > 0 ? Hp / 2 : 1);
  step.u = static_cast<float>(1.0 / step.t);
  step.o = static_cast<float>(1.0 / step.r);

  plan->level[0] = GridLevel{W, H, 0};
  int k = 0;
  while (k < levels) {
    const GridLevel& cur = plan->level[k];
    if (cur.w <= plan->coarseW) break;
    GridLevel next{};
    if (k == 0 && !plan->divisible) {
      next.w = Wp / 2;
      next.h = Hp / 2;
    } else {
      // The 2 x 2 transfers need even sides.
      if (cur.w % 2 != 0 || cur.h % 2 != 0) break;
      next.w = cur.w / 2;
      next.h = cur.h / 2;
    }
    // A level needs two cells each way: its scale divides by (w - 1) x (h - 1).
    if (next.w < 2 || next.h < 2) break;
    next.offset = cur.offset + static_cast<int64_t>(cur.w) * cur.h;
    plan->level[++k] = next;
  }
  plan->depth = k;
  if (k == 0) return LFTM_ERR_IO;
  const GridLevel& last = plan->level[k];
  const int64_t needed = last.offset + static_cast<int64_t>(last.w) * last.h;
  if (needed > n || needed > total) return LFTM_ERR_FILE;
  // The buffers hold the levels the cycles visit, which is never more than the caller's
  // description (and fits the documented work buffers even for long thin images).
  plan->total = needed;
  return 0;
}

}  // namespace lftm
