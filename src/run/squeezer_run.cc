// SPDX-License-Identifier: BSD-3-Clause
#include "run/squeezer_run.h"

#include <cstring>

#include "frame/run_needs.h"
#include "frame/squeezer_tiff_input.h"
#include "imageio/rgbe_reader.h"
#include "platform/diag.h"
#include "platform/front_release.h"
#include "platform/sizes.h"
#include "platform/workers.h"
#include "run/huge_pages.h"
#include "run/streamed_write.h"
#include "squeezer/tm_simple.h"
#include "stats/log_min_max_moy.h"

namespace lftm {

int32_t SqueezerRun::open() {
  const int32_t checked = check_ext_type(request_.source.extType);
  if (checked < 0) return checked;
  const int32_t opened = start_.open(names_);
  if (opened < 0) return opened;
  const int32_t w = start_.width, h = start_.height;
  diag_out("Dimensions input image: width=%d  height=%d\n", w, h);
  if (request_.desc != nullptr) {
    desc_ = *request_.desc;
    write_image_layout(request_.desc, w, h, start_.spp);
  } else {
    init_dim_param(&desc_);
  }
  desc_.bits = request_.bits;
  write_image_layout(&desc_, w, h, start_.spp);
  return 0;
}

int32_t SqueezerRun::plan() {
  const int32_t w = start_.width, h = start_.height, spp = start_.spp, bits = request_.bits;
  tiff_ = doc_type_for(start_.kind) == LFTM_DOC_U16;
  if (!image_size_ok(w, h) || !image_bytes(start_.kind, w, h, spp, &imageBytes_) ||
      !checked_product(w, h, static_cast<int64_t>(spp) * (bits / 8), &outputBytes_,
                       kMaxBufferBytes) ||
      (tiff_ && !checked_product(w, h, 4 * static_cast<int64_t>(spp), &floatBytes_,
                                 kMaxBufferBytes))) {
    return refuse_too_large(w, h, false);
  }
  const int32_t fits = check_jpeg_side(start_.writesJpeg, w, h);
  if (fits < 0) return fits;
  const bool fromFile = request_.source.pixels == nullptr;
  const RunImage image = {start_.kind, w, h, spp, bits,
                          fromFile ? file_length(request_.source.path) : 0};
  return check_memory_fits(squeezer_needs(image), false, request_.memoryLimit);
}

int32_t SqueezerRun::measure() {
  const int32_t w = start_.width, h = start_.height, spp = start_.spp;
  if (!input_.allocate(imageBytes_)) return LFTM_ERR_NO_MEMORY;
  ask_huge_pages(input_.get(), imageBytes_);
  phase_.emplace(0.0, 0.3, "reading the image");
  const int32_t readResult = start_.read(spp, reinterpret_cast<float*>(&stats_), input_.get());
  if (readResult < 0) return LFTM_ERR_READ;
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  phase_->move_to(0.3, 0.4, "measuring");
  diag_out("retour chargement image =%d\n", readResult);
  diag_out("Processing %d x %d HDR image with Range Squeezer... \n", w, h);
  build_exp_table(expTable_);
  // RGBE planar bytes go in as they are; TIFF samples as interleaved linear floats.
  pixels_ = input_.get();
  if (tiff_) {
    if (!linear_.allocate(floatBytes_ / sizeof(float)) ||
        !squeezer_input_from_tiff(start_.lut_kind(),
                                  reinterpret_cast<const uint16_t*>(input_.get()), w, h, spp,
                                  linear_.get(), request_.threads)) {
      return LFTM_ERR_NO_MEMORY;
    }
    input_.release();
    pixels_ = linear_.get();
    isFP_ = spp;
  }
  log_min_max_moy(isFP_, w, h, expTable_, pixels_, &stats_, request_.threads);
  diag_out("log min=%1.3f  max=%1.3f  moy=%1.3f \n", stats_.logMin, stats_.logMax,
           stats_.logMoy);
  if (is_flat_image(stats_)) return LFTM_ERR_FILE;
  return run_cancelled() ? LFTM_ERR_CANCELLED : 0;
}

int32_t SqueezerRun::tone_map() {
  const int32_t w = start_.width, spp = start_.spp;
  phase_->move_to(0.4, 0.95, "tone mapping");
  if (!output_.allocate(outputBytes_)) return LFTM_ERR_NO_MEMORY;
  ask_huge_pages(output_.get(), outputBytes_);
  // The writers take interleaved samples, whatever layout the caller's record asks for.
  ImageDesc descCopy = desc_;
  descCopy.planes = 0;
  int32_t threads = request_.threads;
  // With workers, the writer encodes the rows they finish while they compute the others.
  writerInfo_ = writer_info(w, start_.height, spp, request_.bits, request_.save, false);
  const int workers = clamp_workers(threads);
  StreamedWrite stream(&start_, writerInfo_, w * spp, request_.bits / 8, output_.get());
  streams_ = StreamedWrite::possible(start_, workers);
  // Rows the workers have finished need their input no more: its pages go back to the system
  // while the output grows.
  FrontRelease usedInput(pixels_, isFP_ > 0 ? floatBytes_ : imageBytes_);
  const size_t inRowBytes = 4 * static_cast<size_t>(w) * (isFP_ > 0 ? spp : 1);
  auto consume = [&stream, &usedInput, inRowBytes](RowFeed* feed) {
    stream.take(feed, [&usedInput, inRowBytes](int rows) {
      usedInput.used_up(rows * inRowBytes);
    });
  };
  int32_t result =
      streams_ ? tm_simple_feeding(isFP_, &descCopy, request_.params, &stats_, expTable_,
                                   workers, pixels_, output_.get(), consume)
               : tm_simple(isFP_, &descCopy, request_.params, &stats_, expTable_, &threads,
                           pixels_, output_.get());
  input_.release();
  linear_.release();
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  if (result < 0) return result;
  phase_->move_to(0.95, 1.0, "writing");
  // The last report of the work may have asked to stop: then nothing is written.
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  if (streams_) return stream.finish();
  return save();
}

int32_t SqueezerRun::save() {
  return start_.write(writerInfo_, start_.width * start_.spp, request_.bits / 8, output_.get());
}

int32_t SqueezerRun::run() {
  int32_t result = open();
  if (result >= 0) result = plan();
  if (result >= 0) result = measure();
  if (result >= 0) result = tone_map();
  output_.release();
  if (result >= 0) diag_out("Tone mapped result saved as: %s \n", request_.sink.path);
  return result;
}

}  // namespace lftm
