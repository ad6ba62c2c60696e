#include "booster/stage2/vector_kernels.h"

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


VecChunk vec_chunk(int t, int T, int64_t n) {
  int64_t c = n / T;
  if (c % 4 != 0) c += 4 - c % 4;
  VecChunk chunk{static_cast<int64_t>(t) * c, static_cast<int64_t>(t) * c + c};
  if (chunk.begin >= n) return VecChunk{n, n};
  if (chunk.end > n || t == T - 1) chunk.end = n;
  return chunk;
}

float dot_range(const float* a, const float* b, int64_t begin, int64_t end) {
  float s = 0.0f;
  for (int64_t i = begin; i < end; ++i) s += a[i] * b[i];
  return s;
}

void vec_axpy(int T, int n, const float* a, float s, const float* b, float* y) {
  if (n <= 0) return;
  T = clamp_workers(T);
  if (T < 2) {
    axpy_range(a, s, b, y, 0, n);
    return;
  }
  run_tiles(T, [&](int t) {
    VecChunk c = vec_chunk(t, T, n);
    axpy_range(a, s, b, y, c.begin, c.end);
  });
}

float vec_dot(int T, int n, const float* a, const float* b) {
  if (n <= 0) return 0.0f;
  T = clamp_workers(T);
  if (T < 2) return dot_range(a, b, 0, n);
  float partial[kMaxWorkers] = {};
  int started = run_workers(T, [&](int t) {
    VecChunk c = vec_chunk(t, T, n);
    partial[t] = dot_range(a, b, c.begin, c.end);
  });
  if (started < T) return dot_range(a, b, 0, n);
  float total = 0.0f;
  for (int t = 0; t < T; ++t) total += partial[t];
  return total;
}

}  // namespace lftm
