// SPDX-License-Identifier: BSD-3-Clause
// The library's run estimate and file rules as the tool uses them, through the public header
// only.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "lftm_host.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

// The estimate is the number the run itself checks against a limit the host set: a limit of
// exactly the estimate runs, one byte less is refused before any work.
TEST(RunEstimateTest, TheEstimateIsWhatTheRunChecksAgainstTheLimit) {
  lftm_test::TempDir dir;
  struct Case {
    const char* sample;
    int32_t method;
    int32_t bits;
  } cases[] = {
      {"desk.exr", LFTM_METHOD_TEXTURE_BOOSTER, 8},
      {"golden_gate_linear16.tif", LFTM_METHOD_TEXTURE_BOOSTER, 16},
      {"golden_gate_linear16.tif", LFTM_METHOD_RANGE_SQUEEZER, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sample) + " method " + std::to_string(c.method));
    const std::string in = lftm_test::sample_path(c.sample);
    const std::string out = dir.file(c.bits == 8 ? "out.jpg" : "out.tif");
    lftm_options options;
    lftm_options_init(&options, sizeof options, c.method);
    options.bits = c.bits;
    options.threads = 2;
    lftm_run_estimate estimate;
    estimate.struct_size = sizeof estimate;
    ASSERT_EQ(lftm_estimate_run(in.c_str(), &options, &estimate), 0);
    EXPECT_GT(estimate.width * estimate.height, 0);
    EXPECT_EQ(estimate.too_large, 0);
    ASSERT_GT(estimate.memory, 0);
    options.memory_limit = estimate.memory - 1;
    EXPECT_EQ(lftm_tonemap_file(in.c_str(), out.c_str(), &options), LFTM_ERR_OVER_LIMIT);
    EXPECT_FALSE(lftm_test::file_exists(out));
    options.memory_limit = estimate.memory;
    EXPECT_EQ(lftm_estimate_run(in.c_str(), &options, &estimate), 0);
    EXPECT_EQ(estimate.budget, options.memory_limit) << "a limit set is the budget";
    EXPECT_EQ(lftm_tonemap_file(in.c_str(), out.c_str(), &options), 0);
    unlink(out.c_str());
  }
}

// The names a front end must treat alike: the output format a name asks for, and names that
// are one file, whether it exists or not.
TEST(RunEstimateTest, FileNameRulesTellFormatsAndOneFileUnderManyNames) {
  struct Format {
    const char* name;
    int32_t format;
  } formats[] = {
      {"a.jpg", LFTM_OUTPUT_JPEG},  {"a.JPEG", LFTM_OUTPUT_JPEG}, {"a.b.Tif", LFTM_OUTPUT_TIFF},
      {"a.tiff", LFTM_OUTPUT_TIFF}, {"a.jpg.png", LFTM_OUTPUT_NONE},
      {"x.jpg/a", LFTM_OUTPUT_NONE}, {"jpg", LFTM_OUTPUT_NONE}, {nullptr, LFTM_OUTPUT_NONE},
  };
  for (const Format& f : formats) {
    EXPECT_EQ(lftm_output_format(f.name), f.format) << (f.name ? f.name : "null");
  }
  lftm_test::TempDir dir;
  const std::string photo = dir.file("photo.hdr");
  ASSERT_TRUE(lftm_test::write_text(photo, "#?RADIANCE\n"));
  ASSERT_TRUE(lftm_test::write_text(dir.file("other.hdr"), "#?RADIANCE\n"));
  ASSERT_EQ(link(photo.c_str(), dir.file("hard.hdr").c_str()), 0);
  ASSERT_EQ(symlink(photo.c_str(), dir.file("soft.hdr").c_str()), 0);
  mkdir(dir.file("sub").c_str(), 0700);
  EXPECT_EQ(lftm_same_file(photo.c_str(), dir.file("hard.hdr").c_str()), 1);
  EXPECT_EQ(lftm_same_file(photo.c_str(), dir.file("soft.hdr").c_str()), 1);
  EXPECT_EQ(lftm_same_file(photo.c_str(), dir.file("sub/../photo.hdr").c_str()), 1);
  EXPECT_EQ(lftm_same_file(photo.c_str(), dir.file("other.hdr").c_str()), 0);
  // Files still to be written: the same name after the folder is resolved.
  EXPECT_EQ(lftm_same_file(dir.file("new.jpg").c_str(), dir.file("sub/../new.jpg").c_str()), 1);
  EXPECT_EQ(lftm_same_file(dir.file("new.jpg").c_str(), dir.file("sub/new.jpg").c_str()), 0);
  EXPECT_EQ(lftm_same_file(photo.c_str(), nullptr), LFTM_ERR_ARGUMENT);
  rmdir(dir.file("sub").c_str());
}

}  // namespace
