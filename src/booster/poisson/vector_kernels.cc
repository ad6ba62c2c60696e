// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/vector_kernels.h"

#include "platform/workers.h"

namespace lftm {

// Four elements at a time, each loaded before it is stored, so y may alias a or b.
void axpy_span(const float* a, float s, const float* b, float* y, int64_t count) {
  const FloatQuad scale = quad_of(s);
  int64_t i = 0;
  for (; i + 4 <= count; i += 4) store_quad(y + i, load_quad(a + i) + scale * load_quad(b + i));
  for (; i < count; ++i) y[i] = a[i] + s * b[i];
}

void update_span_dot(float alpha, const float* p, const float* q, float* x, float* r,
                     int64_t count, BlockDot* dot) {
  axpy_span(x, alpha, p, x, count);
  axpy_span(r, -alpha, q, r, count);
  dot->add(r, r, count);
}

void axpy_range(const float* a, float s, const float* b, float* y, int64_t begin, int64_t end) {
  if (end > begin) axpy_span(a + begin, s, b + begin, y + begin, end - begin);
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
