// SPDX-License-Identifier: BSD-3-Clause
#include "support/watchdog.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace lftm_test {

Watchdog::Watchdog(std::string what, int seconds) : what_(std::move(what)) {
  thread_ = std::thread([this, seconds] {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) {
      std::fprintf(stderr, "hang: %s still running after %d s\n", what_.c_str(), seconds);
      std::abort();
    }
  });
}

Watchdog::~Watchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  done_.notify_one();
  thread_.join();
}

}  // namespace lftm_test
