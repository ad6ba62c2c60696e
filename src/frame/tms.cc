// The Range Squeezer driver: one HDR file in, one TIFF or JPEG file out, through the log
// statistics and the single-pass response curve, with the whole image in memory.
#include <cstring>

#include "frame/drivers.h"
#include "frame/run_needs.h"
#include "frame/squeezer_tiff_input.h"
#include "frame/streamed_write.h"
#include "imageio/rgbe_reader.h"
#include "platform/diag.h"
#include "platform/front_release.h"
#include "platform/heap_buffer.h"
#include "platform/run_context.h"
#include "platform/sizes.h"
#include "platform/workers.h"
#include "squeezer/tm_simple.h"
#include "stats/log_min_max_moy.h"

namespace lftm {

int32_t run_tms(const DriverCall& call, const SiblingNames& names) {
  int32_t checked = check_call(call);
  if (checked < 0) return checked;
  checked = check_ext_type(call.extType);
  if (checked < 0) return checked;
  DriverStart start(call.outFile);
  const int32_t opened = start.open(call, names);
  if (opened < 0) return opened;
  const int32_t w = start.width;
  const int32_t h = start.height;
  const int32_t spp = start.spp;
  diag_out("Dimensions input image: width=%d  height=%d\n", w, h);

  ImageDesc* desc = call.desc;
  write_image_layout(desc, w, h, spp);

  const int32_t bits = call.desc->bits;
  size_t imageBytes = 0, outputBytes = 0, floatBytes = 0;
  const bool tiff = doc_type_for(start.kind) == LFTM_DOC_U16;
  if (!image_size_ok(w, h) || !image_bytes(start.kind, w, h, spp, &imageBytes) ||
      !checked_product(w, h, static_cast<int64_t>(spp) * (bits / 8), &outputBytes,
                       kMaxBufferBytes) ||
      (tiff && !checked_product(w, h, 4 * static_cast<int64_t>(spp), &floatBytes,
                                kMaxBufferBytes))) {
    return refuse_too_large(w, h, false);
  }
  int32_t fits = check_jpeg_side(start.writesJpeg, w, h);
  if (fits < 0) return fits;
  const RunImage image = {start.kind, w, h, spp, bits, file_length(call.files->inFile)};
  fits = check_memory_fits(squeezer_needs(image), false);
  if (fits < 0) return fits;
  HeapBuffer<uint8_t> input;
  if (!input.allocate(imageBytes)) return LFTM_ERR_NO_MEMORY;
  ProgressPhase phase(0.0, 0.3, "reading the image");
  LogStats stats;
  std::memset(&stats, 0, sizeof stats);
  const int32_t readResult =
      start.read(call, spp, reinterpret_cast<float*>(&stats), input.get());
  if (readResult < 0) return LFTM_ERR_READ;
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  phase.move_to(0.3, 0.4, "measuring");
  diag_out("retour chargement image =%d\n", readResult);
  diag_out("Processing %d x %d HDR image with Range Squeezer... \n", w, h);
  float expTable[256];
  build_exp_table(expTable);

  // RGBE planar bytes go in as they are; TIFF samples as interleaved linear floats.
  int32_t isFP = 0;
  HeapBuffer<float> linear;
  void* pixels = input.get();
  if (tiff) {
    if (!linear.allocate(floatBytes / sizeof(float)) ||
        !squeezer_input_from_tiff(call.extType, reinterpret_cast<const uint16_t*>(input.get()),
                                  w, h, spp, linear.get(), call.files->threads)) {
      return LFTM_ERR_NO_MEMORY;
    }
    input.release();
    pixels = linear.get();
    isFP = spp;
  }
  log_min_max_moy(isFP, w, h, expTable, pixels, &stats, call.files->threads);
  diag_out("log min=%1.3f  max=%1.3f  moy=%1.3f \n", stats.logMin, stats.logMax, stats.logMoy);
  if (is_flat_image(stats)) return LFTM_ERR_FILE;

  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  phase.move_to(0.4, 0.95, "tone mapping");
  HeapBuffer<uint8_t> output;
  if (!output.allocate(outputBytes)) return LFTM_ERR_NO_MEMORY;
  // The writers take interleaved samples, whatever layout the caller's record asks for.
  ImageDesc descCopy = *desc;
  descCopy.planes = 0;
  TmFiles filesCopy = *call.files;
  // With workers, the writer encodes the rows they finish while they compute the others.
  const HdrFileInfo writerInfo = writer_info(w, h, spp, bits, call.save, false);
  const int workers = clamp_workers(filesCopy.threads);
  StreamedWrite stream(&start, call, writerInfo, w * spp, bits / 8, LFTM_METHOD_RANGE_SQUEEZER,
                       output.get());
  const bool streams = StreamedWrite::possible(call, start, workers);
  // Rows the workers have finished need their input no more: its pages go back to the system
  // while the output grows.
  FrontRelease usedInput(pixels, isFP > 0 ? floatBytes : imageBytes);
  const size_t inRowBytes = 4 * static_cast<size_t>(w) * (isFP > 0 ? spp : 1);
  auto consume = [&stream, &usedInput, inRowBytes](RowFeed* feed) {
    stream.take(feed, [&usedInput, inRowBytes](int rows) {
      usedInput.used_up(rows * inRowBytes);
    });
  };
  int32_t result =
      streams ? tm_simple_feeding(isFP, &descCopy, call.params, &stats, expTable, workers,
                                  pixels, output.get(), consume)
              : tm_simple(isFP, &descCopy, call.params, &stats, expTable, &filesCopy.threads,
                          pixels, output.get());
  input.release();
  linear.release();
  if (run_cancelled()) return LFTM_ERR_CANCELLED;
  if (result < 0) return result;
  phase.move_to(0.95, 1.0, "writing");
  // The last report of the work may have asked to stop: then nothing is written.
  if (run_cancelled()) return LFTM_ERR_CANCELLED;

  result = streams ? stream.finish()
                   : start.write(call, writerInfo, w * spp, bits / 8,
                                 LFTM_METHOD_RANGE_SQUEEZER, output.get());
  output.release();
  if (result >= 0) diag_out("Tone mapped result saved as: %s \n", call.outFile);
  return result;
}

}  // namespace lftm

extern "C" int32_t tms(int32_t extType, ImageDesc* desc, const TmParam* params, int32_t jpgQual,
                       const SaveOptions* save, intptr_t w6, intptr_t w7, int32_t w8,
                       intptr_t w9, intptr_t w10, const char* /*unused*/, const TmFiles* files,
                       const char* outFile) {
  const lftm::DriverCall call = {extType, desc,  params, save, {jpgQual, w6, w7, w8, w9, w10},
                                 files,   outFile};
  return lftm::run_tms(call, lftm::default_sibling_names());
}
