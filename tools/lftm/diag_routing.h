// SPDX-License-Identifier: BSD-3-Clause
// Where the library's diagnostic lines go while the tool runs: nowhere (the default), to the
// terminal (--verbose) or into a log file (--log FILE). The tool's own progress lines are
// derived from the steps that a run reports. When several images run at once, each run
// routes its lines to its image, and the lines are printed image by image, in input order.
#ifndef LFTM_TOOLS_DIAG_ROUTING_H_
#define LFTM_TOOLS_DIAG_ROUTING_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "lftm_host.h"
#include "ordered_output.h"

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

  // The text of one image: the runs given its options (route()) send their lines to image
  // `image` of the output, and the progress lines derived from their steps carry `label`
  // (the input).
  class ImageScope {
   public:
    ImageScope(DiagRouting* routing, size_t image, const std::string& label);
    ImageScope(const ImageScope&) = delete;
    ImageScope& operator=(const ImageScope&) = delete;

    // Sets the messages and progress of a run's options to this image.
    void route(lftm_options* options);

   private:
    static void on_message(void* user, int32_t stream, const char* line);
    static int32_t on_progress(void* user, float fraction, const char* step);

    DiagRouting* routing_;
    size_t image_;
    std::string label_;
    size_t milestones_ = 0;  // progress lines told so far
  };

  // The image's own text (tool messages, progress), in its place in the output.
  void write(size_t image, std::FILE* stream, const std::string& text);

 private:
  static void on_process_line(void* user, int32_t stream, const char* line);
  // A whole line of image `image` (kNoImage: of no image), without its newline.
  void on_line(size_t image, int32_t stream, const std::string& line);

  DiagMode mode_ = DiagMode::kQuiet;
  bool progress_ = false;
  bool installed_ = false;
  std::FILE* log_ = nullptr;
  OrderedOutput* output_ = nullptr;
  static constexpr size_t kNoImage = static_cast<size_t>(-1);
};

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_DIAG_ROUTING_H_
