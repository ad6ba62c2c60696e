// SPDX-License-Identifier: BSD-3-Clause
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

// A decimal integer after optional white space, as "%lld" reads it.
bool read_size(const char** p, long long* value) {
  const char* s = skip_space(*p);
  char* end = nullptr;
  const long long v = std::strtoll(s, &end, 10);
  if (end == s) return false;
  *value = v;
  *p = end;
  return true;
}

// One axis of a resolution line: a sign, 'X' or 'Y', and a size.
bool read_axis(const char** p, char* sign, char* axis, long long* size) {
  const char* s = *p;
  if ((s[0] != '-' && s[0] != '+') || (s[1] != 'X' && s[1] != 'Y')) return false;
  *sign = s[0];
  *axis = s[1];
  s += 2;
  if (!read_size(&s, size)) return false;
  *p = s;
  return true;
}

// Keeps `line` as the header's resolution line, without its line feed.
void keep_size_line(const char* line, RgbeHeaderLines* header) {
  const size_t length = std::strcspn(line, "\n");  // at most kRgbeLineMax
  std::memcpy(header->sizeLine, line, length);
  header->sizeLine[length] = '\0';
}

int clamp_to_int(long long v) {
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace

long long rgbe_least_data_bytes(int width, int height, bool runLength) {
  if (!runLength) return 4LL * width * height;
  // A component row costs at least two bytes for every 127 pixels (one longest run each),
  // and every row starts with its 4-byte header.
  const long long runs = (width + 126LL) / 127;
  return height * (4 + 4 * 2 * runs);
}

long long rgbe_fewest_data_bytes(int width, int height) {
  const long long flat = rgbe_least_data_bytes(width, height, false);
  const long long runLength = rgbe_least_data_bytes(width, height, true);
  return flat < runLength ? flat : runLength;
}

bool match_any_resolution(const char* text, RgbeResolution* resolution) {
  const char* p = text;
  char sign[2], axis[2];
  long long size[2];
  if (!read_axis(&p, &sign[0], &axis[0], &size[0])) return false;
  p = skip_space(p);
  if (!read_axis(&p, &sign[1], &axis[1], &size[1]) || axis[0] == axis[1]) return false;
  const bool yFirst = axis[0] == 'Y';
  resolution->standard = yFirst && sign[0] == '-' && sign[1] == '+';
  resolution->height = yFirst ? size[0] : size[1];
  resolution->width = yFirst ? size[1] : size[0];
  return true;
}

bool match_resolution(const char* text, int* height, int* width) {
  RgbeResolution resolution;
  if (!match_any_resolution(text, &resolution) || !resolution.standard) return false;
  *height = clamp_to_int(resolution.height);
  *width = clamp_to_int(resolution.width);
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

bool scan_rgbe_header(std::FILE* file, RgbeHeaderLines* header) {
  char line[kRgbeLineMax + 1];
  for (int i = 0; i < kRgbeHeaderLines; ++i) {
    if (!read_header_line(file, line)) return std::ferror(file) == 0;
    float values[8];
    const int matched = match_primaries(line, values);
    if (matched == 8) header->allPrimaries = true;
    for (int k = 0; k < matched; ++k) header->primaries[k] = values[k];
    if (match_resolution(line, &header->height, &header->width)) {
      header->sizeIndex = i;
      header->dataStart = ftello(file);
      keep_size_line(line, header);
      return true;
    }
    RgbeResolution other;
    if (header->sizeLine[0] == '\0' && match_any_resolution(line, &other)) {
      keep_size_line(line, header);
    }
  }
  return true;
}

}  // namespace lftm
