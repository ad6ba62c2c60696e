// SPDX-License-Identifier: BSD-3-Clause
#include "booster/attenuate/log_store.h"

#include <cstring>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/scratch_file.h"

namespace lftm {

int save_log_pyramid(const float* buf, size_t count, bool toFile, const char* path, void* raw) {
  const size_t bytes = count * sizeof(float);
  if (!toFile) {
    std::memcpy(raw, buf, bytes);
    return 0;
  }
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    diag_out("can not open temporary file\n");
    return LFTM_ERR_FILE;
  }
  const int written = write_quarters(file, buf, bytes);
  // A failed close can mean that buffered data never reached the disk.
  const bool closed = std::fclose(file) == 0;
  if (written != 4 || !closed) {
    diag_out("could not write to temporary file\n");
    return LFTM_ERR_IO;
  }
  return 0;
}

LogRows::~LogRows() { close(); }

void LogRows::use_memory(const float* level, int w, int h) {
  close();
  level_ = level;
  w_ = w;
  h_ = h;
}

int LogRows::open_file(const char* path, size_t offset, int w, int h) {
  close();
  w_ = w;
  h_ = h;
  if (!rows_.allocate(3 * static_cast<size_t>(w))) return LFTM_ERR_NO_MEMORY;
  diag_out("tempFile :%s\n", path);
  file_ = std::fopen(path, "rb");
  if (file_ == nullptr) {
    diag_out("can not open temporary file\n");
    close();
    return LFTM_ERR_FILE;
  }
  if (!seek_to(file_, static_cast<long long>(offset * sizeof(float)))) {
    close();
    return LFTM_ERR_FILE;
  }
  window_ = RowWindow(rows_.get(), w, h);
  return 0;
}

int LogRows::advance(int y) {
  if (file_ == nullptr) return 0;
  const size_t rowBytes = static_cast<size_t>(w_) * sizeof(float);
  int items = 4;
  auto fill_first = [&](float* dst, int rows) {
    items = read_quarters(file_, dst, rowBytes * static_cast<size_t>(rows));
    return items == 4;
  };
  auto load = [&](int, float* dst) {
    items = read_quarters(file_, dst, rowBytes);
    return items == 4;
  };
  if (window_.advance(y, fill_first, load)) return 0;
  if (y == 0) {
    diag_out("can not read temporary file at 0 - returned %d instead of 4\n", items);
  } else {
    diag_out("can not read temporary file at %d - returned %d instead of 4\n", y, items);
  }
  close();
  return LFTM_ERR_IO;
}

const float* LogRows::up(int y) const {
  if (level_ != nullptr) return y == 0 ? nullptr : level_ + static_cast<size_t>(y - 1) * w_;
  return window_.up(y);
}

const float* LogRows::current(int y) const {
  if (level_ != nullptr) return level_ + static_cast<size_t>(y) * w_;
  return window_.current(y);
}

const float* LogRows::down(int y) const {
  if (level_ != nullptr) {
    return y >= h_ - 1 ? nullptr : level_ + static_cast<size_t>(y + 1) * w_;
  }
  return window_.down(y);
}

void LogRows::close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  rows_.release();
  level_ = nullptr;
}

}  // namespace lftm
