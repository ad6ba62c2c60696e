// SPDX-License-Identifier: BSD-3-Clause
// Disk mode of the Texture Booster driver against memory mode, and its scratch files.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "frame/driver_rgbe_file.h"
#include "imageio/rgbe_reader.h"
#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace lftm_test {
namespace {

// Disk mode streams its planes through scratch files but computes every value as memory
// mode does: the two images are the same, sample for sample.
void expect_same_image(const TiffImage& memory, const TiffImage& disk) {
  ASSERT_EQ(memory.samples.size(), disk.samples.size());
  for (size_t i = 0; i < memory.samples.size(); ++i) {
    ASSERT_EQ(memory.samples[i], disk.samples[i]) << "sample " << i;
  }
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
  // The test image as floats, with two unlit pixels (one of them the first), which both
  // modes patch alike.
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
  for (int pixel : {0, 45 * w + 60}) {
    std::fill_n(rgb.begin() + 3 * pixel, 3, 0.0f);
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

// Disk mode hands a decoded OpenEXR or float TIFF image to stage 1 as a Radiance copy; the
// copy must give back every byte, run-length encoded or (32768 pixels wide and more) flat,
// whatever the first pixel looks like. The one first pixel a flat file cannot hold (it reads
// as a run-length row header) is moved by one mantissa step and still read.
TEST(RadianceCopyTest, GivesBackEveryByte) {
  TempDir dir;
  const std::string path = dir.file("copy.hdr");
  struct Case {
    int width;
    uint8_t first[4];
    bool exact;
  } cases[] = {{40, {2, 2, 5, 1}, true},       {40, {10, 2, 2, 3}, true},
               {32768, {10, 200, 30, 130}, true}, {32768, {0, 0, 0, 0}, true},
               {32768, {10, 2, 2, 1}, false},    {32768, {2, 2, 5, 1}, false}};
  for (const Case& c : cases) {
    RgbePlanar image = make_test_image(c.width, 10, 5);
    for (int k = 0; k < 4; ++k) image.bytes[static_cast<size_t>(k) * c.width] = c.first[k];
    ASSERT_EQ(lftm::write_rgbe_file(path.c_str(), c.width, 10, image.bytes.data()), 0);
    HdrFileInfo info{};
    float primaries[8];
    ASSERT_GE(lftm::rgbe_read_header(path.c_str(), primaries, &info), 0);
    std::vector<uint8_t> back(image.bytes.size());
    ASSERT_EQ(lftm::rgbe_read_mem(path.c_str(), &info, back.data()), 10) << c.width;
    if (!c.exact) ++image.bytes[0];
    EXPECT_TRUE(back == image.bytes) << c.width << " " << int(c.first[0]);
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
