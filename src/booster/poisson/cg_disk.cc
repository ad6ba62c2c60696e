// SPDX-License-Identifier: BSD-3-Clause
// The disk-backed form of cg_solve: the streamed passes of streamed_solver.h, with the
// messages and stopping rules of the solve.
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>

#include "booster/poisson/cg_solver.h"
#include "booster/poisson/streamed_solver.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

const char* shown(const char* path) { return path != nullptr ? path : "(null)"; }

}  // namespace

// The printed texts keep the solver's old names: tm20, restePrev and resteCur (previous,
// current residual).
int cg_solve_on_disk(const SolveOptions& options, const CgPaths& paths, float* x,
                     SolveOutcome* outcome) {
  const int64_t n = static_cast<int64_t>(options.width) * options.height;
  diag_out("tempPathX :%s\n", shown(paths.x));
  diag_out("tempPathR :%s\n", shown(paths.r));
  diag_out("tempPathP :%s\n", shown(paths.p));
  diag_out("tempPathT :%s\n", shown(paths.t));
  diag_out("tempPathIn :%s\n", shown(paths.in));
  StreamedSolver solver(options);
  int status = solver.open(paths, x);
  if (status < 0) return status;
  const int in = paths.in != nullptr ? open(paths.in, O_RDONLY | O_CLOEXEC) : -1;
  if (in < 0) {
    diag_out("can not open temporary file In in tm20 %s\n", shown(paths.in));
    return LFTM_ERR_SOLVER_SCRATCH;
  }
  const int64_t step = (n >> 4) > 1 ? n >> 4 : 1;
  for (int64_t i = 0; i < n; i += step) diag_out("X: %1.3f   %d\n", x[i], static_cast<int>(i));
  float previousResidual = 0.0f;
  status = solver.start(in, options.rhsOffset, &previousResidual);
  close(in);
  if (status < 0) return status;
  const float threshold = options.tolerance * previousResidual;
  diag_out("Init restePrev: %1.2f\n", previousResidual);
  if (!std::isfinite(previousResidual)) return kResidualNotANumber;

  const int limit = options.iterationLimit;
  float* residual = &outcome->residual;
  int iter = 0;
  float beta = 0.0f;
  while (iter < limit) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    run_progress(static_cast<double>(iter) / limit);
    float dval = 0.0f;
    if ((status = solver.direction(iter == 0, beta, &dval)) < 0) return status;
    if (dval == 0.0f) break;
    const float alpha = previousResidual / dval;
    if ((status = solver.update(alpha, residual)) < 0) return status;
    diag_out("iter: %d  resteCur: %1.3f\n", iter, *residual);
    if (!std::isfinite(*residual)) return kResidualNotANumber;
    if (threshold > *residual) break;
    if (*residual > previousResidual) ++outcome->risingSteps;
    beta = *residual / previousResidual;
    previousResidual = *residual;
    ++iter;
  }
  return iter;
}

}  // namespace lftm
