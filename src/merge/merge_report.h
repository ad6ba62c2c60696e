// SPDX-License-Identifier: BSD-3-Clause
// How a merge tells what went wrong: a result code and one sentence that names the file and
// the cause, printed on the diagnostic stream and handed to the caller's buffer.
#ifndef LFTM_MERGE_MERGE_REPORT_H_
#define LFTM_MERGE_MERGE_REPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace lftm {

class MergeReport {
 public:
  // `message` (may be null) receives the sentence of a failure, cut to `size` bytes.
  MergeReport(char* message, size_t size);

  // Records the failure `code` with its sentence (printf-style) and returns `code`.
  int32_t fail(int32_t code, const char* format, ...) __attribute__((format(printf, 3, 4)));

  // A warning line: printed, the merge goes on.
  void warn(const char* format, ...) __attribute__((format(printf, 2, 3)));

 private:
  char* message_;
  size_t size_;
};

}  // namespace lftm

#endif  // LFTM_MERGE_MERGE_REPORT_H_
