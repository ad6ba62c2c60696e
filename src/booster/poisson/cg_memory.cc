// SPDX-License-Identifier: BSD-3-Clause
// The in-memory form of cg_solve: every vector is an array and each pass over them is spread
// over the worker threads. Each dot product is fused into the pass that produces its
// operands, the new search direction into the next step's operator pass, and A p is made
// where it is used instead of being stored: the same bits as the plain sequence with two
// passes over memory per step instead of six, and one plane less.
#include <cmath>
#include <cstring>

#include "booster/poisson/cg_solver.h"
#include "booster/poisson/fused_kernels.h"
#include "booster/poisson/poisson_operator.h"
#include "booster/poisson/vector_kernels.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"

namespace lftm {

int cg_solve_in_memory(const SolveOptions& options, float* scratch, float* b, float* x,
                       SolveOutcome* outcome) {
  const int w = options.width;
  const int h = options.height;
  const int n = w * h;
  const int threads = options.threads;
  const bool wraps = options.wrapsAround;
  HeapBuffer<float> residualVector;
  if (scratch != nullptr) {
    residualVector.borrow(scratch);
  } else if (!residualVector.allocate(static_cast<size_t>(n), true)) {
    return LFTM_ERR_NO_MEMORY;
  }
  float* r = residualVector.get();
  float* p = b;

  const int step = (n >> 4) > 1 ? n >> 4 : 1;
  for (int i = 0; i < n; i += step) diag_out("X: %1.3f    %d\n", x[i], i);
  // A x goes into r first, then r = b + (-1) A x, which is b - A x exactly.
  apply_operator(threads, w, h, wraps, x, r);
  for (int i = 0; i < n; i += step) diag_out("temp: %1.4f    B: %1.4f     %d\n", r[i], b[i], i);
  vec_axpy(threads, n, b, -1.0f, r, r);
  std::memcpy(p, r, static_cast<size_t>(n) * sizeof(float));

  float previousResidual = vec_dot(threads, n, r, r);
  const float threshold = options.tolerance * previousResidual;
  // Printed texts keep the old names: tm20, restePrev and resteCur (previous, current residual).
  diag_out("Init restePrev: %1.4f\n", previousResidual);
  if (!std::isfinite(previousResidual)) return kResidualNotANumber;

  const int limit = options.iterationLimit;
  float* residual = &outcome->residual;
  int iter = 0;
  float beta = 0.0f;
  while (iter < limit) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    run_progress(static_cast<double>(iter) / limit);
    // p = r + beta p of the previous step is made in the same pass as q = A p.
    const float dval = iter == 0 ? apply_dot(threads, w, h, wraps, p)
                                 : update_apply_dot(threads, w, h, wraps, r, beta, p);
    diag_out("tm20      dval: %1.4f\n", dval);
    if (dval == 0.0f) break;
    const float alpha = previousResidual / dval;
    *residual = update_dot(threads, w, h, wraps, alpha, p, x, r);
    diag_out("iter: %d  resteCur: %1.4f\n", iter, *residual);
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
