// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer's sequence over a run request: the whole image in memory, its log
// statistics, the single-pass response curve, and the samples handed to the sink. One method
// per step, called in order by run(); the buffers live in the object so that every return
// path releases them.
#ifndef LFTM_RUN_SQUEEZER_RUN_H_
#define LFTM_RUN_SQUEEZER_RUN_H_

#include <cstddef>
#include <cstdint>
#include <optional>

#include "lftm.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"
#include "run/run_request.h"
#include "run/run_start.h"

namespace lftm {

class SqueezerRun {
 public:
  SqueezerRun(const RunRequest& request, const SiblingNames& names)
      : request_(request), names_(names), start_(request) {}

  int32_t run();

 private:
  int32_t open();     // the start, the first line and the layout written back
  int32_t plan();     // the buffer sizes and the checks that the run fits
  int32_t measure();  // the image read, turned into floats (TIFF) and its statistics
  int32_t tone_map();
  int32_t save();

  const RunRequest& request_;
  const SiblingNames& names_;
  RunStart start_;
  ImageDesc desc_{};
  size_t imageBytes_ = 0, outputBytes_ = 0, floatBytes_ = 0;
  bool tiff_ = false;
  LogStats stats_{};
  float expTable_[256] = {};
  int32_t isFP_ = 0;   // 0: RGBE planar bytes; else interleaved floats of that many channels
  void* pixels_ = nullptr;
  HdrFileInfo writerInfo_{};
  bool streams_ = false;

  // Declared in the order in which they are taken, so that they are given back in reverse.
  HeapBuffer<uint8_t> input_;
  std::optional<ProgressPhase> phase_;
  HeapBuffer<float> linear_;
  HeapBuffer<uint8_t> output_;
};

}  // namespace lftm

#endif  // LFTM_RUN_SQUEEZER_RUN_H_
