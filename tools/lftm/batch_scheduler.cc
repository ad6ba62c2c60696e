#include "batch_scheduler.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace lftm_cli {
namespace {

// From this size on an image uses its own threads well enough to run alone on every core.
constexpr int64_t kLargePixels = 8'000'000;

// Which image starts next and what the running ones hold.
class BatchGate {
 public:
  BatchGate(const std::vector<ImageCost>& costs, const BatchLimits& limits)
      : costs_(costs), limits_(limits) {}

  // Waits until the next image may start and takes it; false when none is left.
  bool take(size_t* image, int32_t* threads) {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [&] { return next_ == costs_.size() || may_start(costs_[next_]); });
    if (next_ == costs_.size()) return false;
    const ImageCost& cost = costs_[next_];
    *image = next_++;
    *threads = cost.large ? limits_.cores : 1;
    ++running_;
    memory_ += cost.memory;
    alone_ = cost.large;
    return true;
  }

  void done(size_t image) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --running_;
      memory_ -= costs_[image].memory;
      alone_ = false;
    }
    ready_.notify_all();
  }

 private:
  bool may_start(const ImageCost& cost) const {
    if (running_ == 0) return true;
    if (alone_ || cost.large || running_ >= limits_.cores) return false;
    return limits_.memory == 0 || memory_ + cost.memory <= limits_.memory;
  }

  const std::vector<ImageCost>& costs_;
  const BatchLimits limits_;
  std::mutex mutex_;
  std::condition_variable ready_;
  size_t next_ = 0;
  int32_t running_ = 0;
  size_t memory_ = 0;
  bool alone_ = false;
};

}  // namespace

ImageCost image_cost(int64_t width, int64_t height, int64_t memory, bool disk) {
  ImageCost cost;
  cost.memory = static_cast<size_t>(std::max<int64_t>(memory, 0));
  cost.large = disk || width * height >= kLargePixels;
  return cost;
}

void run_batch(const std::vector<ImageCost>& costs, const BatchLimits& limits,
               const std::function<void(size_t image, int32_t threads)>& run_image) {
  const int32_t workers =
      static_cast<int32_t>(std::min<size_t>(costs.size(), static_cast<size_t>(limits.cores)));
  if (workers < 2) {
    for (size_t image = 0; image < costs.size(); ++image) run_image(image, limits.cores);
    return;
  }
  BatchGate gate(costs, limits);
  std::vector<std::thread> pool;
  for (int32_t w = 0; w < workers; ++w) {
    pool.emplace_back([&gate, &run_image] {
      size_t image;
      int32_t threads;
      while (gate.take(&image, &threads)) {
        run_image(image, threads);
        gate.done(image);
      }
    });
  }
  for (std::thread& thread : pool) thread.join();
}

}  // namespace lftm_cli
