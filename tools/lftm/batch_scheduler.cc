#include "batch_scheduler.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "lftm.h"
#include "platform/workers.h"

namespace lftm_cli {
namespace {

// Peak memory of one run per pixel and beyond the pixels, measured on Radiance input (about
// 21.5 bytes a pixel for the Texture Booster, 7 for the Range Squeezer) with some margin;
// 16-bit TIFF input holds 2 more bytes a pixel in each of its two copies of the input.
constexpr size_t kBoosterBytesPerPixel = 24;
constexpr size_t kSqueezerBytesPerPixel = 10;
constexpr size_t kTiffExtraBytesPerPixel = 4;
constexpr size_t kFixedBytes = size_t{16} << 20;

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

ImageCost estimate_image_cost(int64_t width, int64_t height, int32_t method, bool tiffInput,
                              bool disk) {
  const size_t pixels = static_cast<size_t>(std::max<int64_t>(width, 0)) *
                        static_cast<size_t>(std::max<int64_t>(height, 0));
  size_t perPixel =
      method == LFTM_METHOD_RANGE_SQUEEZER ? kSqueezerBytesPerPixel : kBoosterBytesPerPixel;
  if (tiffInput) perPixel += kTiffExtraBytesPerPixel;
  ImageCost cost;
  cost.memory = kFixedBytes + pixels * perPixel;
  cost.large = disk || width * height >= kLargePixels;
  return cost;
}

size_t batch_memory_limit() {
  size_t available = 0;
  if (std::FILE* meminfo = std::fopen("/proc/meminfo", "r")) {
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, meminfo) != nullptr) {
      if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) {
        available = static_cast<size_t>(kib) * 1024;
        break;
      }
    }
    std::fclose(meminfo);
  }
  if (available == 0) {
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) available = static_cast<size_t>(pages) * pageSize;
  }
  return available / 4 * 3;
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
  lftm::run_tiles(workers, [&](int) {
    size_t image;
    int32_t threads;
    while (gate.take(&image, &threads)) {
      run_image(image, threads);
      gate.done(image);
    }
  });
}

}  // namespace lftm_cli
