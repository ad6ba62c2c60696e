// SPDX-License-Identifier: BSD-3-Clause
#include "platform/own_output_hdr.h"

#include <cstdint>
#include <cstring>

#include "platform/own_output.h"

namespace lftm {
namespace {

constexpr char kExrMagic[] = "\x76\x2f\x31\x01";
constexpr size_t kExrAttributesStart = 8;  // magic and version

// The NUL-terminated text at `*at`, which moves past it; false when the head ends first.
bool take_text(const std::string& head, size_t* at, std::string* text) {
  const size_t end = head.find('\0', *at);
  if (end == std::string::npos) return false;
  *text = head.substr(*at, end - *at);
  *at = end + 1;
  return true;
}

uint32_t little_u32(const std::string& head, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) {
    v |= static_cast<uint32_t>(static_cast<uint8_t>(head[at + i])) << (8 * i);
  }
  return v;
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool exr_has_mark(const std::string& head) {
  if (head.size() < kExrAttributesStart || !starts_with(head, std::string(kExrMagic, 4))) {
    return false;
  }
  // Attributes: name, type name, a 32-bit size and the value, until an empty name.
  size_t at = kExrAttributesStart;
  std::string name, type;
  while (take_text(head, &at, &name) && !name.empty() && take_text(head, &at, &type)) {
    if (at + 4 > head.size()) return false;
    const uint32_t size = little_u32(head, at);
    at += 4;
    if (size > head.size() - at) return false;
    if (name == kExrSoftwareAttribute && type == "string") {
      return size == std::strlen(kDefaultSoftware) && head.compare(at, size, kDefaultSoftware) == 0;
    }
    at += size;
  }
  return false;
}

bool radiance_has_mark(const std::string& head) {
  if (!starts_with(head, "#?")) return false;
  const std::string mark = std::string("SOFTWARE=") + kDefaultSoftware;
  size_t at = head.find('\n');
  while (at != std::string::npos && at + 1 < head.size() && head[at + 1] != '\n') {
    const size_t end = head.find('\n', at + 1);
    const std::string line = head.substr(at + 1, end == std::string::npos ? end : end - at - 1);
    if (line == mark || starts_with(line, mark + " ")) return true;
    at = end;
  }
  return false;
}

}  // namespace lftm
