// SPDX-License-Identifier: BSD-3-Clause
#include "frame/run_needs.h"

#include <gtest/gtest.h>

#include "booster/poisson/cg_solver.h"
#include "frame/driver_disk_finish.h"
#include "lftm.h"
#include "platform/sizes.h"
#include "support/diag_capture.h"

namespace lftm {
namespace {

// The figures of a 1.03-gigapixel panorama pass 2^32: every product is 64-bit. The scratch
// files are the image (4 bytes a pixel), the pyramid and two solver planes.
TEST(RunNeedsTest, GigapixelEstimatesAreExactAndLargerImagesAreRefused) {
  lftm_test::DiagCapture capture;
  TmParam params;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &params);
  PyramidDims dims = {};
  ASSERT_GT(tm_dim(42000, 24540, &params, &dims), 0);
  const int64_t pixels = 42000LL * 24540;
  const int64_t pyramid = 4LL * (dims.total > dims.total2 ? dims.total : dims.total2);
  ASSERT_GT(pyramid, 5LL << 30);
  const int64_t fileBytes = 4 * pixels + 60;
  const RunImage image = {LFTM_EXT_HDR, 42000, 24540, 3, 8, fileBytes};

  const RunNeeds disk = booster_needs(image, dims, true);
  EXPECT_EQ(disk.scratch, 4 * pixels + pyramid + 8 * pixels);
  // 16-bit samples in disk mode (6 bytes a pixel) outgrow the pyramid buffer and the decoded
  // image with a flat file, read a block of 16 MB at a time; a run-length one is read whole
  // beside the decoded image. The solver's bands come on top, and the finishing step's beside
  // the samples.
  const int64_t bands = streamed_solver_bytes(42000);
  const int64_t finish = disk_finish_band_bytes(42000, 24540);
  EXPECT_EQ(disk.memory, 6 * pixels + finish + bands + (32LL << 20));
  RunImage runLength = image;
  runLength.fileBytes = 3 * pixels;
  EXPECT_EQ(booster_needs(runLength, dims, true).memory, 7 * pixels + bands + (32LL << 20));
  const RunNeeds memory = booster_needs(image, dims, false);
  EXPECT_EQ(memory.memory, pyramid + 9 * pixels + (32LL << 20));
  EXPECT_EQ(memory.scratch, 0);
  EXPECT_EQ(squeezer_needs(image).memory, 7 * pixels + (32LL << 20));

  // A budget below disk mode's estimate puts the output buffer (16-bit samples) in a scratch
  // file; no budget, or an image too small for that to save memory, keeps it in memory.
  bool inFile = false;
  const RunNeeds lean = disk_needs_within(image, dims, 4LL << 30, &inFile);
  EXPECT_TRUE(inFile);
  EXPECT_LT(lean.memory, 2 * pixels);
  EXPECT_EQ(lean.scratch, disk.scratch + 6 * pixels);
  EXPECT_EQ(disk_needs_within(image, dims, 0, &inFile).memory, disk.memory);
  EXPECT_FALSE(inFile);
  PyramidDims smallDims = {};
  ASSERT_GT(tm_dim(600, 400, &params, &smallDims), 0);
  const RunImage small = {LFTM_EXT_HDR, 600, 400, 3, 8, 4 * 600 * 400 + 60};
  disk_needs_within(small, smallDims, 1, &inFile);
  EXPECT_FALSE(inFile);

  // The largest sizes: 2^31 - 1 pixels at all, and a pyramid that tm_dim can count.
  EXPECT_TRUE(image_size_ok(46340, 46340));
  EXPECT_FALSE(image_size_ok(46341, 46341));
  EXPECT_FALSE(image_size_ok(0, 10));
  PyramidDims unfilled = {};
  tm_dim(32000, 52000, &params, &unfilled);
  EXPECT_EQ(unfilled.total, 0);
  EXPECT_EQ(refuse_too_large(32000, 52000, true), LFTM_ERR_TOO_LARGE);
  EXPECT_NE(capture.out().find("about 1.6 gigapixels"), std::string::npos);
}

}  // namespace
}  // namespace lftm
