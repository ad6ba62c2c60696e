// SPDX-License-Identifier: BSD-3-Clause
#include "one_time_code.h"

#include <utility>

#include "access_token.h"

namespace lftm_tune {

OneTimeCode::OneTimeCode(std::string code, Clock::time_point issued)
    : code_(std::move(code)), issued_(issued) {}

bool OneTimeCode::redeem(const std::string& given, Clock::time_point now) {
  if (!token_matches(code_, given)) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (used_ || now < issued_ || now - issued_ > kLifetime) return false;
  used_ = true;
  return true;
}

}  // namespace lftm_tune
