// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/attenuation.h"

#include <algorithm>
#include <cstddef>

#include "platform/diag.h"
#include "platform/workers.h"
#include "platform/run_context.h"
#include "vecmath/vecmath.h"

namespace lftm {

int attenuate_band(int width, int rows, int offset, float alpha, float exponent, float add,
                   float* buf) {
  float* v = buf + offset;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(rows);
  const double power = exponent;
  // Values go through pow a chunk at a time. Zeros stay as they are; their lanes take a base
  // of 2, which the vector path computes directly, and the result is dropped.
  constexpr size_t kChunk = 512;
  double base[kChunk];
  for (size_t first = 0; first < count; first += kChunk) {
    // A cancelled run stops between blocks of values; the driver discards the plane.
    if ((first & 0xffff) == 0 && run_cancelled()) break;
    float* chunk = v + first;
    const size_t n = std::min(kChunk, count - first);
    for (size_t i = 0; i < n; ++i) {
      base[i] = chunk[i] != 0.0f ? static_cast<double>((chunk[i] + add) / alpha) : 2.0;
    }
    pow_array(base, power, base, n);
    for (size_t i = 0; i < n; ++i) {
      if (chunk[i] != 0.0f) chunk[i] = static_cast<float>(base[i]);
    }
  }
  return rows;
}

void attenuate_tile(TileJob* job) {
  const RowBand band = tile_rows(job->threadIndex, job->threadCount, job->height);
  const int offset = band.first * job->width + job->levelOffset;
  // The printed text keeps this step's old name, tm1b_threaded.
  diag_out("tm1b_threaded %d x %d  -  yTile=%d, hTile=%d, ofs=%d\n", job->width, job->height,
           band.first, band.rows, offset);
  job->result = attenuate_band(job->width, band.rows, offset, job->alpha, job->exponent,
                               job->add, job->buf);
}

void attenuate_level(float* buf, int offset, int w, int h, float alpha, float exponent,
                     float add, int threads) {
  const int count = clamp_workers(threads);
  if (count < 2 || static_cast<long long>(w) * h <= kMinThreadedLevel) {
    attenuate_band(w, h, offset, alpha, exponent, add, buf);
    return;
  }
  TileJob jobs[kMaxWorkers];
  for (int t = 0; t < count; ++t) {
    jobs[t] = TileJob{w, h, offset, buf, alpha, exponent, add, t, count, 0};
  }
  run_tiles(count, [&jobs](int t) { attenuate_tile(&jobs[t]); });
}

}  // namespace lftm
