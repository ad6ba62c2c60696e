#include "batch_scheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace lftm_cli {
namespace {

struct Observed {
  std::vector<size_t> starts;    // images in the order they started
  std::vector<int32_t> threads;  // threads each image was given
  int most_at_once = 0;
  size_t most_memory = 0;
};

// Runs the batch; each image waits, `linger` at most, until `want` images run at once or every
// image has started, so that what may run together does.
Observed observe(const std::vector<ImageCost>& costs, const BatchLimits& limits, int want,
                 std::chrono::milliseconds linger) {
  Observed seen;
  seen.threads.assign(costs.size(), 0);
  std::mutex mutex;
  std::condition_variable changed;
  int running = 0;
  size_t memory = 0;
  run_batch(costs, limits, [&](size_t image, int32_t threads) {
    std::unique_lock<std::mutex> lock(mutex);
    seen.starts.push_back(image);
    seen.threads[image] = threads;
    ++running;
    memory += costs[image].memory;
    seen.most_at_once = std::max(seen.most_at_once, running);
    seen.most_memory = std::max(seen.most_memory, memory);
    changed.notify_all();
    changed.wait_for(lock, linger, [&] {
      return running >= want || seen.starts.size() == costs.size();
    });
    --running;
    memory -= costs[image].memory;
  });
  return seen;
}

TEST(BatchSchedulerTest, SmallImagesShareTheCoresWithinTheMemoryAndLargeOnesRunAlone) {
  const ImageCost small = image_cost(1024, 1024, 40 << 20, false);
  ASSERT_FALSE(small.large);
  std::vector<ImageCost> costs(8, small);
  const std::vector<size_t> inOrder = {0, 1, 2, 3, 4, 5, 6, 7};

  // Enough memory: one image per core, each on one thread, started in input order.
  Observed seen = observe(costs, {3, 8 * small.memory}, 3, std::chrono::seconds(2));
  EXPECT_EQ(seen.most_at_once, 3);
  EXPECT_EQ(seen.starts, inOrder);
  for (int32_t t : seen.threads) EXPECT_EQ(t, 1);

  // Memory for two, or for less than one: never more at once than the limit allows, and a
  // lone image still runs.
  seen = observe(costs, {4, 2 * small.memory + 1}, 3, std::chrono::milliseconds(40));
  EXPECT_EQ(seen.most_at_once, 2);
  EXPECT_LE(seen.most_memory, 2 * small.memory + 1);
  seen = observe(costs, {4, 1000}, 2, std::chrono::milliseconds(40));
  EXPECT_EQ(seen.most_at_once, 1);
  EXPECT_EQ(seen.starts, inOrder);

  // A large image (or disk mode) runs alone on every core, between the small ones.
  costs[3] = image_cost(6048, 4048, 600 << 20, false);
  costs[6] = image_cost(100, 100, 1 << 20, true);
  ASSERT_TRUE(costs[3].large && costs[6].large);
  std::atomic<bool> overlap{false};
  std::atomic<int> running{0};
  run_batch(costs, {2, 0}, [&](size_t image, int32_t threads) {
    const int others = running++;
    if (costs[image].large && (others != 0 || threads != 2)) overlap = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (costs[image].large && running.load() != 1) overlap = true;
    --running;
  });
  EXPECT_FALSE(overlap);
}

}  // namespace
}  // namespace lftm_cli
