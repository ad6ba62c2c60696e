#include "frame/driver_disk_finish.h"

#include <cstdio>

#include "booster/finish/finish_tile.h"
#include "booster/finish/normalize.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/scratch_file.h"
#include "platform/workers.h"

namespace lftm {

size_t disk_8bit_plane_offset(int32_t width, int32_t height) {
  const size_t offset = 2 * static_cast<size_t>(width) * static_cast<size_t>(height);
  return (offset + 3) / 4 * 4;
}

int32_t finish_8bit_from_disk(const ImageDesc& desc, const TmParam* params,
                              const LumStats* stats, const float* expTable, const char* inFile,
                              int threads, void* output) {
  const size_t rowBytes = 4 * static_cast<size_t>(desc.width);
  const size_t rowSamples = 3 * static_cast<size_t>(desc.width);
  auto* out = static_cast<uint8_t*>(output);
  auto* plane = reinterpret_cast<float*>(out + disk_8bit_plane_offset(desc.width, desc.height));
  int32_t result = normalize_luminance(&desc, params, plane);
  if (result < 0) return result;

  std::FILE* file = std::fopen(inFile, "rb");
  if (file == nullptr) return LFTM_ERR_FILE;
  // As many bands as memory mode has tiles at most: the band buffer is a small share of the
  // output buffer, and each band reports its settings once. The workers finish one band each
  // at a time, read in turn on the calling thread.
  const int bands = desc.height < kMaxWorkers ? desc.height : kMaxWorkers;
  const int workers = clamp_workers(threads) < bands ? clamp_workers(threads) : bands;
  const RowBand widest = tile_rows(bands - 1, bands, desc.height);
  const size_t bandBytes = rowBytes * static_cast<size_t>(widest.rows);
  HeapBuffer<uint8_t> rows;
  if (!rows.allocate(bandBytes * static_cast<size_t>(workers))) {
    std::fclose(file);
    return LFTM_ERR_NO_MEMORY;
  }
  int32_t results[kMaxWorkers];
  for (int i = 0; i < bands && result >= 0; i += workers) {
    const int count = bands - i < workers ? bands - i : workers;
    for (int t = 0; t < count; ++t) {
      const RowBand band = tile_rows(i + t, bands, desc.height);
      if (read_quarters(file, rows.get() + bandBytes * t, rowBytes * band.rows) != 4) {
        diag_out("tm3 could not read from input file at %d\n", band.first);
        result = LFTM_ERR_IO;
        break;
      }
    }
    if (result < 0) break;
    run_tiles(count, [&](int t) {
      const RowBand band = tile_rows(i + t, bands, desc.height);
      ImageDesc bandDesc = desc;
      bandDesc.height = band.rows;
      const size_t first = static_cast<size_t>(band.first);
      results[t] = finish_tile_rows(LFTM_DOC_RGBE, &bandDesc, params, stats, expTable, nullptr,
                                    rows.get() + bandBytes * t, plane + first * desc.width,
                                    out + first * rowSamples, static_cast<int64_t>(rowSamples));
    });
    for (int t = 0; t < count && result >= 0; ++t) result = results[t];
  }
  std::fclose(file);
  if (result < 0) return result;
  remove_file(inFile);
  return desc.height;
}

}  // namespace lftm
