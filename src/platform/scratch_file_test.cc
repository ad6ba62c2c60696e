// SPDX-License-Identifier: BSD-3-Clause
#include "platform/scratch_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "lftm.h"
#include "platform/file_backed_buffer.h"
#include "support/temp_dir.h"

namespace lftm {
namespace {

TEST(ScratchFileTest, CreatesUniqueFilesWithPrefixInTempDir) {
  lftm_test::TempDir dir;
  std::string a, b;
  {
    lftm_test::ScopedTmpdir tmp(dir.path());
    ASSERT_EQ(create_scratch_file("tm10", &a), 0);
    ASSERT_EQ(create_scratch_file("tm10", &b), 0);
  }
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(dir.path() + "/tm10", 0), 0u);
  EXPECT_EQ(access(a.c_str(), F_OK), 0);
  remove_file(a.c_str());
  remove_file(b.c_str());
  EXPECT_NE(access(a.c_str(), F_OK), 0);
}

TEST(ScratchFileTest, MissingTempDirIsReported) {
  lftm_test::ScopedTmpdir missing("/nonexistent/lftm");
  std::string path;
  EXPECT_EQ(create_scratch_file("tm11", &path), -1);
}

TEST(ScratchFileTest, QuarterTransfersRoundTripAtOffsetsPast4GB) {
  lftm_test::TempDir dir;
  std::string path = dir.file("q");
  std::vector<float> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<float>(i) * 0.5f;
  std::FILE* f = std::fopen(path.c_str(), "w+b");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(write_quarters(f, data.data(), data.size() * sizeof(float)), 4);
  ASSERT_TRUE(seek_to(f, 400 * sizeof(float)));
  std::vector<float> back(600);
  EXPECT_EQ(read_quarters(f, back.data(), back.size() * sizeof(float)), 4);
  EXPECT_EQ(back[0], 200.0f);
  EXPECT_EQ(back[599], 499.5f);
  EXPECT_LT(read_quarters(f, back.data(), back.size() * sizeof(float)), 4);

  // A gigapixel run places planes past 4 GB: the offset must survive as 64 bits (the file
  // stays sparse, so this costs no disk space).
  const long long far = (5LL << 30) + 12;
  ASSERT_TRUE(seek_to(f, far));
  EXPECT_EQ(write_quarters(f, data.data(), data.size() * sizeof(float)), 4);
  ASSERT_TRUE(seek_to(f, far + 400 * static_cast<long long>(sizeof(float))));
  EXPECT_EQ(read_quarters(f, back.data(), back.size() * sizeof(float)), 4);
  EXPECT_EQ(back[0], 200.0f);
  EXPECT_EQ(back[599], 499.5f);
  EXPECT_EQ(ftello(f), far + static_cast<long long>(data.size() * sizeof(float)));
  std::fclose(f);
}

// Pages handed back while two threads write and after they are done keep their contents,
// in the mapping and in the file.
TEST(ScratchFileTest, FileBackedBufferKeepsWhatIsWrittenWhilePagesGoBack) {
  lftm_test::TempDir dir;
  const std::string path = dir.path() + "/tm16";
  constexpr size_t count = 6u << 20;  // 24 MB of ints
  FileBackedBuffer missing;
  EXPECT_EQ(missing.map("/nonexistent/lftm/tm16", 4096), LFTM_ERR_FILE);
  std::FILE* made = std::fopen(path.c_str(), "wb");
  ASSERT_NE(made, nullptr);
  std::fclose(made);
  {
    FileBackedBuffer buffer;
    ASSERT_EQ(buffer.map(path.c_str(), count * sizeof(int)), 0);
    int* values = static_cast<int*>(buffer.get());
    auto fill = [values](size_t first) {
      for (size_t i = first; i < count; i += 2) {
        values[i] = static_cast<int>(i * 2654435761u);
        if (i % (1u << 20) == first) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    };
    std::thread other(fill, 1);
    fill(0);
    other.join();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    size_t wrong = 0;
    for (size_t i = 0; i < count; ++i) wrong += values[i] != static_cast<int>(i * 2654435761u);
    EXPECT_EQ(wrong, 0u);
  }
  std::vector<int> back(count);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fread(back.data(), sizeof(int), count, file), count);
  std::fclose(file);
  size_t wrong = 0;
  for (size_t i = 0; i < count; ++i) wrong += back[i] != static_cast<int>(i * 2654435761u);
  EXPECT_EQ(wrong, 0u);
}

}  // namespace
}  // namespace lftm
