// SPDX-License-Identifier: BSD-3-Clause
#include "platform/own_output.h"

#include "platform/own_output_hdr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace lftm {
namespace {

// The writers put their metadata segments right after the JPEG's first markers; a settings
// packet is a few kilobytes, an EXIF block at most one segment.
constexpr size_t kJpegHead = 256 * 1024;
// An OpenEXR or Radiance header that lftm wrote is a few hundred bytes.
constexpr size_t kHdrHead = 64 * 1024;
// Longer texts are not the writers' own.
constexpr uint64_t kLongestText = 1 << 20;
// A first directory with more entries than this is not one the writers made.
constexpr uint64_t kMostEntries = 1024;

constexpr uint16_t kTagSoftware = 305;
constexpr uint16_t kTagXmpPacket = 700;
constexpr uint16_t kTypeByte = 1, kTypeAscii = 2, kTypeUndefined = 7;

constexpr char kExifHeader[] = "Exif\0";  // with the terminating NUL: six bytes
constexpr char kXmpHeader[] = "http://ns.adobe.com/xap/1.0/";  // and its NUL
constexpr char kNamespaceMark[] = "xmlns:lftm=";

// Bytes of a file (fd >= 0) or of a block in memory, read by position.
struct ByteSource {
  int fd = -1;
  std::string_view memory;

  bool read(uint64_t at, uint64_t count, std::string* out) const {
    if (count > kLongestText) return false;
    if (fd < 0) {
      if (at > memory.size() || count > memory.size() - at) return false;
      out->assign(memory.substr(static_cast<size_t>(at), static_cast<size_t>(count)));
      return true;
    }
    out->resize(static_cast<size_t>(count));
    size_t done = 0;
    while (done < count) {
      const ssize_t got = pread(fd, &(*out)[done], count - done, static_cast<off_t>(at + done));
      if (got <= 0) return false;
      done += static_cast<size_t>(got);
    }
    return true;
  }
};

// What counts as lftm's mark in a Software text or a settings packet.
struct Marks {
  const char* software;  // the caller's text, or null

  bool software_matches(std::string text) const {
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text == kDefaultSoftware || (software != nullptr && text == software);
  }
  static bool packet_matches(const std::string& packet) {
    return packet.find(kNamespaceMark) != std::string::npos;
  }
};

// Unsigned integers of either byte order.
struct ByteOrder {
  bool little;
  uint64_t get(const std::string& bytes, size_t at, size_t width) const {
    uint64_t v = 0;
    for (size_t i = 0; i < width; ++i) {
      const uint64_t b = static_cast<uint8_t>(bytes[at + (little ? i : width - 1 - i)]);
      v |= b << (8 * i);
    }
    return v;
  }
};

// The widths of a classic TIFF or a BigTIFF directory.
struct TiffWidths {
  size_t count;   // the entry count
  size_t entry;   // one entry
  size_t value;   // the value or offset field of an entry
};

// Whether one directory entry holds lftm's Software text or settings packet.
bool entry_is_mark(const ByteSource& src, const ByteOrder& order, const TiffWidths& w,
                   const std::string& entry, const Marks& marks) {
  const uint64_t tag = order.get(entry, 0, 2);
  const uint64_t type = order.get(entry, 2, 2);
  const bool software = tag == kTagSoftware && type == kTypeAscii;
  const bool packet = tag == kTagXmpPacket && (type == kTypeByte || type == kTypeUndefined);
  if (!software && !packet) return false;
  // The count field is as wide as the value field in both forms.
  const uint64_t count = order.get(entry, 4, w.value);
  std::string text;
  if (count <= w.value) {
    text = entry.substr(4 + w.value, static_cast<size_t>(count));
  } else if (!src.read(order.get(entry, 4 + w.value, w.value), count, &text)) {
    return false;
  }
  return software ? marks.software_matches(text) : Marks::packet_matches(text);
}

// Looks through the first directory of a TIFF (a file, or the block inside an EXIF segment).
bool tiff_has_mark(const ByteSource& src, const Marks& marks) {
  std::string head;
  if (!src.read(0, 8, &head)) return false;
  if (head.compare(0, 2, "II") != 0 && head.compare(0, 2, "MM") != 0) return false;
  const ByteOrder order{head[0] == 'I'};
  const uint64_t magic = order.get(head, 2, 2);
  TiffWidths w{2, 12, 4};
  uint64_t directory = order.get(head, 4, 4);
  if (magic == 43) {
    if (!src.read(0, 16, &head) || order.get(head, 4, 2) != 8) return false;
    w = TiffWidths{8, 20, 8};
    directory = order.get(head, 8, 8);
  } else if (magic != 42) {
    return false;
  }
  std::string countBytes, entries;
  if (!src.read(directory, w.count, &countBytes)) return false;
  const uint64_t count = order.get(countBytes, 0, w.count);
  if (count > kMostEntries || !src.read(directory + w.count, count * w.entry, &entries)) {
    return false;
  }
  for (uint64_t i = 0; i < count; ++i) {
    const std::string entry = entries.substr(static_cast<size_t>(i * w.entry), w.entry);
    if (entry_is_mark(src, order, w, entry, marks)) return true;
  }
  return false;
}

bool starts_with(std::string_view bytes, const char* prefix, size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

// One APP1 payload: an EXIF block or an XMP packet.
bool app1_has_mark(std::string_view payload, const Marks& marks) {
  if (starts_with(payload, kExifHeader, sizeof kExifHeader)) {
    ByteSource block;
    block.memory = payload.substr(sizeof kExifHeader);
    return tiff_has_mark(block, marks);
  }
  if (starts_with(payload, kXmpHeader, sizeof kXmpHeader)) {
    return Marks::packet_matches(std::string(payload.substr(sizeof kXmpHeader)));
  }
  return false;
}

// Walks the markers of a JPEG head up to the start of the scan.
bool jpeg_has_mark(std::string_view head, const Marks& marks) {
  size_t at = 2;  // after SOI
  while (at + 4 <= head.size() && static_cast<uint8_t>(head[at]) == 0xFF) {
    const uint8_t marker = static_cast<uint8_t>(head[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) break;  // scan or end: no metadata follows
    const size_t length = (static_cast<uint8_t>(head[at + 2]) << 8) |
                          static_cast<uint8_t>(head[at + 3]);
    if (length < 2 || at + 2 + length > head.size()) break;
    if (marker == 0xE1 && app1_has_mark(head.substr(at + 4, length - 2), marks)) return true;
    at += 2 + length;
  }
  return false;
}

// Up to `size` first bytes of the file.
std::string file_head(int fd, size_t size) {
  std::string head(size, '\0');
  const ssize_t got = pread(fd, &head[0], head.size(), 0);
  head.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return head;
}

}  // namespace

bool is_own_output(const char* path, const char* software) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  const Marks marks{software};
  ByteSource file;
  file.fd = fd;
  std::string head;
  bool own = false;
  if (file.read(0, 2, &head) && head == "\xFF\xD8") {
    own = jpeg_has_mark(file_head(fd, kJpegHead), marks);
  } else if (head == "#?") {
    own = radiance_has_mark(file_head(fd, kHdrHead));
  } else if (head == "\x76\x2f") {
    own = exr_has_mark(file_head(fd, kHdrHead));
  } else {
    own = tiff_has_mark(file, marks);
  }
  close(fd);
  return own;
}

}  // namespace lftm
