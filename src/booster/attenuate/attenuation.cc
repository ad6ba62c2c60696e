#include "booster/attenuate/attenuation.h"

#include <cmath>
#include <cstddef>

#include "platform/diag.h"
#include "platform/workers.h"
#include "platform/run_context.h"

namespace lftm {

int attenuate_band(int width, int rows, int offset, float alpha, float exponent, float add,
                   float* buf) {
  float* v = buf + offset;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(rows);
  const double power = exponent;
  for (size_t i = 0; i < count; ++i) {
    // A cancelled run stops between blocks of values; the driver discards the plane.
    if ((i & 0xffff) == 0 && run_cancelled()) break;
    if (v[i] != 0.0f) {
      const float base = (v[i] + add) / alpha;
      v[i] = static_cast<float>(std::pow(static_cast<double>(base), power));
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
