#include "platform/diag.h"

#include <locale.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

namespace lftm {
namespace {

struct SinkSlot {
  DiagSink sink = nullptr;
  void* context = nullptr;
};

std::mutex g_sink_mutex;
SinkSlot g_sink;
std::atomic<bool> g_has_sink{false};

// Diagnostic numbers are written with a period whatever locale the host has set.
locale_t c_numeric_locale() {
  static locale_t loc = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
  return loc;
}

class CNumericScope {
 public:
  CNumericScope() : previous_(c_numeric_locale() != nullptr ? uselocale(c_numeric_locale())
                                                            : nullptr) {}
  ~CNumericScope() {
    if (previous_ != nullptr) uselocale(previous_);
  }
  CNumericScope(const CNumericScope&) = delete;
  CNumericScope& operator=(const CNumericScope&) = delete;

 private:
  locale_t previous_;
};

void emit(DiagStream stream, const char* format, va_list args) {
  CNumericScope c_numbers;
  if (!g_has_sink.load(std::memory_order_acquire)) {
    std::vfprintf(stream == DiagStream::kOut ? stdout : stderr, format, args);
    return;
  }
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return;
  std::string text;
  if (static_cast<size_t>(n) >= sizeof small) {
    text.resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(n));
  } else {
    text.assign(small, static_cast<size_t>(n));
  }
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  if (g_sink.sink != nullptr) {
    g_sink.sink(stream, text.c_str(), g_sink.context);
  } else {
    std::fputs(text.c_str(), stream == DiagStream::kOut ? stdout : stderr);
  }
}

}  // namespace

void diag_out(const char* format, ...) {
  va_list args;
  va_start(args, format);
  emit(DiagStream::kOut, format, args);
  va_end(args);
}

void diag_err(const char* format, ...) {
  va_list args;
  va_start(args, format);
  emit(DiagStream::kErr, format, args);
  va_end(args);
}

void set_diag_sink(DiagSink sink, void* context) {
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  g_sink.sink = sink;
  g_sink.context = context;
  g_has_sink.store(sink != nullptr, std::memory_order_release);
}

}  // namespace lftm
