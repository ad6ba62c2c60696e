// SPDX-License-Identifier: BSD-3-Clause
// tonemap: the Texture Booster from one HDR file to one TIFF or JPEG file (src/run).
#include "frame/drivers.h"

extern "C" int32_t tonemap(int32_t extType, ImageDesc* desc, const TmParam* tmParam,
                           int32_t jpgQual, const SaveOptions* save, intptr_t w6, intptr_t w7,
                           int32_t w8, intptr_t w9, intptr_t w10, const char* /*unused*/,
                           const TmFiles* files, const char* outFile) {
  const lftm::DriverCall call = {extType, desc,  tmParam, save, {jpgQual, w6, w7, w8, w9, w10},
                                 files,   outFile};
  return lftm::run_tonemap(call, lftm::default_sibling_names());
}
