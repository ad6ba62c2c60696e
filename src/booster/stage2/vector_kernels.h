// Vector kernels of the conjugate-gradient solver, in single precision, optionally spread
// over worker threads. The split into chunks is part of the result: every dot product is a
// float sum per chunk in position order, and the chunk sums are added in chunk order.
#ifndef LFTM_BOOSTER_STAGE2_VECTOR_KERNELS_H_
#define LFTM_BOOSTER_STAGE2_VECTOR_KERNELS_H_

#include <cstdint>

namespace lftm {

struct VecChunk {
  int64_t begin;
  int64_t end;  // one past the last position; begin >= end means no work
};

// Chunk t of T over n positions: length floor(n / T) raised to a multiple of 4; a chunk that
// would pass n, and the last one, run to n.
VecChunk vec_chunk(int t, int T, int64_t n);

// Float sum of a[i] x b[i] over [begin, end), in position order from 0.
float dot_range(const float* a, const float* b, int64_t begin, int64_t end);

// y[i] = a[i] + s x b[i] over [begin, end) on the calling thread; y may be a or b.
void axpy_range(const float* a, float s, const float* b, float* y, int64_t begin, int64_t end);

// y[i] = a[i] + s x b[i]; y may be a or b. A worker that cannot start leaves its chunk to
// the calling thread, so that every element is updated exactly once.
void vec_axpy(int T, int n, const float* a, float s, const float* b, float* y);

// Sum of a[i] x b[i]: one partial per chunk, the partials added in chunk order. With T < 2,
// or when a worker cannot start, one float sum over the whole vector.
float vec_dot(int T, int n, const float* a, const float* b);

}  // namespace lftm

#endif  // LFTM_BOOSTER_STAGE2_VECTOR_KERNELS_H_
