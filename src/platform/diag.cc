// SPDX-License-Identifier: BSD-3-Clause
#include "platform/diag.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/c_locale.h"
#include "platform/run_context.h"

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

// The text of one diag call; false when the format cannot be rendered.
bool format_text(const char* format, va_list args, std::string* text) {
  va_list copy;
  va_copy(copy, args);
  char small[512];
  int n = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (n < 0) return false;
  if (static_cast<size_t>(n) >= sizeof small) {
    text->resize(static_cast<size_t>(n) + 1);
    std::vsnprintf(&(*text)[0], text->size(), format, args);
    text->resize(static_cast<size_t>(n));
  } else {
    text->assign(small, static_cast<size_t>(n));
  }
  return true;
}

std::FILE* standard_stream(DiagStream stream) {
  return stream == DiagStream::kOut ? stdout : stderr;
}

// A host call that routes its messages takes them from every thread of the call; otherwise
// they go to the process's sink or standard stream.
RunContext* routing_run() {
  RunContext* run = current_run();
  return run != nullptr && run->takes_messages() ? run : nullptr;
}

// Set while this thread runs the process's sink.
thread_local bool t_in_sink = false;

void deliver(DiagStream stream, const char* text) {
  if (RunContext* run = routing_run()) {
    run->take_text(stream, text);
    return;
  }
  // A sink that calls the library (a host's receiver) would wait for its own lock: what it
  // prints goes to the standard stream.
  if (t_in_sink) {
    std::fputs(text, standard_stream(stream));
    return;
  }
  std::lock_guard<std::mutex> lock(g_sink_mutex);
  if (g_sink.sink != nullptr) {
    t_in_sink = true;
    g_sink.sink(stream, text, g_sink.context);
    t_in_sink = false;
  } else {
    std::fputs(text, standard_stream(stream));
  }
}

// The text a thread under DiagWholeLines holds back until its line ends.
struct HeldLine {
  bool on = false;
  DiagStream stream = DiagStream::kOut;
  std::string text;
};

thread_local HeldLine t_held;

void release_held(HeldLine* held) {
  if (!held->text.empty()) deliver(held->stream, held->text.c_str());
  held->text.clear();
}

// Adds `text` to what the thread holds and sends every line that is now complete.
void hold_until_line_ends(DiagStream stream, const std::string& text) {
  HeldLine& held = t_held;
  if (held.stream != stream) release_held(&held);
  held.stream = stream;
  held.text += text;
  const size_t last = held.text.rfind('\n');
  if (last == std::string::npos) return;
  if (last + 1 == held.text.size()) {
    release_held(&held);
    return;
  }
  deliver(stream, held.text.substr(0, last + 1).c_str());
  held.text.erase(0, last + 1);
}

void emit(DiagStream stream, const char* format, va_list args) {
  CNumericScope c_numbers;
  if (!t_held.on && !g_has_sink.load(std::memory_order_acquire) && routing_run() == nullptr) {
    std::vfprintf(standard_stream(stream), format, args);
    return;
  }
  std::string text;
  if (!format_text(format, args, &text)) return;
  if (t_held.on) {
    hold_until_line_ends(stream, text);
  } else {
    deliver(stream, text.c_str());
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

DiagWholeLines::DiagWholeLines() : was_on_(t_held.on) { t_held.on = true; }

DiagWholeLines::~DiagWholeLines() {
  if (!was_on_) release_held(&t_held);
  t_held.on = was_on_;
}

}  // namespace lftm
