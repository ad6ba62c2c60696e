// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/poisson_operator.h"

#include <cstring>

#include "booster/poisson/float_quad.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/workers.h"

namespace lftm {
namespace {

// A pixel at column j with whatever neighbours the borders leave it. Neighbours are added
// in the order pole, up, left, right, down, then the centre is subtracted once for each.
float edge_pixel(const float* up, const float* cur, const float* down, const float* pole,
                 int w, bool wrapsAround, int j) {
  float s = 0.0f;
  int count = 0;
  if (pole != nullptr) { s += *pole; ++count; }
  if (up != nullptr) { s += up[j]; ++count; }
  if (j > 0) { s += cur[j - 1]; ++count; } else if (wrapsAround) { s += cur[w - 1]; ++count; }
  if (j < w - 1) { s += cur[j + 1]; ++count; } else if (wrapsAround) { s += cur[0]; ++count; }
  if (down != nullptr) { s += down[j]; ++count; }
  const float c = cur[j];
  for (int k = 0; k < count; ++k) s -= c;
  return s;
}

// Columns that have both horizontal neighbours: the same operations as edge_pixel, four
// columns at a time.
// out[k] receives column first + k.
template <bool kPole, bool kUp, bool kDown>
void inner_columns(const float* up, const float* cur, const float* down, float pole, int j0,
                   int j1, int first, float* out) {
  int j = j0;
  for (; j + 4 <= j1; j += 4) {
    FloatQuad s = quad_of(0.0f);
    if (kPole) s = s + quad_of(pole);
    if (kUp) s = s + load_quad(up + j);
    s = s + load_quad(cur + j - 1);
    s = s + load_quad(cur + j + 1);
    if (kDown) s = s + load_quad(down + j);
    const FloatQuad c = load_quad(cur + j);
    if (kPole) s = s - c;
    if (kUp) s = s - c;
    s = s - c;
    s = s - c;
    if (kDown) s = s - c;
    store_quad(out + (j - first), s);
  }
  for (; j < j1; ++j) {
    float s = 0.0f;
    if (kPole) s += pole;
    if (kUp) s += up[j];
    s += cur[j - 1];
    s += cur[j + 1];
    if (kDown) s += down[j];
    const float c = cur[j];
    if (kPole) s -= c;
    if (kUp) s -= c;
    s -= c;
    s -= c;
    if (kDown) s -= c;
    out[j - first] = s;
  }
}

void print_sample(int c, int r, const float* v, const float* up, const float* down, float y,
                  const char* format) {
  diag_out(format, c, r, v[c], up[c], v[c - 1], v[c + 1], down[c], y);
}

}  // namespace

void operator_row(const float* up, const float* cur, const float* down, const float* pole,
                  int w, bool wrapsAround, int j0, int j1, float* out) {
  int a = j0 < 1 ? 1 : j0;
  int b = j1 > w - 1 ? w - 1 : j1;
  if (j0 == 0 && j1 > 0) out[0] = edge_pixel(up, cur, down, pole, w, wrapsAround, 0);
  if (a < b) {
    const float p = pole != nullptr ? *pole : 0.0f;
    if (pole != nullptr) {
      if (down != nullptr) inner_columns<true, false, true>(up, cur, down, p, a, b, j0, out);
      else inner_columns<true, false, false>(up, cur, down, p, a, b, j0, out);
    } else if (up != nullptr) {
      if (down != nullptr) inner_columns<false, true, true>(up, cur, down, p, a, b, j0, out);
      else inner_columns<false, true, false>(up, cur, down, p, a, b, j0, out);
    } else {
      if (down != nullptr) inner_columns<false, false, true>(up, cur, down, p, a, b, j0, out);
      else inner_columns<false, false, false>(up, cur, down, p, a, b, j0, out);
    }
  }
  if (w > 1 && j1 >= w && j0 <= w - 1) {
    out[w - 1 - j0] = edge_pixel(up, cur, down, pole, w, wrapsAround, w - 1);
  }
}

void operator_image_row(const float* v, int w, int h, bool wrapsAround, int i, int j0,
                        int j1, float* y) {
  const long long row = static_cast<long long>(i) * w;
  const float* cur = v + row;
  const float* up = i > 0 ? cur - w : nullptr;
  const float* down = i < h - 1 ? cur + w : nullptr;
  const float* pole = (i == 0 && wrapsAround) ? v + (w >> 1) : nullptr;
  operator_row(up, cur, down, pole, w, wrapsAround, j0, j1, y + row + j0);
}

// The sample lines keep the kernels' old names: tm20mi_orig (band), tm20_streaming (in place).
namespace {

// Calls sample(c, r, row) for the sample pixels of band rows [first, first + rows): column c of
// the row starting at position `row`.
template <typename Sample>
void for_each_band_sample(int w, int first, int rows, Sample sample) {
  const int half_rows = rows >> 1;
  const int half_w = w >> 1;
  if (w <= 1000 || half_rows == 0) return;
  for (int r = 0; r < rows; ++r) {
    if (r % half_rows != 1) continue;
    const long long row = static_cast<long long>(first + r) * w;
    for (int c = 1; c < w - 1; c += half_w) sample(c, r, row);
  }
}

constexpr const char* kBandSampleFormat =
    "tm20mi_orig  %d, %d   in:  %1.4f   %1.4f %1.4f %1.4f %1.4f     out: %1.4f\n";

}  // namespace

void print_band_samples(int w, const float* v, const float* y, int first, int rows) {
  for_each_band_sample(w, first, rows, [&](int c, int r, long long row) {
    print_sample(c, r, v + row, v + row - w, v + row + w, y[row + c], kBandSampleFormat);
  });
}

void print_band_operator_samples(int w, bool wrapsAround, const float* v, int first, int rows) {
  for_each_band_sample(w, first, rows, [&](int c, int r, long long row) {
    float y = 0.0f;
    operator_row(v + row - w, v + row, v + row + w, nullptr, w, wrapsAround, c, c + 1, &y);
    print_sample(c, r, v + row, v + row - w, v + row + w, y, kBandSampleFormat);
  });
}

void apply_operator_band(int w, int h, bool wrapsAround, const float* v, float* y, int first,
                         int rows) {
  for (int i = first; i < first + rows; ++i) {
    operator_image_row(v, w, h, wrapsAround, i, 0, w, y);
  }
  print_band_samples(w, v, y, first, rows);
}

int middle_band(int worker, int workers, int h, int* first) {
  const int step = h / workers;
  int begin = worker * step;
  int end = (worker == workers - 1) ? h - 2 : (worker + 1) * step - 1;
  if (begin < 1) begin = 1;
  if (end > h - 2) end = h - 2;
  *first = begin;
  return end - begin + 1;
}

void apply_operator(int threads, int w, int h, bool wrapsAround, const float* v, float* y) {
  if (w <= 0 || h <= 0) return;
  const int workers = clamp_workers(threads);
  operator_image_row(v, w, h, wrapsAround, 0, 0, w, y);
  if (h >= 3) {
    if (workers < 2) {
      apply_operator_band(w, h, wrapsAround, v, y, 1, h - 2);
    } else {
      run_tiles(workers, [&](int t) {
        int first = 0;
        int rows = middle_band(t, workers, h, &first);
        if (rows > 0) apply_operator_band(w, h, wrapsAround, v, y, first, rows);
      });
    }
  }
  if (h >= 2) operator_image_row(v, w, h, wrapsAround, h - 1, 0, w, y);
}

int apply_operator_in_place(int w, int h, bool wrapsAround, float* v) {
  if (w <= 0 || h <= 0) return 0;
  const size_t width = static_cast<size_t>(w);
  HeapBuffer<float> buffer;
  if (!buffer.allocate(3 * width)) return LFTM_ERR_NO_MEMORY;
  // buffer holds the original rows i - 1, i and i + 1 while row i of the result is written.
  float* rows[3] = {buffer.get(), buffer.get() + width, buffer.get() + 2 * width};
  const int preload = h < 3 ? h : 3;
  for (int k = 0; k < preload; ++k) std::memcpy(rows[k], v + k * width, width * sizeof(float));
  const float* pole = wrapsAround ? rows[0] + (w >> 1) : nullptr;
  operator_row(nullptr, rows[0], h > 1 ? rows[1] : nullptr, pole, w, wrapsAround, 0, w, v);
  const int half_rows = h >> 1;
  for (int i = 1; i < h - 1; ++i) {
    if (i > 1) {
      float* oldest = rows[0];
      rows[0] = rows[1];
      rows[1] = rows[2];
      rows[2] = oldest;
      std::memcpy(rows[2], v + static_cast<size_t>(i + 1) * width, width * sizeof(float));
    }
    float* out = v + static_cast<size_t>(i) * width;
    operator_row(rows[0], rows[1], rows[2], nullptr, w, wrapsAround, 0, w, out);
    if (w > 1000 && half_rows > 0 && i % half_rows == 1) {
      for (int c = 1; c < w - 1; c += w >> 1) {
        print_sample(c, i, rows[1], rows[0], rows[2], out[c],
                     "tm20_streaming  %d, %d   in:  %1.4f   %1.4f %1.4f %1.4f %1.4f     "
                     "out: %1.4f\n");
      }
    }
  }
  if (h >= 2) {
    // The last two original rows are in rows[1] and rows[2] after the loop (rows[0] and
    // rows[1] for a level of two rows).
    const float* above = h >= 3 ? rows[1] : rows[0];
    const float* last = h >= 3 ? rows[2] : rows[1];
    operator_row(above, last, nullptr, nullptr, w, wrapsAround, 0, w,
                 v + static_cast<size_t>(h - 1) * width);
  }
  return 0;
}

}  // namespace lftm
