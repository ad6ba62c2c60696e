#include "platform/scratch_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

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

}  // namespace
}  // namespace lftm
