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

}  // namespace lftm

#endif  // LFTM_PLATFORM_DIAG_H_
