// SPDX-License-Identifier: BSD-3-Clause
// lftm_set_message_sink: the process-wide routing of diagnostic lines, handed to the host in
// whole lines although the library prints them in pieces.
#include <mutex>
#include <string>

#include "lftm_host.h"
#include "platform/diag.h"

namespace lftm {
namespace {

struct LineSink {
  lftm_message_fn message = nullptr;
  void* user = nullptr;
  std::string partial[2];  // the unfinished line of each stream
};

// The diag sink calls in under its own lock, one piece at a time; hosts that change the sink
// from several threads take turns on g_lines_mutex.
LineSink g_lines;
std::mutex g_lines_mutex;

void take_piece(DiagStream stream, const char* text, void* context) {
  auto* sink = static_cast<LineSink*>(context);
  const int32_t s = static_cast<int32_t>(stream);
  std::string& partial = sink->partial[s - 1];
  partial += text;
  size_t begin = 0;
  for (size_t end = partial.find('\n'); end != std::string::npos;
       end = partial.find('\n', begin)) {
    sink->message(sink->user, s, partial.substr(begin, end - begin).c_str());
    begin = end + 1;
  }
  partial.erase(0, begin);
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_set_message_sink(lftm_message_fn message, void* user) {
  using lftm::g_lines;
  const std::lock_guard<std::mutex> turn(lftm::g_lines_mutex);
  lftm::set_diag_sink(nullptr, nullptr);
  for (int32_t s = 1; s <= 2; ++s) {
    std::string& partial = g_lines.partial[s - 1];
    if (!partial.empty() && g_lines.message != nullptr) {
      g_lines.message(g_lines.user, s, partial.c_str());
    }
    partial.clear();
  }
  g_lines.message = message;
  g_lines.user = user;
  if (message != nullptr) lftm::set_diag_sink(&lftm::take_piece, &g_lines);
  return 0;
}
