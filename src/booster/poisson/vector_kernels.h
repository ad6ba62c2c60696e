// SPDX-License-Identifier: BSD-3-Clause
// Vector kernels of the conjugate-gradient solver, in single precision, optionally spread
// over worker threads. Dot products are summed in the fixed blocks of block_sums.h, so their
// bits do not depend on the number of workers.
#ifndef LFTM_BOOSTER_POISSON_VECTOR_KERNELS_H_
#define LFTM_BOOSTER_POISSON_VECTOR_KERNELS_H_

#include <cstdint>

#include "booster/poisson/block_sums.h"

namespace lftm {

// y[i] = a[i] + s x b[i] for i in [0, count) on the calling thread; y may be a or b.
void axpy_span(const float* a, float s, const float* b, float* y, int64_t count);

// x += alpha p and r += -alpha q for i in [0, count), the squares of the new r fed to `dot`.
void update_span_dot(float alpha, const float* p, const float* q, float* x, float* r,
                     int64_t count, BlockDot* dot);

// y[i] = a[i] + s x b[i] over [begin, end) on the calling thread; y may be a or b.
void axpy_range(const float* a, float s, const float* b, float* y, int64_t begin, int64_t end);

// y[i] = a[i] + s x b[i]; y may be a or b. A worker that cannot start leaves its run to
// the calling thread, so that every element is updated exactly once.
void vec_axpy(int threads, int n, const float* a, float s, const float* b, float* y);

// Sum of a[i] x b[i] in the block order of block_sums.h, the blocks spread over `threads`
// workers.
float vec_dot(int threads, int n, const float* a, const float* b);

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_VECTOR_KERNELS_H_
