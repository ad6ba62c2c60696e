// SPDX-License-Identifier: BSD-3-Clause
#include "host/file_format.h"

#include <cstdio>
#include <string>

#include "host/file_rules.h"
#include "platform/input_file.h"

namespace lftm {

FileFormat detect_file_format(const char* path) {
  unsigned char head[4] = {0, 0, 0, 0};
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) return FileFormat::kUnknown;
  const size_t got = std::fread(head, 1, sizeof head, file);
  std::fclose(file);
  if (got >= 2 && head[0] == '#' && head[1] == '?') return FileFormat::kRadiance;
  if (got == 4 && head[0] == 0x76 && head[1] == 0x2f && head[2] == 0x31 && head[3] == 0x01) {
    return FileFormat::kOpenExr;
  }
  if (got == 4 && ((head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
                   (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42))) {
    return FileFormat::kTiff;
  }
  // Radiance files without the "#?" magic line still carry the extension.
  const std::string ext = lower_extension(path);
  if (got > 0 && (ext == "hdr" || ext == "pic" || ext == "rgbe")) return FileFormat::kRadiance;
  return FileFormat::kUnknown;
}

int32_t probe_file(const char* path, int32_t tiffInput, SiblingSet* siblings, FileProbe* probe) {
  const int32_t unreadable = check_input_file(path);
  if (unreadable < 0) return unreadable;
  probe->format = detect_file_format(path);
  int32_t probeType = 0;
  switch (probe->format) {
    case FileFormat::kRadiance: probeType = LFTM_EXT_HDR; break;
    case FileFormat::kOpenExr: probeType = LFTM_EXT_EXR; break;
    // Linear or gamma-encoded does not change what the header says.
    case FileFormat::kTiff: probeType = LFTM_EXT_TIF_LINEAR; break;
    case FileFormat::kUnknown: return LFTM_ERR_UNKNOWN_FORMAT;
  }
  const int32_t loaded = siblings->load_reader(default_sibling_names(), probeType);
  if (loaded < 0) return loaded;
  const int32_t infoResult =
      read_image_info(probeType, *siblings, path, &probe->info, &probe->spp);
  if (infoResult < 0) return infoResult;
  probe->extType = probeType;
  if (probe->format != FileFormat::kRadiance) {
    probe->fileChannels = probe->info.infos[LFTM_INFO_SPP];
    probe->fileBits = probe->info.infos[LFTM_INFO_BITS];
  }
  if (probe->format == FileFormat::kTiff) {
    probe->extType = tiffInput != 0 ? tiffInput
                                    : (probe->fileBits > 8 ? LFTM_EXT_TIF_LINEAR
                                                           : LFTM_EXT_TIF_GAMMA);
  }
  probe->kind = input_kind(probe->extType, infoResult);
  const int32_t* slots = probe->info.infos;
  if (slots[LFTM_INFO_WIDTH] < 1 || slots[LFTM_INFO_HEIGHT] < 1) return LFTM_ERR_INFO;
  return 0;
}

}  // namespace lftm
