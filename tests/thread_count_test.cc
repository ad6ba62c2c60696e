// The same settings give the same image whatever the number of worker threads, and the
// Texture Booster's disk mode gives the image of its memory mode: a picture must not depend
// on the machine it was made on.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace {

using lftm_test::DriverRun;
using lftm_test::Method;

// The decoded 16-bit samples (they show the smallest change of the solve) of one driver run.
std::vector<uint16_t> samples_of(const lftm_test::TempDir& dir, const std::string& in,
                                 Method method, int threads, bool disk) {
  DriverRun run;
  run.method = method;
  run.in = in;
  run.out = dir.file("out.tif");
  run.bits = 16;
  run.disk = disk;
  run.threads = threads;
  if (lftm_test::run_driver(run) < 0) return {};
  return lftm_test::tiff_samples(run.out);
}

// The images span many blocks of the solver's sums, and every one of 32 workers has rows of
// its own; the second is deep enough for its two finest levels to run from disk.
TEST(ThreadCountTest, EveryWorkerCountAndDiskModeGiveTheSameSamples) {
  lftm_test::DiagCapture quiet;
  lftm_test::TempDir dir;
  const std::string small = lftm_test::write_hdr(dir.file("small.hdr"), 240, 160, 7);
  for (Method method : {Method::kBooster, Method::kSqueezer}) {
    const std::vector<uint16_t> one = samples_of(dir, small, method, 1, false);
    ASSERT_EQ(one.size(), 3u * 240 * 160);
    for (int threads : {2, 3, 7, 32}) {
      EXPECT_TRUE(samples_of(dir, small, method, threads, false) == one)
          << (method == Method::kBooster ? "booster" : "squeezer") << " threads " << threads;
    }
  }

  const std::string deep = lftm_test::write_hdr(dir.file("deep.hdr"), 420, 380, 9);
  const std::vector<uint16_t> memory = samples_of(dir, deep, Method::kBooster, 3, false);
  ASSERT_EQ(memory.size(), 3u * 420 * 380);
  const size_t said = quiet.out().size();
  EXPECT_TRUE(samples_of(dir, deep, Method::kBooster, 3, true) == memory);
  EXPECT_NE(quiet.out().find("readFromDisk: 1\n", said), std::string::npos);
}

}  // namespace
