// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/front.h"

#include <cmath>
#include <cstring>

#include "booster/attenuate/attenuation.h"
#include "booster/attenuate/gradients.h"
#include "booster/attenuate/histogram.h"
#include "booster/attenuate/log_store.h"
#include "booster/attenuate/plane_stats.h"
#include "booster/attenuate/pyramid.h"
#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"
#include "platform/scratch_file.h"
#include "stats/log_luminance.h"

namespace lftm {
namespace {

bool layout_matches(int docType, const ImageDesc& img, const PyramidDims& dims, bool disk) {
  if (img.width != dims.W0 || img.height != dims.H0) return false;
  // The disk-mode plane is packed: level 0 must be the image itself.
  if (disk && (dims.W != dims.W0 || dims.H != dims.H0)) return false;
  if (docType != 0) {
    if (img.spp < 1) return false;
    if (static_cast<long long>(img.rowStride) < static_cast<long long>(img.width) * img.spp) {
      return false;
    }
  }
  return true;
}

// The multi-level run prints plane sums, which are only printed: a call whose lines go
// nowhere does without them.
bool prints_sums(bool multiLevel) { return multiLevel && !run_discards_messages(); }

}  // namespace

int stage1_prepare(int docType, const ImageDesc* img, const TmParam* tmParam,
                   const PyramidDims* dims, LumStats* stats, const float* expTable,
                   const float* lut, HdrFileInfo* info, const TmFiles* files, void* raw,
                   float* buf, Stage1Front* front) {
  if (img == nullptr || tmParam == nullptr || dims == nullptr || stats == nullptr ||
      buf == nullptr) {
    return LFTM_ERR_FILE;
  }
  TmFiles run{};
  if (files != nullptr) run = *files;
  const bool disk = run.readFromDisk != 0;
  if (disk && docType != 0) return LFTM_ERR_FILE;
  if (docType < 0 || docType > 2) return LFTM_ERR_FILE;
  if (docType == 0 ? expTable == nullptr : lut == nullptr) return LFTM_ERR_FILE;
  if (disk) {
    if (run.inFile == nullptr || run.scratch1 == nullptr || run.scratch2 == nullptr ||
        info == nullptr) {
      return LFTM_ERR_FILE;
    }
  } else if (raw == nullptr) {
    return LFTM_ERR_FILE;
  }
  if (!layout_matches(docType, *img, *dims, disk)) return LFTM_ERR_FILE;
  if (plan_levels(*dims, &front->levels) != 0) return LFTM_ERR_FILE;

  front->docType = docType;
  front->img = *img;
  front->dims = *dims;
  front->stats = stats;
  front->expTable = expTable;
  front->lut = lut;
  front->info = info;
  front->files = run;
  front->raw = raw;
  front->buf = buf;
  front->settings = derive_stage1_settings(*tmParam);
  front->disk = disk;
  front->threads = run.threads;
  front->savedFloats = saved_pyramid_floats(*dims);
  return 0;
}

int stage1_log_plane(Stage1Front& f) {
  const PyramidDims& d = f.dims;
  int result;
  if (f.disk) {
    // The reader's codes reach the host as calc_tm1 has always reported them.
    result = rgbe_classic_code(log_plane_from_disk(f.docType, f.img.width, f.img.height, f.stats,
                                                   f.expTable, f.info, f.files.inFile,
                                                   f.files.scratch1, f.buf, f.threads));
  } else {
    result = log_plane_in_memory(f.docType, f.img.spp, f.img.width, f.img.height,
                                 f.img.rowStride, d.W0, d.H0, d.W, d.H, f.stats, f.expTable,
                                 f.lut, f.raw, f.buf, f.threads);
  }
  diag_out("retour calc_tm0=%d", result);
  // Without a plane there is nothing to attenuate: go no further than the report.
  if (result < 0) return result;
  if (run_cancelled()) return LFTM_ERR_CANCELLED;

  const float* b = f.buf;
  const size_t n = f.levels.size(0);
  const size_t w = static_cast<size_t>(d.W);
  diag_out("tm1 vectI fin%d  %1.4f  %1.4f  %1.4f  %1.4f\n", static_cast<int>(n), b[n - 1],
           b[n - 2], b[n - 3], b[n - 4]);
  diag_out("initFine: %d  %1.3f %1.3f %1.3f  %1.3f\n ", 0, b[0], level_probe(b, n, 3 * w + 1),
           level_probe(b, n, 4 * w + 10), level_probe(b, n, 20 * w + 20));
  return 0;
}

int stage1_pyramid_and_copy(Stage1Front& f, bool multiLevel, int32_t* hist) {
  const bool printSums = prints_sums(multiLevel);
  build_log_pyramid(f.buf, f.levels, f.settings.is360, printSums);
  if (run_cancelled()) return LFTM_ERR_CANCELLED;

  HeapBuffer<int32_t> counts;
  if (hist != nullptr) {
    std::memset(hist, 0, kHistogramBins * sizeof(int32_t));
    counts.borrow(hist);
  } else {
    counts.allocate(kHistogramBins, true);  // without it the percentiles are skipped
  }
  if (counts.get() != nullptr) {
    luminance_percentiles(f.buf, f.img.width * f.img.height, f.settings.clipFraction, f.stats,
                          counts.get());
  }
  counts.release();

  // The saved block may reach past the levels built (the two pyramid totals differ); that
  // tail carries no values and is zeroed so the copy is fully defined.
  const size_t built = f.levels.offset[f.levels.count];
  if (f.savedFloats > built) {
    std::memset(f.buf + built, 0, (f.savedFloats - built) * sizeof(float));
  }
  const int saved = save_log_pyramid(f.buf, f.savedFloats, f.disk, f.files.scratch2, f.raw);
  if (saved < 0) return saved;
  if (printSums) diag_out("t1new sum0:  %1.6f  \n ", plane_sum(f.buf, f.savedFloats));
  return 0;
}

int stage1_attenuate(Stage1Front& f, bool multiLevel, float* rows) {
  const Stage1Settings& s = f.settings;
  const size_t imagePixels = static_cast<size_t>(f.img.width) * f.img.height;
  const bool printSums = prints_sums(multiLevel);
  double scale = 0.5;
  for (int k = 0; k < f.levels.count; ++k) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    run_progress(1.0 - std::ldexp(1.0, -2 * k));  // each level a quarter of the one before
    const int w = f.levels.width[k];
    const int h = f.levels.height[k];
    const int offset = static_cast<int>(f.levels.offset[k]);
    HeapBuffer<float> rowSpace;
    if (rows != nullptr) {
      rowSpace.borrow(rows);
    } else if (!rowSpace.allocate(3 * static_cast<size_t>(w))) {
      return LFTM_ERR_NO_MEMORY;
    }
    const float sum = gradient_level(f.buf + offset, w, h, s.is360, scale, rowSpace.get());
    rowSpace.release();
    if (printSums) diag_out("t1new sum1: %1.6f  \n ", plane_sum(f.buf, imagePixels));

    const float mean = sum / static_cast<float>(static_cast<long long>(w) * h);
    const float alpha = static_cast<float>(s.alphaScale * mean);
    const float add = mean * s.detail;
    if (alpha > 0.0f) attenuate_level(f.buf, offset, w, h, alpha, s.exponent, add, f.threads);
    scale *= 0.5;
  }
  if (printSums) diag_out("t1new sum2:  %1.6f  \n ", plane_sum(f.buf, imagePixels));
  return 0;
}

ScratchCleanup::~ScratchCleanup() {
  if (keep_ || !front_.disk) return;
  remove_file(front_.files.scratch1);
  remove_file(front_.files.scratch2);
}

}  // namespace lftm
