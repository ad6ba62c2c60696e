// The disk-backed form of cg_solve: x, r, p and A p live in scratch files and pass through the
// work area (the caller's x) a strip or a whole vector at a time, so that the finest levels
// of very large images need no second plane in memory. It runs on the calling thread.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>

#include "booster/poisson/block_sums.h"
#include "booster/poisson/cg_solver.h"
#include "booster/poisson/poisson_operator.h"
#include "booster/poisson/scratch_io.h"
#include "booster/poisson/vector_kernels.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

struct OpenFiles {
  std::FILE* x = nullptr;
  std::FILE* r = nullptr;
  std::FILE* p = nullptr;
  std::FILE* t = nullptr;
  std::FILE* in = nullptr;
  ~OpenFiles() {
    for (std::FILE* f : {x, r, p, t, in}) {
      if (f != nullptr) std::fclose(f);
    }
  }
};

std::FILE* open_or_report(const char* path, const char* mode, const char* message) {
  std::FILE* f = path != nullptr ? std::fopen(path, mode) : nullptr;
  if (f == nullptr) diag_out(message, path != nullptr ? path : "(null)");
  return f;
}

const char* shown(const char* path) { return path != nullptr ? path : "(null)"; }

}  // namespace

#define LFTM_TRY(call)          \
  do {                          \
    int status_ = (call);       \
    if (status_ < 0) return status_; \
  } while (0)

int cg_solve_on_disk(int w, int h, int limit, float tol, int is360, int T, int F,
                     const CgPaths& paths, int rhsOffset, float* x, int* risingSteps,
                     float* residual) {
  const int64_t n = static_cast<int64_t>(w) * h;
  const int strips = F == 1 ? 2 : 1;
  const int64_t strip_length = n / strips;
  float* S = x;

  // Printed texts keep the old names: tm20, restePrev and resteCur (previous, current residual).
  diag_out("tempPathX :%s\n", shown(paths.x));
  diag_out("tempPathR :%s\n", shown(paths.r));
  diag_out("tempPathP :%s\n", shown(paths.p));
  diag_out("tempPathT :%s\n", shown(paths.t));
  diag_out("tempPathIn :%s\n", shown(paths.in));
  OpenFiles files;
  if ((files.x = open_or_report(paths.x, "wb+", "can not open temporary file in tm20 %s\n")) ==
      nullptr) return LFTM_ERR_SOLVER_SCRATCH;
  if ((files.r = open_or_report(paths.r, "wb+", "can not open temporary file R in tm20 %s\n")) ==
      nullptr) return LFTM_ERR_SOLVER_SCRATCH;
  if ((files.p = open_or_report(paths.p, "wb+", "can not open temporary file P in tm20 %s\n")) ==
      nullptr) return LFTM_ERR_SOLVER_SCRATCH;
  if ((files.t = open_or_report(paths.t, "wb+", "can not open temporary file T in tm20 %s\n")) ==
      nullptr) return LFTM_ERR_SOLVER_SCRATCH;
  if ((files.in = open_or_report(paths.in, "rb", "can not open temporary file In in tm20 %s\n")) ==
      nullptr) return LFTM_ERR_SOLVER_SCRATCH;

  const int64_t step = (n >> 4) > 1 ? n >> 4 : 1;
  for (int64_t i = 0; i < n; i += step) diag_out("X: %1.3f   %d\n", x[i], static_cast<int>(i));
  LFTM_TRY(scratch_write(files.x, 0, n, S));
  LFTM_TRY(apply_operator_in_place(w, h, is360, S));
  LFTM_TRY(scratch_write(files.t, 0, n, S));

  // Strip s covers [k, k + m); the last strip runs to the end.
  auto strip = [&](int s, int64_t* k, int64_t* m) {
    *k = s * strip_length;
    *m = (s == strips - 1) ? n - *k : strip_length;
  };
  int64_t k = 0;
  int64_t m = 0;
  for (int s = 0; s < strips; ++s) {
    strip(s, &k, &m);
    LFTM_TRY(scratch_read(files.in, rhsOffset + k, m, S));
    LFTM_TRY(scratch_read(files.t, k, m, S + m));
    const int64_t d = (m >> 4) > 1 ? m >> 4 : 1;
    for (int64_t i = 0; i < m; i += d) {
      diag_out("temp: %1.4f    B: %1.4f     %d\n", S[m + i], S[i], static_cast<int>(i));
    }
    for (int64_t i = 0; i < m; ++i) S[i] = S[i] - S[m + i];
    LFTM_TRY(scratch_write(files.r, k, m, S));
  }

  LFTM_TRY(scratch_read(files.r, 0, n, S));
  LFTM_TRY(scratch_write(files.p, 0, n, S));
  float previousResidual = vec_dot(T, static_cast<int>(n), S, S);
  const float threshold = tol * previousResidual;
  diag_out("Init restePrev: %1.2f\n", previousResidual);
  if (!std::isfinite(previousResidual)) return kResidualNotANumber;

  int iter = 0;
  while (iter < limit) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    run_progress(static_cast<double>(iter) / limit);
    LFTM_TRY(scratch_read(files.p, 0, n, S));
    LFTM_TRY(apply_operator_in_place(w, h, is360, S));
    LFTM_TRY(scratch_write(files.t, 0, n, S));

    // The strips go through the blocks of the in-memory dot product in order, so the
    // curvature has the same bits as there.
    StreamedDot curvature;
    for (int s = 0; s < strips; ++s) {
      strip(s, &k, &m);
      LFTM_TRY(scratch_read(files.t, k, m, S));
      LFTM_TRY(scratch_read(files.p, k, m, S + m));
      curvature.add(S, S + m, m);
      diag_out("tm20  strip: %d    dval: %1.2f\n", s, curvature.total());
    }
    const float dval = curvature.total();
    if (dval == 0.0f) break;

    const float alpha = previousResidual / dval;
    for (int s = 0; s < strips; ++s) {
      strip(s, &k, &m);
      LFTM_TRY(scratch_read(files.x, k, m, S));
      LFTM_TRY(scratch_read(files.p, k, m, S + m));
      for (int64_t i = 0; i < m; ++i) S[i] = S[i] + alpha * S[m + i];
      LFTM_TRY(scratch_write(files.x, k, m, S));
      LFTM_TRY(scratch_read(files.r, k, m, S));
      LFTM_TRY(scratch_read(files.t, k, m, S + m));
      const float minus_alpha = -alpha;
      for (int64_t i = 0; i < m; ++i) S[i] = S[i] + minus_alpha * S[m + i];
      LFTM_TRY(scratch_write(files.r, k, m, S));
    }

    LFTM_TRY(scratch_read(files.r, 0, n, S));
    *residual = vec_dot(0, static_cast<int>(n), S, S);
    diag_out("iter: %d  resteCur: %1.3f\n", iter, *residual);
    if (!std::isfinite(*residual)) return kResidualNotANumber;
    if (threshold > *residual) break;
    if (*residual > previousResidual) ++*risingSteps;

    const float beta = *residual / previousResidual;
    for (int s = 0; s < strips; ++s) {
      strip(s, &k, &m);
      LFTM_TRY(scratch_read(files.r, k, m, S));
      LFTM_TRY(scratch_read(files.p, k, m, S + m));
      for (int64_t i = 0; i < m; ++i) S[m + i] = S[i] + beta * S[m + i];
      LFTM_TRY(scratch_write(files.p, k, m, S + m));
    }
    previousResidual = *residual;
    ++iter;
  }
  LFTM_TRY(scratch_read(files.x, 0, n, x));
  return iter;
}

#undef LFTM_TRY

}  // namespace lftm
