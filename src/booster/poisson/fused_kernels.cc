// SPDX-License-Identifier: BSD-3-Clause
// The fused passes of a conjugate-gradient iteration: each dot product is summed in the pass
// that produces its operands, in the blocks and order of vec_dot (block_sums.h), and every
// element is computed by the same operations as the plain kernels. A p lives only in a piece
// buffer, made where it is needed.
#include "booster/poisson/fused_kernels.h"

#include "booster/poisson/poisson_operator.h"
#include "booster/poisson/vector_kernels.h"
#include "platform/heap_buffer.h"
#include "platform/workers.h"

namespace lftm {
namespace {

// Pieces short enough to stay in the first-level cache between the passes over them.
constexpr int64_t kPiece = 256;

// Calls piece(i, pos, stop) for the pieces of [begin, end) that stay within one row i of w
// positions and kPiece positions, short enough that a piece is still in cache when the
// products that the piece adds to `dot` are summed.
template <typename Piece>
void for_each_piece(int w, int64_t begin, int64_t end, Piece piece) {
  int64_t pos = begin;
  while (pos < end) {
    const int i = static_cast<int>(pos / w);
    int64_t stop = static_cast<int64_t>(i) * w + w;
    if (stop > end) stop = end;
    if (stop > pos + kPiece) stop = pos + kPiece;
    piece(i, pos, stop);
    pos = stop;
  }
}

// Columns [j0, j1) of row i of A p into out, the rows of p given by row_of(i).
template <typename RowOf>
void operator_piece(RowOf row_of, int w, int h, bool wrapsAround, int i, int j0, int j1,
                    float* out) {
  const float* cur = row_of(i);
  const float* pole = (i == 0 && wrapsAround) ? cur + (w >> 1) : nullptr;
  operator_row(i > 0 ? row_of(i - 1) : nullptr, cur, i < h - 1 ? row_of(i + 1) : nullptr, pole,
               w, wrapsAround, j0, j1, out);
}

// Calls use(pos, q, n) for the pieces of [begin, end) in order, q holding A p over the n
// positions from pos.
template <typename Use>
void for_each_operator_piece(int w, int h, bool wrapsAround, const float* p, int64_t begin,
                             int64_t end, Use use) {
  auto row_of = [&](int i) { return p + static_cast<int64_t>(i) * w; };
  float q[kPiece];
  for_each_piece(w, begin, end, [&](int i, int64_t pos, int64_t stop) {
    const int64_t row = static_cast<int64_t>(i) * w;
    operator_piece(row_of, w, h, wrapsAround, i, static_cast<int>(pos - row),
                   static_cast<int>(stop - row), q);
    use(pos, q, stop - pos);
  });
}

// The sums of (A p) x p over [begin, end), begin on a block boundary.
void apply_dot_range(int w, int h, bool wrapsAround, const float* p, int64_t begin, int64_t end,
                     BlockSums* sums) {
  BlockDot dot(sums);
  for_each_operator_piece(w, h, wrapsAround, p, begin, end,
                          [&](int64_t pos, const float* q, int64_t n) { dot.add(q, p + pos, n); });
  dot.finish();
}

// x += alpha p, r += -alpha A p and the sums of r x r over [begin, end), begin on a block
// boundary. A p is made again piece by piece rather than kept from the operator pass: the
// stencil costs less than writing and reading back a plane.
void update_dot_range(int w, int h, bool wrapsAround, float alpha, const float* p, float* x,
                      float* r, int64_t begin, int64_t end, BlockSums* sums) {
  BlockDot dot(sums);
  for_each_operator_piece(w, h, wrapsAround, p, begin, end,
                          [&](int64_t pos, const float* q, int64_t n) {
                            update_span_dot(alpha, p + pos, q, x + pos, r + pos, n, &dot);
                          });
  dot.finish();
}

// The sample lines apply_operator prints for the bands of `workers` workers.
void print_apply_samples(int workers, int w, int h, bool wrapsAround, const float* p) {
  if (h < 3 || w <= 1000) return;
  if (workers < 2) {
    print_band_operator_samples(w, wrapsAround, p, 1, h - 2);
    return;
  }
  for (int t = 0; t < workers; ++t) {
    int first = 0;
    int rows = middle_band(t, workers, h, &first);
    if (rows > 0) print_band_operator_samples(w, wrapsAround, p, first, rows);
  }
}

// The rows of the new search direction that a run shares with its neighbours: the row
// above its first row, its first and last rows and the row below. They are computed from
// the old direction before any worker writes its own run, so that no worker reads a row
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

// p = r + beta p over [begin, end), and the sums of (A p) x p over the same positions (begin
// on a block boundary). The direction is updated a row ahead of the operator.
void update_apply_dot_range(int w, int h, bool wrapsAround, const float* r, float beta, float* p,
                            int64_t begin, int64_t end, const HaloRows& halo, BlockSums* sums) {
  int64_t updated = begin;
  auto row_of = [&](int i) -> const float* {
    const float* shared = halo.find(i, w);
    return shared != nullptr ? shared : p + static_cast<int64_t>(i) * w;
  };
  float q[kPiece];
  BlockDot dot(sums);
  for_each_piece(w, begin, end, [&](int i, int64_t pos, int64_t stop) {
    const int64_t needed = stop + w < end ? stop + w : end;
    if (updated < needed) {
      axpy_range(r, beta, p, p, updated, needed);
      updated = needed;
    }
    const int64_t row = static_cast<int64_t>(i) * w;
    operator_piece(row_of, w, h, wrapsAround, i, static_cast<int>(pos - row),
                   static_cast<int>(stop - row), q);
    dot.add(q, row_of(i) + (pos - row), stop - pos);
  });
  dot.finish();
}

}  // namespace

float apply_dot(int threads, int w, int h, bool wrapsAround, const float* p) {
  if (w <= 0 || h <= 0) return 0.0f;
  const int64_t n = static_cast<int64_t>(w) * h;
  BlockedSum blocked(threads, n);
  blocked.for_each_run([&](int t) {
    VecChunk c = blocked.run(t);
    BlockSums sums = blocked.sums(t);
    apply_dot_range(w, h, wrapsAround, p, c.begin, c.end, &sums);
  });
  print_apply_samples(blocked.workers(), w, h, wrapsAround, p);
  return blocked.total();
}

float update_dot(int threads, int w, int h, bool wrapsAround, float alpha, const float* p,
                 float* x, float* r) {
  if (w <= 0 || h <= 0) return 0.0f;
  BlockedSum blocked(threads, static_cast<int64_t>(w) * h);
  blocked.for_each_run([&](int t) {
    VecChunk c = blocked.run(t);
    BlockSums sums = blocked.sums(t);
    update_dot_range(w, h, wrapsAround, alpha, p, x, r, c.begin, c.end, &sums);
  });
  return blocked.total();
}

float update_apply_dot(int threads, int w, int h, bool wrapsAround, const float* r, float beta,
                       float* p) {
  if (w <= 0 || h <= 0) return 0.0f;
  const int64_t n = static_cast<int64_t>(w) * h;
  BlockedSum blocked(threads, n);
  const int runs = blocked.workers();
  HeapBuffer<float> rows;
  if (!rows.allocate(static_cast<size_t>(runs) * 4 * w)) {
    vec_axpy(threads, static_cast<int>(n), r, beta, p, p);
    return apply_dot(threads, w, h, wrapsAround, p);
  }
  HaloRows halo[kMaxWorkers];
  for (int t = 0; t < runs; ++t) halo[t].data = rows.get() + static_cast<int64_t>(t) * 4 * w;
  // Every halo is made from the old direction before any run rewrites its part of it.
  run_tiles(runs, [&](int t) {
    VecChunk c = blocked.run(t);
    fill_halo(w, h, r, beta, p, c.begin, c.end, &halo[t]);
  });
  blocked.for_each_run([&](int t) {
    VecChunk c = blocked.run(t);
    BlockSums sums = blocked.sums(t);
    update_apply_dot_range(w, h, wrapsAround, r, beta, p, c.begin, c.end, halo[t], &sums);
  });
  print_apply_samples(runs, w, h, wrapsAround, p);
  return blocked.total();
}

}  // namespace lftm
