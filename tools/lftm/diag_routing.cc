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

thread_local DiagRouting::ImageLines* DiagRouting::bound_ = nullptr;

DiagRouting::ImageScope::ImageScope(DiagRouting* routing, size_t image,
                                    const std::string& label, bool alone)
    : routing_(routing), alone_(alone), lines_{image, label, ""} {
  bound_ = &lines_;
  if (alone_) routing_->alone_.store(&lines_);
}

// The library has joined its workers when its call returns, so no other thread is still
// printing into these lines.
DiagRouting::ImageScope::~ImageScope() {
  if (alone_) routing_->alone_.store(nullptr);
  bound_ = nullptr;
}

void DiagRouting::write(size_t image, std::FILE* stream, const std::string& text) {
  if (output_ == nullptr || image == kNoImage) {
    std::fputs(text.c_str(), stream);
    if (stream == stderr) std::fflush(stderr);
  } else {
    output_->write(image, stream, text);
  }
}

void DiagRouting::on_text(lftm::DiagStream stream, const char* text) {
  ImageLines* lines = bound_ != nullptr ? bound_ : alone_.load();
  if (lines == nullptr) lines = &outside_;
  if (mode_ == DiagMode::kVerbose) {
    write(lines->image, stream == lftm::DiagStream::kOut ? stdout : stderr, text);
  } else if (log_ != nullptr) {
    write(lines->image, log_, text);
  }
  if (!progress_) return;
  // Pieces may end mid-line; milestones are matched on whole lines.
  lines->pending += text;
  size_t end;
  while ((end = lines->pending.find('\n')) != std::string::npos) {
    on_line(lines, lines->pending.substr(0, end));
    lines->pending.erase(0, end + 1);
  }
}

void DiagRouting::on_line(ImageLines* lines, const std::string& line) {
  for (const Milestone& milestone : kMilestones) {
    if (line.compare(0, std::strlen(milestone.prefix), milestone.prefix) == 0) {
      write(lines->image, stderr, lines->label + ": " + milestone.progress + "\n");
      return;
    }
  }
}

}  // namespace lftm_cli
