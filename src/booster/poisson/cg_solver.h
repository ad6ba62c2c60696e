// SPDX-License-Identifier: BSD-3-Clause
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

// One level's solve: its size, when to stop, and where its vectors live.
struct SolveOptions {
  int width = 0;
  int height = 0;
  int iterationLimit = 0;
  // The solve stops once r . r falls below tolerance times its initial value.
  float tolerance = 0.0f;
  // A 360-degree level: rows wrap around in x and the top row also sees the pole.
  bool wrapsAround = false;
  int threads = 0;  // worker threads; below 2 the calling thread does the work
  // The vectors are streamed through the scratch files instead of held in memory; the
  // right-hand side is read from paths.in at float position rhsOffset.
  bool streamed = false;
  int64_t rhsOffset = 0;
  // Streamed only: the image's own level, whose dot-product lines are printed for two strips.
  bool finestLevel = false;
  // Streamed only: the bytes that r and p may take in memory beside the run's fixed buffers;
  // a vector that does not fit lives in its scratch file.
  int64_t solverHeadroom = 0;
};

// What a solve leaves besides x: the last squared residual and how many steps raised it.
struct SolveOutcome {
  float residual = 0.0f;
  int risingSteps = 0;
};

// Solves the level described by `options`, starting from x. In memory, b is overwritten (it
// becomes the search direction) and `scratch` (n floats, or null to allocate) holds r.
// Streamed, b and scratch are unused: x (n floats) stays in memory, and r and p are kept
// in memory as far as options.solverHeadroom allows, else in paths.r and paths.p (paths.x and
// paths.t are not used). Returns the completed iterations, -4 when memory cannot be had, -20
// when a scratch file cannot be opened, positioned, read or written, or kResidualNotANumber
// when the squared residual is or becomes NaN or infinite (a right-hand side holding such
// values): no step can then bring it under the tolerance, and the solve would run to the
// iteration limit, however high, for nothing.
constexpr int kResidualNotANumber = -1;
int cg_solve(const SolveOptions& options, const CgPaths& paths, float* scratch, float* b,
             float* x);

// The two forms behind cg_solve, after its first line.
int cg_solve_in_memory(const SolveOptions& options, float* scratch, float* b, float* x,
                       SolveOutcome* outcome);
int cg_solve_on_disk(const SolveOptions& options, const CgPaths& paths, float* x,
                     SolveOutcome* outcome);

// Positions per band of the streamed form: about 8 MB of floats, at least four rows, in whole
// blocks of the dot products.
int64_t band_length(int w);

// The memory of the streamed form's band buffers for a level w wide.
int64_t streamed_solver_bytes(int w);

// "Www Mmm dd hh:mm:ss yyyy\n" for the local time now, in English whatever the locale.
void local_date_line(char (&text)[64]);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_CG_SOLVER_H_
