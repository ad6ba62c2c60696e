#include "booster/poisson/vector_kernels.h"

#include "platform/workers.h"

namespace lftm {

void axpy_range(const float* a, float s, const float* b, float* y, int64_t begin, int64_t end) {
  if (y == a) {
    float* __restrict out = y;
    const float* __restrict in = b;
    for (int64_t i = begin; i < end; ++i) out[i] = out[i] + s * in[i];
  } else if (y == b) {
    float* __restrict out = y;
    const float* __restrict in = a;
    for (int64_t i = begin; i < end; ++i) out[i] = in[i] + s * out[i];
  } else {
    float* __restrict out = y;
    const float* __restrict in_a = a;
    const float* __restrict in_b = b;
    for (int64_t i = begin; i < end; ++i) out[i] = in_a[i] + s * in_b[i];
  }
}


void vec_axpy(int threads, int n, const float* a, float s, const float* b, float* y) {
  if (n <= 0) return;
  const int workers = clamp_workers(threads);
  if (workers < 2) {
    axpy_range(a, s, b, y, 0, n);
    return;
  }
  run_tiles(workers, [&](int t) {
    VecChunk c = block_run(t, workers, n);
    axpy_range(a, s, b, y, c.begin, c.end);
  });
}

float vec_dot(int threads, int n, const float* a, const float* b) {
  if (n <= 0) return 0.0f;
  BlockedSum blocked(threads, n);
  blocked.for_each_run([&](int t) {
    VecChunk c = blocked.run(t);
    BlockSums sums = blocked.sums(t);
    BlockDot dot(&sums);
    dot.add(a + c.begin, b + c.begin, c.end - c.begin);
    dot.finish();
  });
  return blocked.total();
}

}  // namespace lftm
