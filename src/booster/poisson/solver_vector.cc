#include "booster/poisson/solver_vector.h"

#include <cstring>

#include "booster/poisson/scratch_io.h"

namespace lftm {

SolverVector::~SolverVector() {
  if (file_ != nullptr) std::fclose(file_);
}

bool SolverVector::keep_in_memory(int64_t n) {
  return memory_.allocate(static_cast<size_t>(n));
}

bool SolverVector::keep_in_file(const char* path) {
  file_ = path != nullptr ? std::fopen(path, "wb+") : nullptr;
  return file_ != nullptr;
}

const float* SolverVector::load(int64_t k, int64_t m, float* buffer) {
  if (in_memory()) return memory_.get() + k;
  return scratch_read(file_, k, m, buffer) < 0 ? nullptr : buffer;
}

int SolverVector::store(int64_t k, int64_t m, const float* values) {
  if (in_memory()) {
    float* at = memory_.get() + k;
    if (values != at) std::memcpy(at, values, static_cast<size_t>(m) * sizeof(float));
    return 0;
  }
  const int status = scratch_write(file_, k, m, values);
  return status < 0 ? status : 0;
}

}  // namespace lftm
