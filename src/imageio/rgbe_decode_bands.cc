// RGBE pixel data decoded in bands of rows on the library's workers.
#include <vector>

#include "imageio/rgbe_decode.h"
#include "platform/heap_buffer.h"
#include "platform/workers.h"

namespace lftm {
namespace {

// Below this many rows a band costs more to start than it saves.
constexpr int kMinBandRows = 32;

int band_count(int threads, int height) {
  int bands = clamp_workers(threads);
  const int most = height / kMinBandRows;
  if (bands > most) bands = most < 1 ? 1 : most;
  return bands;
}

// Runs decode_band(band) for each band and returns the first failure in band order, or height.
template <typename DecodeBand>
int run_bands(int bands, int height, DecodeBand decode_band) {
  std::vector<int> results(static_cast<size_t>(bands), 0);
  run_tiles(bands, [&](int band) {
    results[static_cast<size_t>(band)] = decode_band(tile_rows(band, bands, height));
  });
  for (int result : results) {
    if (result < 0) return result;
  }
  return height;
}

}  // namespace

int decode_rgbe_pixels_banded(const uint8_t* data, size_t size, int width, int height,
                              unsigned char* dst, int threads) {
  const int bands = band_count(threads, height);
  if (bands < 2) return decode_rgbe_pixels(data, size, width, height, dst);
  const size_t row_bytes = static_cast<size_t>(4) * width;

  if (!starts_run_length(data, size)) {
    // Data too short for its rows fails in the last band, with the code of the whole decode.
    return run_bands(bands, height, [&](RowBand band) {
      const size_t offset = row_bytes * static_cast<size_t>(band.first);
      return decode_flat_rows(data + offset, size - offset, width, band.rows, dst + offset);
    });
  }

  // Row lengths vary: one pass over the codes checks every row and notes where each starts.
  HeapBuffer<size_t> starts;
  if (!starts.allocate(static_cast<size_t>(height))) {
    return decode_rgbe_pixels(data, size, width, height, dst);
  }
  const int checked = decode_run_length_rows(data, size, width, height, nullptr, starts.get());
  if (checked < 0) return checked;
  return run_bands(bands, height, [&](RowBand band) {
    const size_t from = starts.get()[band.first];
    return decode_run_length_rows(data + from, size - from, width, band.rows,
                                  dst + row_bytes * static_cast<size_t>(band.first), nullptr);
  });
}

}  // namespace lftm
