// The fused passes of a conjugate-gradient iteration: each dot product is summed in the pass
// that produces its operands, over the same chunks and in the same order as vec_dot, and
// every element is computed by the same operations as the plain kernels.
#include "booster/stage2/fused_kernels.h"

#include <cstdlib>

#include "booster/stage2/poisson_operator.h"
#include "booster/stage2/vector_kernels.h"
#include "platform/workers.h"

namespace lftm {
namespace {

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

// The rows of the new search direction that a chunk shares with its neighbours: the row
// above its first row, its first and last rows and the row below. They are computed from
// the old direction before any worker writes its own chunk, so that no worker reads a row
// another one is rewriting.
struct HaloRows {
  int index[4];
  float* data;  // 4 rows of w floats
  const float* find(int row, int w) const {
    for (int k = 0; k < 4; ++k) {
      if (index[k] == row) return data + static_cast<int64_t>(k) * w;
    }
    return nullptr;
  }
};

void fill_halo(int w, int h, const float* r, float beta, const float* p, int64_t begin,
               int64_t end, HaloRows* halo) {
  for (int& row : halo->index) row = -1;
  if (begin >= end) return;
  const int first = static_cast<int>(begin / w);
  const int last = static_cast<int>((end - 1) / w);
  const int wanted[4] = {first - 1, first, last, last + 1};
  int slot = 0;
  for (int row : wanted) {
    if (row < 0 || row >= h || halo->find(row, w) != nullptr) continue;
    halo->index[slot] = row;
    const int64_t at = static_cast<int64_t>(row) * w;
    float* out = halo->data + static_cast<int64_t>(slot) * w;
    for (int j = 0; j < w; ++j) out[j] = r[at + j] + beta * p[at + j];
    ++slot;
  }
}

// p = r + beta p over [begin, end), and q = A p with the float sum of q x p over the same
// positions in position order. The direction is updated a row ahead of the operator.
float update_apply_dot_range(int w, int h, bool is360, const float* r, float beta, float* p,
                             float* q, int64_t begin, int64_t end, const HaloRows& halo) {
  float s = 0.0f;
  int64_t updated = begin;
  auto row_of = [&](int i) -> const float* {
    const float* shared = halo.find(i, w);
    return shared != nullptr ? shared : p + static_cast<int64_t>(i) * w;
  };
  int64_t pos = begin;
  while (pos < end) {
    const int i = static_cast<int>(pos / w);
    const int64_t row = static_cast<int64_t>(i) * w;
    int64_t stop = row + w;
    if (stop > end) stop = end;
    if (stop > pos + kPiece) stop = pos + kPiece;
    const int64_t needed = stop + w < end ? stop + w : end;
    if (updated < needed) {
      axpy_range(r, beta, p, p, updated, needed);
      updated = needed;
    }
    const float* cur = row_of(i);
    const float* pole = (i == 0 && is360) ? cur + (w >> 1) : nullptr;
    const int j0 = static_cast<int>(pos - row);
    operator_row(i > 0 ? row_of(i - 1) : nullptr, cur, i < h - 1 ? row_of(i + 1) : nullptr,
                 pole, w, is360, j0, static_cast<int>(stop - row), q + pos);
    for (int64_t k = pos; k < stop; ++k) s += q[k] * cur[k - row];
    pos = stop;
  }
  return s;
}

}  // namespace

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

float update_apply_dot(int T, int w, int h, int is360, const float* r, float beta, float* p,
                       float* q) {
  if (w <= 0 || h <= 0) return 0.0f;
  const int64_t n = static_cast<int64_t>(w) * h;
  const bool wrap = is360 != 0;
  T = clamp_workers(T);
  float* rows = static_cast<float*>(std::malloc(static_cast<size_t>(T) * 4 * w * sizeof(float)));
  if (rows == nullptr) {
    vec_axpy(T, static_cast<int>(n), r, beta, p, p);
    return apply_dot(T, w, h, is360, p, q);
  }
  HaloRows halo[kMaxWorkers];
  for (int t = 0; t < T; ++t) halo[t].data = rows + static_cast<int64_t>(t) * 4 * w;
  float partial[kMaxWorkers] = {};
  int started = 0;
  if (T < 2) {
    fill_halo(w, h, r, beta, p, 0, n, &halo[0]);
    partial[0] = update_apply_dot_range(w, h, wrap, r, beta, p, q, 0, n, halo[0]);
  } else {
    run_tiles(T, [&](int t) {
      VecChunk c = vec_chunk(t, T, n);
      fill_halo(w, h, r, beta, p, c.begin, c.end, &halo[t]);
    });
    started = run_workers(T, [&](int t) {
      VecChunk c = vec_chunk(t, T, n);
      partial[t] = update_apply_dot_range(w, h, wrap, r, beta, p, q, c.begin, c.end, halo[t]);
    });
    for (int t = started; t < T; ++t) {
      VecChunk c = vec_chunk(t, T, n);
      update_apply_dot_range(w, h, wrap, r, beta, p, q, c.begin, c.end, halo[t]);
    }
  }
  std::free(rows);
  print_apply_samples(T, T < 2 ? 0 : started, w, h, p, q);
  if (T >= 2 && started < T) return dot_range(q, p, 0, n);
  float total = 0.0f;
  for (int t = 0; t < (T < 2 ? 1 : T); ++t) total += partial[t];
  return T < 2 ? partial[0] : total;
}

}  // namespace lftm
