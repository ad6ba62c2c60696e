// SPDX-License-Identifier: BSD-3-Clause
// RGBE pixel data decoded in bands of rows on the library's workers.
#include <condition_variable>
#include <mutex>
#include <vector>

#include "imageio/rgbe_decode.h"
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

// Where each run-length band starts, known only once the rows before it were walked: each
// band walks its own rows without storing them, hands the offset past them to the next band,
// and only then decodes them. The walks form a chain but cost far less than the decoding.
class BandStarts {
 public:
  explicit BandStarts(int bands) : starts_(static_cast<size_t>(bands), kUnknown) {
    starts_[0] = 0;
  }

  // The offset of band `band`, or false when a band before it failed.
  bool wait(int band, size_t* start) {
    std::unique_lock<std::mutex> lock(mutex_);
    known_.wait(lock, [&] { return starts_[static_cast<size_t>(band)] != kUnknown; });
    *start = starts_[static_cast<size_t>(band)];
    return *start != kFailed;
  }

  void publish(int band, size_t start) {
    if (band >= static_cast<int>(starts_.size())) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      starts_[static_cast<size_t>(band)] = start;
    }
    known_.notify_all();
  }
  void fail_from(int band) { publish(band, kFailed); }

 private:
  static constexpr size_t kUnknown = static_cast<size_t>(-1);
  static constexpr size_t kFailed = static_cast<size_t>(-2);
  std::mutex mutex_;
  std::condition_variable known_;
  std::vector<size_t> starts_;
};

// Runs decode_band(band, rows) on every band and returns the first failure in band order (the
// one the one-thread decode meets first), or height.
template <typename DecodeBand>
int run_bands(int bands, int height, DecodeBand decode_band) {
  std::vector<int> results(static_cast<size_t>(bands), 0);
  run_tiles(bands, [&](int band) {
    results[static_cast<size_t>(band)] = decode_band(band, tile_rows(band, bands, height));
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
    return run_bands(bands, height, [&](int, RowBand band) {
      const size_t offset = row_bytes * static_cast<size_t>(band.first);
      return decode_flat_rows(data + offset, size - offset, width, band.rows, dst + offset);
    });
  }

  BandStarts starts(bands);
  return run_bands(bands, height, [&](int index, RowBand band) {
    size_t from = 0;
    // A band after a failed one is not decoded; the failure before it is the result.
    if (!starts.wait(index, &from)) {
      starts.fail_from(index + 1);
      return 0;
    }
    if (index + 1 < bands) {
      size_t length = 0;
      const int walked =
          decode_run_length_rows(data + from, size - from, width, band.rows, nullptr, &length);
      if (walked < 0) {
        starts.fail_from(index + 1);
        return walked;
      }
      starts.publish(index + 1, from + length);
    }
    return decode_run_length_rows(data + from, size - from, width, band.rows,
                                  dst + row_bytes * static_cast<size_t>(band.first), nullptr);
  });
}

}  // namespace lftm
