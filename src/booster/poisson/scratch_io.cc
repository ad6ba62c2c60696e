#include "booster/poisson/scratch_io.h"

#include "lftm.h"
#include "platform/diag.h"
#include "platform/scratch_file.h"

namespace lftm {

int scratch_write(std::FILE* file, int64_t k, int64_t m, const float* data) {
  if (!seek_to(file, 4 * k)) return LFTM_ERR_SOLVER_SCRATCH;
  int written = write_quarters(file, data, static_cast<size_t>(m) * sizeof(float));
  if (written < 4) {
    // The printed texts keep the solver's old name, tm20.
    diag_out("could not write to temporary file in tm20 - - returned %d instead of 4 \n",
             written);
    return LFTM_ERR_SOLVER_SCRATCH;
  }
  return written;
}

int scratch_read(std::FILE* file, int64_t k, int64_t m, float* data) {
  if (!seek_to(file, 4 * k)) return LFTM_ERR_SOLVER_SCRATCH;
  int read = read_quarters(file, data, static_cast<size_t>(m) * sizeof(float));
  if (read != 4) {
    diag_out("can not read temporary file - returned %d instead of 4 in tm20\n", read);
    return LFTM_ERR_SOLVER_SCRATCH;
  }
  return read;
}

}  // namespace lftm
