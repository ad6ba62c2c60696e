// SPDX-License-Identifier: BSD-3-Clause
// Line-by-line access to a settings file for the sidecar reader. Line ends are found one
// byte at a time; each line is then read back whole, together with the byte that follows it,
// into a fixed 256-byte buffer. A line that would not fit ends the scan, so the buffer is
// never overrun whatever the file holds.
#ifndef LFTM_SETTINGS_SIDECAR_LINES_H_
#define LFTM_SETTINGS_SIDECAR_LINES_H_

#include <cstdint>
#include <cstdio>

namespace lftm {

constexpr int kSidecarLineCapacity = 256;

struct SidecarLines {
  std::FILE* file = nullptr;
  int64_t last_index = -1;  // index of the file's last byte, which is never read
  int64_t counted = 0;      // bytes counted while looking for line ends
  int64_t line_start = 0;   // where the current line begins
  int length = 0;           // bytes held in `line`: the line, its LF and one byte more
  char line[kSidecarLineCapacity];
};

enum class LineResult {
  kLine,       // `line` holds the next line
  kEnd,        // no further line that can be read (an ordinary end)
  kReadError,  // a line could not be read back whole
  kSeekError
};

// While the namespace is searched, a line also ends the search when its end lies too close
// to the end of the file; afterwards only its start counts.
enum class LineLimit { kNamespaceSearch, kSettings };

// Opens the file and measures it. Returns false (nothing left open) when it cannot be opened
// or a seek fails.
bool open_sidecar(const char* path, SidecarLines* lines);
void close_sidecar(SidecarLines* lines);

// Finds the next line and reads it back into `line`.
LineResult next_sidecar_line(SidecarLines* lines, LineLimit limit);

// Moves past the line that was read back.
LineResult finish_sidecar_line(SidecarLines* lines);

}  // namespace lftm

#endif  // LFTM_SETTINGS_SIDECAR_LINES_H_
