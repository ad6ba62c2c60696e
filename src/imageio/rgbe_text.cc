#include "imageio/rgbe_text.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/c_locale.h"
#include "platform/sizes.h"

namespace lftm {
namespace {

const char* skip_space(const char* p) {
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

// A decimal integer after optional white space, as "%d" reads it.
bool read_int(const char** p, int* value) {
  const char* s = skip_space(*p);
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (end == s) return false;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  *value = static_cast<int>(v);
  *p = end;
  return true;
}

}  // namespace

long long rgbe_least_data_bytes(int width, int height, bool runLength) {
  if (!runLength) return 4LL * width * height;
  // A component row costs at least two bytes for every 127 pixels (one longest run each),
  // and every row starts with its 4-byte header.
  const long long runs = (width + 126LL) / 127;
  return height * (4 + 4 * 2 * runs);
}

bool match_resolution(const char* text, int* height, int* width) {
  const char* p = text;
  if (p[0] != '-' || p[1] != 'Y') return false;
  p += 2;
  int h = 0;
  if (!read_int(&p, &h)) return false;
  p = skip_space(p);
  if (p[0] != '+' || p[1] != 'X') return false;
  p += 2;
  int w = 0;
  if (!read_int(&p, &w)) return false;
  *height = h;
  *width = w;
  return true;
}

int match_primaries(const char* text, float values[8]) {
  static const char kPrefix[] = "PRIMARIES=";
  if (std::strncmp(text, kPrefix, sizeof kPrefix - 1) != 0) return kNoPrimaries;
  const char* p = text + sizeof kPrefix - 1;
  int matched = 0;
  while (matched < 8) {
    const char* s = skip_space(p);
    char* end = nullptr;
    // The numbers of a header are written with a period, so they are read in the C locale.
    float v = strtof_l(s, &end, c_numeric_locale());
    if (end == s) break;
    values[matched++] = v;
    p = end;
  }
  return matched;
}

bool rgbe_size_ok(int width, int height) { return image_size_ok(width, height); }

long long rgbe_file_length(std::FILE* file, int slot) {
  if (slot != kRgbeLongFile) return slot;
  long long length = -1;
  if (fseeko(file, 0, SEEK_END) == 0) length = ftello(file);
  if (fseeko(file, 0, SEEK_SET) != 0) return -1;
  return length;
}

bool read_header_line(std::FILE* file, char* line) {
  return std::fgets(line, kRgbeLineMax + 1, file) != nullptr;
}

}  // namespace lftm
