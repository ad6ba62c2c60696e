// SPDX-License-Identifier: BSD-3-Clause
#include "merge/merge_report.h"

#include <cstdarg>
#include <cstdio>

#include "platform/diag.h"

namespace lftm {

MergeReport::MergeReport(char* message, size_t size) : message_(message), size_(size) {
  if (message_ != nullptr && size_ > 0) message_[0] = '\0';
}

int32_t MergeReport::fail(int32_t code, const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  diag_err("lftm merge: %s\n", line);
  if (message_ != nullptr && size_ > 0) std::snprintf(message_, size_, "%s", line);
  return code;
}

void MergeReport::warn(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  diag_err("lftm merge: warning: %s\n", line);
}

}  // namespace lftm
