// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer's log-luminance statistics (logMinMaxMoy in lftm.h) on workers.
#ifndef LFTM_STATS_LOG_MIN_MAX_MOY_H_
#define LFTM_STATS_LOG_MIN_MAX_MOY_H_

#include <cstdint>

#include "lftm.h"

namespace lftm {

// logMinMaxMoy with the logs computed on up to `threads` workers; the statistics have the
// same bits for every thread count.
int32_t log_min_max_moy(int32_t spp, int32_t width, int32_t height, const float* expTable,
                        const void* data, LogStats* stats, int threads);

// True for the stats of an image whose lit pixels all have one log luminance (their mean is
// their minimum). The response curve has no range to scale such an image at any level: at 1
// or more its minimum is also its maximum, below 1 the range up to 0 puts every pixel at the
// bottom, black. The driver refuses it at every level alike.
inline bool is_flat_image(const LogStats& stats) { return stats.logMoy == stats.logMin; }

}  // namespace lftm

#endif  // LFTM_STATS_LOG_MIN_MAX_MOY_H_
