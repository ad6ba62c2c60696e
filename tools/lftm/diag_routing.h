// Where the library's diagnostic lines go while the tool runs: nowhere (the default), to the
// terminal (--verbose) or into a log file (--log FILE). The tool's own progress lines are
// derived from the library's stage lines as they pass.
#ifndef LFTM_TOOLS_DIAG_ROUTING_H_
#define LFTM_TOOLS_DIAG_ROUTING_H_

#include <cstdio>
#include <string>

#include "platform/diag.h"

namespace lftm_cli {

enum class DiagMode { kQuiet, kVerbose, kLogFile };

class DiagRouting {
 public:
  DiagRouting() = default;
  ~DiagRouting();
  DiagRouting(const DiagRouting&) = delete;
  DiagRouting& operator=(const DiagRouting&) = delete;

  // Installs the routing; false when the log file cannot be opened or is no log.
  bool start(DiagMode mode, const std::string& logPath, bool progress);

  // Installs the routing in two steps, so that no library line escapes while the log file
  // is still being checked: lines meant for the log before it is open are dropped.
  void begin(DiagMode mode, bool progress);
  // "" or why the log cannot be appended to (not text, a sidecar, cannot be opened).
  std::string open_log(const std::string& logPath);

  // The label put in front of progress lines (the input being processed).
  void set_label(const std::string& label) { label_ = label; }

 private:
  static void sink(lftm::DiagStream stream, const char* text, void* context);
  void on_text(lftm::DiagStream stream, const char* text);
  void on_line(const std::string& line);

  DiagMode mode_ = DiagMode::kQuiet;
  bool progress_ = false;
  bool installed_ = false;
  std::FILE* log_ = nullptr;
  std::string pending_;
  std::string label_;
};

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_DIAG_ROUTING_H_
