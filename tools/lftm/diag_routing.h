// Where the library's diagnostic lines go while the tool runs: nowhere (the default), to the
// terminal (--verbose) or into a log file (--log FILE). The tool's own progress lines are
// derived from the library's stage lines as they pass. When several images run at once, each
// image's lines are told apart by the thread that prints them (an image that shares the cores
// runs on one thread) and printed together, in input order.
#ifndef LFTM_TOOLS_DIAG_ROUTING_H_
#define LFTM_TOOLS_DIAG_ROUTING_H_

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <string>

#include "ordered_output.h"
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

  // Where the text of the images goes; without it (and for text printed outside an image)
  // straight to the streams.
  void set_output(OrderedOutput* output) { output_ = output; }

  // The text of one image, and its last line while it is still incomplete.
  struct ImageLines {
    size_t image;
    std::string label;
    std::string pending;
  };

  // While it lives, the library lines printed on this thread belong to image `image` of the
  // output, and its progress lines carry `label` (the input). An image that runs `alone`
  // also owns the lines of the library's worker threads.
  class ImageScope {
   public:
    ImageScope(DiagRouting* routing, size_t image, const std::string& label, bool alone);
    ~ImageScope();
    ImageScope(const ImageScope&) = delete;
    ImageScope& operator=(const ImageScope&) = delete;

   private:
    DiagRouting* routing_;
    bool alone_;
    ImageLines lines_;
  };

  // The image's own text (tool messages, progress), in its place in the output.
  void write(size_t image, std::FILE* stream, const std::string& text);

 private:
  static void sink(lftm::DiagStream stream, const char* text, void* context);
  void on_text(lftm::DiagStream stream, const char* text);
  void on_line(ImageLines* lines, const std::string& line);

  DiagMode mode_ = DiagMode::kQuiet;
  bool progress_ = false;
  bool installed_ = false;
  std::FILE* log_ = nullptr;
  OrderedOutput* output_ = nullptr;
  static constexpr size_t kNoImage = static_cast<size_t>(-1);
  ImageLines outside_{kNoImage, "", ""};    // lines printed outside any image
  std::atomic<ImageLines*> alone_{nullptr};  // the image that runs alone, if any
  static thread_local ImageLines* bound_;  // the image of the calling thread, if any
};

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_DIAG_ROUTING_H_
