// SPDX-License-Identifier: BSD-3-Clause
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "lftm.h"
#include "lftm_host.h"

namespace {

TEST(ErrorTextTest, EveryCodeOfTheHeaderHasASentenceOfItsOwn) {
  const std::string unknown = lftm_strerror(-999, 0);
  // One name per number; the numbers with several names are described together.
  const int32_t codes[] = {
      LFTM_ERR_FILE,          LFTM_ERR_IO,            LFTM_ERR_LOG_TYPE,
      LFTM_ERR_NO_MEMORY,     LFTM_ERR_NOT_HALVING,   LFTM_ERR_XMP_NO_NAMESPACE,
      LFTM_ERR_SOLVER_SCRATCH, LFTM_ERR_EXT_TYPE,     LFTM_ERR_EMPTY_LUM,
      LFTM_ERR_DISK_TIFF,     LFTM_ERR_TOO_SMALL,     LFTM_ERR_TOO_LARGE,
      LFTM_ERR_INFO,          LFTM_ERR_READ,          LFTM_ERR_READ_AGAIN,
      LFTM_ERR_LOAD_JPG,      LFTM_ERR_ENTRY_JPG,     LFTM_ERR_LOAD_TIFW,
      LFTM_ERR_LOAD_TIFR,     LFTM_ERR_ENTRY_INFOTIF, LFTM_ERR_ENTRY_READTIF,
      LFTM_ERR_LOAD_EXR,      LFTM_ERR_ENTRY_EXRDIM,  LFTM_ERR_ENTRY_EXRREAD,
      LFTM_ERR_ENTRY_BUF2TIF, LFTM_ERR_RGBE_OPEN,     LFTM_ERR_RGBE_SEEK,
      LFTM_ERR_RGBE_SHORT,    LFTM_ERR_RGBE_NO_SIZE,  LFTM_ERR_RGBE_BAD_SIZE,
      LFTM_ERR_RGBE_RUN,      LFTM_ERR_RGBE_LITERAL,  LFTM_ERR_RGBE_ROW_WIDTH,
      LFTM_ERR_WRITER_ARGS,
      LFTM_ERR_WRITER_CREATE, LFTM_ERR_WRITER_IO,     LFTM_ERR_SIB_OPEN,
      LFTM_ERR_SIB_LAYOUT,    LFTM_ERR_SIB_DECODE,    LFTM_ERR_SIB_SIZE,
      LFTM_ERR_CANCELLED,     LFTM_ERR_ARGUMENT,      LFTM_ERR_UNKNOWN_FORMAT,
      LFTM_ERR_INPUT_MISSING, LFTM_ERR_INPUT_NO_PERMISSION, LFTM_ERR_INPUT_FOLDER,
      LFTM_ERR_INPUT_NOT_REGULAR, LFTM_ERR_INPUT_CANNOT_OPEN, LFTM_ERR_INPUT_EMPTY,
      LFTM_ERR_INPUT_ORIENTATION, LFTM_ERR_INPUT_TRUNCATED,
      LFTM_ERR_OVER_LIMIT,    LFTM_ERR_TEMP_MISSING,  LFTM_ERR_TEMP_NOT_WRITABLE,
      LFTM_ERR_SAME_FILE,     LFTM_ERR_OUTPUT_EXISTS, LFTM_ERR_OUTPUT_NOT_FILE,
      LFTM_ERR_OUTPUT_READ_ONLY,
      LFTM_ERR_SETTING_VALUE, LFTM_ERR_NOT_SIDECAR,
  };
  std::map<std::string, int32_t> owner;
  for (int32_t code : codes) {
    const char* text = lftm_strerror(code, 0);
    ASSERT_NE(text, nullptr) << code;
    EXPECT_GT(std::strlen(text), 0u) << code;
    EXPECT_NE(text, unknown) << code;
    auto [at, fresh] = owner.emplace(text, code);
    EXPECT_TRUE(fresh) << code << " says what " << at->second << " says";
  }
  // A method's own meaning replaces the general one; other codes read the same for every method.
  EXPECT_STRNE(lftm_strerror(-1, LFTM_METHOD_RANGE_SQUEEZER), lftm_strerror(-1, 0));
  EXPECT_STREQ(lftm_strerror(-1, LFTM_METHOD_TEXTURE_BOOSTER), lftm_strerror(-1, 0));
  EXPECT_STRNE(lftm_strerror(LFTM_ERR_NEGATIVE_LUM, LFTM_METHOD_TEXTURE_BOOSTER),
               lftm_strerror(LFTM_ERR_EXT_TYPE, LFTM_METHOD_RANGE_SQUEEZER));
  EXPECT_STREQ(lftm_strerror(LFTM_ERR_READ, LFTM_METHOD_RANGE_SQUEEZER),
               lftm_strerror(LFTM_ERR_READ, 0));
  EXPECT_STREQ(lftm_strerror(0, 0), "no error");
  EXPECT_STREQ(lftm_strerror(1, LFTM_METHOD_TEXTURE_BOOSTER), "no error");
  EXPECT_EQ(lftm_strerror(-3099, 2), unknown);
}

}  // namespace
