// SPDX-License-Identifier: BSD-3-Clause
#include "platform/run_context.h"

namespace lftm {
namespace {

thread_local RunContext* t_run = nullptr;
thread_local int t_worker_index = -1;

// Progress closer than this to the last report is not worth a callback.
constexpr double kProgressStep = 0.002;

// While a host callback runs, its thread is outside the call: a library function that the
// callback calls is not cancelled, prints where it would print and reports no progress into
// the call that is waiting for the callback.
class OutsideRun {
 public:
  OutsideRun() : run_(t_run), index_(t_worker_index) {
    t_run = nullptr;
    t_worker_index = -1;
  }
  ~OutsideRun() {
    t_run = run_;
    t_worker_index = index_;
  }
  OutsideRun(const OutsideRun&) = delete;
  OutsideRun& operator=(const OutsideRun&) = delete;

 private:
  RunContext* run_;
  int index_;
};

}  // namespace

RunContext::RunContext(const RunHooks& hooks)
    : hooks_(hooks), owner_(std::this_thread::get_id()) {}

bool RunContext::cancelled() const {
  if (stopped_.load(std::memory_order_relaxed)) return true;
  // The host sets its flag from another thread, at any time.
  return hooks_.cancelFlag != nullptr &&
         __atomic_load_n(hooks_.cancelFlag, __ATOMIC_RELAXED) != 0;
}

void RunContext::report(double overall, const char* step) {
  if (!on_calling_thread()) return;
  flush_messages();
  if (hooks_.progress == nullptr) return;
  if (overall > 1.0) overall = 1.0;
  // Never backwards, and not again for the same point of the same step.
  if (overall < reported_) overall = reported_;
  const bool finished = overall >= 1.0 && reported_ < 1.0;
  if (!finished && overall < reported_ + kProgressStep && step == reportedStep_) return;
  reported_ = overall;
  reportedStep_ = step;
  OutsideRun outside;
  if (hooks_.progress(hooks_.progressUser, static_cast<float>(overall), step) != 0) {
    stopped_.store(true, std::memory_order_relaxed);
  }
}

void RunContext::progress(double fraction) {
  if (!on_calling_thread()) return;
  if (fraction < 0.0) fraction = 0.0;
  if (fraction > 1.0) fraction = 1.0;
  report(phaseStart_ + (phaseEnd_ - phaseStart_) * fraction, step_);
}

void RunContext::take_text(DiagStream stream, const std::string& text) {
  if (hooks_.messages != LFTM_MESSAGES_CALLBACK || hooks_.message == nullptr) return;
  const int32_t s = static_cast<int32_t>(stream);
  {
    std::lock_guard<std::mutex> lock(linesMutex_);
    std::string& partial = partial_[s - 1];
    partial += text;
    size_t begin = 0;
    for (size_t end = partial.find('\n'); end != std::string::npos;
         end = partial.find('\n', begin)) {
      lines_.emplace_back(s, partial.substr(begin, end - begin));
      begin = end + 1;
    }
    partial.erase(0, begin);
  }
  if (on_calling_thread()) flush_messages();
}

void RunContext::flush_messages(bool all) {
  if (!on_calling_thread() || hooks_.message == nullptr) return;
  std::vector<std::pair<int32_t, std::string>> ready;
  {
    std::lock_guard<std::mutex> lock(linesMutex_);
    for (int32_t s = 1; all && s <= 2; ++s) {
      if (!partial_[s - 1].empty()) lines_.emplace_back(s, partial_[s - 1]);
      partial_[s - 1].clear();
    }
    ready.swap(lines_);
  }
  OutsideRun outside;
  for (const auto& line : ready) {
    hooks_.message(hooks_.messageUser, line.first, line.second.c_str());
  }
}

void RunContext::complete() {
  flush_messages(true);
  report(1.0, "done");
}

RunContext* current_run() { return t_run; }

void RunContext::start_workers(int count) {
  const int n = count < kMaxWorkers ? count : kMaxWorkers;
  for (int i = 0; i < n; ++i) workerShare_[i].store(0.0f, std::memory_order_relaxed);
  workerCount_.store(n, std::memory_order_relaxed);
}

void RunContext::worker_progress(int index, double fraction) {
  if (index >= 0 && index < kMaxWorkers) {
    workerShare_[index].store(static_cast<float>(fraction), std::memory_order_relaxed);
  }
}

void RunContext::report_workers() {
  const int n = workerCount_.load(std::memory_order_relaxed);
  if (n < 1) return;
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += workerShare_[i].load(std::memory_order_relaxed);
  progress(sum / n);
}

RunScope::RunScope(RunContext* run, int workerIndex)
    : previous_(t_run), previousIndex_(t_worker_index) {
  if (run != nullptr) t_run = run;
  t_worker_index = workerIndex;
}

RunScope::~RunScope() {
  t_run = previous_;
  t_worker_index = previousIndex_;
}

void run_progress(double fraction) {
  RunContext* run = t_run;
  if (run == nullptr) return;
  if (run->on_calling_thread()) {
    run->progress(fraction);
  } else {
    run->worker_progress(t_worker_index, fraction);
  }
}

ProgressPhase::ProgressPhase(double start, double end, const char* step) : run_(t_run) {
  if (run_ == nullptr || !run_->on_calling_thread()) {
    run_ = nullptr;
    return;
  }
  savedStart_ = run_->phaseStart_;
  savedEnd_ = run_->phaseEnd_;
  savedStep_ = run_->step_;
  enter(start, end, step);
}

ProgressPhase::~ProgressPhase() noexcept(false) { leave(); }

void ProgressPhase::enter(double start, double end, const char* step) {
  const double span = savedEnd_ - savedStart_;
  run_->phaseStart_ = savedStart_ + span * start;
  run_->phaseEnd_ = savedStart_ + span * end;
  run_->step_ = step != nullptr ? step : savedStep_;
  run_->progress(0.0);
}

void ProgressPhase::leave() {
  if (run_ == nullptr) return;
  // A part left because the call stops is not complete.
  if (!run_->cancelled()) run_->progress(1.0);
  run_->phaseStart_ = savedStart_;
  run_->phaseEnd_ = savedEnd_;
  run_->step_ = savedStep_;
}

void ProgressPhase::move_to(double start, double end, const char* step) {
  if (run_ == nullptr) return;
  leave();
  enter(start, end, step);
}

}  // namespace lftm
