// The Texture Booster run from stage 1 on: the three stages over the buffers the run took,
// and the samples handed to the sink.
#include <cstdio>
#include <cstring>

#include "booster/finish/calc_tm3_feeding.h"
#include "booster/finish/finish_tile.h"
#include "booster/poisson/coarse_to_fine.h"
#include "frame/driver_disk_finish.h"
#include "platform/diag.h"
#include "platform/front_release.h"
#include "platform/workers.h"
#include "run/booster_run.h"

namespace lftm {
namespace {

// Reads stage 2's luminance plane back from "tm11" into the output buffer at byte `offset`,
// where disk mode's finishing step looks for it.
int32_t read_back_luminance(const char* path, size_t planeBytes, size_t offset, void* output) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return LFTM_ERR_FILE;
  int items = read_quarters(file, static_cast<uint8_t*>(output) + offset, planeBytes);
  std::fclose(file);
  if (items != 4) {
    diag_out("could not read from temporary file before calc_tm3\n");
    return LFTM_ERR_IO;
  }
  return 0;
}

// A stage's result as the run returns it: a stage stopped by a cancel request may end with
// any code, or none.
int32_t stage_outcome(int32_t result) {
  return run_cancelled() ? LFTM_ERR_CANCELLED : result;
}

}  // namespace

TmFiles BoosterRun::stage_files() const {
  TmFiles files;
  std::memset(&files, 0, sizeof files);
  files.threads = request_.threads;
  files.readFromDisk = request_.disk;
  files.inFile = request_.source.path;
  return files;
}

// Stage 1: statistics, attenuated gradients and the right-hand sides.
int32_t BoosterRun::attenuate() {
  TmFiles files = stage_files();
  files.inFile = stage1File_;
  files.scratch1 = disk_ ? scratch_.path(kTm10) : nullptr;
  files.scratch2 = disk_ ? scratch_.path(kTm11) : nullptr;
  phase_->move_to(0.05, 0.4, "attenuating gradients");
  const int32_t result =
      stage_outcome(calc_tm1(docType(), &desc_, request_.params, &dims_, &stats_, expTable_,
                             lut_.get(), &stage1Info_, &files, nullptr, input_.get(),
                             output_.get()));
  if (result < 0) return result;
  input_.release();
  if (spooled_) scratch_.remove(kDecodedCopy);
  diag_out("Texture Booster Part 1 completed - 65%% remaining\n");
  return 0;
}

// Stage 2: the Poisson solve, leaving the luminance plane in memory or in "tm11".
int32_t BoosterRun::solve() {
  TmFiles files = stage_files();
  if (disk_) {
    files.scratch1 = scratch_.path(kTm11);
    files.scratch2 = scratch_.path(kTm12);
    files.scratch3 = scratch_.path(kTm13);
    files.scratch4 = scratch_.path(kTm14);
    files.scratch5 = scratch_.path(kTm15);
  }
  phase_->move_to(0.4, 0.85, "solving");
  // The solver keeps in memory what the run's budget leaves beside the estimate.
  const int64_t headroom = disk_ ? request_.memoryBudget - needs_.memory : 0;
  const int32_t result = stage_outcome(
      calc_tm2_within(desc_, dims_.coarseW, dims_.coarseH, dims_.total, dims_.rang,
                      request_.params, files, nullptr, nullptr, output_.get(),
                      headroom > 0 ? headroom : 0));
  if (result < 0) return result;
  phase_->move_to(0.85, 0.97, "finishing");
  diag_out("Texture Booster Part 2 completed - 30%% remaining\n");
  return 0;
}

int32_t BoosterRun::prepare_finish() {
  float* out = output_.get();
  if (disk_) {
    const int32_t result = read_back_luminance(
        scratch_.path(kTm11), sizes_.plane,
        disk_finish_plane_offset(start_.width, start_.height), out);
    if (result < 0) return result;
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    scratch_.remove(kTm11);
    return 0;
  }
  if (!luminance_.allocate(sizes_.plane / sizeof(float))) return LFTM_ERR_NO_MEMORY;
  std::memcpy(luminance_.get(), out, sizes_.plane);
  if (!secondInput_.allocate(sizes_.image)) return LFTM_ERR_NO_MEMORY;
  if (start_.read(start_.spp, nullptr, secondInput_.get()) < 0) return LFTM_ERR_READ_AGAIN;
  return 0;
}

// Stage 3: colour, gamma and clipping into output samples.
int32_t BoosterRun::finish() {
  const int32_t w = start_.width, spp = start_.spp;
  TmFiles files = stage_files();
  if (disk_) files.inFile = scratch_.path(kTm10);
  // The writers take interleaved samples, whatever layout the caller's record asks for.
  ImageDesc desc3 = desc_;
  desc3.planes = 0;
  // In memory mode with workers, the writer encodes the rows they finish while they compute
  // the others.
  writerInfo_ = writer_info(w, start_.height, spp, request_.bits, request_.save, false);
  stream_.emplace(&start_, writerInfo_, w * spp, request_.bits / 8, output_.get());
  streams_ = !disk_ && StreamedWrite::possible(start_, clamp_workers(files.threads));
  // Rows the workers have finished need their source and luminance no more: their pages go
  // back to the system while the output is written.
  FrontRelease usedInput(secondInput_.get(), sizes_.image);
  FrontRelease usedLuminance(luminance_.get(), sizes_.plane);
  const size_t inRowBytes = static_cast<size_t>(source_row_bytes(docType(), w, w * spp));
  auto consume = [&](RowFeed* feed) {
    stream_->take(feed, [&, inRowBytes](int rows) {
      usedInput.used_up(rows * inRowBytes);
      usedLuminance.used_up(rows * sizeof(float) * static_cast<size_t>(w));
    });
  };
  const TmParam* params = request_.params;
  int32_t result;
  // Disk mode finishes on the workers with the arithmetic of memory mode (stage 3's own disk
  // path takes one thread).
  if (disk_) {
    result = finish_disk_bands(desc3, params, &stats_, expTable_, files.inFile, files.threads,
                               output_.get());
  } else if (streams_) {
    result = calc_tm3_feeding(docType(), &desc3, params, &stats_, expTable_, lut_.get(), &files,
                              secondInput_.get(), luminance_.get(), output_.get(), consume);
  } else {
    result = calc_tm3(docType(), &desc3, params, &stats_, expTable_, lut_.get(), &files,
                      secondInput_.get(), luminance_.get(), output_.get());
  }
  result = stage_outcome(result);
  if (result < 0) return result;
  phase_->move_to(0.97, 1.0, "writing");
  // The last report of the work may have asked to stop: then nothing is written.
  return run_cancelled() ? LFTM_ERR_CANCELLED : 0;
}

int32_t BoosterRun::save() {
  secondInput_.release();
  luminance_.release();
  diag_out("Texture Booster Part 3 completed - Saving to file...\n");
  if (disk_) {
    const ScratchTraffic traffic = scratch_traffic();
    diag_out("scratch bytes: %lld read, %lld written\n", traffic.read - trafficBefore_.read,
             traffic.written - trafficBefore_.written);
  }
  for (int slot = 0; slot < 8; ++slot) diag_out("%d infos=%d\n", slot, writerInfo_.infos[slot]);
  const char* outName = request_.sink.path;
  diag_out("outFile: %s\n", outName);
  diag_out("jpgQual: %d\n", request_.writer.jpgQual);
  const int32_t w = start_.width, spp = start_.spp;
  const int32_t result = streams_ ? stream_->finish()
                                  : start_.write(writerInfo_, w * spp, request_.bits / 8,
                                                 output_.get());
  diag_out("retour write: %d\n", result);
  output_.release();
  outputFile_.unmap();
  lut_.reset();
  if (result >= 0) diag_out("Result saved as: %s \n", outName);
  return result;
}

}  // namespace lftm
