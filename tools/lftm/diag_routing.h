// Where the library's diagnostic lines go while the tool runs: nowhere (the default), to the
// terminal (--verbose) or into a log file (--log FILE). The tool's own progress lines are
// derived from the library's stage lines as they pass. When several images run at once, each
// image's calls route their lines to that image (through the library's per-call context), and
// the lines are printed image by image, in input order.
#ifndef LFTM_TOOLS_DIAG_ROUTING_H_
#define LFTM_TOOLS_DIAG_ROUTING_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "ordered_output.h"
#include "platform/diag.h"
#include "platform/run_context.h"

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

  // Where the text of the images goes; without it (and for text printed outside an image)
  // straight to the streams.
  void set_output(OrderedOutput* output) { output_ = output; }

  // The text of one image: while an object of this class lives, the library calls made on
  // this thread (and their workers) send their lines to image `image` of the output, and the
  // progress lines derived from them carry `label` (the input).
  class ImageScope {
   public:
    ImageScope(DiagRouting* routing, size_t image, const std::string& label);
    ~ImageScope();  // hands over the last lines of the image's calls
    ImageScope(const ImageScope&) = delete;
    ImageScope& operator=(const ImageScope&) = delete;

   private:
    static void on_message(void* user, int32_t stream, const char* line);

    DiagRouting* routing_;
    size_t image_;
    std::string label_;
    lftm::RunContext run_;
    lftm::RunScope scope_;
  };

  // The image's own text (tool messages, progress), in its place in the output.
  void write(size_t image, std::FILE* stream, const std::string& text);

 private:
  static void sink(lftm::DiagStream stream, const char* text, void* context);
  void on_text(lftm::DiagStream stream, const char* text);
  // A whole line of image `image`, without its newline.
  void on_line(size_t image, const std::string& label, lftm::DiagStream stream,
               const std::string& line);
  // The progress line for a library line that marks the end of a step, if it is one.
  void on_milestone(size_t image, const std::string& label, const std::string& line);

  DiagMode mode_ = DiagMode::kQuiet;
  bool progress_ = false;
  bool installed_ = false;
  std::FILE* log_ = nullptr;
  OrderedOutput* output_ = nullptr;
  std::string pending_;  // the unfinished line printed outside any image
  static constexpr size_t kNoImage = static_cast<size_t>(-1);
};

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_DIAG_ROUTING_H_
