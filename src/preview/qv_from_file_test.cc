// SPDX-License-Identifier: BSD-3-Clause
// Quick views read straight from Radiance files.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imageio/rgbe_reader.h"
#include "lftm.h"
#include "support/coordinate_images.h"
#include "support/files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace {

using lftm_test::coordinate_rgbe;
using lftm_test::rgbe_pixel;

TEST(QvFromFile, SamplesTheDecodedImage) {
  const auto img = coordinate_rgbe(60, 45);
  lftm_test::TempDir dir;
  for (bool runLength : {false, true}) {
    SCOPED_TRACE(runLength ? "run-length" : "flat");
    const std::string path = dir.file(runLength ? "rle.hdr" : "flat.hdr");
    ASSERT_TRUE(lftm_test::write_file(path, lftm_test::encode_rgbe_file(img, runLength)));
    std::vector<uint8_t> dst(4 * 20 * 15);
    EXPECT_EQ(qv_from_file(20, 15, path.c_str(), dst.data()), 15);
    for (int i = 0; i < 15; ++i)
      for (int j = 0; j < 20; ++j)
        ASSERT_EQ(rgbe_pixel(dst, 20, j, i), rgbe_pixel(img.bytes, 60, 3 * j, 3 * i));
  }
}

TEST(QvFromFile, BundledSampleMatchesAQuickViewOfTheWholeImage) {
  const std::string path = lftm_test::sample_path("golden_gate.hdr");
  HdrFileInfo info{};
  float primaries[8];
  ASSERT_GE(lftm::rgbe_read_header(path.c_str(), primaries, &info), 0);
  ASSERT_EQ(info.infos[LFTM_INFO_WIDTH], 1262);
  ASSERT_EQ(info.infos[LFTM_INFO_HEIGHT], 860);
  std::vector<uint8_t> image(4 * 1262 * 860);
  ASSERT_EQ(lftm::rgbe_read_mem(path.c_str(), &info, image.data()), 860);
  std::vector<uint8_t> want(4 * 320 * 240);
  ASSERT_EQ(extract_qv(0, 1262, 860, 0, 0, 0, 320, 240, image.data(), want.data()), 240);

  std::vector<uint8_t> dst(4 * 320 * 240);
  EXPECT_EQ(qv_from_file(320, 240, path.c_str(), dst.data()), 240);
  EXPECT_EQ(dst, want);
}

TEST(QvFromFile, Failures) {
  lftm_test::TempDir dir;
  std::vector<uint8_t> dst(4 * 10 * 10);
  EXPECT_EQ(qv_from_file(10, 10, dir.file("missing.hdr").c_str(), dst.data()), -1000);
  EXPECT_EQ(qv_from_file(10, 10, nullptr, dst.data()), -1000);

  // A header that promises more pixels than the file holds.
  auto bytes = lftm_test::encode_rgbe_file(coordinate_rgbe(40, 30), false);
  bytes.resize(bytes.size() - 4 * 40 * 10);
  const std::string shortFile = dir.file("short.hdr");
  ASSERT_TRUE(lftm_test::write_file(shortFile, bytes));
  EXPECT_EQ(qv_from_file(10, 10, shortFile.c_str(), dst.data()), -1001);

  // A readable file with a quick view too small for extract_qv.
  const std::string good = dir.file("good.hdr");
  ASSERT_TRUE(lftm_test::write_file(good, lftm_test::encode_rgbe_file(coordinate_rgbe(40, 30),
                                                                      true)));
  EXPECT_EQ(qv_from_file(4, 10, good.c_str(), dst.data()), -1);
}

}  // namespace
