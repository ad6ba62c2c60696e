#include "input_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "lftm_host.h"
#include "messages.h"

namespace lftm_cli {
namespace {

// A Radiance header with its resolution line fits easily in this many bytes.
constexpr size_t kHeadBytes = 65536;

struct Head {
  std::vector<unsigned char> bytes;
  int64_t fileBytes = 0;
};

// Opens the file and reads its first bytes, or says why it cannot (the library's causes).
int32_t read_head(const std::string& path, Head* head, std::string* detail) {
  const int32_t unreadable = lftm_check_input(path.c_str());
  if (unreadable == LFTM_ERR_INPUT_CANNOT_OPEN) *detail = std::strerror(errno);
  if (unreadable < 0) return unreadable;
  // Checked as a regular file just now; O_NONBLOCK keeps a pipe put in its place meanwhile
  // from blocking, and reads it as empty.
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) {
    *detail = std::strerror(errno);
    if (fd >= 0) close(fd);
    return LFTM_ERR_INPUT_CANNOT_OPEN;
  }
  head->fileBytes = static_cast<int64_t>(st.st_size);
  head->bytes.resize(kHeadBytes);
  size_t got = 0;
  while (got < kHeadBytes) {
    ssize_t n = read(fd, head->bytes.data() + got, kHeadBytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *detail = std::strerror(errno);
      close(fd);
      return LFTM_ERR_INPUT_CANNOT_OPEN;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  close(fd);
  head->bytes.resize(got);
  return got == 0 ? LFTM_ERR_INPUT_EMPTY : 0;
}

bool starts_with(const std::vector<unsigned char>& bytes, const char* magic, size_t length) {
  return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

bool looks_like_text(const std::vector<unsigned char>& bytes) {
  size_t n = bytes.size() < 4096 ? bytes.size() : 4096;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = bytes[i];
    if (c < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f') return false;
  }
  return true;
}

// What a file of none of the three kinds seems to be, by its first bytes.
const char* other_kind_name(const std::vector<unsigned char>& bytes) {
  if (starts_with(bytes, "\x89PNG", 4)) return "a PNG image";
  if (starts_with(bytes, "\xff\xd8\xff", 3)) return "a JPEG image";
  if (starts_with(bytes, "GIF8", 4)) return "a GIF image";
  if (starts_with(bytes, "%PDF", 4)) return "a PDF document";
  if (starts_with(bytes, "PK\x03\x04", 4)) return "a ZIP archive";
  if (looks_like_text(bytes)) return "a text file";
  return "of an unknown kind";
}

std::string other_kind_detail(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::string ext = lower_extension(path);
  std::string detail = std::string("it is ") + other_kind_name(bytes);
  if (!ext.empty()) detail += " named ." + ext;
  return detail;
}

// A resolution line "[+-][XY] n [+-][XY] m" of any orientation.
struct Resolution {
  bool found = false;
  bool standard = false;   // "-Y height +X width", the only order the reader takes
  int64_t width = 0;
  int64_t height = 0;
  size_t dataStart = 0;    // offset just after the line
  std::string line;
};

bool read_number(const char** p, int64_t* value) {
  while (**p == ' ' || **p == '\t') ++*p;
  if (**p < '0' || **p > '9') return false;
  int64_t v = 0;
  while (**p >= '0' && **p <= '9') {
    if (v < std::numeric_limits<int64_t>::max() / 20) v = v * 10 + (**p - '0');
    ++*p;
  }
  *value = v;
  return true;
}

bool parse_resolution(const char* text, Resolution* res) {
  const char* p = text;
  char sign[2], axis[2];
  int64_t size[2];
  for (int k = 0; k < 2; ++k) {
    while (*p == ' ' || *p == '\t') ++p;
    if ((p[0] != '-' && p[0] != '+') || (p[1] != 'X' && p[1] != 'Y')) return false;
    sign[k] = p[0];
    axis[k] = p[1];
    p += 2;
    if (!read_number(&p, &size[k])) return false;
  }
  if (axis[0] == axis[1]) return false;
  res->found = true;
  res->standard = sign[0] == '-' && axis[0] == 'Y' && sign[1] == '+' && axis[1] == 'X';
  res->height = axis[0] == 'Y' ? size[0] : size[1];
  res->width = axis[0] == 'Y' ? size[1] : size[0];
  return true;
}

Resolution find_resolution(const std::vector<unsigned char>& bytes) {
  Resolution res;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = start;
    while (end < bytes.size() && bytes[end] != '\n') ++end;
    if (end == bytes.size()) break;  // a line cut off by the head's end
    if (end - start < 128) {
      std::string line(bytes.begin() + start, bytes.begin() + end);
      if (line.find('\0') == std::string::npos && parse_resolution(line.c_str(), &res)) {
        res.dataStart = end + 1;
        res.line = line;
        return res;
      }
    }
    start = end + 1;
  }
  return res;
}

// The Radiance checks: orientation, a size too large for the library, fewer bytes than the
// declared pixels need. The rest (a damaged header or data) is left to the reader.
int32_t check_radiance(const std::string& path, const Head& head, std::string* detail) {
  const bool magic = starts_with(head.bytes, "#?", 2);
  Resolution res = find_resolution(head.bytes);
  if (!res.found) {
    if (magic) return 0;
    *detail = other_kind_detail(path, head.bytes);
    return kCauseOtherKind;
  }
  if (!res.standard) {
    *detail = "its size line is \"" + res.line + "\"";
    return kCauseOrientation;
  }
  const std::string size = std::to_string(res.width) + " x " + std::to_string(res.height);
  if (res.width < 1 || res.height < 1) return 0;
  if (res.width > LFTM_MAX_IMAGE_PIXELS / res.height) {
    *detail = size + " pixels";
    return LFTM_ERR_TOO_LARGE;
  }
  int64_t least = least_rgbe_data_bytes(static_cast<int32_t>(res.width),
                                        static_cast<int32_t>(res.height));
  int64_t data = head.fileBytes - static_cast<int64_t>(res.dataStart);
  if (data < least) {
    *detail = size + " pixels need at least " + byte_count_text(least) + "; the file holds " +
              byte_count_text(data < 0 ? 0 : data) + " after its header";
    return kCauseTruncated;
  }
  return 0;
}

}  // namespace

int64_t least_rgbe_data_bytes(int32_t width, int32_t height) {
  const int64_t flatRow = 4 * static_cast<int64_t>(width);
  const int64_t runRow = 4 + 4 * 2 * ((static_cast<int64_t>(width) + 126) / 127);
  return (flatRow < runRow ? flatRow : runRow) * height;
}

InputCheck check_input(const std::string& path) {
  InputCheck check;
  Head head;
  check.code = read_head(path, &head, &check.detail);
  if (check.code < 0) return check;
  check.format = detect_input_format(path);
  if (check.format == InputFormat::kUnknown) {
    check.detail = other_kind_detail(path, head.bytes);
    check.code = kCauseOtherKind;
  } else if (check.format == InputFormat::kRadiance) {
    check.code = check_radiance(path, head, &check.detail);
  }
  return check;
}

}  // namespace lftm_cli
