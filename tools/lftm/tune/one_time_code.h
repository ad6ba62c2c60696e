// SPDX-License-Identifier: BSD-3-Clause
// The code in the address that lftm tune prints. It opens the page once, shortly after the
// start, and is then worth nothing: whoever reads it later (in the process list, in the
// browser's history) cannot use it.
#ifndef LFTM_TOOLS_TUNE_ONE_TIME_CODE_H_
#define LFTM_TOOLS_TUNE_ONE_TIME_CODE_H_

#include <chrono>
#include <mutex>
#include <string>

namespace lftm_tune {

class OneTimeCode {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kLifetime{60};

  // A code issued at `issued`; "" is never accepted.
  explicit OneTimeCode(std::string code, Clock::time_point issued = Clock::now());

  // Whether `given` is the code, unused and within its lifetime at `now`; the first
  // success uses it up.
  bool redeem(const std::string& given, Clock::time_point now = Clock::now());

  const std::string& text() const { return code_; }

 private:
  const std::string code_;
  const Clock::time_point issued_;
  std::mutex mutex_;
  bool used_ = false;
};

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_ONE_TIME_CODE_H_
