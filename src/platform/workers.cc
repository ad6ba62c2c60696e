// SPDX-License-Identifier: BSD-3-Clause
#include "platform/workers.h"

#include <cxxabi.h>
#include <pthread.h>

#include <cerrno>
#include <ctime>

#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/diag.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

struct WorkerArgs {
  const std::function<void(int)>* body;
  int index;
  RunContext* run;  // the host call's context, so that workers see its cancel request
};

void* worker_main(void* raw) {
  auto* args = static_cast<WorkerArgs*>(raw);
  RunScope run(args->run, args->index);  // outlives whole_lines, whose text goes to the call
  DiagWholeLines whole_lines;
  (*args->body)(args->index);
  return nullptr;
}

// Joins the workers in index order. A host call that reports progress hears, every
// kProgressPeriodMs while it waits, how far the workers are through their tiles.
constexpr long kProgressPeriodMs = 50;

void join_workers(pthread_t* threads, int started) {
  RunContext* run = current_run();
  const bool watch = run != nullptr && run->reports_progress() && run->on_calling_thread();
  for (int i = 0; i < started; ++i) {
    if (!watch) {
      pthread_join(threads[i], nullptr);
      continue;
    }
    for (;;) {
      timespec deadline;
      clock_gettime(CLOCK_REALTIME, &deadline);
      deadline.tv_nsec += kProgressPeriodMs * 1000000L;
      if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
      }
      if (pthread_timedjoin_np(threads[i], nullptr, &deadline) != ETIMEDOUT) break;
      try {
        run->report_workers();
      } catch (abi::__forced_unwind&) {
        // The host's callback ended this thread: the workers use its stack until joined.
        for (int j = i; j < started; ++j) pthread_join(threads[j], nullptr);
        throw;
      }
    }
  }
}

// Starts body(i) for i in 0..min(total, kMaxWorkers)-1 on worker threads and stops starting
// at the first worker that cannot be created (or that the start-failure simulation refuses).
// The calling thread runs the work of those that did not start (and past kMaxWorkers) after
// joining the others; with `beside`, it runs that work first, then `beside`, then joins, so
// that `beside` may wait for any tile. Returns how many started.
int run_workers(int total, const std::function<void(int)>& body,
                const std::function<void()>& beside) {
  const int count = total > kMaxWorkers ? kMaxWorkers : total;
  std::vector<pthread_t> threads(static_cast<size_t>(count));
  std::vector<WorkerArgs> args(static_cast<size_t>(count));
  RunContext* run = current_run();
  if (run != nullptr && run->on_calling_thread()) run->start_workers(count);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_JOINABLE);
  int started = 0;
  for (int i = 0; i < count; ++i) {
    args[static_cast<size_t>(i)] = WorkerArgs{&body, i, current_run()};
    if (!fault_allows(Fault::kThreadStart) ||
        pthread_create(&threads[static_cast<size_t>(i)], &attr, worker_main,
                       &args[static_cast<size_t>(i)]) != 0) {
      break;
    }
    ++started;
  }
  pthread_attr_destroy(&attr);
  if (beside) {
    for (int i = started; i < total; ++i) body(i);
    beside();
    join_workers(threads.data(), started);
  } else {
    join_workers(threads.data(), started);
    for (int i = started; i < total; ++i) body(i);
  }
  return started;
}

}  // namespace

int clamp_workers(int requested) {
  if (requested < 2) return 1;
  return requested > kMaxWorkers ? kMaxWorkers : requested;
}

RowBand tile_rows(int index, int count, int height) {
  int step = height / count;
  RowBand band{index * step, step};
  if (index == count - 1) band.rows = height - band.first;
  return band;
}

int run_tiles(int count, const std::function<void(int)>& body) {
  return run_tiles_beside(count, body, nullptr);
}

int run_tiles_beside(int count, const std::function<void(int)>& body,
                     const std::function<void()>& beside) {
  if (count < 2) {
    for (int i = 0; i < count; ++i) body(i);
    if (beside) beside();
    return 0;
  }
  return run_workers(count, body, beside);
}

struct PeriodicTask::State {
  std::chrono::milliseconds period{0};
  std::function<void()> tick;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  pthread_t thread{};
};

PeriodicTask::PeriodicTask() = default;

PeriodicTask::~PeriodicTask() { stop(); }

void* PeriodicTask::run(void* raw) {
  auto* state = static_cast<State*>(raw);
  std::unique_lock<std::mutex> lock(state->mutex);
  while (!state->wake.wait_for(lock, state->period, [state] { return state->stopping; })) {
    state->tick();
  }
  return nullptr;
}

bool PeriodicTask::start(std::chrono::milliseconds period, std::function<void()> tick) {
  stop();
  auto state = std::make_unique<State>();
  state->period = period;
  state->tick = std::move(tick);
  if (!fault_allows(Fault::kThreadStart) ||
      pthread_create(&state->thread, nullptr, &PeriodicTask::run, state.get()) != 0) {
    return false;
  }
  state_ = std::move(state);
  return true;
}

void PeriodicTask::stop() {
  if (!state_) return;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_one();
  pthread_join(state_->thread, nullptr);
  state_.reset();
}

}  // namespace lftm
