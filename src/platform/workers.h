// SPDX-License-Identifier: BSD-3-Clause
// The one place where the library creates threads: the workers of run_tiles and the one
// thread of a PeriodicTask. Work is cut into horizontal tiles, one per worker; workers are
// joinable, started in index order and joined in index order before any of these functions
// returns, so no worker outlives the buffers it uses.
//
// When a worker thread cannot start, its work runs on the calling thread after the workers
// that did start are joined. Each piece of work therefore runs exactly once and the result
// has the same bits as if every worker had started; no caller fails, or redoes work, because
// a thread could not start. run_tiles does this for any shape of work: body(i) receives the
// worker index, from which it takes its own rows (tile_rows), its chunk of a vector or its
// record in a per-worker array. It is the only way the library starts workers.
#ifndef LFTM_PLATFORM_WORKERS_H_
#define LFTM_PLATFORM_WORKERS_H_

#include <chrono>
#include <functional>
#include <memory>

#include "platform/fault_injection.h"  // Fault::kThreadStart makes thread starts fail in tests

namespace lftm {

constexpr int kMaxWorkers = 32;

// A requested worker count brought into 1..kMaxWorkers (below 2 means the calling thread).
int clamp_workers(int requested);

struct RowBand {
  int first;  // first row of the tile
  int rows;   // number of rows
};

// Tile `index` of `count` over `height` rows: it starts at index x floor(height / count) and
// the last tile also takes the remaining rows.
RowBand tile_rows(int index, int count, int height);

// Runs body(i) exactly once for each i in 0..count-1: on its own worker thread, or on the
// calling thread when that worker cannot start (see above). count < 2 runs everything on the
// calling thread. Diagnostic lines of the workers reach the sink whole. Returns the number of
// workers that started.
int run_tiles(int count, const std::function<void(int)>& body);

// As run_tiles, while the calling thread runs `beside()` (may be empty) once: after it has
// done the work of any worker that could not start, before it joins the workers, so that
// `beside` may wait for the results of any tile. count < 2: every body(i), then beside().
int run_tiles_beside(int count, const std::function<void(int)>& body,
                     const std::function<void()>& beside);

// A thread beside the caller's work that calls tick() every `period` until it is stopped:
// upkeep that goes on whatever the work does meanwhile (a file-backed buffer giving the pages
// it has touched back to the system). tick() runs on that thread alone, never after stop()
// has returned, and prints nothing. A task that cannot start leaves the work to go on
// without its upkeep.
class PeriodicTask {
 public:
  PeriodicTask();
  ~PeriodicTask();
  PeriodicTask(const PeriodicTask&) = delete;
  PeriodicTask& operator=(const PeriodicTask&) = delete;

  // Starts the thread (stopping one this task runs already); false when it cannot start.
  bool start(std::chrono::milliseconds period, std::function<void()> tick);
  // Wakes the thread and waits for it to end; nothing to do when none runs.
  void stop();

 private:
  struct State;
  static void* run(void* state);
  std::unique_ptr<State> state_;
};

}  // namespace lftm

#endif  // LFTM_PLATFORM_WORKERS_H_
