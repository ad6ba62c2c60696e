// Conjugate-gradient solve of one pyramid level, A x = b, with A the five-point graph
// Laplacian of poisson_operator.h. The solve starts from the x it is given and stops at the
// iteration limit, when the squared residual falls below tol times its initial value, or
// when the search direction gives a zero curvature.
#ifndef LFTM_BOOSTER_POISSON_CG_SOLVER_H_
#define LFTM_BOOSTER_POISSON_CG_SOLVER_H_

#include <cstdint>

namespace lftm {

// The five scratch files of the disk-backed form: in (the right-hand-side pyramid, read),
// then x, p, r and A p (rewritten on every call).
struct CgPaths {
  const char* in;
  const char* x;
  const char* p;
  const char* r;
  const char* t;
};

// Solves the w x h level. T worker threads (0 or 1: the calling thread); F <= 0 solves in
// memory, F > 0 streams: F = 1 marks the finest level, whose dot-product lines are printed
// for two strips. In memory, b is overwritten (it becomes the search direction) and
// `scratch` (2n floats, or null to allocate) holds r and A p. Streamed, b and scratch are
// unused: b is read from paths.in at float position rhsOffset, x (n floats) stays in memory,
// and r and p are kept in memory as far as solver_headroom() allows, else in paths.r and
// paths.p (paths.x and paths.t are not used). Returns the completed iterations, -4 when memory
// cannot be had, -20 when a scratch file cannot be opened, positioned, read or written, or
// kResidualNotANumber when the squared residual is or becomes NaN or infinite (a right-hand
// side holding such values): no step can then bring it under the tolerance, and the solve
// would run to the iteration limit, however high, for nothing.
constexpr int kResidualNotANumber = -1;
int cg_solve(int w, int h, int limit, float tol, int is360, int T, int F, const CgPaths& paths,
             int rhsOffset, float* scratch, float* b, float* x);

// The two forms behind cg_solve, after its first line.
int cg_solve_in_memory(int w, int h, int limit, float tol, int is360, int T, float* scratch,
                       float* b, float* x, int* risingSteps, float* residual);
int cg_solve_on_disk(int w, int h, int limit, float tol, int is360, int T, int F,
                     const CgPaths& paths, int rhsOffset, float* x, int* risingSteps,
                     float* residual);

// Positions per band of the streamed form: about 8 MB of floats, at least four rows, in whole
// blocks of the dot products.
int64_t band_length(int w);

// The memory of the streamed form's band buffers for a level w wide.
int64_t streamed_solver_bytes(int w);

// "Www Mmm dd hh:mm:ss yyyy\n" for the local time now, in English whatever the locale.
void local_date_line(char (&text)[64]);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_CG_SOLVER_H_
