// SPDX-License-Identifier: BSD-3-Clause
// The context of one host call: how it is cancelled, where its progress and its diagnostic
// lines go. A host call installs one on its thread (RunScope); the workers of that call share
// it (run_tiles hands it on), so that every piece of work can see a cancel request. Without a
// context, which is how the 22 classic functions run, nothing is ever cancelled, no progress
// is reported and the diagnostics go where diag sends them.
#ifndef LFTM_PLATFORM_RUN_CONTEXT_H_
#define LFTM_PLATFORM_RUN_CONTEXT_H_

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lftm_host.h"  // LFTM_ERR_CANCELLED for the loops that stop on a cancel
#include "platform/diag.h"
#include "platform/workers.h"

namespace lftm {

// What a host asked for; every member may be null.
struct RunHooks {
  const volatile int32_t* cancelFlag = nullptr;
  lftm_progress_fn progress = nullptr;
  void* progressUser = nullptr;
  int32_t messages = LFTM_MESSAGES_STANDARD;  // LFTM_MESSAGES_*
  lftm_message_fn message = nullptr;
  void* messageUser = nullptr;
};

class RunContext {
 public:
  explicit RunContext(const RunHooks& hooks);
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // True once the host's flag is set or a progress callback asked to stop; any thread.
  bool cancelled() const;

  // Progress of the current phase, 0..1; acts only on the thread that made the call.
  void progress(double fraction);

  // True when diagnostics of this call are taken by the context (silent or callback).
  bool takes_messages() const { return hooks_.messages != LFTM_MESSAGES_STANDARD; }
  // True when the diagnostics of this call go nowhere.
  bool discards_messages() const {
    return hooks_.messages == LFTM_MESSAGES_SILENT ||
           (hooks_.messages == LFTM_MESSAGES_CALLBACK && hooks_.message == nullptr);
  }
  // Text of one diag call, from any thread of the call; lines reach the callback whole, on
  // the calling thread only.
  void take_text(DiagStream stream, const std::string& text);
  // Hands the lines collected so far to the callback (calling thread only); `all` also the
  // unfinished ones, at the end of the call.
  void flush_messages(bool all = false);

  // Reports the whole call complete (progress 1) and hands over every line left.
  void complete();

  bool on_calling_thread() const { return std::this_thread::get_id() == owner_; }

  // Workers report how far through their own tile they are; the calling thread, while it
  // waits for them, reports their mean as the progress of its phase.
  bool reports_progress() const { return hooks_.progress != nullptr; }
  void start_workers(int count);
  void worker_progress(int index, double fraction);
  void report_workers();

 private:
  friend class ProgressPhase;
  void report(double overall, const char* step);

  RunHooks hooks_;
  std::thread::id owner_;
  std::atomic<bool> stopped_{false};
  // The range of the overall 0..1 that the innermost phase covers, and its step name.
  double phaseStart_ = 0.0;
  double phaseEnd_ = 1.0;
  const char* step_ = "starting";
  double reported_ = -1.0;
  const char* reportedStep_ = nullptr;
  std::atomic<float> workerShare_[kMaxWorkers];
  std::atomic<int> workerCount_{0};
  // Lines waiting for the calling thread, and the unfinished line of each stream.
  std::mutex linesMutex_;
  std::vector<std::pair<int32_t, std::string>> lines_;
  std::string partial_[2];
};

// The context installed on this thread, or null.
RunContext* current_run();

// Installs `run` on this thread for the life of the object (null installs nothing new);
// `workerIndex` numbers the worker threads of a tiled step.
class RunScope {
 public:
  explicit RunScope(RunContext* run, int workerIndex = -1);
  ~RunScope();
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  RunContext* previous_;
  int previousIndex_;
};

// True when the call running on this thread has been cancelled; false without a context.
inline bool run_cancelled() {
  RunContext* run = current_run();
  return run != nullptr && run->cancelled();
}

// True when the call running on this thread discards its diagnostic lines, so that values
// computed only to be printed can be skipped; false without a context.
inline bool run_discards_messages() {
  RunContext* run = current_run();
  return run != nullptr && run->discards_messages();
}

// Reports progress `fraction` (0..1) of the current phase; nothing without a context.
void run_progress(double fraction);

// A part of the work: while it lives, progress 0..1 reported inside it maps onto the part
// [start, end] of the enclosing phase, so that nested steps stay monotone. Its end reports
// the part complete.
class ProgressPhase {
 public:
  ProgressPhase(double start, double end, const char* step);
  // Reports the host's callback, which may end the thread with a forced unwind (pthread_exit
  // in an interpreter that shuts down); that unwind must be able to leave the destructor.
  ~ProgressPhase() noexcept(false);
  ProgressPhase(const ProgressPhase&) = delete;
  ProgressPhase& operator=(const ProgressPhase&) = delete;

  // Ends this part and makes the object cover the next part of the same enclosing phase.
  void move_to(double start, double end, const char* step);

 private:
  void enter(double start, double end, const char* step);
  void leave();

  RunContext* run_;
  double savedStart_ = 0.0, savedEnd_ = 1.0;
  const char* savedStep_ = nullptr;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_RUN_CONTEXT_H_
