// SPDX-License-Identifier: BSD-3-Clause
#include "platform/row_feed.h"

#include <atomic>

#include "platform/run_context.h"

namespace lftm {
namespace {

// As join_workers: a host call that reports progress hears it this often.
constexpr std::chrono::milliseconds kProgressPeriod(50);

int band_count(int height) { return (height + kFeedBandRows - 1) / kFeedBandRows; }

// Calls piece() for the pieces of the tiles that rows lie in, in tile order, until one fails.
// Returns its code, or 0.
int run_band(int count, int height, RowBand rows,
             const std::function<int(int, RowBand)>& piece) {
  const int end = rows.first + rows.rows;
  for (int t = 0; t < count; ++t) {
    const RowBand tile = tile_rows(t, count, height);
    int result = 0;
    if (tile.rows == 0) {
      if (tile.first >= rows.first && tile.first < end) result = piece(t, RowBand{0, 0});
    } else {
      const int lo = tile.first > rows.first ? tile.first : rows.first;
      const int hi = tile.first + tile.rows < end ? tile.first + tile.rows : end;
      if (lo < hi) result = piece(t, RowBand{lo - tile.first, hi - lo});
    }
    if (result < 0) return result;
  }
  return 0;
}

}  // namespace

RowFeed::RowFeed(int height)
    : height_(height), done_(static_cast<size_t>(band_count(height)), 0) {}

bool RowFeed::take(int* index, RowBand* rows) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failed_ || taken_ >= static_cast<int>(done_.size())) return false;
  *index = taken_++;
  rows->first = *index * kFeedBandRows;
  rows->rows = height_ - rows->first < kFeedBandRows ? height_ - rows->first : kFeedBandRows;
  return true;
}

void RowFeed::finished(int index, bool ok) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ok) failed_ = true;
    done_[static_cast<size_t>(index)] = ok ? 1 : 0;
    size_t next = static_cast<size_t>(doneRows_ / kFeedBandRows);
    while (doneRows_ < height_ && done_[next] != 0) {
      doneRows_ = next + 1 == done_.size() ? height_ : doneRows_ + kFeedBandRows;
      ++next;
    }
  }
  changed_.notify_all();
}

int RowFeed::wait(int next, int limit) {
  RunContext* run = current_run();
  const bool watch = run != nullptr && run->reports_progress() && run->on_calling_thread();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const int ready = doneRows_ - next;
    if (ready > 0 || failed_) {
      lock.unlock();
      if (watch) report_now_and_then(run);
      if (ready <= 0) return 0;
      return ready < limit ? ready : limit;
    }
    if (!watch) {
      changed_.wait(lock);
      continue;
    }
    changed_.wait_for(lock, kProgressPeriod);
    lock.unlock();
    report_now_and_then(run);
    lock.lock();
  }
}

void RowFeed::report_now_and_then(RunContext* run) {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastReport_ < kProgressPeriod) return;
  lastReport_ = now;
  run->report_workers();
}

int run_tiles_feeding(int count, int height,
                      const std::function<int(int tile, RowBand rows)>& piece,
                      const std::function<void(RowFeed*)>& consume) {
  RowFeed feed(height);
  std::atomic<int> failure{0};
  run_tiles_beside(
      count,
      [&](int /*worker*/) {
        int index = 0;
        RowBand rows{0, 0};
        while (feed.take(&index, &rows)) {
          const int result = run_band(count, height, rows, piece);
          if (result < 0) failure = result;
          // A cancelled piece may stop short of its rows: they are not handed over.
          feed.finished(index, result >= 0 && !run_cancelled());
        }
      },
      [&feed, &consume] { consume(&feed); });
  return failure;
}

}  // namespace lftm
