// SPDX-License-Identifier: BSD-3-Clause
// The single-level stage-1 worker: Phi is the product of the attenuation factors of every
// level, and the right-hand side is the divergence at level 0, limited to [-100, 100].
#include "booster/attenuate/divergence.h"
#include "booster/attenuate/front.h"
#include "booster/attenuate/plane_stats.h"
#include "booster/attenuate/stage1.h"
#include "booster/attenuate/upsample.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

// Right-hand-side values beyond this are taken for artefacts and zeroed.
constexpr float kMaxRhs = 100.0f;

}  // namespace

int stage1_single_level(Stage1Front& f) {
  float* buf = f.buf;
  const Stage1Settings& s = f.settings;
  const PyramidDims& d = f.dims;
  diag_out("readFromDisk: %d  is360: %d  _comp=%1.2f  sldAlpha=%1.0f  %1.2f  %1.3f   %d x %d\n",
           f.files.readFromDisk, s.is360Slot, s.comp, s.sldAlpha, s.detail, s.alphaScale, d.minW,
           d.minH);

  ScratchCleanup cleanup(f);
  int result;
  ProgressPhase phase(0.0, 0.3, "log luminance");
  if ((result = stage1_log_plane(f)) < 0) return result;
  phase.move_to(0.3, 0.45, "log luminance pyramid");
  if ((result = stage1_pyramid_and_copy(f, false, nullptr)) < 0) return result;
  phase.move_to(0.45, 0.7, "attenuating gradients");

  const size_t n = f.levels.size(0);
  const size_t w = static_cast<size_t>(d.W);
  // positPyram, as printed, is the old name of a level's offset in the pyramid.
  diag_out("positPyram: %d  %1.3f %1.3f %1.3f  %1.3f\n ", 0, buf[50],
           level_probe(buf, n, 3 * w + 1), level_probe(buf, n, 4 * w + 10),
           level_probe(buf, n, 20 * w + 20));
  if ((result = stage1_attenuate(f, false, nullptr)) < 0) return result;

  phi_product(buf, f.levels, s.is360);
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  phase.move_to(0.7, 1.0, "divergence");
  const size_t imagePixels = static_cast<size_t>(d.W0) * d.H0;
  const MinMaxMean phi = min_max_mean(buf, imagePixels, 1e10f, -1e10f);
  diag_out("**** Phi: min=%1.4f  max=%1.4f  moy=%1.4f\n", phi.min, phi.max, phi.mean);

  {
    HeapBuffer<float> phiRows;
    if (!phiRows.allocate(3 * w)) return LFTM_ERR_NO_MEMORY;
    LogRows lg;
    if (f.disk) {
      if ((result = lg.open_file(f.files.scratch2, 0, d.W, d.H)) < 0) return result;
    } else {
      lg.use_memory(static_cast<const float*>(f.raw), d.W, d.H);
    }
    if ((result = divergence_level(buf, d.W, d.H, &lg, phiRows.get())) < 0) return result;
  }

  const MinMaxMean rhs = min_max_mean(buf, imagePixels, 1e10f, -1e8f);
  diag_out("**** origRHS: min=%1.4f  max=%1.4f  moy=%1.4f\n", rhs.min, rhs.max, rhs.mean);
  const size_t m = imagePixels;
  diag_out("tm1 origRHS fin%d  %1.4f  %1.4f  %1.4f  %1.4f\n", static_cast<int>(m), buf[m - 1],
           buf[m - 2], buf[m - 3], buf[m - 4]);
  for (size_t i = 0; i < n; ++i) {
    if (buf[i] > kMaxRhs || buf[i] < -kMaxRhs) buf[i] = 0.0f;
  }
  const MinMaxMean limited = min_max_mean(buf, imagePixels, 1e10f, -1e8f);
  diag_out("origRHS2: min=%1.4f  max=%1.4f  moy=%1.4f\n", limited.min, limited.max, limited.mean);

  cleanup.keep();
  return d.W0;
}

}  // namespace lftm
