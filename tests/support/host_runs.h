// Helpers of the hardening tests: a watchdog that turns a hang into a failure, buffers that
// notice writes past their end, the two tone-mapping methods run on buffers the way a host
// runs them, and the process's open files and temporary directory.
#ifndef LFTM_TESTS_HARDENING_SUPPORT_H_
#define LFTM_TESTS_HARDENING_SUPPORT_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "lftm.h"
#include "test_support.h"

namespace lftm_hard {

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

// How a host runs the Texture Booster stages on its own buffers (memory mode).
struct BoosterSetup {
  int threads = 0;
  int bits = 8;
  int planes = 0;
};

struct BoosterResult {
  int dims = 0;  // tm_dim's result, -1 when it refused the image
  int stage1 = 0, stage2 = 0, stage3 = 0;  // 0 for a stage that did not run
  LumStats stats{};
  std::vector<uint8_t> output;  // stage 3's samples
  bool buffersIntact = true;    // no write past any buffer
};

// tm_dim, calc_tm1, calc_tm2 and calc_tm3 on RGBE planar bytes, every buffer of exactly the
// size the interface documents; a stage that fails ends the run.
BoosterResult run_booster(const lftm_test::RgbePlanar& image, const TmParam& param,
                          const BoosterSetup& setup);

struct SqueezerResult {
  int result = 0;
  std::vector<uint8_t> output;
  bool buffersIntact = true;
};

// logMinMaxMoy and tm_simple on the image (RGBE planar bytes, or its linear values as
// interleaved floats), interleaved or planar output of `bits` bits.
SqueezerResult run_squeezer(const lftm_test::RgbePlanar& image, const TmParam& param,
                            int threads, bool floats, int bits, int planes);

// Entries of /proc/self/fd: the files this process holds open.
int open_descriptor_count();

// Names in a directory ("." and ".." left out); empty when it cannot be read.
std::vector<std::string> directory_entries(const std::string& dir);

// Points TMPDIR at a fresh, empty directory while it lives, and back afterwards.
class ScopedTmpdir {
 public:
  ScopedTmpdir();
  ~ScopedTmpdir();
  ScopedTmpdir(const ScopedTmpdir&) = delete;
  ScopedTmpdir& operator=(const ScopedTmpdir&) = delete;
  const std::string& path() const { return dir_.path(); }

 private:
  lftm_test::TempDir dir_;
  std::string previous_;
  bool had_previous_ = false;
};

// Silences the library's diagnostic lines while it lives.
class QuietDiagnostics {
 public:
  QuietDiagnostics();
  ~QuietDiagnostics();
  QuietDiagnostics(const QuietDiagnostics&) = delete;
  QuietDiagnostics& operator=(const QuietDiagnostics&) = delete;
};

}  // namespace lftm_hard

#endif  // LFTM_TESTS_HARDENING_SUPPORT_H_
