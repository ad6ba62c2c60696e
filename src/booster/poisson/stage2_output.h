// SPDX-License-Identifier: BSD-3-Clause
// The end of stage 2: the log-luminance solution becomes linear luminance, and in disk mode
// the plane is also written to the first scratch file, where the caller reads it back.
#ifndef LFTM_BOOSTER_POISSON_STAGE2_OUTPUT_H_
#define LFTM_BOOSTER_POISSON_STAGE2_OUTPUT_H_

#include <cstdint>

#include "lftm.h"

namespace lftm {

// Replaces each of the n floats of `plane` by its exponential (in double, stored as float),
// spread over `threads` workers when there are 2 or more.
void exponentiate(float* plane, int64_t n, int threads);

// Writes n floats to `path` (truncated): 0, -1 when it cannot be opened (printing
// open_message with the path when that has a %s, else as is), -2 on a short write (printing
// write_message).
int write_plane(const char* path, const float* plane, int64_t n, const char* open_message,
                const char* write_message);

// The last steps of the conjugate-gradient worker: sample lines, exponentiation and, with
// files.readFromDisk set, the plane written to files.scratch1. Returns W x H or -1, -2.
int finish_luminance(int W, int H, const TmFiles& files, int threads, float* out);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_STAGE2_OUTPUT_H_
