#include "diag_routing.h"

#include <cstring>

#include "file_guard.h"

namespace lftm_cli {
namespace {

// Library lines that mark the end of a step, and what the tool tells the user then.
struct Milestone {
  const char* prefix;
  const char* progress;
};

constexpr Milestone kMilestones[] = {
    {"Processing ", "image read, tone mapping"},
    {"Texture Booster Part 1 completed", "gradients attenuated (about 35%)"},
    {"Texture Booster Part 2 completed", "luminance reconstructed (about 70%)"},
    {"Texture Booster Part 3 completed", "colours finished, writing"},
};

}  // namespace

DiagRouting::~DiagRouting() {
  if (installed_) lftm::set_diag_sink(nullptr, nullptr);
  if (log_ != nullptr) std::fclose(log_);
}

bool DiagRouting::start(DiagMode mode, const std::string& logPath, bool progress) {
  begin(mode, progress);
  return mode != DiagMode::kLogFile || open_log(logPath).empty();
}

void DiagRouting::begin(DiagMode mode, bool progress) {
  mode_ = mode;
  progress_ = progress;
  lftm::set_diag_sink(&DiagRouting::sink, this);
  installed_ = true;
}

std::string DiagRouting::open_log(const std::string& logPath) {
  std::string problem = check_log_target(logPath);
  if (!problem.empty()) return problem;
  log_ = std::fopen(logPath.c_str(), "a");
  if (log_ == nullptr) return "cannot open the log file " + logPath;
  return "";
}

void DiagRouting::sink(lftm::DiagStream stream, const char* text, void* context) {
  static_cast<DiagRouting*>(context)->on_text(stream, text);
}

DiagRouting::ImageScope::ImageScope(DiagRouting* routing, size_t image,
                                    const std::string& label)
    : routing_(routing),
      image_(image),
      label_(label),
      run_([this, routing] {
        lftm::RunHooks hooks;
        // Lines nobody reads are not even made (nor the values computed only for them).
        const bool unread = routing->mode_ == DiagMode::kQuiet && !routing->progress_;
        hooks.messages = unread ? LFTM_MESSAGES_SILENT : LFTM_MESSAGES_CALLBACK;
        hooks.message = &ImageScope::on_message;
        hooks.messageUser = this;
        return hooks;
      }()),
      scope_(&run_) {}

DiagRouting::ImageScope::~ImageScope() { run_.complete(); }

void DiagRouting::ImageScope::on_message(void* user, int32_t stream, const char* line) {
  auto* scope = static_cast<ImageScope*>(user);
  scope->routing_->on_line(scope->image_, scope->label_, static_cast<lftm::DiagStream>(stream),
                           line);
}

void DiagRouting::write(size_t image, std::FILE* stream, const std::string& text) {
  if (output_ == nullptr || image == kNoImage) {
    std::fputs(text.c_str(), stream);
    if (stream == stderr) std::fflush(stderr);
  } else {
    output_->write(image, stream, text);
  }
}

// Text printed outside any image (the settings reader, for one), in pieces as printed.
void DiagRouting::on_text(lftm::DiagStream stream, const char* text) {
  if (mode_ == DiagMode::kVerbose) {
    std::fputs(text, stream == lftm::DiagStream::kOut ? stdout : stderr);
  } else if (log_ != nullptr) {
    std::fputs(text, log_);
  }
  if (!progress_) return;
  // Pieces may end mid-line; milestones are matched on whole lines.
  pending_ += text;
  size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    on_milestone(kNoImage, "", pending_.substr(0, end));
    pending_.erase(0, end + 1);
  }
}

void DiagRouting::on_line(size_t image, const std::string& label, lftm::DiagStream stream,
                          const std::string& line) {
  if (mode_ == DiagMode::kVerbose) {
    write(image, stream == lftm::DiagStream::kOut ? stdout : stderr, line + "\n");
  } else if (log_ != nullptr) {
    write(image, log_, line + "\n");
  }
  if (progress_) on_milestone(image, label, line);
}

void DiagRouting::on_milestone(size_t image, const std::string& label,
                               const std::string& line) {
  for (const Milestone& milestone : kMilestones) {
    if (line.compare(0, std::strlen(milestone.prefix), milestone.prefix) == 0) {
      write(image, stderr, label + ": " + milestone.progress + "\n");
      return;
    }
  }
}

}  // namespace lftm_cli
