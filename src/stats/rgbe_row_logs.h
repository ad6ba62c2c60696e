// SPDX-License-Identifier: BSD-3-Clause
// The log luminance of the pixels of one RGBE planar row, as both stage-1 paths compute it.
#ifndef LFTM_STATS_RGBE_ROW_LOGS_H_
#define LFTM_STATS_RGBE_ROW_LOGS_H_

#include <cstddef>
#include <cstdint>

#include "stats/log_accumulator.h"
#include "stats/log_luminance.h"
#include "stats/pixel_luminance.h"

namespace lftm {

// The first `count` pixels of the row (R, G, B and E runs of `width` bytes) into out[0 ..
// count); a pixel without light (exponent 0, or zero mantissas) gets kNoLuminance.
inline void rgbe_row_logs(const uint8_t* row, size_t width, int count, const float* expTable,
                          float* out) {
  for (int k = 0; k < count; ++k) {
    const uint8_t e = row[3 * width + k];
    const float lum =
        e != 0 ? luminance_single(row[k], row[width + k], row[2 * width + k]) : 0.0f;
    out[k] = lum > 0 ? log_as_float(lum * expTable[e]) : kNoLuminance;
  }
}

}  // namespace lftm

#endif  // LFTM_STATS_RGBE_ROW_LOGS_H_
