// SPDX-License-Identifier: BSD-3-Clause
#include "run/run_source.h"

#include "frame/driver_io.h"

namespace lftm {

size_t decoded_bytes(const DecodedPixels& pixels) {
  const size_t area = static_cast<size_t>(pixels.width) * static_cast<size_t>(pixels.height);
  if (doc_type_for(pixels.kind) == LFTM_DOC_U16) return 2 * area * pixels.spp;
  return 4 * area;
}

RunSource file_source(int32_t extType, const char* path) {
  RunSource source;
  source.path = path;
  source.extType = extType;
  return source;
}

RunSource pixel_source(const DecodedPixels* pixels, const char* name) {
  RunSource source;
  source.path = name;
  source.extType = pixels->kind;
  source.pixels = pixels;
  return source;
}

}  // namespace lftm
