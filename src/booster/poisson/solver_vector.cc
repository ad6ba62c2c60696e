// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/solver_vector.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "booster/poisson/scratch_io.h"

namespace lftm {

SolverVector::~SolverVector() {
  if (fd_ >= 0) close(fd_);
}

bool SolverVector::keep_in_memory(int64_t n) {
  return memory_.allocate(static_cast<size_t>(n));
}

bool SolverVector::keep_in_file(const char* path, int workers) {
  fd_ = path != nullptr ? open(path, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666) : -1;
  workers_ = workers;
  return fd_ >= 0;
}

float* SolverVector::load_for_update(int64_t k, int64_t m, float* buffer) {
  if (in_memory()) return memory_.get() + k;
  return scratch_read_at(fd_, k, m, buffer, workers_) < 0 ? nullptr : buffer;
}

int SolverVector::store(int64_t k, int64_t m, const float* values) {
  if (in_memory()) {
    float* at = memory_.get() + k;
    if (values != at) std::memcpy(at, values, static_cast<size_t>(m) * sizeof(float));
    return 0;
  }
  const int status = scratch_write_at(fd_, k, m, values, workers_);
  return status < 0 ? status : 0;
}

}  // namespace lftm
