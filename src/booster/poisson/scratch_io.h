// Float transfers between the solver's work area and its scratch files. A transfer moves
// m floats as four items of m bytes and counts only when all four items were moved.
#ifndef LFTM_BOOSTER_POISSON_SCRATCH_IO_H_
#define LFTM_BOOSTER_POISSON_SCRATCH_IO_H_

#include <cstdint>
#include <cstdio>

namespace lftm {

// Writes m floats at float position k (byte offset 4k, computed in 64 bits). Returns 4, or
// -20 after a failed seek (silently) or a short write (with a message).
int scratch_write(std::FILE* file, int64_t k, int64_t m, const float* data);

// Reads m floats from float position k; 4, or -20 as scratch_write.
int scratch_read(std::FILE* file, int64_t k, int64_t m, float* data);

// The same through the descriptor of an open file, the four items spread over up to
// `workers` threads.
int scratch_write_at(int fd, int64_t k, int64_t m, const float* data, int workers);
int scratch_read_at(int fd, int64_t k, int64_t m, float* data, int workers);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_SCRATCH_IO_H_
