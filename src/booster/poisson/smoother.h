// SPDX-License-Identifier: BSD-3-Clause
// Red-black Gauss-Seidel smoothing of one level of the multigrid worker, for the level
// equation A u = scale x f (A the five-point graph Laplacian, with the pole and the x
// wrap-around when wrapsAround is set). A sweep updates every cell whose row + column is even,
// then every odd one, each colour in row order. A cell of one colour has neighbours of the
// other colour only, except along the wrap of an odd width and at the pole, which lie on
// the top row or within one row; so the threaded smoother, which does the top row first,
// then the middle rows in bands, then the bottom row, gives the same bits as the single one.
#ifndef LFTM_BOOSTER_POISSON_SMOOTHER_H_
#define LFTM_BOOSTER_POISSON_SMOOTHER_H_

#include <cstdint>
#include <cstdio>

namespace lftm {

// Where a level's right-hand side is: in memory, or from float `offset` of a scratch file.
struct RhsSource {
  const float* memory;
  std::FILE* file;
  int64_t offset;
};

// Updates the cells of row i whose (i + column) parity is `colour`; `f` is the row's
// right-hand side. Levels have at least 2 rows and 2 columns.
void relax_row(float* v, const float* f, int w, int h, int i, int colour, float scale,
               bool wrapsAround);

// The single-threaded smoother: prints its "blur" line, then runs the sweeps, reading the
// right-hand side a row at a time when it comes from a file. 0, or -4 (row buffer), -1
// (seek), -2 (short read).
int smooth_single(int w, int h, float scale, int sweeps, bool wrapsAround, float* v,
                  const RhsSource& f);

// The threaded smoother (right-hand side in memory): the middle rows of each colour in
// `threads` bands; a band whose worker cannot start is done on the calling thread.
void smooth_threaded(int threads, int w, int h, float scale, int sweeps, bool wrapsAround,
                     float* v, const float* f);

// Nothing for sweeps <= 0; the single-threaded smoother below 2 threads, for levels of at
// most 1200 cells or for a right-hand side in a file; else the threaded one.
int smooth(int threads, int w, int h, float scale, int sweeps, bool wrapsAround, float* v,
           const RhsSource& f);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_SMOOTHER_H_
