// SPDX-License-Identifier: BSD-3-Clause
#include "image_source.h"

#include <cstring>

#include "input_check.h"
#include "messages.h"
#include "tiff_layout_codes.h"

namespace lftm_cli {
namespace {

// The format of a file, or the code that says why it cannot be read.
int32_t recognise(const std::string& path, SourceImage* image) {
  image->path = path;
  InputCheck check = check_input(path);
  image->format = check.format;
  image->detail = check.detail;
  return check.code;
}

// A TIFF the reader takes neither as 16-bit samples nor as floats: the code of its layout.
int32_t tiff_refusal(const lftm_photo_info& info) {
  HdrFileInfo slots = {};
  slots.infos[LFTM_INFO_SPP] = info.tiff_layout[0];
  slots.infos[LFTM_INFO_BITS] = info.tiff_layout[1];
  slots.infos[LFTM_INFO_PHOTOMETRIC] = info.tiff_layout[2];
  slots.infos[LFTM_INFO_SAMPLE_FORMAT] = info.tiff_layout[3];
  return tiff_layout_code(slots);
}

void take_info(const lftm_photo_info& info, SourceImage* image) {
  image->floatSamples = info.format == LFTM_FORMAT_TIFF_FLOAT;
  image->extType = info.ext_type;
  image->width = info.width;
  image->height = info.height;
  image->spp = info.channels;
  image->fileSpp = info.file_channels;
  image->fileBits = info.file_bits;
  image->hasPrimaries = info.has_primaries != 0;
  std::memcpy(image->primaries, info.primaries, sizeof image->primaries);
}

// The library's read failures as the tool's causes, with what it measured.
int32_t read_failure(int32_t code, SourceImage* image) {
  switch (code) {
    case LFTM_ERR_PHOTO_TRUNCATED:
      image->detail = "the pixel data ends before the last row";
      return kCauseTruncated;
    case LFTM_ERR_PHOTO_ROW_WIDTH:
      image->detail = "a run-length row announces another width than the header";
      return LFTM_ERR_READ;
    case LFTM_ERR_TOO_LARGE:
      image->detail = std::to_string(image->width) + " x " + std::to_string(image->height) +
                      " pixels";
      return code;
    case LFTM_ERR_NO_MEMORY: {
      const int64_t pixels = static_cast<int64_t>(image->width) * image->height;
      const bool rgbe = image->format != InputFormat::kTiff || image->floatSamples;
      image->detail = byte_count_text(rgbe ? 4 * pixels : 2 * pixels * image->spp) +
                      " for the pixels";
      return kCauseNoMemory;
    }
    default: return code;
  }
}

}  // namespace

int32_t tiff_input_of(TiffEncoding encoding) {
  switch (encoding) {
    case TiffEncoding::kLinear: return LFTM_EXT_TIF_LINEAR;
    case TiffEncoding::kGamma: return LFTM_EXT_TIF_GAMMA;
    case TiffEncoding::kAuto: break;
  }
  return 0;
}

int32_t probe_image(const std::string& path, TiffEncoding encoding, SourceImage* image) {
  const int32_t known = recognise(path, image);
  if (known < 0) return known;
  lftm_photo_info info;
  std::memset(&info, 0, sizeof info);
  info.struct_size = sizeof info;
  const int32_t result = lftm_photo_probe(path.c_str(), tiff_input_of(encoding), &info);
  if (result == LFTM_ERR_IO && image->format == InputFormat::kTiff) return tiff_refusal(info);
  if (result < 0) return result;
  take_info(info, image);
  return 0;
}

int32_t open_photo(const std::string& path, TiffEncoding encoding, SourceImage* image,
                   lftm_photo** photo) {
  const int32_t probed = probe_image(path, encoding, image);
  if (probed < 0) return probed;
  const int32_t result = lftm_photo_open(path.c_str(), tiff_input_of(encoding), photo);
  return result < 0 ? read_failure(result, image) : 0;
}

int32_t open_reduced_photo(SourceImage* image, TiffEncoding encoding, int32_t width,
                           int32_t height, lftm_photo** photo) {
  const int32_t result = lftm_photo_open_reduced(image->path.c_str(), tiff_input_of(encoding),
                                                 width, height, photo);
  return result < 0 ? read_failure(result, image) : 0;
}

}  // namespace lftm_cli
