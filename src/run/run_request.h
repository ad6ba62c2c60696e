// SPDX-License-Identifier: BSD-3-Clause
// The one internal run behind every entry point: tonemap and tms, lftm_tonemap_image and
// lftm_tonemap_file each build a request and hand it over. Progress, cancel and messages come
// from the run context installed on the calling thread (platform/run_context.h).
#ifndef LFTM_RUN_RUN_REQUEST_H_
#define LFTM_RUN_RUN_REQUEST_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "lftm.h"
#include "run/run_sink.h"
#include "run/run_source.h"

namespace lftm {

struct RunRequest {
  RunSource source;
  RunSink sink;
  int32_t method = LFTM_METHOD_TEXTURE_BOOSTER;  // or LFTM_METHOD_RANGE_SQUEEZER
  const TmParam* params = nullptr;               // the method's settings; required
  int32_t bits = 8;                              // output samples: 8 or 16
  int32_t threads = 0;                           // as TmFiles.threads
  // Non-zero: the Texture Booster keeps its large planes in scratch files. The stages print
  // the value as given, as they print TmFiles.readFromDisk.
  int32_t disk = 0;
  // The bytes the caller allowed (0: none): a run whose estimate passes them is refused.
  int64_t memoryLimit = 0;
  // What the run may keep in memory: memory_budget_for(memoryLimit), taken by the caller when
  // the call starts. Disk mode chooses its output buffer and the solver's vectors by it.
  int64_t memoryBudget = 0;
  // The caller's record (may be null): the stages take its other fields, and the run writes
  // the input's layout back into it (see write_image_layout). Its `bits` is not read.
  ImageDesc* desc = nullptr;
  const SaveOptions* save = nullptr;  // the output options handed to the writers (may be null)
  WriterArgs writer = {0, 0, 0, 0, 0, 0};
};

// Runs the request's method. Returns the writer's (or the delivery's) result, or the first
// failure's code.
int32_t run_tone_mapping(const RunRequest& request, const SiblingNames& names);

}  // namespace lftm

#endif  // LFTM_RUN_RUN_REQUEST_H_
