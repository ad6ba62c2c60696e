// SPDX-License-Identifier: BSD-3-Clause
// The five-point graph Laplacian of one pyramid level: for each pixel, the sum of its
// neighbours' values minus its own value once per neighbour. Borders reflect (fewer
// neighbours); with wrapsAround the rows wrap around in x and every top-row pixel also sees the
// "pole", the top-row pixel at column w >> 1. Every kernel here computes each pixel with
// the same float operations in the same order, so all of them give identical bits.
#ifndef LFTM_BOOSTER_POISSON_POISSON_OPERATOR_H_
#define LFTM_BOOSTER_POISSON_POISSON_OPERATOR_H_

namespace lftm {

// Columns [j0, j1) of one output row into out[0 .. j1 - j0). `up` and `down` are the
// neighbouring input rows or null at the top and bottom; `pole` points at the pole value for
// the top row of a wrapped level and is null elsewhere.
void operator_row(const float* up, const float* cur, const float* down, const float* pole,
                  int w, bool wrapsAround, int j0, int j1, float* out);

// Row i of y = A v (v and y distinct, both w x h).
void operator_image_row(const float* v, int w, int h, bool wrapsAround, int i, int j0,
                        int j1, float* y);

// The band kernel: rows [first, first + rows) of y = A v, all of them between 1 and h - 2.
// On levels wider than 1000 it prints sample pixels of the band.
void apply_operator_band(int w, int h, bool wrapsAround, const float* v, float* y, int first,
                         int rows);

// The sample lines of apply_operator_band for a band already computed into y.
void print_band_samples(int w, const float* v, const float* y, int first, int rows);

// The same lines with each sample of A v computed from v where it is printed.
void print_band_operator_samples(int w, bool wrapsAround, const float* v, int first, int rows);

// Rows [first, last] of the middle-row band of `worker` of `workers` (the top and bottom rows
// are the caller's): worker x floor(h / workers) onwards, clipped to 1..h-2, the last band
// running to h - 2. Returns the band's row count (0 or less when it is empty).
int middle_band(int worker, int workers, int h, int* first);

// y = A v, the middle rows spread over `threads` workers (below 2: the calling thread); the
// band of a worker that cannot start is computed on the calling thread.
void apply_operator(int threads, int w, int h, bool wrapsAround, const float* v, float* y);

// v = A v in place with a three-row buffer; 0, or -4 when the buffer cannot be allocated.
int apply_operator_in_place(int w, int h, bool wrapsAround, float* v);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_POISSON_OPERATOR_H_
