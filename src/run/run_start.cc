// SPDX-License-Identifier: BSD-3-Clause
#include "run/run_start.h"

#include <cstring>

#include "platform/diag.h"

namespace lftm {

int32_t check_ext_type(int32_t extType) {
  if (extType == LFTM_EXT_HDR || extType == LFTM_EXT_EXR || extType == LFTM_EXT_TIF_GAMMA ||
      extType == LFTM_EXT_TIF_LINEAR) {
    return 0;
  }
  diag_out("Invalid extension type paramater - Value passed is %d whereas supported values are "
           "100 (.hdr), 101 (.exr) and 200 (.tif)\n",
           extType);
  return LFTM_ERR_EXT_TYPE;
}

// Loads the writer (and a file source's reader) and stages the output file; for a delivery,
// only the reader of a file source.
int32_t RunStart::open_sink(const SiblingNames& names) {
  const RunSource& source = request.source;
  // Decoded pixels need no reader: the kind of a Radiance file loads none.
  const int32_t readerKind = source.pixels != nullptr ? LFTM_EXT_HDR : source.extType;
  if (request.sink.to_memory()) return siblings.load_reader(names, readerKind);
  const WriterKind writer = request.sink.writer;
  const bool jpeg = writer == WriterKind::kByName ? ext.isJpg : writer == WriterKind::kJpeg;
  writesJpeg = request.bits == 8 && jpeg;
  const int32_t loaded = siblings.load_for_run(names, writesJpeg, readerKind);
  if (loaded < 0) return loaded;
  return stage_output(request.sink.path, &target, request.sink.replace);
}

// Describes decoded pixels as a reader describes its file: size, channels and sample bits.
void RunStart::describe_pixels(const DecodedPixels& pixels) {
  const bool samples = doc_type_for(pixels.kind) == LFTM_DOC_U16;
  info.infos[LFTM_INFO_WIDTH] = width = pixels.width;
  info.infos[LFTM_INFO_HEIGHT] = height = pixels.height;
  info.infos[LFTM_INFO_SPP] = spp = samples ? pixels.spp : 3;
  info.infos[LFTM_INFO_BITS] = samples ? 16 : 32;
  kind = pixels.kind;
}

int32_t RunStart::open(const SiblingNames& names) {
  const int32_t opened = open_sink(names);
  if (opened < 0) return opened;
  const RunSource& source = request.source;
  if (source.pixels != nullptr) {
    describe_pixels(*source.pixels);
    return 0;
  }
  infoResult = read_image_info(source.extType, siblings, source.path, &info, &spp);
  if (infoResult < 0) return infoResult;
  kind = input_kind(source.extType, infoResult);
  width = info.infos[LFTM_INFO_WIDTH];
  height = info.infos[LFTM_INFO_HEIGHT];
  return 0;
}

int32_t RunStart::read(int32_t readSpp, float* work, void* dst) const {
  const DecodedPixels* pixels = request.source.pixels;
  if (pixels == nullptr) {
    return read_image(kind, siblings, request.source.path, info, readSpp, work, dst,
                      request.threads);
  }
  std::memcpy(dst, pixels->data, decoded_bytes(*pixels));
  if (work != nullptr) std::memcpy(work, pixels->work, sizeof pixels->work);
  return height;
}

int32_t RunStart::write(const HdrFileInfo& writerInfo, int32_t rowSamples,
                        int32_t sampleBytes, const void* samples) {
  if (request.sink.to_memory()) return request.sink.deliver(samples);
  return write_output(siblings, request.sink.path, &target, writerInfo, rowSamples, sampleBytes,
                      request.writer, request.method, request.params, samples);
}

}  // namespace lftm
