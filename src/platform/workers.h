// The one place where the library creates threads. Work is cut into horizontal tiles, one
// per worker; workers are joinable, started in index order and joined in index order before
// any of these functions returns, so no worker outlives the buffers it uses.
#ifndef LFTM_PLATFORM_WORKERS_H_
#define LFTM_PLATFORM_WORKERS_H_

#include <functional>

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

// Runs body(i) for i in 0..count-1, each on its own worker thread. Starting stops at the
// first worker that cannot be created; the workers already started are joined either way.
// Returns the number of workers that ran (count when all started).
int run_workers(int count, const std::function<void(int)>& body);

// As run_workers, then runs on the calling thread every index whose worker did not start,
// so that each body(i) runs exactly once. count < 2 runs everything on the calling thread.
// Returns the number of workers that started.
int run_tiles(int count, const std::function<void(int)>& body);

// Test hook: after `allowed` more successful starts, every thread start fails, as if the
// system had no threads left. A negative value turns the simulation off.
void simulate_thread_start_failure(int allowed);

}  // namespace lftm

#endif  // LFTM_PLATFORM_WORKERS_H_
