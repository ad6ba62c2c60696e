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

// A flat image of a level of 1 or more has no range of log luminance (its level is both its
// minimum and its maximum), which the response curve cannot scale, while a darker flat image
// has the range up to 0 and comes out black: the same picture gets an answer at one level and
// an error at another. For stats without a range, opens one of kFlatHalfSpan on either side
// of the level, with the contrast exponent of such a range, so that the image comes out
// uniform at the mid-tone a nearly flat image of that level gives. Returns true when it did;
// stats with a range are left untouched.
bool open_flat_range(LogStats* stats);

}  // namespace lftm

#endif  // LFTM_STATS_LOG_MIN_MAX_MOY_H_
