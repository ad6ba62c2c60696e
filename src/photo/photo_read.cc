// SPDX-License-Identifier: BSD-3-Clause
// A probed photograph's pixels, read whole as the drivers read them, and the Range Squeezer's
// input and statistics made from them.
#include "frame/squeezer_tiff_input.h"
#include "imageio/rgbe_reader.h"
#include "photo/photo_read.h"

namespace lftm {
namespace {

// The Radiance readers' bare codes as the public codes that tell the cause; the sibling
// readers' codes are their own.
int32_t read_failure(int32_t extType, int32_t code) {
  if (extType != LFTM_EXT_HDR) {
    const bool siblingCode = code <= LFTM_ERR_SIB_OPEN && code >= LFTM_ERR_SIB_SIZE;
    return siblingCode ? code : LFTM_ERR_READ;
  }
  switch (code) {
    case LFTM_ERR_RGBE_SHORT:
    case -2:  // the streaming reader's short read
      return LFTM_ERR_PHOTO_TRUNCATED;
    case LFTM_ERR_RGBE_BAD_SIZE:
    case LFTM_ERR_RGBE_RUN:
    case LFTM_ERR_RGBE_LITERAL:
      return code;
    case -3: return LFTM_ERR_RGBE_BAD_SIZE;
    case -4: return LFTM_ERR_PHOTO_ROW_WIDTH;
    case -5: return LFTM_ERR_RGBE_RUN;
    case -6: return LFTM_ERR_RGBE_LITERAL;
    default: return LFTM_ERR_READ;
  }
}

}  // namespace

int32_t read_photo_pixels(const char* path, const SiblingSet& siblings, lftm_photo* photo) {
  const lftm_photo_info& info = photo->info;
  size_t bytes = 0;
  if (!image_bytes(photo->kind, info.width, info.height, info.channels, &bytes)) {
    return LFTM_ERR_TOO_LARGE;
  }
  void* pixels = nullptr;
  if (doc_type_for(photo->kind) == LFTM_DOC_RGBE) {
    photo->rgbe.resize(bytes);
    pixels = photo->rgbe.data();
  } else {
    photo->samples.resize(bytes / 2);
    pixels = photo->samples.data();
  }
  // The reader is handed the header record of this read, as the drivers hand it.
  HdrFileInfo header = {};
  int32_t spp = 3;
  if (read_image_info(info.ext_type, siblings, path, &header, &spp) < 0) return LFTM_ERR_INFO;
  float work[4];
  const int32_t read =
      read_image(photo->kind, siblings, path, header, spp, work, pixels);
  return read < 0 ? read_failure(info.ext_type, read) : 0;
}

int32_t settle_photo(lftm_photo* photo) {
  const int32_t w = photo->width(), h = photo->height(), spp = photo->spp();
  if (photo->is_rgbe()) {
    float expTable[256];
    build_exp_table(expTable);
    logMinMaxMoy(0, w, h, expTable, photo->rgbe.data(), &photo->stats);
    return 0;
  }
  photo->linear.resize(pixel_count(w, h) * spp);
  if (!squeezer_input_from_tiff(photo->info.ext_type, photo->samples.data(), w, h, spp,
                                photo->linear.data())) {
    return LFTM_ERR_NO_MEMORY;
  }
  logMinMaxMoy(spp, w, h, nullptr, photo->linear.data(), &photo->stats);
  return 0;
}

}  // namespace lftm
