// SPDX-License-Identifier: BSD-3-Clause
// Float transfers between the solver's work area and its scratch files. A transfer moves
// m floats as four items of m bytes and counts only when all four items were moved.
#ifndef LFTM_BOOSTER_POISSON_SCRATCH_IO_H_
#define LFTM_BOOSTER_POISSON_SCRATCH_IO_H_

#include <cstdint>

namespace lftm {

// Writes m floats at float position k (byte offset 4k, computed in 64 bits) of the open file
// `fd`, the four items spread over up to `workers` threads. Returns 4, or -20 after a short
// write (with a message).
int scratch_write_at(int fd, int64_t k, int64_t m, const float* data, int workers);

// Reads m floats from float position k; 4, or -20 as scratch_write_at.
int scratch_read_at(int fd, int64_t k, int64_t m, float* data, int workers);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_SCRATCH_IO_H_
