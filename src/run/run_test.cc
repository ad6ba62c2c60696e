// SPDX-License-Identifier: BSD-3-Clause
// The run over its sources and sinks: decoded pixels give the samples of the file they were
// read from, a delivery to memory gets the samples the file sink writes, and disk mode takes
// decoded pixels too.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/memory_budget.h"
#include "run/run_request.h"
#include "support/diag_capture.h"
#include "support/image_files.h"
#include "support/temp_dir.h"

namespace lftm {
namespace {

struct Output {
  int32_t result = 0;
  std::vector<uint8_t> bytes;
};

// Runs `method` from `source` into memory (or, with `outFile`, into that file).
Output run_into(const RunSource& source, int32_t method, int32_t bits, int32_t disk,
                const char* outFile = nullptr) {
  TmParam params;
  tmparam_default(method, 0, &params);
  ImageDesc desc;
  init_dim_param(&desc);
  Output output;
  // The delivery takes as many bytes as the layout that the run wrote back says.
  auto deliver = [&](const void* samples) {
    const auto* at = static_cast<const uint8_t*>(samples);
    output.bytes.assign(at, at + static_cast<size_t>(desc.width) * desc.height * desc.spp *
                                     (bits / 8));
    return 0;
  };
  RunRequest request;
  request.source = source;
  request.sink = outFile != nullptr ? file_sink(outFile) : memory_sink(deliver, "(memory)");
  request.method = method;
  request.params = &params;
  request.bits = bits;
  request.threads = 3;
  request.disk = disk;
  request.memoryBudget = memory_budget_for(0);
  request.desc = &desc;
  output.result = run_tone_mapping(request, default_sibling_names());
  return output;
}

// The file's pixels as the run's reader delivers them.
std::vector<uint8_t> decode(int32_t extType, const std::string& path, DecodedPixels* pixels) {
  SiblingSet siblings;
  EXPECT_EQ(siblings.load_reader(default_sibling_names(), extType), 0);
  HdrFileInfo info;
  int32_t spp = 3;
  EXPECT_GE(read_image_info(extType, siblings, path.c_str(), &info, &spp), 0);
  size_t bytes = 0;
  EXPECT_TRUE(image_bytes(extType, info.infos[0], info.infos[1], spp, &bytes));
  std::vector<uint8_t> data(bytes);
  EXPECT_GE(read_image(extType, siblings, path.c_str(), info, spp, pixels->work, data.data()),
            0);
  pixels->kind = extType;
  pixels->width = info.infos[0];
  pixels->height = info.infos[1];
  pixels->spp = spp;
  pixels->data = data.data();
  return data;
}

TEST(RunTest, DecodedPixelsAndMemorySinkGiveTheFileRunsSamples) {
  lftm_test::TempDir dir;
  lftm_test::DiagCapture quiet;
  const std::string hdr = lftm_test::write_hdr(dir.file("in.hdr"), 64, 48);
  const std::string tif =
      lftm_test::write_tiff(dir.file("in.tif"), 64, 48, lftm_test::TiffSamples::kUint16);
  for (int32_t extType : {LFTM_EXT_HDR, LFTM_EXT_TIF_LINEAR}) {
    const std::string& path = extType == LFTM_EXT_HDR ? hdr : tif;
    DecodedPixels pixels;
    const std::vector<uint8_t> data = decode(extType, path, &pixels);
    for (int32_t method : {LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER}) {
      const std::string where = std::to_string(extType) + " method " + std::to_string(method);
      const Output fromFile = run_into(file_source(extType, path.c_str()), method, 16, 0);
      ASSERT_GE(fromFile.result, 0) << where;
      const Output fromPixels = run_into(pixel_source(&pixels, "(memory)"), method, 16, 0);
      ASSERT_GE(fromPixels.result, 0) << where;
      EXPECT_TRUE(fromPixels.bytes == fromFile.bytes) << where;
      // The file sink writes the samples the delivery received.
      const std::string out = dir.file("out.tif");
      ASSERT_GE(run_into(file_source(extType, path.c_str()), method, 16, 0, out.c_str()).result,
                0)
          << where;
      const std::vector<uint16_t> written = lftm_test::tiff_samples(out);
      ASSERT_EQ(written.size() * 2, fromFile.bytes.size()) << where;
      EXPECT_EQ(std::memcmp(written.data(), fromFile.bytes.data(), fromFile.bytes.size()), 0)
          << where;
    }
    // Disk mode spools RGBE pixels into a Radiance scratch file and refuses 16-bit samples.
    const Output disk = run_into(pixel_source(&pixels, "(memory)"), LFTM_METHOD_TEXTURE_BOOSTER,
                                 8, 1);
    if (extType == LFTM_EXT_HDR) {
      ASSERT_GE(disk.result, 0);
      EXPECT_TRUE(disk.bytes ==
                  run_into(file_source(extType, path.c_str()), LFTM_METHOD_TEXTURE_BOOSTER, 8, 0)
                      .bytes);
    } else {
      EXPECT_EQ(disk.result, LFTM_ERR_DISK_TIFF);
    }
  }
}

}  // namespace
}  // namespace lftm
