// SPDX-License-Identifier: BSD-3-Clause
#include "settings/sidecar_lines.h"

#include <sys/types.h>

#include "platform/input_file.h"

namespace lftm {

bool open_sidecar(const char* path, SidecarLines* lines) {
  if (path == nullptr) return false;
  std::FILE* file = open_regular_file(path);
  if (file == nullptr) return false;
  off_t size = -1;
  if (fseeko(file, 0, SEEK_END) == 0) size = ftello(file);
  if (size < 0 || fseeko(file, 0, SEEK_SET) != 0) {
    std::fclose(file);
    return false;
  }
  lines->file = file;
  lines->last_index = static_cast<int64_t>(size) - 1;
  lines->counted = 0;
  lines->line_start = 0;
  lines->length = 0;
  return true;
}

void close_sidecar(SidecarLines* lines) {
  if (lines->file != nullptr) std::fclose(lines->file);
  lines->file = nullptr;
}

LineResult next_sidecar_line(SidecarLines* lines, LineLimit limit) {
  // Count bytes up to and including the next LF, stopping before the file's last byte.
  bool complete = false;
  while (!complete && lines->counted < lines->last_index) {
    const int c = std::getc(lines->file);
    if (c == EOF) {
      // The file got shorter while it was read: no further line can be complete.
      lines->counted = lines->last_index;
      break;
    }
    ++lines->counted;
    complete = c == '\n';
  }
  if (!complete) return LineResult::kEnd;

  const int64_t length = lines->counted - lines->line_start + 1;
  const int64_t reach =
      (limit == LineLimit::kNamespaceSearch ? lines->counted : lines->line_start) + length;
  if (length > kSidecarLineCapacity || reach > lines->last_index) return LineResult::kEnd;

  if (fseeko(lines->file, static_cast<off_t>(lines->line_start), SEEK_SET) != 0) {
    return LineResult::kSeekError;
  }
  lines->length = static_cast<int>(length);
  const size_t got = std::fread(lines->line, 1, static_cast<size_t>(length), lines->file);
  if (got < static_cast<size_t>(length)) return LineResult::kReadError;
  return LineResult::kLine;
}

LineResult finish_sidecar_line(SidecarLines* lines) {
  if (fseeko(lines->file, static_cast<off_t>(lines->counted), SEEK_SET) != 0) {
    return LineResult::kSeekError;
  }
  lines->line_start = lines->counted;
  return LineResult::kLine;
}

}  // namespace lftm
