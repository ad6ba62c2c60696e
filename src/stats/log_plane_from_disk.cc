// SPDX-License-Identifier: BSD-3-Clause
// Log-luminance plane of stage 1 in disk mode: the RGBE bytes are read into the work buffer,
// parked in a scratch file (which later serves stage 3 as its input), and converted back
// row by row into the same buffer, on the workers.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "imageio/rgbe_reader.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/scratch_file.h"
#include "platform/sizes.h"
#include "platform/workers.h"
#include "stats/log_accumulator.h"
#include "stats/log_luminance.h"
#include "stats/rgbe_row_logs.h"

namespace lftm {
namespace {

// Writes the whole image as four quarters: 0, LFTM_ERR_FILE when the file cannot be created,
// LFTM_ERR_IO when anything did not reach it.
int park_image(const char* scratchPath, const void* bytes, size_t size) {
  std::FILE* file = std::fopen(scratchPath, "wb");
  if (file == nullptr) return LFTM_ERR_FILE;
  const int items = write_quarters(file, bytes, size);
  // Buffered data that cannot be flushed is as lost as a short write.
  const bool closed = std::fclose(file) == 0;
  return items == 4 && closed ? 0 : LFTM_ERR_IO;
}

// One R, G, B, E row into the plane row `out`; a pixel without light gets the marker. The
// first rows print some of their pixels.
void log_row(int width, int j, const uint8_t* row, const float* expTable, float* out) {
  if (j < 5) {
    const size_t w = static_cast<size_t>(width);
    for (int k = 0; k < width; k += width >> 3) {
      diag_out("%d %d %d  %d  - calc_tm0s %d,%d\n", row[k], row[w + k], row[2 * w + k],
               row[3 * w + k], k, j);
    }
  }
  rgbe_row_logs(row, static_cast<size_t>(width), width, expTable, out);
}

// Converts the parked image row by row, the rows in bands on up to `threads` workers, each
// reading its own rows from the file (a row of floats takes the place of its row of bytes in
// buf, so no band touches another's input). The statistics are then gathered in pixel order,
// as one pass would. LFTM_ERR_FILE when the file cannot be reopened, LFTM_ERR_IO on a short
// read, LFTM_ERR_NO_MEMORY when a row buffer cannot be had.
int log_plane_from(const char* scratchPath, int width, int height, const float* expTable,
                   float* buf, LogAccumulator* acc, int threads) {
  const size_t rowBytes = static_cast<size_t>(width) * 4;
  const int fd = open(scratchPath, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LFTM_ERR_FILE;
  const int bands = clamp_workers(threads) < height ? clamp_workers(threads) : height;
  int results[kMaxWorkers] = {};
  run_tiles(bands, [&](int t) {
    HeapBuffer<uint8_t> row;
    if (!row.allocate(rowBytes)) {
      results[t] = LFTM_ERR_NO_MEMORY;
      return;
    }
    const RowBand band = tile_rows(t, bands, height);
    for (int j = band.first; j < band.first + band.rows; ++j) {
      const long long at = static_cast<long long>(rowBytes) * j;
      if (read_quarters_at(fd, at, row.get(), rowBytes, 1) != 4) {
        results[t] = LFTM_ERR_IO;
        return;
      }
      log_row(width, j, row.get(), expTable, buf + static_cast<size_t>(width) * j);
    }
  });
  close(fd);
  // The first failing band in row order decides, whatever the thread count.
  for (int t = 0; t < bands; ++t) {
    if (results[t] < 0) return results[t];
  }
  const size_t pixels = static_cast<size_t>(width) * height;
  for (size_t i = 0; i < pixels; ++i) {
    if (!is_marker(buf[i])) acc->add(buf[i]);
  }
  return 0;
}

}  // namespace

int log_plane_from_disk(int docType, int width, int height, LumStats* stats, const float* expTable,
                        const HdrFileInfo* info, const char* inPath, const char* scratchPath,
                        float* buf, int threads) {
  if (width < 10 || height < 10) return LFTM_ERR_FILE;
  if (docType > 0) return kUnsupportedLayout;
  size_t imageBytes;
  if (!checked_product(width, height, 4, &imageBytes, kMaxBufferBytes)) return LFTM_ERR_FILE;
  if (inPath == nullptr || scratchPath == nullptr) return LFTM_ERR_FILE;
  // The reader fills 4 x info width x info height bytes: they must be the ones buf was
  // sized for.
  if (info->infos[LFTM_INFO_WIDTH] != width || info->infos[LFTM_INFO_HEIGHT] != height) {
    return LFTM_ERR_FILE;
  }

  auto* bytes = reinterpret_cast<unsigned char*>(buf);
  // A file that cannot be decoded leaves buf undefined: nothing is parked or measured.
  const int read = rgbe_read_mem(inPath, info, bytes, threads);
  if (read < 0) return read;
  const int parked = park_image(scratchPath, bytes, imageBytes);
  if (parked < 0) return parked;

  LogAccumulator acc;
  const int converted = log_plane_from(scratchPath, width, height, expTable, buf, &acc, threads);
  if (converted < 0) return converted;
  close_lum_stats(acc, stats);

  // Pixels without light take the mean log value, as in memory mode, so that both modes
  // build the same plane. The mean is known only now: a second pass over the plane in buf
  // patches them, with no memory of its own.
  const int pixels = width * height;
  int replaced = 0;
  if (acc.count < pixels) {
    const float value = no_light_value(acc);
    for (int i = 0; i < pixels; ++i) {
      if (!is_marker(buf[i])) continue;
      buf[i] = value;
      ++replaced;
    }
  }
  diag_out("-- minX=%1.3f  maxX=%1.3f   lumParam %1.3f %1.3f  cntDiff=%d  ctnPetit=%d   %1.2f\n",
           acc.min, acc.max, stats->lumMoy, stats->lumMaxRatio,
           static_cast<int>(acc.count - pixels), replaced, replaced * 100.0 / pixels);
  return height;
}

}  // namespace lftm
