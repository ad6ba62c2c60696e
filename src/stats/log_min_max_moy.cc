// SPDX-License-Identifier: BSD-3-Clause
// Log-luminance statistics of the Range Squeezer: extremes, mean and the automatic contrast
// exponent, from float samples or RGBE planar bytes. No plane is written.
#include "stats/log_min_max_moy.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/heap_buffer.h"
#include "platform/workers.h"
#include "stats/log_accumulator.h"
#include "stats/pixel_luminance.h"
#include "stats/rgbe_luminance_lanes.h"

namespace lftm {
namespace {

// Counts a pixel's log value and keeps the extremes; the sum is left to the caller. Extremes
// and counts do not depend on the order of the pixels, so each worker keeps its own.
struct Extremes {
  int64_t count = 0;
  float min = 1e11f;
  float max = 0.0f;  // starts at 0, so the maximum is never below 0

  float take(float v) {
    ++count;
    if (v > max) max = v;
    if (min > v) min = v;
    return v;
  }
  void merge(const Extremes& other) {
    count += other.count;
    if (other.max > max) max = other.max;
    if (min > other.min) min = other.min;
  }
};

// logs(y, x0, n, out, ext): the log values of pixels x0..x0+n-1 of row y, counted in ext; a
// pixel without light is not counted and gets +0, which leaves the sum as it is.
struct FloatRows {
  int spp;
  int width;
  const float* data;

  void logs(int y, int x0, int n, float* out, Extremes* ext) const {
    const ChannelOffsets off(spp);
    const float* s = data + (static_cast<size_t>(y) * width + x0) * spp;
    for (int x = 0; x < n; ++x, s += spp) {
      const float lum = luminance_squeezer(s[0], s[off.green], s[off.blue]);
      out[x] = lum > 0 ? ext->take(log_as_float(lum)) : 0.0f;
    }
  }
};

// Pixels without light (exponent 0) are skipped. The luminances are taken on vector lanes,
// the logarithms one by one.
struct RgbeRows {
  int width;
  const float* expTable;
  const uint8_t* data;

  void logs(int y, int x0, int n, float* out, Extremes* ext) const {
    const size_t w = static_cast<size_t>(width);
    const uint8_t* red = data + 4 * w * y + x0;
    rgbe_luminances(red, red + w, red + 2 * w, red + 3 * w, expTable, static_cast<size_t>(n),
                    out);
    for (int k = 0; k < n; ++k) {
      if (out[k] > 0) out[k] = ext->take(log_as_float(out[k]));
    }
  }
};

// The sum in pixel order, as one pass adds the values. It starts at +0 and never becomes -0,
// so the +0 of a skipped pixel changes no bit of it. Kept out of line: inlined, the compiler
// stored the running sum to memory at every step, which made the chain of additions slower.
[[gnu::noinline]] double add_in_order(double sum, const float* values, size_t count) {
  for (size_t i = 0; i < count; ++i) sum += values[i];
  return sum;
}

// About this many log values are computed at once, on the workers, while the calling thread
// adds up the block before in pixel order: the sum has the bits of a one-thread pass for any
// thread count, and its chain of additions runs beside the logarithms.
constexpr size_t kBlockPixels = size_t{1} << 19;

// The calling thread alone, a short piece of a row at a time.
template <typename Rows>
void scan_alone(const Rows& rows, int width, int height, Extremes* all, double* sum) {
  constexpr int kPiece = 256;
  float piece[kPiece];
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; x += kPiece) {
      const int n = width - x < kPiece ? width - x : kPiece;
      rows.logs(y, x, n, piece, all);
      *sum = add_in_order(*sum, piece, static_cast<size_t>(n));
    }
  }
}

// Blocks of blockRows rows, filled in turn into the two halves of `values`.
template <typename Rows>
void scan_on_workers(const Rows& rows, int width, int height, int workers, int blockRows,
                     float* values, Extremes* all, double* sum) {
  const size_t w = static_cast<size_t>(width);
  const size_t half = w * static_cast<size_t>(blockRows);
  std::vector<Extremes> perTile(static_cast<size_t>(workers));
  size_t ready = 0;  // values of the block before, in the other half
  int parity = 0;
  for (int first = 0; first < height; first += blockRows, parity ^= 1) {
    const int count = height - first < blockRows ? height - first : blockRows;
    const int tiles = workers < count ? workers : count;
    float* fill = values + half * static_cast<size_t>(parity);
    const float* before = values + half * static_cast<size_t>(parity ^ 1);
    run_tiles_beside(
        tiles,
        [&](int tile) {
          const RowBand band = tile_rows(tile, tiles, count);
          Extremes own;  // counted apart from the other workers, merged once
          for (int y = band.first; y < band.first + band.rows; ++y) {
            rows.logs(first + y, 0, width, fill + w * static_cast<size_t>(y), &own);
          }
          perTile[static_cast<size_t>(tile)].merge(own);
        },
        [&] { *sum = add_in_order(*sum, before, ready); });
    ready = w * static_cast<size_t>(count);
  }
  *sum = add_in_order(*sum, values + half * static_cast<size_t>(parity ^ 1), ready);
  for (const Extremes& tileExtremes : perTile) all->merge(tileExtremes);
}

template <typename Rows>
void scan(const Rows& rows, int width, int height, int threads, LogAccumulator* acc) {
  const size_t w = static_cast<size_t>(width);
  const int blockRows = w >= kBlockPixels ? 1 : static_cast<int>(kBlockPixels / w);
  const int workers = clamp_workers(threads);
  Extremes all;
  double sum = 0.0;
  HeapBuffer<float> values;
  if (workers < 2 || !values.allocate(2 * w * static_cast<size_t>(blockRows))) {
    scan_alone(rows, width, height, &all, &sum);
  } else {
    scan_on_workers(rows, width, height, workers, blockRows, values.get(), &all, &sum);
  }
  acc->sum = sum;
  acc->count = all.count;
  acc->min = all.min;
  acc->max = all.max;
}

}  // namespace

int32_t log_min_max_moy(int32_t spp, int32_t width, int32_t height, const float* expTable,
                        const void* data, LogStats* stats, int threads) {
  LogAccumulator acc;
  acc.min = Extremes().min;
  acc.max = Extremes().max;
  if (width > 0 && height > 0) {
    if (spp > 0) {
      scan(FloatRows{spp, width, static_cast<const float*>(data)}, width, height, threads, &acc);
    } else {
      scan(RgbeRows{width, expTable, static_cast<const uint8_t*>(data)}, width, height, threads,
           &acc);
    }
  }
  stats->logMin = acc.min;
  stats->logMax = acc.max;
  stats->logMoy = static_cast<float>(acc.count > 0 ? acc.mean() : acc.sum);
  if (stats->logMax > stats->logMin) {
    const float r = (stats->logMax - stats->logMoy) / (stats->logMax - stats->logMin);
    stats->autoContrast = static_cast<float>(0.3 + 0.6 * std::pow(r, 1.4));
  }
  return height;
}

}  // namespace lftm

extern "C" int32_t logMinMaxMoy(int32_t spp, int32_t width, int32_t height,
                                const float* expTable, const void* data, LogStats* stats) {
  return lftm::log_min_max_moy(spp, width, height, expTable, data, stats, 1);
}
