// SPDX-License-Identifier: BSD-3-Clause
#include "diag_routing.h"

#include <cstring>

#include "file_guard.h"

namespace lftm_cli {
namespace {

// What the tool tells the user as a run moves on: each line once, in order, when the run
// reports the step it names (the first: any step after reading the image). The Range
// Squeezer never solves, so only the first line is told for it.
struct Milestone {
  const char* step;
  const char* progress;
};

constexpr Milestone kMilestones[] = {
    {nullptr, "image read, tone mapping"},
    {"solving", "gradients attenuated (about 35%)"},
    {"finishing", "luminance reconstructed (about 70%)"},
    {"writing", "colours finished, writing"},
};

bool reached(const Milestone& milestone, const char* step) {
  if (milestone.step != nullptr) return std::strcmp(step, milestone.step) == 0;
  return std::strcmp(step, "starting") != 0 && std::strcmp(step, "reading the image") != 0;
}

}  // namespace

DiagRouting::~DiagRouting() {
  if (installed_) lftm_set_message_sink(nullptr, nullptr);
  if (log_ != nullptr) std::fclose(log_);
}

bool DiagRouting::start(DiagMode mode, const std::string& logPath, bool progress) {
  begin(mode, progress);
  return mode != DiagMode::kLogFile || open_log(logPath).empty();
}

void DiagRouting::begin(DiagMode mode, bool progress) {
  mode_ = mode;
  progress_ = progress;
  lftm_set_message_sink(&DiagRouting::on_process_line, this);
  installed_ = true;
}

std::string DiagRouting::open_log(const std::string& logPath) {
  std::string problem = check_log_target(logPath);
  if (!problem.empty()) return problem;
  log_ = std::fopen(logPath.c_str(), "a");
  if (log_ == nullptr) return "cannot open the log file " + logPath;
  return "";
}

void DiagRouting::on_process_line(void* user, int32_t stream, const char* line) {
  static_cast<DiagRouting*>(user)->on_line(kNoImage, stream, line);
}

DiagRouting::ImageScope::ImageScope(DiagRouting* routing, size_t image,
                                    const std::string& label)
    : routing_(routing), image_(image), label_(label) {}

void DiagRouting::ImageScope::route(lftm_options* options) {
  // Lines nobody reads are not even made (nor the values computed only for them).
  const bool unread = routing_->mode_ == DiagMode::kQuiet;
  options->messages = unread ? LFTM_MESSAGES_SILENT : LFTM_MESSAGES_CALLBACK;
  options->message = &ImageScope::on_message;
  options->message_user = this;
  options->progress = routing_->progress_ ? &ImageScope::on_progress : nullptr;
  options->progress_user = this;
}

void DiagRouting::ImageScope::on_message(void* user, int32_t stream, const char* line) {
  auto* scope = static_cast<ImageScope*>(user);
  scope->routing_->on_line(scope->image_, stream, line);
}

int32_t DiagRouting::ImageScope::on_progress(void* user, float, const char* step) {
  auto* scope = static_cast<ImageScope*>(user);
  constexpr size_t kCount = sizeof kMilestones / sizeof kMilestones[0];
  if (scope->milestones_ < kCount && reached(kMilestones[scope->milestones_], step)) {
    scope->routing_->write(scope->image_, stderr,
                           scope->label_ + ": " + kMilestones[scope->milestones_].progress +
                               "\n");
    ++scope->milestones_;
  }
  return 0;  // the tool cancels through the flag of its signal handler
}

void DiagRouting::write(size_t image, std::FILE* stream, const std::string& text) {
  if (output_ == nullptr || image == kNoImage) {
    std::fputs(text.c_str(), stream);
    if (stream == stderr) std::fflush(stderr);
  } else {
    output_->write(image, stream, text);
  }
}

void DiagRouting::on_line(size_t image, int32_t stream, const std::string& line) {
  if (mode_ == DiagMode::kVerbose) {
    write(image, stream == 1 ? stdout : stderr, line + "\n");
  } else if (log_ != nullptr) {
    write(image, log_, line + "\n");
  }
}

}  // namespace lftm_cli
