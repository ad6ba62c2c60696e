// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lftm.h"
#include "lftm_host.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

const std::string kHead = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n";

lftm_input_report diagnose(const std::string& path) {
  lftm_input_report report;
  std::memset(&report, 0xff, sizeof report);
  report.struct_size = sizeof report;
  EXPECT_EQ(lftm_diagnose_input(path.c_str(), &report), report.code) << path;
  return report;
}

// The diagnosis reads the header as the readers do: what it passes, the reader reads, and it
// measures in 64 bits what a 32-bit reader slot would clamp.
TEST(DiagnoseInputTest, EachCauseComesWithWhatWasMeasured) {
  lftm_test::TempDir dir;
  const std::string flipped = dir.file("flipped.hdr");
  lftm_test::write_text(flipped, kHead + "+Y 20 +X 20\n" + std::string(1600, '\0'));
  lftm_input_report r = diagnose(flipped);
  EXPECT_EQ(r.code, LFTM_ERR_INPUT_ORIENTATION);
  EXPECT_STREQ(r.resolution_line, "+Y 20 +X 20");

  // A line of another orientation before the one the reader takes does not stop it.
  const std::string both = dir.file("both.hdr");
  lftm_test::write_text(both, kHead + "+Y 2 +X 2\n-Y 2 +X 2\n" + std::string(16, '\x80'));
  EXPECT_EQ(diagnose(both).code, 0);
  lftm_file_info info;
  std::memset(&info, 0, sizeof info);
  info.struct_size = sizeof info;
  EXPECT_EQ(lftm_read_info(both.c_str(), &info, 0), 0);

  const std::string claims = dir.file("claims.hdr");
  lftm_test::write_text(claims, kHead + "-Y 20000 +X 20000\n" + std::string(2000, '\0'));
  r = diagnose(claims);
  EXPECT_EQ(r.code, LFTM_ERR_INPUT_TRUNCATED);
  EXPECT_EQ(r.data_bytes, 2000);
  EXPECT_EQ(r.least_data_bytes, 20000LL * (4 + 8 * 158));  // run-length rows are smaller
  EXPECT_EQ(r.file_bytes, static_cast<int64_t>(kHead.size() + 18 + 2000));

  const std::string tall = dir.file("tall.hdr");
  lftm_test::write_text(tall, kHead + "-Y 3000000000 +X 1\n");
  r = diagnose(tall);
  EXPECT_EQ(r.code, LFTM_ERR_TOO_LARGE);
  EXPECT_EQ(r.height, 3000000000LL);
  EXPECT_EQ(r.width, 1);

  // Named as a Radiance file, without its first line or a size: a text file.
  const std::string notes = dir.file("notes.hdr");
  lftm_test::write_text(notes, "some notes\nmore\n");
  r = diagnose(notes);
  EXPECT_EQ(r.code, LFTM_ERR_UNKNOWN_FORMAT);
  EXPECT_EQ(r.other_kind, LFTM_INPUT_KIND_TEXT);
  const std::string png = dir.file("png.exr");
  lftm_test::write_text(png, std::string("\x89PNG\r\n\x1a\n") + std::string(100, '\x07'));
  r = diagnose(png);
  EXPECT_EQ(r.code, LFTM_ERR_UNKNOWN_FORMAT);
  EXPECT_EQ(r.format, 0);
  EXPECT_EQ(r.other_kind, LFTM_INPUT_KIND_PNG);

  EXPECT_EQ(diagnose(lftm_test::sample_path("golden_gate.hdr")).code, 0);
  EXPECT_EQ(diagnose(dir.file("missing.hdr")).code, LFTM_ERR_INPUT_MISSING);
  lftm_input_report small;
  small.struct_size = sizeof small - 1;
  EXPECT_EQ(lftm_diagnose_input(flipped.c_str(), &small), LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_diagnose_input(nullptr, &r), LFTM_ERR_ARGUMENT);
}

}  // namespace
