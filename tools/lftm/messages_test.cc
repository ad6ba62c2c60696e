#include "messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "lftm.h"

namespace lftm_cli {
namespace {

TEST(MessagesTest, EveryLibraryCodeHasOneSentenceAndUnknownCodesSaySo) {
  // The codes the drivers, the readers and the writers can return.
  const int32_t codes[] = {-1,    -2,    -4,    -11,   -12,   -13,   -101,  -110,  -111,
                           -120,  -125,  -126,  -127,  -130,  -131,  -132,  -165,  -1000,
                           -1001, -1002, -2000, -2001, -2003, -2004, -2005, -2006, -2007,
                           -3001, -3002, -3003, -3101, -3102, -3103, -3104};
  for (int32_t code : codes) {
    EXPECT_TRUE(is_known_code(code)) << code;
    EXPECT_STRNE(describe_code(code), "unknown error") << code;
  }
  std::set<int32_t> seen;
  for (int i = 0; i < known_code_count(); ++i) {
    EXPECT_LT(known_code_at(i), 0);
    EXPECT_TRUE(seen.insert(known_code_at(i)).second) << "listed twice: " << known_code_at(i);
  }
  // Codes of one method's own.
  EXPECT_STRNE(describe_method_code(LFTM_METHOD_RANGE_SQUEEZER, -1), describe_code(-1));
  EXPECT_STRNE(describe_method_code(LFTM_METHOD_TEXTURE_BOOSTER, -101), describe_code(-101));
  EXPECT_STREQ(describe_method_code(LFTM_METHOD_TEXTURE_BOOSTER, -1), describe_code(-1));
  EXPECT_STREQ(describe_code(-999), "unknown error");
  EXPECT_STREQ(describe_code(1), "unknown error");
}

TEST(MessagesTest, EveryCauseTheToolFindsHasASentenceOfItsOwn) {
  std::set<std::string> sentences;
  for (int i = 0; i < known_code_count(); ++i) sentences.insert(describe_code(known_code_at(i)));
  for (int32_t cause = kCauseMissing; cause >= kCauseNoMemory; --cause) {
    ASSERT_NE(describe_cause(cause), nullptr) << cause;
    EXPECT_TRUE(sentences.insert(describe_cause(cause)).second) << describe_cause(cause);
  }
  EXPECT_EQ(describe_cause(LFTM_ERR_READ), nullptr);
  // The library's codes are shown, the tool's own are not.
  EXPECT_EQ(failure_line("a.hdr", kCauseEmpty, ""), "a.hdr: the file is empty");
  EXPECT_EQ(failure_line("a.hdr", LFTM_ERR_READ, "row 3"),
            std::string("a.hdr: ") + describe_code(LFTM_ERR_READ) + " (row 3; code -1001)");
}

}  // namespace
}  // namespace lftm_cli
