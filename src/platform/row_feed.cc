#include "platform/row_feed.h"

#include <chrono>

#include "platform/run_context.h"
#include "platform/workers.h"

namespace lftm {
namespace {

struct FeedTile {
  RowFeed* feed;
  int tile;
};

thread_local FeedTile t_feedTile = {nullptr, 0};

// Makes this thread's rows those of tile `tile` of `feed` while it lives; at its end the tile
// is ended, whatever its body did.
class FeedScope {
 public:
  FeedScope(RowFeed* feed, int tile) : previous_(t_feedTile) { t_feedTile = {feed, tile}; }
  ~FeedScope() {
    t_feedTile.feed->ended(t_feedTile.tile);
    t_feedTile = previous_;
  }
  FeedScope(const FeedScope&) = delete;
  FeedScope& operator=(const FeedScope&) = delete;

 private:
  FeedTile previous_;
};

// As join_workers: a host call that reports progress hears it this often while waiting.
constexpr std::chrono::milliseconds kProgressPeriod(50);

}  // namespace

RowFeed::RowFeed(int count, int height)
    : count_(count),
      height_(height),
      done_(static_cast<size_t>(count), 0),
      ended_(static_cast<size_t>(count), 0) {}

void RowFeed::finished(int tile, int rows) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    done_[static_cast<size_t>(tile)] = rows;
  }
  changed_.notify_all();
}

void RowFeed::ended(int tile) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ended_[static_cast<size_t>(tile)] = 1;
  }
  changed_.notify_all();
}

int RowFeed::ready_from(int next) const {
  // Tiles of no rows (more tiles than rows) hold nothing; the row's tile is the last that
  // starts at or before it.
  const int step = height_ / count_;
  int tile = step > 0 ? next / step : count_ - 1;
  if (tile >= count_) tile = count_ - 1;
  const RowBand band = tile_rows(tile, count_, height_);
  const int finished = band.first + done_[static_cast<size_t>(tile)];
  if (finished > next) return finished - next;
  return ended_[static_cast<size_t>(tile)] ? -1 : 0;
}

int RowFeed::wait(int next, int limit) {
  RunContext* run = current_run();
  const bool watch = run != nullptr && run->reports_progress() && run->on_calling_thread();
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const int ready = ready_from(next);
    if (ready != 0) {
      lock.unlock();
      if (watch) report_now_and_then(run);
      return ready < 0 ? 0 : (ready < limit ? ready : limit);
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

void feed_rows_finished(int rows) {
  if (t_feedTile.feed != nullptr) t_feedTile.feed->finished(t_feedTile.tile, rows);
}

int run_tiles_feeding(int count, int height, const std::function<void(int)>& body,
                      const std::function<void(RowFeed*)>& consume) {
  RowFeed feed(count, height);
  return run_tiles_beside(
      count,
      [&feed, &body](int i) {
        FeedScope scope(&feed, i);
        body(i);
      },
      [&feed, &consume] { consume(&feed); });
}

}  // namespace lftm
