// SPDX-License-Identifier: BSD-3-Clause
// The passes of the streamed conjugate-gradient solve (cg_solve_on_disk). x stays in the
// caller's array; r and p stay in memory as far as the run's budget allows (solverHeadroom)
// and live in scratch files otherwise; A p is never stored. Each iteration is two passes over
// the bands of the level, spread over the workers: the first makes the new direction
// p = r + beta p, A p and p . A p; the second computes A p again from the band's rows of p and
// updates x and r with r . r. Every value and every sum is made by the same float operations
// in the same order as in the in-memory form, so both forms give the same bits, while a
// file-backed vector moves three times per iteration instead of the seven times of a pass per
// kernel.
#ifndef LFTM_BOOSTER_POISSON_STREAMED_SOLVER_H_
#define LFTM_BOOSTER_POISSON_STREAMED_SOLVER_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "booster/poisson/band_passes.h"
#include "booster/poisson/cg_solver.h"
#include "booster/poisson/solver_vector.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"

namespace lftm {

// A sample of the operator's input and output, printed after the pass that made it.
struct OperatorSample {
  int c, i;
  float cur, up, left, right, down, out;
};

class StreamedSolver {
 public:
  explicit StreamedSolver(const SolveOptions& options)
      : w_(options.width), h_(options.height),
        n_(static_cast<int64_t>(options.width) * options.height),
        wrapsAround_(options.wrapsAround), threads_(options.threads),
        strips_(options.finestLevel ? 2 : 1), band_(band_length(options.width)),
        headroom_(options.solverHeadroom), printing_(!run_discards_messages()) {}

  // Chooses where r and p live and takes the band buffers; 0, -4 or -20.
  int open(const CgPaths& paths, float* x);
  // r = b - A x, p = r, and r . r through *residual; the file descriptor `in` holds b at
  // float position rhsOffset.
  int start(int in, int64_t rhsOffset, float* residual);
  // p = r + beta p (not on the first step), then p . A p.
  int direction(bool first, float beta, float* dval);
  // x += alpha p, r -= alpha A p; then r . r.
  int update(float alpha, float* residual);

 private:
  int check_band() const { return run_cancelled() ? LFTM_ERR_CANCELLED : 0; }
  void collect_samples(const RowWindow& v, const Band& band, const float* q);
  void print_strip_lines(const std::vector<float>& stripValues) const;
  std::function<void(int64_t, float)> strip_watch(const float* q, const float* v,
                                                  int64_t qBegin, int64_t vBegin,
                                                  std::vector<float>* values) const;

  int w_, h_;
  int64_t n_;
  bool wrapsAround_;
  int threads_;
  int strips_;
  int64_t band_;
  int64_t headroom_;
  bool printing_;
  float* x_ = nullptr;
  SolverVector r_, p_;
  HeapBuffer<float> window_;    // p's window, or the right-hand side's band
  HeapBuffer<float> newWindow_; // the new direction's window
  HeapBuffer<float> rBand_;     // r's band and the rows below it
  HeapBuffer<float> q_;         // A p or A x over the band
  HeapBuffer<float> table_;     // block sums of the band
  std::vector<OperatorSample> samples_;
};

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_STREAMED_SOLVER_H_
