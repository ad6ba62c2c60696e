// SPDX-License-Identifier: BSD-3-Clause
// The third stage of the Texture Booster in memory mode on workers, with the finished rows
// taken in order on the calling thread while later ones are computed.
#ifndef LFTM_BOOSTER_FINISH_CALC_TM3_FEEDING_H_
#define LFTM_BOOSTER_FINISH_CALC_TM3_FEEDING_H_

#include <functional>

#include "lftm.h"
#include "platform/row_feed.h"

namespace lftm {

// calc_tm3 in memory mode on clamp_workers(files->threads) workers (at least 2) into
// interleaved output (desc->planes is not read), with the rows computed in bands in row
// order while `consume` takes the finished rows on the calling thread (row_feed.h). The
// samples are those of calc_tm3. Returns what calc_tm3 returns.
int calc_tm3_feeding(int docType, const ImageDesc* desc, const TmParam* param,
                     const LumStats* stats, const float* expTable, const float* lut,
                     const TmFiles* files, const void* input, float* lum, void* output,
                     const std::function<void(RowFeed*)>& consume);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_CALC_TM3_FEEDING_H_
