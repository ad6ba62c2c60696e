// SPDX-License-Identifier: BSD-3-Clause
// Quick view straight from a Radiance RGBE file.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "platform/sizes.h"

extern "C" int32_t qv_from_file(int32_t outWidth, int32_t outHeight, const char* path,
                                void* dst) {
  if (path == nullptr) return LFTM_ERR_INFO;
  HdrFileInfo info{};
  float primaries[8];
  const int header = lftm::rgbe_read_header(path, primaries, &info);
  // A file too short for its declared size is refused before the image is allocated.
  if (header == LFTM_ERR_RGBE_SHORT) return LFTM_ERR_READ;
  if (header < 0) return LFTM_ERR_INFO;
  const int32_t width = info.infos[LFTM_INFO_WIDTH];
  const int32_t height = info.infos[LFTM_INFO_HEIGHT];
  if (width < 1 || height < 1) return LFTM_ERR_INFO;

  // An image whose planar bytes cannot be counted in 32 bits cannot be held either.
  size_t bytes = 0;
  if (!lftm::checked_product(4, width, height, &bytes)) return LFTM_ERR_NO_MEMORY;
  std::unique_ptr<uint8_t[]> image(new (std::nothrow) uint8_t[bytes]);
  if (!image) return LFTM_ERR_NO_MEMORY;
  if (lftm::rgbe_read_mem(path, &info, image.get()) < 0) return LFTM_ERR_READ;

  return extract_qv(LFTM_DOC_RGBE, width, height, 3, 3 * width, 3 * width, outWidth, outHeight,
                    image.get(), dst);
}
