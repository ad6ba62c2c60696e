// SPDX-License-Identifier: BSD-3-Clause
#include "support/diag_capture.h"

namespace lftm_test {

DiagCapture::DiagCapture() { lftm::set_diag_sink(&DiagCapture::sink, this); }
DiagCapture::~DiagCapture() { lftm::set_diag_sink(nullptr, nullptr); }

void DiagCapture::sink(lftm::DiagStream stream, const char* text, void* context) {
  auto* self = static_cast<DiagCapture*>(context);
  (stream == lftm::DiagStream::kOut ? self->out_ : self->err_) += text;
}

namespace {
void drop_line(lftm::DiagStream, const char*, void*) {}
}  // namespace

QuietDiagnostics::QuietDiagnostics() { lftm::set_diag_sink(drop_line, nullptr); }
QuietDiagnostics::~QuietDiagnostics() { lftm::set_diag_sink(nullptr, nullptr); }

int count_of(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
    ++n;
  return n;
}

}  // namespace lftm_test
