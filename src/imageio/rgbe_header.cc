// The header parser: finds the resolution line and the optional chromaticities.
#include <cstdio>

#include "imageio/rgbe_reader.h"
#include "imageio/rgbe_text.h"

namespace lftm {
namespace {

// Chromaticities assumed when the header names none.
constexpr float kDefaultPrimaries[8] = {0.648431f, 0.330856f, 0.321152f, 0.597871f,
                                        0.155886f, 0.066044f, 0.3101f,   0.3162f};

}  // namespace

int rgbe_read_header(const char* path, float primaries[8], HdrFileInfo* info) {
  float prim[8];
  for (int i = 0; i < 8; ++i) prim[i] = kDefaultPrimaries[i];
  int width = 0;
  int height = 0;

  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return LFTM_ERR_RGBE_OPEN;
  long long length = -1;
  if (fseeko(file, 0, SEEK_END) == 0) length = ftello(file);
  if (length < 0 || fseeko(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return LFTM_ERR_RGBE_SEEK;
  }

  const int lines = rgbe_header_line_count(length);
  int found = -1;
  char line[kRgbeLineMax + 1];
  for (int i = 0; i < lines; ++i) {
    if (!read_header_line(file, line)) {
      std::fclose(file);
      return LFTM_ERR_RGBE_SHORT;
    }
    float values[8];
    int matched = match_primaries(line, values);
    if (matched == 8) info->infos[6] = 32;
    for (int k = 0; k < matched; ++k) prim[k] = values[k];
    if (match_resolution(line, &height, &width)) {
      found = i;
      break;
    }
  }
  std::fclose(file);

  // A size that is zero, negative or too large for the library's buffers is no usable size.
  if (found < 0 || !rgbe_size_ok(width, height)) return LFTM_ERR_RGBE_NO_SIZE;

  info->infos[0] = width;
  info->infos[1] = height;
  info->infos[2] = length > 0x7fffffffLL ? 0x7fffffff : static_cast<int>(length);
  for (int k = 0; k < 8; ++k) primaries[k] = info->infos[6] > 0 ? prim[k] : 0.0f;
  return found;
}

}  // namespace lftm
