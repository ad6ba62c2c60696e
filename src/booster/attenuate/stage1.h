// The two stage-1 workers behind the exported calc_tm1. Both take calc_tm1's arguments, with
// the image layout and run record already copied by calc_tm1.
#ifndef LFTM_BOOSTER_ATTENUATE_STAGE1_H_
#define LFTM_BOOSTER_ATTENUATE_STAGE1_H_

#include "lftm.h"

namespace lftm {

// Single right-hand side: Phi over all attenuation levels and the divergence at level 0,
// limited to [-100, 100]. Returns W0, or a negative code.
int stage1_single_level(int docType, const ImageDesc* img, const TmParam* tmParam,
                        PyramidDims* dims, LumStats* stats, const float* expTable, const float* lut,
                        HdrFileInfo* info, const TmFiles* files, float* work, void* raw,
                        float* buf);

// One right-hand side per multigrid level but the coarsest, each from a window of five or six
// levels; `work` (optional) replaces every large temporary. Returns W0, or a negative code.
int stage1_multi_level(int docType, const ImageDesc* img, const TmParam* tmParam, PyramidDims* dims,
                       LumStats* stats, const float* expTable, const float* lut, HdrFileInfo* info,
                       const TmFiles* files, float* work, void* raw, float* buf);

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_STAGE1_H_
