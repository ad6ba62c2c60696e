// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/smoother.h"

#include "booster/poisson/poisson_operator.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/scratch_file.h"
#include "platform/workers.h"

namespace lftm {
namespace {

// The weight of a cell with `count` neighbours; the constant for three is 0.3333 as such.
inline double weight(int count) {
  switch (count) {
    case 4: return 0.25;
    case 3: return 0.3333;
    case 2: return 0.5;
    default: return 1.0 / count;
  }
}

// One colour of one sweep, rows in order, the right-hand side from memory.
void relax_colour(float* v, const float* f, int w, int h, int colour, float scale,
                  bool wrapsAround, int first_row, int end_row) {
  for (int i = first_row; i < end_row; ++i) {
    relax_row(v, f + static_cast<int64_t>(i) * w, w, h, i, colour, scale, wrapsAround);
  }
}

}  // namespace

void relax_row(float* v, const float* f, int w, int h, int i, int colour, float scale,
               bool wrapsAround) {
  float* cur = v + static_cast<int64_t>(i) * w;
  const float* up = i > 0 ? cur - w : nullptr;
  const float* down = i < h - 1 ? cur + w : nullptr;
  const float* pole = (i == 0 && wrapsAround) ? v + (w >> 1) : nullptr;
  for (int j = (colour + i) & 1; j < w; j += 2) {
    // Neighbours in the order pole, left, up, right, down; float sum.
    float s = 0.0f;
    int count = 0;
    if (pole != nullptr) { s += *pole; ++count; }
    if (j > 0) { s += cur[j - 1]; ++count; } else if (wrapsAround) { s += cur[w - 1]; ++count; }
    if (up != nullptr) { s += up[j]; ++count; }
    if (j < w - 1) { s += cur[j + 1]; ++count; } else if (wrapsAround) { s += cur[0]; ++count; }
    if (down != nullptr) { s += down[j]; ++count; }
    cur[j] = static_cast<float>(static_cast<double>(s - scale * f[j]) * weight(count));
  }
}

int smooth_single(int w, int h, float scale, int sweeps, bool wrapsAround, float* v,
                  const RhsSource& f) {
  diag_out("blur %d x %d   iter: %d\n", w, h, sweeps);
  if (sweeps <= 0) return 0;
  if (f.file == nullptr) {
    for (int sweep = 0; sweep < sweeps; ++sweep) {
      for (int colour = 0; colour < 2; ++colour) {
        relax_colour(v, f.memory, w, h, colour, scale, wrapsAround, 0, h);
      }
    }
    return 0;
  }
  HeapBuffer<float> row;
  if (!row.allocate(static_cast<size_t>(w))) return LFTM_ERR_NO_MEMORY;
  int status = 0;
  for (int sweep = 0; sweep < sweeps && status == 0; ++sweep) {
    for (int colour = 0; colour < 2 && status == 0; ++colour) {
      if (!seek_to(f.file, 4 * f.offset)) {
        status = LFTM_ERR_FILE;
        break;
      }
      for (int i = 0; i < h; ++i) {
        if (read_quarters(f.file, row.get(), static_cast<size_t>(w) * sizeof(float)) != 4) {
          diag_out("could not read from temporary file iofp11\n");
          status = LFTM_ERR_IO;
          break;
        }
        relax_row(v, row.get(), w, h, i, colour, scale, wrapsAround);
      }
    }
  }
  return status;
}

void smooth_threaded(int threads, int w, int h, float scale, int sweeps, bool wrapsAround,
                     float* v, const float* f) {
  const int workers = clamp_workers(threads);
  for (int sweep = 0; sweep < sweeps; ++sweep) {
    for (int colour = 0; colour < 2; ++colour) {
      relax_colour(v, f, w, h, colour, scale, wrapsAround, 0, 1);
      if (h >= 3) {
        run_tiles(workers, [&](int t) {
          int first = 0;
          int rows = workers < 2 ? h - 2 : middle_band(t, workers, h, &first);
          if (workers < 2) first = 1;
          if (rows > 0) {
            relax_colour(v, f, w, h, colour, scale, wrapsAround, first, first + rows);
          }
        });
      }
      if (h >= 2) relax_colour(v, f, w, h, colour, scale, wrapsAround, h - 1, h);
    }
  }
}

int smooth(int threads, int w, int h, float scale, int sweeps, bool wrapsAround, float* v,
           const RhsSource& f) {
  if (sweeps <= 0) return 0;
  if (threads < 2 || static_cast<int64_t>(w) * h <= 1200 || f.file != nullptr) {
    return smooth_single(w, h, scale, sweeps, wrapsAround, v, f);
  }
  smooth_threaded(threads, w, h, scale, sweeps, wrapsAround, v, f.memory);
  return 0;
}

}  // namespace lftm
