// SPDX-License-Identifier: BSD-3-Clause
#include "messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "lftm_host.h"

namespace lftm_cli {
namespace {

TEST(MessagesTest, TheToolsOwnWordsReplaceTheLibrarysOnlyForItsOwnCodes) {
  // The Radiance streaming reader's numbers and the TIFF layouts have sentences of the tool's.
  for (int32_t code : {-3, -5, -6, int32_t{kTiffCmyk}, int32_t{kTiffOtherSamples}}) {
    EXPECT_STRNE(describe_code(code), lftm_strerror(code, 0)) << code;
  }
  // Remedies name the tool's options where the library's name its modes.
  EXPECT_NE(std::string(describe_code(LFTM_ERR_NO_MEMORY)).find("--disk"), std::string::npos);
  EXPECT_STREQ(describe_code(LFTM_ERR_READ), lftm_strerror(LFTM_ERR_READ, 0));
  EXPECT_STREQ(describe_code(-1, LFTM_METHOD_RANGE_SQUEEZER),
               lftm_strerror(-1, LFTM_METHOD_RANGE_SQUEEZER));
  EXPECT_STREQ(describe_code(-999), lftm_strerror(-999, 0));
}

TEST(MessagesTest, EveryCauseTheToolFindsHasASentenceOfItsOwn) {
  std::set<std::string> sentences;
  for (int32_t code = -1; code >= -3200; --code) sentences.insert(describe_code(code));
  std::vector<int32_t> causes;
  for (int32_t cause = kCauseTruncated; cause >= kCauseNoMemory; --cause) causes.push_back(cause);
  // The library's input causes count as the tool's.
  for (int32_t cause = LFTM_ERR_INPUT_MISSING; cause >= LFTM_ERR_INPUT_EMPTY; --cause) {
    causes.push_back(cause);
  }
  for (int32_t cause : causes) {
    ASSERT_NE(describe_cause(cause), nullptr) << cause;
    EXPECT_TRUE(sentences.insert(describe_cause(cause)).second) << describe_cause(cause);
  }
  EXPECT_EQ(describe_cause(LFTM_ERR_READ), nullptr);
  // The library's codes are shown, the causes are not.
  EXPECT_EQ(failure_line("a.hdr", LFTM_ERR_INPUT_EMPTY, ""),
            std::string("a.hdr: ") + lftm_strerror(LFTM_ERR_INPUT_EMPTY, 0));
  EXPECT_EQ(failure_line("a.hdr", LFTM_ERR_READ, "row 3"),
            std::string("a.hdr: ") + describe_code(LFTM_ERR_READ) + " (row 3; code -1001)");
  EXPECT_EQ(failure_line("a.hdr", -1, "", LFTM_METHOD_RANGE_SQUEEZER),
            std::string("a.hdr: ") + lftm_strerror(-1, LFTM_METHOD_RANGE_SQUEEZER) +
                " (code -1)");
}

}  // namespace
}  // namespace lftm_cli
