// SPDX-License-Identifier: BSD-3-Clause
// The copy of the log-luminance pyramid that the divergence reads back: kept in the caller's
// raw buffer in memory mode, or in a scratch file in disk mode, from which each level is
// streamed back row by row through a three-row buffer.
#ifndef LFTM_BOOSTER_ATTENUATE_LOG_STORE_H_
#define LFTM_BOOSTER_ATTENUATE_LOG_STORE_H_

#include <cstddef>
#include <cstdio>

#include "platform/heap_buffer.h"
#include "booster/attenuate/row_window.h"

namespace lftm {

// Saves the first `count` floats of buf: to `raw` in memory mode, else to the file at `path`
// (written as four quarters). Returns 0, -1 when the file cannot be created, -2 when it
// cannot be written completely.
int save_log_pyramid(const float* buf, size_t count, bool toFile, const char* path, void* raw);

// Rows y-1, y, y+1 of one level of the saved log-luminance pyramid.
class LogRows {
 public:
  LogRows() = default;
  ~LogRows();
  LogRows(const LogRows&) = delete;
  LogRows& operator=(const LogRows&) = delete;

  // Rows read straight from the copy in memory.
  void use_memory(const float* level, int w, int h);

  // Rows streamed from the scratch file: announces the path, opens it, positions it at the
  // level (`offset` floats from the start) and allocates the three-row buffer. Returns 0, -1
  // when the file cannot be opened or positioned, -4 when the buffer cannot be had.
  int open_file(const char* path, size_t offset, int w, int h);

  // Makes rows y-1..y+1 available (y = 0, 1, 2, ... in order). Returns 0, or -2 after a short
  // read (reported, file closed).
  int advance(int y);

  const float* up(int y) const;
  const float* current(int y) const;
  const float* down(int y) const;

  // Closes the file and releases the row buffer.
  void close();

 private:
  const float* level_ = nullptr;
  int w_ = 0;
  int h_ = 0;
  std::FILE* file_ = nullptr;
  HeapBuffer<float> rows_;
  RowWindow window_{nullptr, 0, 0};
};

}  // namespace lftm

#endif  // LFTM_BOOSTER_ATTENUATE_LOG_STORE_H_
