// SPDX-License-Identifier: BSD-3-Clause
#include "platform/staged_output.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "platform/own_output.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace lftm {
namespace {

bool is_fifo(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

mode_t mode_of(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Stages `text` for `path` and commits it; returns the first failure of create or commit.
int stage_text(const std::string& path, const std::string& text,
               Replace replace = Replace::kRegularFiles) {
  StagedOutput out;
  int result = out.create(path.c_str(), "", replace);
  if (result < 0) return result;
  lftm_test::write_text(out.path(), text);
  return out.commit();
}

TEST(StagedOutputTest, ReplacesOnlyWritableRegularFilesAndKeepsTheirMode) {
  lftm_test::TempDir dir;
  // A pipe and a folder are never written into or replaced.
  const std::string pipe = dir.file("x.jpg");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  EXPECT_EQ(stage_text(pipe, "image"), kStagingNotFile);
  EXPECT_TRUE(is_fifo(pipe));
  ASSERT_EQ(mkdir(dir.file("folder.tif").c_str(), 0755), 0);
  EXPECT_EQ(stage_text(dir.file("folder.tif"), "image"), kStagingNotFile);

  // A replaced file keeps its permission bits.
  const std::string shared = dir.file("shared.jpg");
  ASSERT_TRUE(lftm_test::write_text(shared, "old"));
  ASSERT_EQ(chmod(shared.c_str(), 0604), 0);
  EXPECT_EQ(stage_text(shared, "new"), 0);
  EXPECT_EQ(lftm_test::read_text(shared), "new");
  EXPECT_EQ(mode_of(shared), 0604u);

  // A write-protected file: refused to a user, replaced (still protected) for root, as cp.
  const std::string locked = dir.file("locked.jpg");
  ASSERT_TRUE(lftm_test::write_text(locked, "old"));
  ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
  if (geteuid() == 0) {
    EXPECT_EQ(stage_text(locked, "new"), 0);
    EXPECT_EQ(mode_of(locked), 0444u);
  } else {
    EXPECT_EQ(stage_text(locked, "new"), kStagingReadOnly);
    EXPECT_EQ(lftm_test::read_text(locked), "old");
  }

  // Only lftm's own images, when asked so.
  EXPECT_EQ(stage_text(shared, "newer", Replace::kOwnOutputs), kStagingForeign);
  EXPECT_EQ(lftm_test::read_text(shared), "new");

  // What takes the name during the run is checked again at the rename.
  const std::string late = dir.file("late.jpg");
  StagedOutput out;
  ASSERT_EQ(out.create(late.c_str()), 0);
  ASSERT_EQ(mkfifo(late.c_str(), 0644), 0);
  EXPECT_EQ(out.commit(), kStagingNotFile);
  EXPECT_TRUE(is_fifo(late));
  EXPECT_EQ(lftm_test::directory_entries(dir.path()).size(), 5u);  // no temporary left
}

// Byte builders for the layouts the writers produce: classic TIFF in either byte order and
// BigTIFF, alone or as the EXIF block of a JPEG.
struct TiffBuilder {
  bool little;
  bool big;  // BigTIFF
  std::vector<uint8_t> bytes;

  void put(uint64_t v, int width) {
    for (int i = 0; i < width; ++i) {
      const int shift = 8 * (little ? i : width - 1 - i);
      bytes.push_back(static_cast<uint8_t>(v >> shift));
    }
  }
  // A header and one directory entry (tag, type) whose value, `text`, sits behind the
  // directory or, when short enough, in the entry.
  std::vector<uint8_t> with(uint16_t tag, uint16_t type, const std::string& text) {
    const int word = big ? 8 : 4;
    bytes = {static_cast<uint8_t>(little ? 'I' : 'M'), static_cast<uint8_t>(little ? 'I' : 'M')};
    put(big ? 43 : 42, 2);
    if (big) {
      put(8, 2);  // offset width
      put(0, 2);
    }
    const uint64_t directory = bytes.size() + word;
    put(directory, word);
    put(1, big ? 8 : 2);
    put(tag, 2);
    put(type, 2);
    put(text.size(), word);
    const uint64_t valueAt = directory + (big ? 8 : 2) + (big ? 20 : 12) + word;
    if (text.size() <= static_cast<size_t>(word)) {
      bytes.insert(bytes.end(), text.begin(), text.end());
      bytes.resize(bytes.size() + word - text.size(), 0);
    } else {
      put(valueAt, word);
    }
    put(0, word);  // no next directory
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
  }
};

std::vector<uint8_t> jpeg_with_app1(const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F'};
  jpeg.insert(jpeg.end(), {0xFF, 0xE1, static_cast<uint8_t>((payload.size() + 2) >> 8),
                           static_cast<uint8_t>(payload.size() + 2)});
  jpeg.insert(jpeg.end(), payload.begin(), payload.end());
  jpeg.insert(jpeg.end(), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9});
  return jpeg;
}

TEST(OwnOutputTest, FindsTheWritersMarkInEachLayout) {
  lftm_test::TempDir dir;
  const std::string path = dir.file("out");
  auto own = [&](const std::vector<uint8_t>& bytes, const char* software = nullptr) {
    lftm_test::write_file(path, bytes);
    return is_own_output(path.c_str(), software);
  };
  const std::string lftm = std::string("lftm") + '\0';
  const std::string packet = "<x:xmpmeta><rdf:Description xmlns:lftm='x'>";
  for (bool little : {true, false}) {
    for (bool big : {false, true}) {
      SCOPED_TRACE(std::string(little ? "II" : "MM") + (big ? " BigTIFF" : ""));
      TiffBuilder tiff{little, big, {}};
      EXPECT_TRUE(own(tiff.with(305, 2, lftm)));
      EXPECT_TRUE(own(tiff.with(305, 2, "Studio 9"), "Studio 9"));
      EXPECT_TRUE(own(tiff.with(700, 7, packet)));
      EXPECT_FALSE(own(tiff.with(305, 2, "lftmx")));
      EXPECT_FALSE(own(tiff.with(305, 2, "Studio 9")));
      EXPECT_FALSE(own(tiff.with(270, 2, lftm)));  // the description, not the software
    }
  }
  std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0};
  const std::vector<uint8_t> block = TiffBuilder{true, false, {}}.with(305, 2, lftm);
  exif.insert(exif.end(), block.begin(), block.end());
  EXPECT_TRUE(own(jpeg_with_app1(exif)));
  std::vector<uint8_t> xmp(std::begin("http://ns.adobe.com/xap/1.0/"),
                           std::end("http://ns.adobe.com/xap/1.0/"));
  xmp.insert(xmp.end(), packet.begin(), packet.end());
  EXPECT_TRUE(own(jpeg_with_app1(xmp)));
  EXPECT_FALSE(own(jpeg_with_app1({'A', 'B'})));
  // OpenEXR: attributes up to the "software" string; Radiance: a SOFTWARE line.
  auto exr = [](const std::string& software) {
    std::string bytes("\x76\x2f\x31\x01\x02\0\0\0", 8);
    bytes += std::string("compression\0compression\0\x01\0\0\0\x03", 29);
    bytes += std::string("software\0string\0", 16);
    bytes += std::string(1, static_cast<char>(software.size())) + std::string(3, '\0');
    bytes += software + std::string(1, '\0');
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  };
  auto text = [](const std::string& t) { return std::vector<uint8_t>(t.begin(), t.end()); };
  EXPECT_TRUE(own(exr("lftm")));
  EXPECT_FALSE(own(exr("lftmx")));
  EXPECT_FALSE(own(exr("other")));
  EXPECT_TRUE(own(text("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\nSOFTWARE=lftm\n\n-Y 1 +X 1\n")));
  EXPECT_TRUE(own(text("#?RADIANCE\nSOFTWARE=lftm 0.5.0\n\n-Y 1 +X 1\n")));
  EXPECT_FALSE(own(text("#?RADIANCE\nSOFTWARE=lftmx\n\n-Y 1 +X 1\n")));
  // A SOFTWARE line after the header's end is pixel data, not a mark.
  EXPECT_FALSE(own(text("#?RADIANCE\n\n-Y 1 +X 1\nSOFTWARE=lftm\n")));
  // A directory offset far past the end, and text, are simply not lftm's.
  EXPECT_FALSE(own({'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_FALSE(own({'n', 'o', 't', 'e', 's'}));
}

}  // namespace
}  // namespace lftm
