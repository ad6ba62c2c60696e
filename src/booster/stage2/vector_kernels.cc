#include "booster/stage2/vector_kernels.h"

#include <vector>

#include "booster/stage2/poisson_operator.h"
#include "platform/workers.h"

namespace lftm {
namespace {

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

// q = A p over positions [begin, end), row piece by row piece.
void apply_range(int w, int h, bool is360, const float* p, float* q, int64_t begin,
                 int64_t end) {
  int64_t pos = begin;
  while (pos < end) {
    const int i = static_cast<int>(pos / w);
    const int j0 = static_cast<int>(pos - static_cast<int64_t>(i) * w);
    const int64_t row_end = static_cast<int64_t>(i + 1) * w;
    const int j1 = static_cast<int>((end < row_end ? end : row_end) - static_cast<int64_t>(i) * w);
    operator_image_row(p, w, h, is360, i, j0, j1, q);
    pos = static_cast<int64_t>(i) * w + j1;
  }
}

// Pieces short enough that the loads of the next piece overlap the serial sum of this one.
constexpr int64_t kPiece = 256;

// q = A p and the float sum of q x p over [begin, end) in position order, a short piece at
// a time so that the piece is still in cache when it is summed.
float apply_dot_range(int w, int h, bool is360, const float* p, float* q, int64_t begin,
                      int64_t end) {
  float s = 0.0f;
  int64_t pos = begin;
  while (pos < end) {
    const int i = static_cast<int>(pos / w);
    const int64_t row = static_cast<int64_t>(i) * w;
    const int j0 = static_cast<int>(pos - row);
    int64_t stop = row + w;
    if (stop > end) stop = end;
    if (stop > pos + kPiece) stop = pos + kPiece;
    const int j1 = static_cast<int>(stop - row);
    operator_image_row(p, w, h, is360, i, j0, j1, q);
    for (int64_t k = pos; k < stop; ++k) s += q[k] * p[k];
    pos = stop;
  }
  return s;
}

float update_dot_range(float alpha, const float* __restrict p, const float* __restrict q,
                       float* __restrict x, float* __restrict r, int64_t begin, int64_t end) {
  const float minus_alpha = -alpha;
  float s = 0.0f;
  for (int64_t a = begin; a < end; a += kPiece) {
    const int64_t b = end - a < kPiece ? end : a + kPiece;
    for (int64_t i = a; i < b; ++i) x[i] = x[i] + alpha * p[i];
    for (int64_t i = a; i < b; ++i) r[i] = r[i] + minus_alpha * q[i];
    for (int64_t i = a; i < b; ++i) s += r[i] * r[i];
  }
  return s;
}

// The sample lines tm20_apply prints for the bands of T workers, of which `started` ran
// (the calling thread then redoes all middle rows as one band).
void print_apply_samples(int T, int started, int w, int h, const float* p, const float* q) {
  if (h < 3 || w <= 1000) return;
  if (T < 2) {
    print_band_samples(w, p, q, 1, h - 2);
    return;
  }
  for (int t = 0; t < started; ++t) {
    int first = 0;
    int rows = middle_band(t, T, h, &first);
    if (rows > 0) print_band_samples(w, p, q, first, rows);
  }
  if (started < T) print_band_samples(w, p, q, 1, h - 2);
}

}  // namespace

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

float apply_dot(int T, int w, int h, int is360, const float* p, float* q) {
  if (w <= 0 || h <= 0) return 0.0f;
  const int64_t n = static_cast<int64_t>(w) * h;
  const bool wrap = is360 != 0;
  T = clamp_workers(T);
  if (T < 2) {
    float s = apply_dot_range(w, h, wrap, p, q, 0, n);
    print_apply_samples(T, 0, w, h, p, q);
    return s;
  }
  float partial[kMaxWorkers] = {};
  int started = run_workers(T, [&](int t) {
    VecChunk c = vec_chunk(t, T, n);
    partial[t] = apply_dot_range(w, h, wrap, p, q, c.begin, c.end);
  });
  print_apply_samples(T, started, w, h, p, q);
  if (started < T) {
    for (int t = started; t < T; ++t) {
      VecChunk c = vec_chunk(t, T, n);
      apply_range(w, h, wrap, p, q, c.begin, c.end);
    }
    return dot_range(q, p, 0, n);
  }
  float total = 0.0f;
  for (int t = 0; t < T; ++t) total += partial[t];
  return total;
}

float update_dot(int T, int n, float alpha, const float* p, const float* q, float* x,
                 float* r) {
  if (n <= 0) return 0.0f;
  T = clamp_workers(T);
  if (T < 2) return update_dot_range(alpha, p, q, x, r, 0, n);
  float partial[kMaxWorkers] = {};
  int started = run_workers(T, [&](int t) {
    VecChunk c = vec_chunk(t, T, n);
    partial[t] = update_dot_range(alpha, p, q, x, r, c.begin, c.end);
  });
  if (started < T) {
    for (int t = started; t < T; ++t) {
      VecChunk c = vec_chunk(t, T, n);
      axpy_range(x, alpha, p, x, c.begin, c.end);
      axpy_range(r, -alpha, q, r, c.begin, c.end);
    }
    return dot_range(r, r, 0, n);
  }
  float total = 0.0f;
  for (int t = 0; t < T; ++t) total += partial[t];
  return total;
}

}  // namespace lftm
