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

}  // namespace lftm

#endif  // LFTM_STATS_LOG_MIN_MAX_MOY_H_
