#include "frame/driver_prologue.h"

#include <cstring>

#include "platform/diag.h"

namespace lftm {

int32_t check_call(const DriverCall& call) {
  if (call.desc == nullptr || call.params == nullptr || call.files == nullptr ||
      call.files->inFile == nullptr || call.outFile == nullptr) {
    return LFTM_ERR_FILE;
  }
  return (call.desc->bits == 8 || call.desc->bits == 16) ? 0 : LFTM_ERR_FILE;
}

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

int32_t DriverStart::open(const DriverCall& call, const SiblingNames& names) {
  if (call.memory != nullptr) {
    // Described as the OpenEXR reader describes a colour file of floats.
    info.infos[0] = width = call.memory->width;
    info.infos[1] = height = call.memory->height;
    info.infos[2] = 3;
    info.infos[3] = 32;
    kind = LFTM_EXT_EXR;
    return 0;
  }
  const bool jpeg = call.writerKind == WriterKind::kByName ? ext.isJpg
                                                           : call.writerKind == WriterKind::kJpeg;
  writesJpeg = call.desc->bits == 8 && jpeg;
  const int32_t loaded = siblings.load_for_run(names, writesJpeg, call.extType);
  if (loaded < 0) return loaded;
  const int32_t staged = stage_output(call.outFile, &target, call.replace);
  if (staged < 0) return staged;
  infoResult = read_image_info(call.extType, siblings, call.files->inFile, &info, &spp);
  if (infoResult < 0) return infoResult;
  kind = input_kind(call.extType, infoResult);
  width = info.infos[0];
  height = info.infos[1];
  return 0;
}

int32_t DriverStart::read(const DriverCall& call, int32_t readSpp, float* work, void* dst) const {
  if (call.memory == nullptr) {
    return read_image(kind, siblings, call.files->inFile, info, readSpp, work, dst,
                      call.files->threads);
  }
  std::memcpy(dst, call.memory->rgbe, 4 * static_cast<size_t>(width) * height);
  if (work != nullptr) std::memcpy(work, call.memory->work, sizeof call.memory->work);
  return height;
}

int32_t DriverStart::write(const DriverCall& call, const HdrFileInfo& writerInfo,
                           int32_t rowSamples, int32_t sampleBytes, int32_t method,
                           const void* samples) {
  if (call.memory != nullptr) return call.memory->deliver(samples);
  return write_output(siblings, call.outFile, &target, writerInfo, rowSamples, sampleBytes,
                      call.writer, method, call.params, samples);
}

}  // namespace lftm
