// The Range Squeezer driver: one HDR file in, one TIFF or JPEG file out, through the log
// statistics and the single-pass response curve, with the whole image in memory.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "frame/drivers.h"
#include "frame/squeezer_tiff_input.h"
#include "imageio/rgbe_reader.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/sizes.h"

namespace lftm {
namespace {

using Buffer = MallocPtr;

// TIFF samples become interleaved linear floats at the level the Range Squeezer expects.
Buffer decode_tiff_samples(int32_t extType, const uint16_t* samples, int32_t w, int32_t h,
                           int32_t spp, size_t floatBytes) {
  Buffer linear(std::malloc(floatBytes));
  if (!linear || !squeezer_input_from_tiff(extType, samples, w, h, spp,
                                           static_cast<float*>(linear.get()))) {
    return Buffer();
  }
  return linear;
}

}  // namespace

int32_t run_tms(const DriverCall& call, const SiblingNames& names) {
  if (check_call(call) < 0) return LFTM_ERR_FILE;
  if (!is_known_ext_type(call.extType)) {
    report_bad_ext_type(call.extType);
    return LFTM_ERR_EXT_TYPE;
  }
  const OutputExtension ext = output_extension(call.outFile);
  const int32_t bits = call.desc->bits;
  SiblingSet siblings;
  int32_t loaded = siblings.load_for_run(names, bits == 8 && ext.isJpg, call.extType);
  if (loaded < 0) return loaded;
  StagedOutput target;
  const int32_t staged = stage_output(call.outFile, &target);
  if (staged < 0) return staged;

  const char* inFile = call.files->inFile;
  HdrFileInfo info;
  int32_t spp = 3;
  const int32_t infoResult = read_image_info(call.extType, siblings, inFile, &info, &spp);
  if (infoResult < 0) return infoResult;
  const int32_t kind = input_kind(call.extType, infoResult);
  const int32_t w = info.infos[0];
  const int32_t h = info.infos[1];
  diag_out("Dimensions input image: width=%d  height=%d\n", w, h);

  ImageDesc* desc = call.desc;
  write_image_layout(desc, w, h, spp);

  size_t imageBytes = 0, outputBytes = 0, floatBytes = 0;
  const bool tiff = doc_type_for(kind) == LFTM_DOC_U16;
  if (!image_bytes(kind, w, h, spp, &imageBytes) ||
      !checked_product(w, h, static_cast<int64_t>(spp) * (bits / 8), &outputBytes) ||
      (tiff && !checked_product(w, h, 4 * static_cast<int64_t>(spp), &floatBytes))) {
    return LFTM_ERR_TOO_LARGE;
  }
  Buffer input(std::malloc(imageBytes));
  if (!input) return LFTM_ERR_NO_MEMORY;
  LogStats stats;
  std::memset(&stats, 0, sizeof stats);
  const int32_t readResult = read_image(kind, siblings, inFile, info, spp,
                                        reinterpret_cast<float*>(&stats), input.get());
  if (readResult < 0) return LFTM_ERR_READ;
  diag_out("retour chargement image =%d\n", readResult);
  diag_out("Processing %d x %d HDR image with Range Squeezer... \n", w, h);
  float expTable[256];
  build_exp_table(expTable);

  // RGBE planar bytes go in as they are; TIFF samples as interleaved floats.
  int32_t isFP = 0;
  if (tiff) {
    input = decode_tiff_samples(call.extType, static_cast<const uint16_t*>(input.get()), w, h,
                                spp, floatBytes);
    if (!input) return LFTM_ERR_NO_MEMORY;
    isFP = spp;
  }
  logMinMaxMoy(isFP, w, h, expTable, input.get(), &stats);
  diag_out("log min=%1.3f  max=%1.3f  moy=%1.3f \n", stats.logMin, stats.logMax, stats.logMoy);

  Buffer output(std::malloc(outputBytes));
  if (!output) return LFTM_ERR_NO_MEMORY;
  // The writers take interleaved samples, whatever layout the caller's record asks for.
  ImageDesc descCopy = *desc;
  descCopy.planes = 0;
  TmFiles filesCopy = *call.files;
  int32_t result = tm_simple(isFP, &descCopy, call.params, &stats, expTable, &filesCopy.threads,
                             input.get(), output.get());
  input.reset();
  if (result < 0) return result;

  const HdrFileInfo writerInfo = writer_info(w, h, spp, bits, call.save, false);
  result = write_output(siblings, &target, writerInfo, w * spp, bits / 8, call.writer,
                        LFTM_METHOD_RANGE_SQUEEZER, call.params, output.get());
  output.reset();
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
