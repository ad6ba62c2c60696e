// SPDX-License-Identifier: BSD-3-Clause
// One horizontal tile of the finishing step, run on a worker thread.
#ifndef LFTM_BOOSTER_FINISH_TILE_WORKER_H_
#define LFTM_BOOSTER_FINISH_TILE_WORKER_H_

#include <cstdint>

#include "lftm.h"
#include "platform/workers.h"

namespace lftm {

// Everything one tile needs; owned by the caller for as long as the worker runs.
struct FinishTileJob {
  int docType;
  ImageDesc desc;  // the whole image
  const TmParam* param;
  const LumStats* stats;
  const float* expTable;
  const float* lut;
  TmFiles files;
  const void* input;   // whole source image
  const float* lum;    // whole normalised plane
  void* output;        // whole output buffer
  int64_t outRowStride;  // samples between output rows (packed rows when planes follow)
  int index;
  int count;
  int result;
};

// Finishes tile `index` of `count` into the interleaved layout and stores the row count.
void finish_tile_job(FinishTileJob* worker);

// The rows `span` of the job's tile (counted from its first row); the span that begins the
// tile prints its lines. Returns the tile's result.
int finish_tile_span(const FinishTileJob& job, RowBand span);

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_TILE_WORKER_H_
