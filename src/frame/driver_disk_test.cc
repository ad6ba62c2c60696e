// Disk mode of the Texture Booster driver against memory mode, and its scratch files.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace lftm_test {
namespace {

// Disk mode solves the Poisson equation by another route (streamed levels) and so rounds
// differently; the two images may differ by one unit in a few 16-bit samples, never more
// than two.
void expect_same_image(const TiffImage& memory, const TiffImage& disk) {
  ASSERT_EQ(memory.samples.size(), disk.samples.size());
  size_t differing = 0;
  for (size_t i = 0; i < memory.samples.size(); ++i) {
    int d = std::abs(memory.samples[i] - disk.samples[i]);
    ASSERT_LE(d, 2) << "sample " << i;
    if (d != 0) ++differing;
  }
  EXPECT_LT(differing, memory.samples.size() / 100);
}

// Runs one image in memory mode and in disk mode (both on one thread, as disk mode runs) at
// 16 bits and returns both images.
void run_both(const std::string& in, int32_t extType, const TempDir& dir, TiffImage* memory,
              TiffImage* disk) {
  DiagCapture capture;
  DriverRun run;
  run.extType = extType;
  run.in = in;
  run.bits = 16;
  run.threads = 1;
  run.out = dir.file("memory.tif");
  ASSERT_EQ(run_driver(run), 1);
  run.disk = true;
  run.out = dir.file("disk.tif");
  ASSERT_EQ(run_driver(run), 1);
  ASSERT_TRUE(read_tiff(dir.file("memory.tif"), memory));
  ASSERT_TRUE(read_tiff(dir.file("disk.tif"), disk));
}

class DiskModeTest : public ::testing::Test {
 protected:
  void SetUp() override { scratch_.reset(new ScopedTmpdir(tmp_.path())); }
  void TearDown() override {
    scratch_.reset();
    EXPECT_TRUE(directory_entries(tmp_.path()).empty()) << "a scratch file was left behind";
  }
  TempDir tmp_;   // the temporary directory the drivers see
  TempDir work_;  // inputs and outputs
  std::unique_ptr<ScopedTmpdir> scratch_;
};

TEST_F(DiskModeTest, GivesTheSameImageAsMemoryModeOnTheBundledSample) {
  TiffImage memory, disk;
  run_both(sample_path("golden_gate.hdr"), LFTM_EXT_HDR, work_, &memory, &disk);
  expect_same_image(memory, disk);
}

TEST_F(DiskModeTest, GivesTheSameImageAsMemoryModeForShallowPyramids) {
  // 40 x 30 and 24 x 20 have multigrid depths below 3, where the solve runs in memory even
  // in disk mode.
  for (int size : {40, 24}) {
    std::string in = write_hdr(work_.file("small.hdr"), size, size * 3 / 4 + 2, 7);
    TiffImage memory, disk;
    run_both(in, LFTM_EXT_HDR, work_, &memory, &disk);
    expect_same_image(memory, disk);
  }
}

TEST_F(DiskModeTest, ReadsOpenExrThroughARadianceCopy) {
  // The test image as floats: every pixel has light (an unlit pixel is patched differently
  // by the disk-mode statistics, which is not what is compared here).
  const RgbePlanar image = make_test_image(120, 90, 3);
  const int w = image.width;
  std::vector<float> rgb(static_cast<size_t>(3) * w * image.height);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = image.bytes.data() + static_cast<size_t>(4) * w * y;
    for (int x = 0; x < w; ++x) {
      for (int c = 0; c < 3; ++c) {
        rgb[(static_cast<size_t>(y) * w + x) * 3 + c] =
            std::ldexp(static_cast<float>(row[c * w + x]), row[3 * w + x] - 136);
      }
    }
  }
  const std::string in = work_.file("in.exr");
  ExrLayout layout;
  layout.width = w;
  layout.height = image.height;
  write_exr(in, layout, [&](int x, int y, int c) {
    return rgb[(static_cast<size_t>(y) * w + x) * 3 + c];
  });
  TiffImage memory, disk;
  run_both(in, LFTM_EXT_EXR, work_, &memory, &disk);
  expect_same_image(memory, disk);
}

TEST_F(DiskModeTest, EightBitOutputIsNarrowedFromSixteenBits) {
  DiagCapture capture;
  DriverRun run;
  run.in = write_hdr(work_.file("in.hdr"), 80, 60);
  run.threads = 1;
  run.out = work_.file("memory.tif");
  ASSERT_EQ(run_driver(run), 1);
  run.disk = true;
  run.out = work_.file("disk.tif");
  ASSERT_EQ(run_driver(run), 1);
  // The writer record says 8-bit output from 16-bit samples.
  EXPECT_NE(capture.out().find("3 infos=8\n"), std::string::npos);
  EXPECT_NE(capture.out().find("7 infos=1\n"), std::string::npos);
  TiffImage memory, disk;
  ASSERT_TRUE(read_tiff(work_.file("memory.tif"), &memory));
  ASSERT_TRUE(read_tiff(work_.file("disk.tif"), &disk));
  EXPECT_EQ(disk.bits, 8);
  ASSERT_EQ(memory.samples.size(), disk.samples.size());
  for (size_t i = 0; i < memory.samples.size(); ++i) {
    // Rounded from 16 bits rather than truncated at 8.
    ASSERT_LE(std::abs(memory.samples[i] / 257 - disk.samples[i] / 257), 1) << i;
  }
}

TEST_F(DiskModeTest, NoTemporaryDirectoryOrAnUnwritableOneFails) {
  DiagCapture capture;
  DriverRun run;
  run.in = write_hdr(work_.file("in.hdr"), 64, 48);
  run.out = work_.file("out.jpg");
  run.disk = true;
  {
    ScopedTmpdir none(work_.file("no_such_directory"));
    EXPECT_EQ(run_driver(run), LFTM_ERR_FILE);
  }
  {
    // Nothing can be created in /proc, not even by root.
    ScopedTmpdir unwritable("/proc");
    EXPECT_EQ(run_driver(run), LFTM_ERR_IO);
  }
  if (geteuid() != 0 && mkdir(work_.file("locked").c_str(), 0500) == 0) {
    ScopedTmpdir locked(work_.file("locked"));
    EXPECT_EQ(run_driver(run), LFTM_ERR_IO);
    chmod(work_.file("locked").c_str(), 0700);
    rmdir(work_.file("locked").c_str());
  }
  EXPECT_FALSE(file_exists(run.out));
}

TEST_F(DiskModeTest, AFailedRunLeavesNoScratchFile) {
  DiagCapture capture;
  DriverRun run;
  run.in = write_hdr(work_.file("in.hdr"), 64, 48);
  run.disk = true;
  // A missing output folder fails at the start, before the scratch files are made.
  run.out = work_.file("missing_folder/out.tif");
  EXPECT_EQ(run_driver(run), LFTM_ERR_WRITER_CREATE);
  // A damaged input fails in stage 1.
  std::vector<uint8_t> bytes = read_file(run.in);
  bytes.resize(bytes.size() / 3);
  write_file(run.in, bytes);
  run.out = work_.file("out.tif");
  EXPECT_LT(run_driver(run), 0);
  EXPECT_FALSE(file_exists(run.out));
}

}  // namespace
}  // namespace lftm_test
