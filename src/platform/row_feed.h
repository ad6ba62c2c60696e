// Rows finished by the tiles of a tiled step, handed in row order to a consumer on the calling
// thread while the workers compute later rows: a writer encodes the top of the image while
// the rest is being made. The workers' row loops report each finished row through
// feed_rows_finished, which does nothing on a thread that computes for no feed.
#ifndef LFTM_PLATFORM_ROW_FEED_H_
#define LFTM_PLATFORM_ROW_FEED_H_

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

namespace lftm {

class RunContext;

class RowFeed {
 public:
  // `count` tiles over `height` rows, cut as tile_rows cuts them.
  RowFeed(int count, int height);
  RowFeed(const RowFeed&) = delete;
  RowFeed& operator=(const RowFeed&) = delete;

  // Worker side: the first `rows` rows of tile `tile` are finished.
  void finished(int tile, int rows);
  // Worker side: tile `tile` finishes no more rows (it is done, failed or was cancelled).
  void ended(int tile);

  // Consumer side: waits until row `next` is finished, and returns how many rows from `next`
  // on are (at most `limit`); 0 when row `next` never will be. A host call that reports
  // progress hears how far the workers are every so often, whether it waits or not.
  int wait(int next, int limit);

  int height() const { return height_; }

 private:
  // Rows from `next` on that are finished (mutex held); -1 when row `next` never will be.
  int ready_from(int next) const;
  // Reports the workers' progress unless that was done less than a period ago.
  void report_now_and_then(RunContext* run);

  const int count_;
  const int height_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int> done_;     // finished rows of each tile, from its first
  std::vector<char> ended_;  // the tile's work has returned
  std::chrono::steady_clock::time_point lastReport_;  // consumer side only
};

// Reports that the first `rows` rows of the tile this thread computes are finished.
void feed_rows_finished(int rows);

// Runs body(i) for the `count` tiles of `height` rows as run_tiles_beside does, each with its
// rows reported to one feed, while `consume` takes them on the calling thread.
int run_tiles_feeding(int count, int height, const std::function<void(int)>& body,
                      const std::function<void(RowFeed*)>& consume);

}  // namespace lftm

#endif  // LFTM_PLATFORM_ROW_FEED_H_
