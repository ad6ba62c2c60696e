// SPDX-License-Identifier: BSD-3-Clause
#include "platform/workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace lftm {
namespace {

TEST(WorkersTest, TilesCoverRowsOnceWithRemainderInLastTile) {
  for (int height : {1, 10, 17, 1000}) {
    for (int count : {1, 2, 3, 7, 32}) {
      if (count > height) continue;
      std::vector<int> hits(static_cast<size_t>(height), 0);
      for (int i = 0; i < count; ++i) {
        RowBand band = tile_rows(i, count, height);
        EXPECT_EQ(band.first, i * (height / count));
        for (int r = band.first; r < band.first + band.rows; ++r) ++hits[static_cast<size_t>(r)];
      }
      for (int h : hits) EXPECT_EQ(h, 1) << height << " rows, " << count << " tiles";
    }
  }
  RowBand last = tile_rows(2, 3, 10);
  EXPECT_EQ(last.first, 6);
  EXPECT_EQ(last.rows, 4);
}

TEST(WorkersTest, ClampKeepsCountsInRange) {
  EXPECT_EQ(clamp_workers(-5), 1);
  EXPECT_EQ(clamp_workers(0), 1);
  EXPECT_EQ(clamp_workers(2), 2);
  EXPECT_EQ(clamp_workers(1000), kMaxWorkers);
}

TEST(WorkersTest, EveryTileRunsExactlyOnceEvenWhenStartsFail) {
  for (int allowed : {-1, 0, 1, 3}) {
    simulate_thread_start_failure(allowed);
    std::vector<std::atomic<int>> runs(8);
    int started = run_tiles(8, [&](int i) { runs[static_cast<size_t>(i)]++; });
    simulate_thread_start_failure(-1);
    EXPECT_EQ(started, allowed < 0 ? 8 : allowed);
    for (auto& r : runs) EXPECT_EQ(r.load(), 1);
  }
}

TEST(WorkersTest, TilesBeyondTheWorkerLimitRunOnTheCallingThread) {
  std::vector<std::atomic<int>> runs(40);
  EXPECT_EQ(run_tiles(40, [&](int i) { runs[static_cast<size_t>(i)]++; }), kMaxWorkers);
  for (auto& r : runs) EXPECT_EQ(r.load(), 1);
}

// The task ticks while it runs, never once stop() has returned (a buffer being unmapped), can
// be started again, and a refused start is reported and never ticks.
TEST(WorkersTest, PeriodicTaskTicksOnlyBetweenStartAndStop) {
  std::atomic<int> ticks{0};
  PeriodicTask task;
  task.stop();  // nothing runs yet
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(task.start(std::chrono::milliseconds(1), [&] { ++ticks; }));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ticks.load() < 3 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    task.stop();
    const int stopped = ticks.exchange(0);
    EXPECT_GE(stopped, 3) << round;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ticks.load(), 0) << round;
  }
  simulate_thread_start_failure(0);
  const bool started = task.start(std::chrono::milliseconds(1), [&] { ++ticks; });
  simulate_thread_start_failure(-1);
  EXPECT_FALSE(started);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ticks.load(), 0);
}

}  // namespace
}  // namespace lftm
