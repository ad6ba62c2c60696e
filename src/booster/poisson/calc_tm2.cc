// SPDX-License-Identifier: BSD-3-Clause
// The exported stage-2 entry: reports which work buffers the caller supplied and hands the
// Poisson problem to the conjugate-gradient worker or to the multigrid worker.
#include "booster/poisson/coarse_to_fine.h"
#include "booster/poisson/multigrid.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/setting_value.h"
#include "platform/scratch_file.h"
#include "settings/settings_table.h"

namespace lftm {

int32_t calc_tm2_within(const ImageDesc& desc, int32_t coarseW, int32_t coarseH, int32_t total,
                        int32_t rang, const TmParam* tmParam, const TmFiles& files,
                        float* work1, float* work2, float* out, int64_t solverHeadroom) {
  if (work1 != nullptr) diag_out("work1 non nul - allocation deja faite\n");
  else diag_out("work1 est nul - allocation dans fonction\n");
  if (work2 != nullptr) diag_out("work2 non nul - allocation deja faite\n");
  else diag_out("work2 est nul - allocation dans fonction\n");
  if (tmParam == nullptr || out == nullptr || desc.width <= 0 || desc.height <= 0 ||
      static_cast<int64_t>(desc.width) * desc.height > INT32_MAX) {
    return LFTM_ERR_FILE;
  }
  int result;
  if (tmParam->tmParam[kBoosterSmoothingMode] > 0.0f) {
    result = solve_coarse_to_fine(desc.width, desc.height, rang < 1 ? 0 : rang - 1, tmParam, files,
                                  work1, work2, out, solverHeadroom);
  } else {
    const bool wrapsAround = truncate_setting(tmParam->tmParam[kBooster360DegreeImage]) != 0;
    result = solve_multigrid(desc, coarseW, coarseH, total, rang, wrapsAround, files, work1,
                             work2, out);
  }
  // The solver files belong to this stage in disk mode, whatever the outcome; the first
  // scratch file (the output plane) is left to the caller.
  if (files.readFromDisk != 0) {
    remove_file(files.scratch2);
    remove_file(files.scratch3);
    remove_file(files.scratch4);
    remove_file(files.scratch5);
  }
  return result;
}

}  // namespace lftm

extern "C" int32_t calc_tm2(ImageDesc desc, int32_t coarseW, int32_t coarseH, int32_t total,
                            int32_t rang, const TmParam* tmParam, TmFiles files, float* work1,
                            float* work2, float* out) {
  return lftm::calc_tm2_within(desc, coarseW, coarseH, total, rang, tmParam, files, work1, work2,
                               out, 0);
}
