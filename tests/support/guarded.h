// SPDX-License-Identifier: BSD-3-Clause
// Buffers that notice writes past their end.
#ifndef LFTM_TESTS_SUPPORT_GUARDED_H_
#define LFTM_TESTS_SUPPORT_GUARDED_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lftm_test {

// Exactly `count` elements for the code under test, followed by a canary zone that must keep
// its bytes.
template <typename T>
class Guarded {
 public:
  explicit Guarded(size_t count, uint8_t fill = 0) : count_(count) {
    bytes_.assign(count * sizeof(T) + kCanary, kCanaryByte);
    std::memset(bytes_.data(), fill, count * sizeof(T));
  }
  T* data() { return reinterpret_cast<T*>(bytes_.data()); }
  size_t size() const { return count_; }
  bool intact() const {
    for (size_t i = count_ * sizeof(T); i < bytes_.size(); ++i) {
      if (bytes_[i] != kCanaryByte) return false;
    }
    return true;
  }
  std::vector<uint8_t> contents() const {
    return std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + count_ * sizeof(T));
  }

 private:
  static constexpr size_t kCanary = 256;
  static constexpr uint8_t kCanaryByte = 0xc7;
  size_t count_;
  std::vector<uint8_t> bytes_;  // std::vector<uint8_t> storage is suitably aligned for T
};

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_GUARDED_H_
