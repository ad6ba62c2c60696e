// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "imageio/rgbe_reader.h"
#include "stats/log_luminance.h"
#include "support/diag_capture.h"
#include "support/files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace lftm {
namespace {

using lftm_test::count_of;
using lftm_test::DiagCapture;
using lftm_test::RgbePlanar;
using lftm_test::TempDir;

const std::vector<float> kExp = lftm_test::reference_exp_table();

struct HdrFile {
  std::string path;
  HdrFileInfo info{};
};

HdrFile write_hdr(const TempDir& dir, const std::string& name, const RgbePlanar& img,
                  bool runLength = true) {
  HdrFile f;
  f.path = dir.file(name);
  EXPECT_TRUE(lftm_test::write_file(f.path, lftm_test::encode_rgbe_file(img, runLength)));
  float primaries[8];
  EXPECT_GE(rgbe_read_header(f.path.c_str(), primaries, &f.info), 0);
  return f;
}

int disk_plane(const HdrFile& f, const std::string& scratch, LumStats* stats,
               std::vector<float>* buf) {
  buf->assign(static_cast<size_t>(f.info.infos[LFTM_INFO_WIDTH]) * f.info.infos[LFTM_INFO_HEIGHT],
              -7.0f);
  return log_plane_from_disk(LFTM_DOC_RGBE, f.info.infos[LFTM_INFO_WIDTH],
                             f.info.infos[LFTM_INFO_HEIGHT], stats, kExp.data(), &f.info,
                             f.path.c_str(), scratch.c_str(), buf->data());
}

int memory_plane(const RgbePlanar& img, LumStats* stats, std::vector<float>* plane) {
  plane->assign(static_cast<size_t>(img.width) * img.height, -7.0f);
  return log_plane_in_memory(LFTM_DOC_RGBE, 3, img.width, img.height, 3 * img.width, img.width,
                             img.height, img.width, img.height, stats, kExp.data(), nullptr,
                             img.bytes.data(), plane->data());
}

TEST(LogPlaneFromDiskTest, MatchesTheInMemoryPlaneAndParksTheImage) {
  TempDir dir;
  RgbePlanar img = lftm_test::make_test_image(37, 23, 9);
  HdrFile f = write_hdr(dir, "in.hdr", img);
  LumStats disk{}, memory{};
  std::vector<float> buf, plane;
  DiagCapture diag;
  ASSERT_EQ(disk_plane(f, dir.file("scratch"), &disk, &buf), 23);
  ASSERT_EQ(memory_plane(img, &memory, &plane), 23);
  EXPECT_EQ(0, std::memcmp(buf.data(), plane.data(), buf.size() * sizeof(float)));
  EXPECT_EQ(disk.lumMoy, memory.lumMoy);
  EXPECT_EQ(disk.lumMaxRatio, memory.lumMaxRatio);
  EXPECT_EQ(disk.lumMin, memory.lumMin);
  // The scratch file keeps the planar bytes for the later stages.
  EXPECT_EQ(lftm_test::read_file(dir.file("scratch")), img.bytes);

  // Rows 0 to 4, every fourth column (37 >> 3), the first one with the pixel's bytes.
  EXPECT_EQ(count_of(diag.out(), "- calc_tm0s "), 5 * 10);
  char first[64];
  std::snprintf(first, sizeof first, "%d %d %d  %d  - calc_tm0s 0,0\n", img.bytes[0],
                img.bytes[37], img.bytes[74], img.bytes[111]);
  EXPECT_EQ(diag.out().rfind(first, 0), 0u) << diag.out();
  EXPECT_NE(diag.out().find("- calc_tm0s 36,4\n"), std::string::npos);
  EXPECT_NE(diag.out().find("  cntDiff=0  ctnPetit=0   0.00\n"), std::string::npos);
}

TEST(LogPlaneFromDiskTest, BundledSampleAgreesWithTheInMemoryPath) {
  HdrFile f;
  f.path = lftm_test::sample_path("golden_gate.hdr");
  float primaries[8];
  ASSERT_GE(rgbe_read_header(f.path.c_str(), primaries, &f.info), 0);
  RgbePlanar img =
      lftm_test::blank_rgbe(f.info.infos[LFTM_INFO_WIDTH], f.info.infos[LFTM_INFO_HEIGHT]);
  ASSERT_EQ(rgbe_read_mem(f.path.c_str(), &f.info, img.bytes.data()), img.height);

  TempDir dir;
  LumStats disk{}, memory{};
  std::vector<float> buf, plane;
  DiagCapture diag;
  ASSERT_EQ(disk_plane(f, dir.file("scratch"), &disk, &buf), img.height);
  ASSERT_EQ(memory_plane(img, &memory, &plane), img.height);
  EXPECT_EQ(disk.lumMoy, memory.lumMoy);
  EXPECT_EQ(disk.lumMaxRatio, memory.lumMaxRatio);
  EXPECT_EQ(disk.lumMin, memory.lumMin);
  // The photograph has no unlit pixel, so nothing is patched and the planes are identical.
  EXPECT_EQ(0, std::memcmp(buf.data(), plane.data(), buf.size() * sizeof(float)));
  EXPECT_NE(diag.out().find("  cntDiff=0  ctnPetit=0   0.00\n"), std::string::npos);
}

// Unlit pixels (exponent 0, or zero mantissas) are patched as memory mode patches them, with
// the mean log value, so that both modes build the same plane and statistics; a single one
// is patched too. With no lit pixel at all the minimum stands in, as in memory mode.
TEST(LogPlaneFromDiskTest, PixelsWithoutLightArePatchedAsInMemory) {
  TempDir dir;
  RgbePlanar img = lftm_test::make_test_image(16, 12, 3);
  lftm_test::set_grey(&img, 5, 7, 0, 0);
  RgbePlanar one = img;
  lftm_test::set_grey(&img, 9, 2, 0, 140);
  RgbePlanar two = img;
  RgbePlanar dark = lftm_test::blank_rgbe(16, 12);

  for (const RgbePlanar* image : {&one, &two, &dark}) {
    HdrFile f = write_hdr(dir, "in.hdr", *image, image != &two);
    LumStats disk{}, memory{};
    std::vector<float> buf, plane;
    DiagCapture diag;
    ASSERT_EQ(disk_plane(f, dir.file("scratch"), &disk, &buf), 12);
    ASSERT_EQ(memory_plane(*image, &memory, &plane), 12);
    EXPECT_EQ(0, std::memcmp(buf.data(), plane.data(), buf.size() * sizeof(float)));
    EXPECT_EQ(disk.lumMoy, memory.lumMoy);
    EXPECT_EQ(disk.lumMaxRatio, memory.lumMaxRatio);
    EXPECT_EQ(disk.lumMin, memory.lumMin);
    if (image == &dark) continue;
    EXPECT_GT(buf[7 * 16 + 5], std::log(disk.lumMin)) << "the mean, not the minimum";
    EXPECT_NE(diag.out().find(image == &one ? "cntDiff=-1  ctnPetit=1   0.52\n"
                                            : "cntDiff=-2  ctnPetit=2   1.04\n"),
              std::string::npos)
        << diag.out();
  }
}

TEST(LogPlaneFromDiskTest, FailureCodesLeaveNoStrayFiles) {
  TempDir dir;
  RgbePlanar img = lftm_test::make_test_image(12, 10);
  HdrFile f = write_hdr(dir, "in.hdr", img);
  const std::string scratch = dir.file("scratch");
  std::vector<float> buf(40 * 30, -7.0f);
  LumStats stats{};
  DiagCapture diag;
  auto call = [&](int docType, int w, int h, const HdrFileInfo& info, const std::string& in,
                  const std::string& out) {
    return log_plane_from_disk(docType, w, h, &stats, kExp.data(), &info, in.c_str(), out.c_str(),
                               buf.data());
  };

  EXPECT_EQ(call(0, 9, 10, f.info, f.path, scratch), -1);
  EXPECT_EQ(call(0, 12, 9, f.info, f.path, scratch), -1);
  EXPECT_EQ(call(1, 12, 10, f.info, f.path, scratch), -3);
  EXPECT_EQ(call(0, 70000, 70000, f.info, f.path, scratch), -1) << "size past 32 bits";
  HdrFileInfo larger = f.info;
  larger.infos[LFTM_INFO_HEIGHT] = 11;  // would decode more rows than buf holds
  EXPECT_EQ(call(0, 12, 10, larger, f.path, scratch), -1);
  EXPECT_EQ(call(0, 12, 10, f.info, dir.file("missing.hdr"), scratch), LFTM_ERR_RGBE_OPEN);
  EXPECT_EQ(log_plane_from_disk(0, 12, 10, &stats, kExp.data(), &f.info, f.path.c_str(), nullptr,
                                buf.data()),
            -1);
  // A flat file that ends inside its pixels cannot be decoded. (The header parser refuses
  // it, so the record is that of the whole file, cut after it was parsed.)
  std::vector<uint8_t> cut = lftm_test::encode_rgbe_file(lftm_test::make_test_image(40, 30), false);
  HdrFile corrupt;
  corrupt.path = dir.file("corrupt.hdr");
  ASSERT_TRUE(lftm_test::write_file(corrupt.path, cut));
  float primaries[8];
  ASSERT_GE(rgbe_read_header(corrupt.path.c_str(), primaries, &corrupt.info), 0);
  cut.resize(cut.size() - 30);
  ASSERT_TRUE(lftm_test::write_file(corrupt.path, cut));
  corrupt.info.infos[LFTM_INFO_FILE_LENGTH] = static_cast<int>(cut.size());
  EXPECT_LE(call(0, 40, 30, corrupt.info, corrupt.path, scratch), LFTM_ERR_RGBE_OPEN);
  EXPECT_EQ(lftm_test::directory_entries(dir.path()),
            (std::vector<std::string>{"corrupt.hdr", "in.hdr"}))
      << "no scratch file before the image was read";

  const std::string nowhere = dir.file("no_such_dir");
  EXPECT_EQ(call(0, 12, 10, f.info, f.path, nowhere + "/scratch"), -1);
  struct stat st;
  EXPECT_NE(stat(nowhere.c_str(), &st), 0);
  EXPECT_EQ(call(0, 12, 10, f.info, f.path, "/dev/full"), -2) << "short write";
  EXPECT_EQ(call(0, 12, 10, f.info, f.path, "/dev/null"), -2) << "short read";
  EXPECT_EQ(lftm_test::directory_entries(dir.path()),
            (std::vector<std::string>{"corrupt.hdr", "in.hdr"}));
  EXPECT_EQ(stats.lumMoy, 0.0f) << "no statistics from a failed call";
}

}  // namespace
}  // namespace lftm
