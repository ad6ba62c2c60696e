// SPDX-License-Identifier: BSD-3-Clause
// A watchdog that turns a hang into a failure.
#ifndef LFTM_TESTS_SUPPORT_WATCHDOG_H_
#define LFTM_TESTS_SUPPORT_WATCHDOG_H_

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace lftm_test {

// Ends the process with a message naming `what` when it is still alive after `seconds`: a
// call that hangs fails the test instead of stalling the suite.
class Watchdog {
 public:
  explicit Watchdog(std::string what, int seconds = 120);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable done_;
  bool finished_ = false;
  std::thread thread_;
};

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_WATCHDOG_H_
