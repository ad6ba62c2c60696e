// SPDX-License-Identifier: BSD-3-Clause
// The tool's conversion hands every writer option to the run: its file equals what the
// classic drivers write when given the same arguments.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "lftm.h"
#include "support/files.h"
#include "support/temp_dir.h"

namespace {

// The classic driver of `method` writing `out` with the writers' texts and JPEG chroma.
int32_t classic_run(int32_t method, const std::string& in, const std::string& out, int32_t bits,
                    int32_t quality, int32_t chroma444) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = bits;
  TmFiles files;
  init_optim_param(&files);
  files.inFile = in.c_str();
  TmParam params;
  tmparam_default(method, 0, &params);
  SaveOptions save = {};
  save.options[LFTM_SAVE_COMPRESSION] = LFTM_TIFF_LZW;
  const intptr_t description = reinterpret_cast<intptr_t>("a bridge");
  const intptr_t artist = reinterpret_cast<intptr_t>("someone");
  const intptr_t copyright = reinterpret_cast<intptr_t>("nobody's");
  auto driver = method == LFTM_METHOD_RANGE_SQUEEZER ? tms : tonemap;
  return driver(LFTM_EXT_HDR, &desc, &params, quality, &save, description, artist, chroma444,
                copyright, 0, nullptr, &files, out.c_str());
}

TEST(ConvertCommandTest, WriterTextsAndChromaReachTheFileAsTheDriversWriteThem) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("golden_gate.hdr");
  const std::string texts =
      " --description 'a bridge' --artist someone --copyright \"nobody's\" --compression lzw";
  struct Case {
    int32_t method;
    const char* name;
    int32_t bits;
    const char* flags;
  } cases[] = {
      {LFTM_METHOD_RANGE_SQUEEZER, "o.jpg", 8, " -m squeezer --chroma444 --quality 77"},
      {LFTM_METHOD_TEXTURE_BOOSTER, "o.tif", 16, " --bits 16"},
  };
  for (const Case& c : cases) {
    const std::string tool = dir.file(std::string("tool_") + c.name);
    const std::string classic = dir.file(std::string("classic_") + c.name);
    const std::string command =
        std::string(LFTM_TOOL_PATH) + " -q" + c.flags + texts + " " + in + " " + tool;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const bool jpeg = c.bits == 8;
    ASSERT_GE(classic_run(c.method, in, classic, c.bits, jpeg ? 77 : 90, jpeg ? 1 : 0), 0);
    EXPECT_TRUE(lftm_test::read_file(tool) == lftm_test::read_file(classic)) << c.name;
  }
}

}  // namespace
