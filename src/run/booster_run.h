// The Texture Booster's sequence over a run request: the input taken into memory or scratch
// files, stages 1, 2 and 3, and the samples handed to the sink. One method per step, called
// in order by run(); the buffers live in the object so that every return path releases them.
#ifndef LFTM_RUN_BOOSTER_RUN_H_
#define LFTM_RUN_BOOSTER_RUN_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "frame/driver_scratch.h"
#include "frame/run_needs.h"
#include "lftm.h"
#include "platform/file_backed_buffer.h"
#include "platform/heap_buffer.h"
#include "platform/scratch_file.h"
#include "platform/run_context.h"
#include "run/run_request.h"
#include "run/run_start.h"
#include "run/streamed_write.h"

namespace lftm {

// The byte sizes of the run's buffers (64-bit: a gigapixel image needs several GB).
struct BoosterBufferSizes {
  size_t input = 0;   // raw image for stage 1 and its working space
  size_t output = 0;  // pyramid, luminance plane and output samples
  size_t image = 0;   // the raw image as the reader delivers it
  size_t plane = 0;   // one w x h float plane
};

class BoosterRun {
 public:
  BoosterRun(const RunRequest& request, const SiblingNames& names)
      : request_(request), names_(names), start_(request), disk_(request.disk != 0) {}

  int32_t run();

 private:
  // Prints the run's first lines, opens it (RunStart::open) and writes the layout back.
  int32_t open();
  // Sizes the pyramid and the buffers and checks that the run fits before anything is taken.
  int32_t plan();
  // Disk mode: the scratch files (and a Radiance copy of decoded input); else the image read
  // into memory.
  int32_t take_input();
  int32_t spool_decoded();
  // The exponent table, the output buffer (memory or a mapped scratch file) and the 16-bit
  // table.
  int32_t prepare_work();
  int32_t attenuate();  // stage 1
  int32_t solve();      // stage 2
  // The luminance plane moved out of stage 3's way; the image read again in memory mode.
  int32_t prepare_finish();
  int32_t finish();  // stage 3
  int32_t save();

  // Scratch files in the order they are created; the stages find them by these indices. The
  // output buffer's file, when there is one, comes after them.
  enum Scratch { kTm10, kTm11, kTm12, kTm13, kTm14, kTm15, kDecodedCopy };

  // The TmFiles of a stage before its scratch paths are set.
  TmFiles stage_files() const;
  int32_t docType() const;

  const RunRequest& request_;
  const SiblingNames& names_;
  RunStart start_;
  const bool disk_;
  ImageDesc desc_{};
  PyramidDims dims_{};
  BoosterBufferSizes sizes_;
  RunNeeds needs_;
  bool outputInFile_ = false;
  ScratchTraffic trafficBefore_{};
  HdrFileInfo stage1Info_{};
  const char* stage1File_ = nullptr;
  bool spooled_ = false;  // stage 1 reads a Radiance copy of decoded input
  float expTable_[256] = {};
  LumStats stats_{};
  HdrFileInfo writerInfo_{};
  bool streams_ = false;

  // Declared in the order in which they are taken, so that they are given back in reverse.
  ScratchFiles scratch_;
  HeapBuffer<uint8_t> input_;
  std::optional<ProgressPhase> phase_;
  HeapBuffer<float> output_;
  FileBackedBuffer outputFile_;
  std::unique_ptr<float[]> lut_;
  HeapBuffer<float> luminance_;
  HeapBuffer<uint8_t> secondInput_;
  std::optional<StreamedWrite> stream_;
};

}  // namespace lftm

#endif  // LFTM_RUN_BOOSTER_RUN_H_
