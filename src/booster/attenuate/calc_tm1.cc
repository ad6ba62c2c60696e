// Stage 1 of the Texture Booster, as exported: copies the image layout and the run record and
// runs the worker that slot 16 of the parameter block selects.
#include "booster/attenuate/settings.h"
#include "booster/attenuate/stage1.h"
#include "lftm.h"
#include "platform/setting_value.h"

int32_t calc_tm1(int32_t docType, const ImageDesc* img, const TmParam* tmParam,
                 PyramidDims* dims, LumStats* stats, const float* expTable, const float* lut,
                 HdrFileInfo* info, const TmFiles* files, float* work, void* raw, float* buf) {
  if (img == nullptr || tmParam == nullptr) return LFTM_ERR_FILE;
  const ImageDesc imgCopy = *img;
  TmFiles filesCopy{};
  if (files != nullptr) filesCopy = *files;
  if (lftm::truncate_setting(tmParam->tmParam[16]) != 0) {
    return lftm::stage1_multi_level(docType, &imgCopy, tmParam, dims, stats, expTable, lut, info,
                                    &filesCopy, work, raw, buf);
  }
  return lftm::stage1_single_level(docType, &imgCopy, tmParam, dims, stats, expTable, lut, info,
                                   &filesCopy, work, raw, buf);
}
