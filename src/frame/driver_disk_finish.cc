// SPDX-License-Identifier: BSD-3-Clause
#include "frame/driver_disk_finish.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "booster/finish/finish_tile.h"
#include "booster/finish/normalize.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/input_file.h"
#include "platform/scratch_file.h"
#include "platform/workers.h"

namespace lftm {
namespace {

// The band buffers of all workers together stay below this, so that a machine with many
// cores does not hold a large share of a gigapixel image in them (at least one band is
// always finished).
constexpr int64_t kBandBufferLimit = 1LL << 30;

// Each band holds its RGBE rows and a copy of its plane rows, made before any band of its
// round writes: a band's samples reach into the plane over rows of earlier bands, which may
// run at the same time (16-bit samples always, 8-bit ones with many workers). Rows of later
// rounds are never reached.
int64_t bytes_per_band(int32_t width, int32_t height, int bands) {
  const RowBand widest = tile_rows(bands - 1, bands, height);
  return 8 * static_cast<int64_t>(width) * widest.rows;
}

int band_count(int32_t height) { return height < kMaxWorkers ? height : kMaxWorkers; }

int worker_count(int threads, int bands, int64_t bandBytes) {
  int workers = clamp_workers(threads) < bands ? clamp_workers(threads) : bands;
  const int64_t fit = kBandBufferLimit / bandBytes;
  if (workers > fit) workers = fit < 1 ? 1 : static_cast<int>(fit);
  return workers;
}

}  // namespace

size_t disk_finish_plane_offset(int32_t width, int32_t height) {
  const size_t offset = 2 * static_cast<size_t>(width) * static_cast<size_t>(height);
  return (offset + 3) / 4 * 4;
}

int64_t disk_finish_band_bytes(int32_t width, int32_t height) {
  const int bands = band_count(height);
  const int64_t bandBytes = bytes_per_band(width, height, bands);
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  const int threads = cores > kMaxWorkers ? kMaxWorkers : static_cast<int>(cores);
  return bandBytes * worker_count(threads, bands, bandBytes);
}

int32_t finish_disk_bands(const ImageDesc& desc, const TmParam* params, const LumStats* stats,
                          const float* expTable, const char* inFile, int threads, void* output) {
  const size_t width = static_cast<size_t>(desc.width);
  const size_t rgbeRowBytes = 4 * width;
  const size_t outRowBytes = 3 * width * (desc.bits == 16 ? 2 : 1);
  auto* out = static_cast<uint8_t*>(output);
  auto* plane = reinterpret_cast<float*>(out + disk_finish_plane_offset(desc.width, desc.height));
  int32_t result = normalize_luminance(&desc, params, plane, FlatPlane::kMidTone);
  if (result < 0) return result;

  std::FILE* file = open_regular_file(inFile);
  if (file == nullptr) return LFTM_ERR_FILE;
  // As many bands as memory mode has tiles at most: each band reports its settings once. The
  // workers finish one band each at a time, read in turn on the calling thread.
  const int bands = band_count(desc.height);
  const size_t bandBytes = static_cast<size_t>(bytes_per_band(desc.width, desc.height, bands));
  const int workers = worker_count(threads, bands, static_cast<int64_t>(bandBytes));
  HeapBuffer<uint8_t> buffers;
  if (!buffers.allocate(bandBytes * static_cast<size_t>(workers))) {
    std::fclose(file);
    return LFTM_ERR_NO_MEMORY;
  }
  int32_t results[kMaxWorkers];
  for (int i = 0; i < bands && result >= 0; i += workers) {
    const int count = bands - i < workers ? bands - i : workers;
    for (int t = 0; t < count; ++t) {
      const RowBand band = tile_rows(i + t, bands, desc.height);
      uint8_t* rows = buffers.get() + bandBytes * t;
      if (read_quarters(file, rows, rgbeRowBytes * band.rows) != 4) {
        diag_out("tm3 could not read from input file at %d\n", band.first);
        result = LFTM_ERR_IO;
        break;
      }
      std::memcpy(rows + rgbeRowBytes * band.rows, plane + band.first * width,
                  width * sizeof(float) * band.rows);
    }
    if (result < 0) break;
    run_tiles(count, [&](int t) {
      const RowBand band = tile_rows(i + t, bands, desc.height);
      ImageDesc bandDesc = desc;
      bandDesc.height = band.rows;
      const uint8_t* rows = buffers.get() + bandBytes * t;
      const size_t first = static_cast<size_t>(band.first);
      const float* lum = reinterpret_cast<const float*>(rows + rgbeRowBytes * band.rows);
      results[t] = finish_tile_rows(LFTM_DOC_RGBE, &bandDesc, params, stats, expTable, nullptr,
                                    rows, lum, out + first * outRowBytes,
                                    static_cast<int64_t>(3 * width));
    });
    for (int t = 0; t < count && result >= 0; ++t) result = results[t];
  }
  std::fclose(file);
  if (result < 0) return result;
  remove_file(inFile);
  return desc.height;
}

}  // namespace lftm
