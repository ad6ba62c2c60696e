// SPDX-License-Identifier: BSD-3-Clause
// The library's diagnostic lines in the tests: collected, or silenced.
#ifndef LFTM_TESTS_SUPPORT_DIAG_CAPTURE_H_
#define LFTM_TESTS_SUPPORT_DIAG_CAPTURE_H_

#include <string>

#include "platform/diag.h"

namespace lftm_test {

// Collects everything the library prints while it lives.
class DiagCapture {
 public:
  DiagCapture();
  ~DiagCapture();
  DiagCapture(const DiagCapture&) = delete;
  DiagCapture& operator=(const DiagCapture&) = delete;
  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }

 private:
  static void sink(lftm::DiagStream stream, const char* text, void* context);
  std::string out_;
  std::string err_;
};

// Silences the library's diagnostic lines while it lives (nothing is kept, so concurrent
// runs may print as much as they like).
class QuietDiagnostics {
 public:
  QuietDiagnostics();
  ~QuietDiagnostics();
  QuietDiagnostics(const QuietDiagnostics&) = delete;
  QuietDiagnostics& operator=(const QuietDiagnostics&) = delete;
};

// Number of occurrences of `needle` in `text`.
int count_of(const std::string& text, const std::string& needle);

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_DIAG_CAPTURE_H_
