// SPDX-License-Identifier: BSD-3-Clause
// The exported Range Squeezer entry point: one pass on the calling thread, or one worker per
// horizontal tile followed, for planar output, by the plane conversion; and the same tiles
// computed in bands in row order for a caller that takes the rows as they are finished.
#include "squeezer/tm_simple.h"

#include <cstdint>

#include "platform/diag.h"
#include "platform/fault_injection.h"
#include "platform/heap_buffer.h"
#include "platform/sizes.h"
#include "platform/workers.h"
#include "squeezer/planar_output.h"

namespace lftm {
namespace {

// Samples from one interleaved row to the next as the workers write them. Planar output is
// converted from packed interleaved rows, so the workers write packed rows then.
int64_t worker_row_samples(const ImageDesc& d) {
  return d.planes == 3 ? static_cast<int64_t>(d.width) * d.spp : d.rowStride;
}

// Rearranges the workers' interleaved rows into planes. Float input (isFP > 0) is large
// enough to serve as scratch; otherwise a scratch block is allocated for the call.
int convert_to_planes(int isFP, const ImageDesc& d, void* input, void* output) {
  if (isFP > 0) return rgb_interleaved2color_planes(&d, input, output);
  size_t bytes = 0;
  if (!checked_product(static_cast<int64_t>(d.width) * d.height, d.spp, d.bits / 8, &bytes,
                       INT64_MAX)) {
    return LFTM_ERR_NO_MEMORY;
  }
  HeapBuffer<uint8_t> scratch;
  if (!fault_allows(Fault::kScratchAllocation) || !scratch.allocate(bytes, true)) {
    return LFTM_ERR_NO_MEMORY;
  }
  return rgb_interleaved2color_planes(&d, scratch.get(), output);
}

// One record per tile, for `count` workers.
void fill_records(int isFP, const ImageDesc& desc, const TmParam* param, const LogStats* stats,
                  const float* expTable, int count, const void* input, void* output,
                  SqueezerWorker* records) {
  for (int i = 0; i < count; ++i) {
    records[i] = SqueezerWorker{isFP,   desc, param, stats, expTable, input,
                                output, i,    count, 0};
  }
}

}  // namespace

int tm_simple_feeding(int isFP, const ImageDesc* desc, const TmParam* param,
                      const LogStats* stats, const float* expTable, int count,
                      const void* input, void* output,
                      const std::function<void(RowFeed*)>& consume) {
  ImageDesc interleaved = *desc;
  interleaved.planes = 0;
  SqueezerWorker records[kMaxWorkers];
  fill_records(isFP, interleaved, param, stats, expTable, count, input, output, records);
  const int failure = run_tiles_feeding(
      count, interleaved.height,
      [&records](int tile, RowBand rows) { return tm_simple_tile_span(records[tile], rows); },
      consume);
  return failure < 0 ? failure : tile_rows(count - 1, count, interleaved.height).rows;
}

void tm_simple_threaded(SqueezerWorker* record) {
  const RowBand band = tile_rows(record->index, record->count, record->desc.height);
  record->result = tm_simple_tile_span(*record, RowBand{0, band.rows});
}

int tm_simple_tile_span(const SqueezerWorker& record, RowBand span) {
  const ImageDesc& whole = record.desc;
  RowBand band = tile_rows(record.index, record.count, whole.height);
  int64_t inRow = record.isFP > 0 ? static_cast<int64_t>(whole.width) * record.isFP * 4
                                  : static_cast<int64_t>(whole.width) * 4;
  int64_t inOffset = band.first * inRow;
  int64_t outOffset = band.first * worker_row_samples(whole) * (whole.bits / 8);
  // The offsets are printed in the 32-bit form callers have always seen.
  if (span.first == 0) {
    diag_err("tm_simple_threaded %d  - yTile=%d, hTile=%d, ofs=%d, lOfs=%d \n", record.index,
             band.first, band.rows, static_cast<int>(inOffset), static_cast<int>(outOffset));
  }

  ImageDesc tile = whole;
  tile.height = band.rows;
  tile.rowStride = static_cast<int>(worker_row_samples(whole));
  tile.planes = 0;
  return tm_simple_tile_rows(record.isFP, &tile, span, record.param, record.stats,
                             record.expTable,
                             static_cast<const uint8_t*>(record.input) + inOffset,
                             static_cast<uint8_t*>(record.output) + outOffset);
}

}  // namespace lftm

extern "C" int32_t tm_simple(int32_t isFP, const ImageDesc* desc, const TmParam* param,
                             const LogStats* stats, const float* expTable,
                             const int32_t* threads, void* input, void* output) {
  using namespace lftm;
  int requested = threads != nullptr ? *threads : 1;
  // Planar output with more than three samples a pixel cannot be staged interleaved in a
  // three-plane buffer; such images are done in one pass, which writes the planes directly.
  bool stageable = desc->planes != 3 || desc->spp <= 3;
  if (requested < 2 || !stageable) {
    ImageDesc whole = *desc;
    return tm_simple_tile(isFP, &whole, param, stats, expTable, input, output);
  }

  const int count = clamp_workers(requested);
  SqueezerWorker records[kMaxWorkers];
  fill_records(isFP, *desc, param, stats, expTable, count, input, output, records);
  run_tiles(count, [&records](int i) { tm_simple_threaded(&records[i]); });

  for (int i = 0; i < count; ++i) {
    if (records[i].result < 0) return records[i].result;
  }
  if (desc->planes == 3) return convert_to_planes(isFP, *desc, input, output);
  return records[count - 1].result;
}
