// SPDX-License-Identifier: BSD-3-Clause
#include "platform/live_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/scratch_file.h"
#include "platform/staged_output.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace lftm {
namespace {

bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// What a signal handler removes is exactly what runs still own: files removed or renamed in
// the meantime are forgotten, so a later file of the same name (a finished output, or
// someone else's file) is never touched.
TEST(LiveFilesTest, UnlinkAllRemovesOnlyFilesStillOwned) {
  lftm_test::TempDir dir;
  std::string kept, removed;
  {
    lftm_test::ScopedTmpdir tmp(dir.path());
    ASSERT_EQ(create_scratch_file("tm10", &kept), 0);
    ASSERT_EQ(create_scratch_file("tm11", &removed), 0);
  }
  remove_file(removed.c_str());
  lftm_test::write_file(removed, {1});

  const std::string final = dir.file("out.jpg");
  StagedOutput committed, pending;
  ASSERT_EQ(committed.create(final.c_str()), 0);
  ASSERT_EQ(committed.commit(), 0);
  ASSERT_EQ(pending.create(dir.file("other.tif").c_str()), 0);
  const std::string temporary = pending.path();

  // Other threads record and forget files meanwhile (hosts running drivers at once).
  std::vector<std::thread> hosts;
  for (int t = 0; t < 4; ++t) {
    hosts.emplace_back([&dir, t] {
      const std::string path = dir.file("host" + std::to_string(t));
      for (int i = 0; i < 500; ++i) {
        live_file_add(path.c_str());
        live_file_drop(path.c_str());
      }
    });
  }
  for (std::thread& host : hosts) host.join();

  EXPECT_EQ(live_files_unlink_all(), 2);
  EXPECT_FALSE(exists(kept));
  EXPECT_FALSE(exists(temporary));
  EXPECT_TRUE(exists(removed));
  EXPECT_TRUE(exists(final));
  EXPECT_EQ(live_files_unlink_all(), 0);
  unlink(removed.c_str());
  unlink(final.c_str());
}

TEST(LiveFilesTest, AFullTableRefusesAndFreesAgain) {
  std::vector<std::string> names;
  for (int i = 0; i < kLiveFileSlots; ++i) names.push_back("/nonexistent/lftm" + std::to_string(i));
  for (const std::string& name : names) ASSERT_TRUE(live_file_add(name.c_str()));
  EXPECT_FALSE(live_file_add("/nonexistent/one_more"));
  live_file_drop(names[7].c_str());
  EXPECT_TRUE(live_file_add("/nonexistent/one_more"));
  EXPECT_FALSE(live_file_add(std::string(kLiveFilePathBytes, 'a').c_str()));
  EXPECT_EQ(live_files_unlink_all(), kLiveFileSlots);
}

}  // namespace
}  // namespace lftm
