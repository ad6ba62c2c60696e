// SPDX-License-Identifier: BSD-3-Clause
// The multi-level stage-1 worker: for each multigrid level t but the coarsest, Phi is the
// product of the attenuation factors of a window of levels t..t+4 (or t+5), and the
// divergence is taken at level t itself. Stage 2 finds these right-hand sides at the level
// offsets of the pyramid.
#include <cmath>
#include <cstdint>

#include "booster/attenuate/divergence.h"
#include "booster/attenuate/front.h"
#include "booster/attenuate/stage1.h"
#include "booster/attenuate/upsample.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"

namespace lftm {

int stage1_multi_level(Stage1Front& f, float* work) {
  float* buf = f.buf;
  const Stage1Settings& s = f.settings;
  const PyramidDims& d = f.dims;
  diag_out("is360: %d  _comp=%1.2f  sldAlpha=%1.2f  %1.2f  %1.3f   %d x %d\n", s.is360Slot, s.comp,
           s.sldAlpha, s.detail, s.alphaScale, d.minW, d.minH);
  // The printed text keeps this worker's old name, calc_tm1new.
  diag_out("calc_tm1new: %d   %d x %d    is360: %d  readFromDisk: %d    %d x %d\n", d.levels2,
           f.img.width, f.img.height, s.is360Slot, f.files.readFromDisk, d.minW, d.minH);

  // Stage 2 takes a right-hand side for every multigrid level but the coarsest. A pyramid
  // that stopped halving before the last of them cannot supply them all.
  const int lastTarget = d.rang - 2 > 0 ? d.rang - 2 : 0;
  if (lastTarget > f.levels.count - 1) return LFTM_ERR_FILE;

  ScratchCleanup cleanup(f);
  int result;
  ProgressPhase phase(0.0, 0.3, "log luminance");
  if ((result = stage1_log_plane(f)) < 0) return result;
  phase.move_to(0.3, 0.45, "log luminance pyramid");
  int32_t* hist = work != nullptr ? reinterpret_cast<int32_t*>(work) : nullptr;
  if ((result = stage1_pyramid_and_copy(f, true, hist)) < 0) return result;
  phase.move_to(0.45, 0.65, "attenuating gradients");
  if ((result = stage1_attenuate(f, true, work)) < 0) return result;
  phase.move_to(0.65, 1.0, "divergence");

  const LevelTable& levels = f.levels;
  const size_t level1 = levels.size(1);
  HeapBuffer<float> temp;
  if (work != nullptr) {
    temp.borrow(work);
  } else if (!temp.allocate(level1)) {
    return LFTM_ERR_NO_MEMORY;
  }
  diag_out("allocation tempBuf  %d x %d    %d\n", levels.width[1], levels.height[1],
           static_cast<int>(level1));

  for (int t = 0; t <= lastTarget; ++t) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    // Level t is about a quarter of level t - 1: level 0 takes three quarters of the part.
    ProgressPhase level(1.0 - std::ldexp(1.0, -2 * t), 1.0 - std::ldexp(1.0, -2 * (t + 1)),
                        nullptr);
    // The window ends at the coarsest level built when the pyramid is shallower.
    int k0 = t + s.windowLevels;
    if (k0 > levels.count - 1) k0 = levels.count - 1;
    window_product(buf, levels, t, k0, s.is360, temp.get(), level1);

    const int w = levels.width[t];
    const int h = levels.height[t];
    HeapBuffer<float> phiRows;
    if (work != nullptr) {
      phiRows.borrow(work + level1);
    } else if (!phiRows.allocate(3 * static_cast<size_t>(w))) {
      return LFTM_ERR_NO_MEMORY;
    }
    LogRows lg;
    if (f.disk) {
      if ((result = lg.open_file(f.files.scratch2, levels.offset[t], w, h)) < 0) return result;
    } else {
      lg.use_memory(static_cast<const float*>(f.raw) + levels.offset[t], w, h);
    }
    result = divergence_level(buf + levels.offset[t], w, h, &lg, phiRows.get());
    if (result < 0) return result;
  }

  cleanup.keep();
  return d.W0;
}

}  // namespace lftm
