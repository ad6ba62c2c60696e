// SPDX-License-Identifier: BSD-3-Clause
// The rows of a tiled step computed in bands, in row order, and handed in row order to a
// consumer on the calling thread while the workers compute later bands: a writer encodes the
// top of the image while the rest is being made. The tiles stay those of run_tiles, so that
// each tile's work (and what it prints) is as before; only the order in which the workers go
// through the rows changes, which no pixel depends on.
#ifndef LFTM_PLATFORM_ROW_FEED_H_
#define LFTM_PLATFORM_ROW_FEED_H_

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/workers.h"

namespace lftm {

class RunContext;

// Rows per band: a multiple of the 16 rows a JPEG encoder takes at a time.
constexpr int kFeedBandRows = 32;

class RowFeed {
 public:
  explicit RowFeed(int height);
  RowFeed(const RowFeed&) = delete;
  RowFeed& operator=(const RowFeed&) = delete;

  int height() const { return height_; }

  // Worker side: takes the next band not yet taken; false when none is left or a band failed.
  bool take(int* index, RowBand* rows);
  // Worker side: band `index` is finished, or failed (then no band is taken any more).
  void finished(int index, bool ok);

  // Consumer side: waits until row `next` is finished, and returns how many rows from `next`
  // on are (at most `limit`); 0 when row `next` never will be. A host call that reports
  // progress hears how far the workers are every so often, whether it waits or not.
  int wait(int next, int limit);

 private:
  // Reports the workers' progress unless that was done less than a period ago.
  void report_now_and_then(RunContext* run);

  const int height_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int taken_ = 0;              // bands handed to workers
  std::vector<char> done_;     // finished bands
  int doneRows_ = 0;           // rows finished from the top without a gap
  bool failed_ = false;
  std::chrono::steady_clock::time_point lastReport_;  // consumer side only
};

// Computes the `count` tiles of `height` rows (as tile_rows cuts them) on `count` workers
// that take bands of rows in row order: piece(tile, rows) computes the rows `rows` of tile
// `tile`, counted from the tile's first row (a piece with rows.first == 0 begins its tile; a
// tile of no rows gets the piece {0, 0}), and returns a negative code when it failed, which
// stops the work. Meanwhile consume(feed) takes the finished rows on the calling thread.
// Returns the code of a piece that failed, or 0 (also when the run was cancelled).
int run_tiles_feeding(int count, int height,
                      const std::function<int(int tile, RowBand rows)>& piece,
                      const std::function<void(RowFeed*)>& consume);

}  // namespace lftm

#endif  // LFTM_PLATFORM_ROW_FEED_H_
