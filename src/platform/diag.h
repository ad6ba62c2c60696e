// SPDX-License-Identifier: BSD-3-Clause
// Diagnostic lines of the library. Every line the library prints goes through diag_out or
// diag_err, so that a host, the command-line tool or a test can route them in one place.
#ifndef LFTM_PLATFORM_DIAG_H_
#define LFTM_PLATFORM_DIAG_H_

namespace lftm {

enum class DiagStream { kOut = 1, kErr = 2 };

// Receives each formatted piece of text; `stream` says where it would have gone.
using DiagSink = void (*)(DiagStream stream, const char* text, void* context);

// printf-style; to standard output unless a sink is installed.
void diag_out(const char* format, ...) __attribute__((format(printf, 1, 2)));
// printf-style; to standard error unless a sink is installed.
void diag_err(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Installs a sink for the whole process (null restores the standard streams).
void set_diag_sink(DiagSink sink, void* context);

// While an object of this class lives on a thread, that thread's text reaches the sink (or
// standard stream) in whole lines only: a piece is held until a later piece ends its line,
// and what is still held goes out when the object is destroyed (or, to keep the order of the
// two streams, when the thread writes to the other stream). The worker threads hold one for
// their whole run, so that lines printed in pieces by several workers never mix; elsewhere
// text goes out at once, as printed.
class DiagWholeLines {
 public:
  DiagWholeLines();
  ~DiagWholeLines();
  DiagWholeLines(const DiagWholeLines&) = delete;
  DiagWholeLines& operator=(const DiagWholeLines&) = delete;

 private:
  bool was_on_;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_DIAG_H_
