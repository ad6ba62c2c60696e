// SPDX-License-Identifier: BSD-3-Clause
// The bands in which the streamed solver passes over a level: whole blocks of the dot
// products, with the rows the five-point operator reads around them, and the ways a band's
// work is spread over the workers.
#ifndef LFTM_BOOSTER_POISSON_BAND_PASSES_H_
#define LFTM_BOOSTER_POISSON_BAND_PASSES_H_

#include <algorithm>
#include <cstdint>
#include <functional>

#include "booster/poisson/block_sums.h"
#include "booster/poisson/poisson_operator.h"
#include "platform/workers.h"

namespace lftm {

// Positions [begin, end) of a band and the rows the operator reads for them: one above its
// first row and one below its last, where the level has them.
struct Band {
  int64_t begin;
  int64_t end;
  int firstRow;       // of the window
  int64_t windowEnd;  // one past the window's last position
};

inline Band band_at(int64_t begin, int64_t length, int w, int h, int64_t n) {
  Band band;
  band.begin = begin;
  band.end = std::min(begin + length, n);
  const int first = static_cast<int>(begin / w);
  const int last = static_cast<int>((band.end - 1) / w);
  band.firstRow = first > 0 ? first - 1 : 0;
  band.windowEnd = static_cast<int64_t>(std::min(last + 2, h)) * w;
  return band;
}

// Rows of a vector held from row `first` on.
struct RowWindow {
  const float* data;
  int first;
  int w;
  const float* row(int i) const { return data + static_cast<int64_t>(i - first) * w; }
};

// (A v) over positions [pos, stop) into out[0 .. stop - pos), row by row.
inline void operator_span(const RowWindow& v, int h, bool wrapsAround, int64_t pos, int64_t stop,
                          float* out) {
  const int w = v.w;
  while (pos < stop) {
    const int i = static_cast<int>(pos / w);
    const int64_t rowStart = static_cast<int64_t>(i) * w;
    const int64_t rowStop = std::min(stop, rowStart + w);
    const float* cur = v.row(i);
    operator_row(i > 0 ? v.row(i - 1) : nullptr, cur, i < h - 1 ? v.row(i + 1) : nullptr,
                 (i == 0 && wrapsAround) ? cur + (w >> 1) : nullptr, w, wrapsAround,
                 static_cast<int>(pos - rowStart), static_cast<int>(rowStop - rowStart), out);
    out += rowStop - pos;
    pos = rowStop;
  }
}

// Runs body(begin, end, sums) on runs of whole blocks of [a, b) spread over the workers, then
// adds the band's block sums in block order to *total. `table` has a slot per block.
template <typename Body>
void reduce_band(int threads, int64_t a, int64_t b, float* table, Body body,
                 const std::function<void(int64_t, float)>& blockDone, float* total) {
  const int64_t length = b - a;
  const int64_t blocks = (length + kSumBlock - 1) / kSumBlock;
  const int workers = static_cast<int>(std::min<int64_t>(clamp_workers(threads), blocks));
  if (workers < 2) {
    BlockSums sums(table, nullptr);
    body(a, b, &sums);
  } else {
    run_tiles(workers, [&](int t) {
      VecChunk c = block_run(t, workers, length);
      BlockSums sums(table + blocks * t / workers, nullptr);
      body(a + c.begin, a + c.end, &sums);
    });
  }
  for (int64_t k = 0; k < blocks; ++k) {
    if (blockDone) blockDone(a + k * kSumBlock, *total);
    *total += table[k];
  }
}

// Runs body(begin, end) on pieces of [a, b) spread over the workers.
template <typename Body>
void spread(int threads, int64_t a, int64_t b, Body body) {
  const int workers = b - a >= 4 * kSumBlock ? clamp_workers(threads) : 1;
  if (workers < 2) {
    body(a, b);
    return;
  }
  run_tiles(workers, [&](int t) {
    VecChunk c = block_run(t, workers, b - a);
    body(a + c.begin, a + c.end);
  });
}

}  // namespace lftm

#endif  // LFTM_BOOSTER_POISSON_BAND_PASSES_H_
