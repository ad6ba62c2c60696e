#include "platform/workers.h"

#include <pthread.h>

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
  RunScope run(args->run);  // outlives whole_lines, whose last text goes to the call
  DiagWholeLines whole_lines;
  (*args->body)(args->index);
  return nullptr;
}

// Starts body(i) for i in 0..min(count, kMaxWorkers)-1 on worker threads, stops starting at
// the first worker that cannot be created (or that the start-failure simulation refuses) and
// joins those that started. Returns how many started; run_tiles does the rest.
int run_workers(int count, const std::function<void(int)>& body) {
  if (count > kMaxWorkers) count = kMaxWorkers;
  if (count <= 0) return 0;
  std::vector<pthread_t> threads(static_cast<size_t>(count));
  std::vector<WorkerArgs> args(static_cast<size_t>(count));
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
  for (int i = 0; i < started; ++i) pthread_join(threads[static_cast<size_t>(i)], nullptr);
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
  if (count < 2) {
    for (int i = 0; i < count; ++i) body(i);
    return 0;
  }
  int started = run_workers(count, body);
  for (int i = started; i < count; ++i) body(i);
  return started;
}

}  // namespace lftm
