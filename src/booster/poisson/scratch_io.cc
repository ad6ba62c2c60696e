// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/scratch_io.h"

#include "lftm.h"
#include "platform/diag.h"
#include "platform/scratch_file.h"

namespace lftm {

namespace {

// The printed texts keep the solver's old name, tm20.
int write_outcome(int written) {
  if (written < 4) {
    diag_out("could not write to temporary file in tm20 - - returned %d instead of 4 \n",
             written);
    return LFTM_ERR_SOLVER_SCRATCH;
  }
  return written;
}

int read_outcome(int read) {
  if (read != 4) {
    diag_out("can not read temporary file - returned %d instead of 4 in tm20\n", read);
    return LFTM_ERR_SOLVER_SCRATCH;
  }
  return read;
}

}  // namespace

int scratch_write_at(int fd, int64_t k, int64_t m, const float* data, int workers) {
  return write_outcome(
      write_quarters_at(fd, 4 * k, data, static_cast<size_t>(m) * sizeof(float), workers));
}

int scratch_read_at(int fd, int64_t k, int64_t m, float* data, int workers) {
  return read_outcome(
      read_quarters_at(fd, 4 * k, data, static_cast<size_t>(m) * sizeof(float), workers));
}

}  // namespace lftm
