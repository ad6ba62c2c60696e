// SPDX-License-Identifier: BSD-3-Clause
// Replays the fuzz targets' seeds and the inputs that once made a target fail through the
// target's own entry point, so that every build (plain, sanitized, threads) checks them. The
// target aborts when an input breaks one of its checks.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/diag.h"
#include "support/files.h"

extern "C" int fuzz_target_initialize(int* argc, char*** argv) __attribute__((weak));
extern "C" int fuzz_target_one_input(const uint8_t* data, size_t size);

namespace {

TEST(LFTM_FUZZ_SUITE, SeedsAndRegressionsPass) {
  if (fuzz_target_initialize != nullptr) fuzz_target_initialize(nullptr, nullptr);
  int replayed = 0;
  for (const char* kind : {"/corpus/", "/regressions/"}) {
    const std::string dir = std::string(LFTM_FUZZ_DIR) + kind + LFTM_FUZZ_TARGET;
    for (const std::string& name : lftm_test::directory_entries(dir)) {
      SCOPED_TRACE(dir + "/" + name);
      const std::vector<uint8_t> bytes = lftm_test::read_file(dir + "/" + name);
      fuzz_target_one_input(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  lftm::set_diag_sink(nullptr, nullptr);
  EXPECT_GT(replayed, 0);
}

}  // namespace
