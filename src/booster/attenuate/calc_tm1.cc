// SPDX-License-Identifier: BSD-3-Clause
// Stage 1 of the Texture Booster, as exported: checks and copies the call and runs the worker
// that the smoothing mode selects.
#include "booster/attenuate/settings.h"
#include "booster/attenuate/stage1.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/setting_value.h"
#include "settings/settings_table.h"

int32_t calc_tm1(int32_t docType, const ImageDesc* img, const TmParam* tmParam,
                 PyramidDims* dims, LumStats* stats, const float* expTable, const float* lut,
                 HdrFileInfo* info, const TmFiles* files, float* work, void* raw, float* buf) {
  if (img == nullptr || tmParam == nullptr) return LFTM_ERR_FILE;
  const ImageDesc imgCopy = *img;
  TmFiles filesCopy{};
  if (files != nullptr) filesCopy = *files;
  const bool multiLevel =
      lftm::truncate_setting(tmParam->tmParam[lftm::kBoosterSmoothingMode]) != 0;
  if (multiLevel) {
    lftm::diag_out(work != nullptr ? "work non nul - allocation deja faite\n"
                                   : "work est nul - allocation dans fonction\n");
  }
  lftm::Stage1Front f;
  const int result = lftm::stage1_prepare(docType, &imgCopy, tmParam, dims, stats, expTable, lut,
                                          info, &filesCopy, raw, buf, &f);
  if (result < 0) return result;
  return multiLevel ? lftm::stage1_multi_level(f, work) : lftm::stage1_single_level(f);
}
