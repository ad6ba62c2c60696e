// SPDX-License-Identifier: BSD-3-Clause
// lftm_file_format, lftm_photo_probe and lftm_photo_open: a photograph's kind and header, and
// its pixels decoded whole by the drivers' readers.
#include <cstring>

#include "host/file_format.h"
#include "imageio/rgbe_reader.h"
#include "photo/photo.h"
#include "photo/photo_read.h"

namespace lftm {
namespace {

int32_t format_code(FileFormat format, int32_t kind) {
  switch (format) {
    case FileFormat::kRadiance: return LFTM_FORMAT_RADIANCE;
    case FileFormat::kOpenExr: return LFTM_FORMAT_OPENEXR;
    case FileFormat::kTiff: return kind == kExtTiffFloat ? LFTM_FORMAT_TIFF_FLOAT
                                                         : LFTM_FORMAT_TIFF_16;
    case FileFormat::kUnknown: break;
  }
  return 0;
}

// A Radiance header names its primaries in its own line; the others carry none.
void read_primaries(const char* path, lftm_photo_info* info) {
  float primaries[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  HdrFileInfo header = {};
  rgbe_read_header(path, primaries, &header);
  info->has_primaries = header.infos[LFTM_INFO_PRIMARIES] == 32 ? 1 : 0;
  std::memcpy(info->primaries, primaries, sizeof primaries);
}

// What the header says, also as far as it was read when the probe failed.
void fill_info(const char* path, const FileProbe& probe, int32_t probed, lftm_photo_info* info) {
  std::memset(info, 0, sizeof *info);
  info->struct_size = sizeof *info;
  info->format = format_code(probe.format, probe.kind);
  const int32_t* slots = probe.info.infos;
  if (probe.format == FileFormat::kTiff) {
    const int32_t layout[4] = {slots[2], slots[3], slots[6], slots[7]};
    std::memcpy(info->tiff_layout, layout, sizeof layout);
  }
  if (probed < 0) return;
  info->ext_type = probe.extType;
  info->width = info->full_width = slots[0];
  info->height = info->full_height = slots[1];
  info->channels = probe.spp;
  if (probe.format == FileFormat::kRadiance) {
    read_primaries(path, info);
  } else {
    info->file_channels = probe.fileChannels;
    info->file_bits = probe.fileBits;
  }
}

bool tiff_input_ok(int32_t tiffInput) {
  return tiffInput == 0 || tiffInput == LFTM_EXT_TIF_LINEAR || tiffInput == LFTM_EXT_TIF_GAMMA;
}

}  // namespace

int32_t probe_photo(const char* path, int32_t tiffInput, SiblingSet* siblings,
                    lftm_photo* photo) {
  if (path == nullptr || !tiff_input_ok(tiffInput)) return LFTM_ERR_ARGUMENT;
  FileProbe probe;
  const int32_t probed = probe_file(path, tiffInput, siblings, &probe);
  fill_info(path, probe, probed, &photo->info);
  photo->kind = probe.kind;
  return probed;
}

int32_t open_photo(const char* path, int32_t tiffInput, lftm_photo* photo) {
  SiblingSet siblings;
  const int32_t probed = probe_photo(path, tiffInput, &siblings, photo);
  if (probed < 0) return probed;
  const int32_t read = read_photo_pixels(path, siblings, photo);
  return read < 0 ? read : settle_photo(photo);
}

int32_t hand_over(lftm_photo* made, int32_t result, lftm_photo** photo) {
  if (result < 0) {
    delete made;
    return result;
  }
  *photo = made;
  return 0;
}

}  // namespace lftm

extern "C" int32_t lftm_file_format(const char* path) {
  if (path == nullptr) return 0;
  const lftm::FileFormat format = lftm::detect_file_format(path);
  return format == lftm::FileFormat::kTiff ? LFTM_FORMAT_TIFF_16
                                           : lftm::format_code(format, 0);
}

extern "C" int32_t lftm_photo_probe(const char* path, int32_t tiff_input,
                                    lftm_photo_info* info) {
  if (info == nullptr || info->struct_size < sizeof(lftm_photo_info)) return LFTM_ERR_ARGUMENT;
  lftm_photo probed;
  lftm::SiblingSet siblings;
  const int32_t result = lftm::probe_photo(path, tiff_input, &siblings, &probed);
  // Refused before the header was looked at, the record is still the caller's to reuse.
  probed.info.struct_size = sizeof(lftm_photo_info);
  *info = probed.info;
  return result;
}

extern "C" int32_t lftm_photo_open(const char* path, int32_t tiff_input, lftm_photo** photo) {
  return lftm::make_photo(photo, [&](lftm_photo* made) {
    return lftm::open_photo(path, tiff_input, made);
  });
}
