// SPDX-License-Identifier: BSD-3-Clause
// One vector of the disk-backed solver: kept whole in memory when the run's budget allows,
// else in its scratch file, which the passes read and write a band at a time.
#ifndef LFTM_BOOSTER_POISSON_SOLVER_VECTOR_H_
#define LFTM_BOOSTER_POISSON_SOLVER_VECTOR_H_

#include <cstdint>

#include "platform/heap_buffer.h"

namespace lftm {

class SolverVector {
 public:
  SolverVector() = default;
  ~SolverVector();
  SolverVector(const SolverVector&) = delete;
  SolverVector& operator=(const SolverVector&) = delete;

  // Keeps the n floats in memory; false when they cannot be had.
  bool keep_in_memory(int64_t n);
  // Keeps the vector in the file at `path`, truncated, moved in transfers spread over up to
  // `workers` threads; false when it cannot be opened.
  bool keep_in_file(const char* path, int workers);

  bool in_memory() const { return memory_.get() != nullptr; }
  // The whole vector, in memory only.
  float* data() const { return memory_.get(); }

  // Positions [k, k + m): the vector itself when in memory, else `buffer` filled from the
  // file. Null after a failed read (reported).
  float* load_for_update(int64_t k, int64_t m, float* buffer);
  const float* load(int64_t k, int64_t m, float* buffer) {
    return load_for_update(k, m, buffer);
  }
  // Puts `values` at positions [k, k + m); nothing to do when they are the vector's own
  // memory. 0, or a negative code after a failed write (reported).
  int store(int64_t k, int64_t m, const float* values);

 private:
  HeapBuffer<float> memory_;
  int fd_ = -1;
  int workers_ = 1;
};

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_SOLVER_VECTOR_H_
