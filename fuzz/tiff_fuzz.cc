// SPDX-License-Identifier: BSD-3-Clause
// Drives the TIFF reader of the sibling library with arbitrary files, as the drivers call it:
// the information call, then a read into a buffer of exactly the announced size (16-bit
// samples, as the drivers ask, and 8-bit ones), and reads that must be refused; float files
// into RGBE planar bytes.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "fuzz_file.h"
#include "imageio/sibling_api.h"

namespace {

// Larger images add decoding time, not new paths through the reader.
constexpr int64_t kMaxSamples = int64_t{1} << 20;

void read_directory(const char* path, int32_t directory) {
  HdrFileInfo info{};
  const int32_t answer = infotif(path, directory, &info);
  if (answer == lftm::kInfotifFloat) {
    const int32_t w = info.infos[LFTM_INFO_WIDTH];
    const int32_t h = info.infos[LFTM_INFO_HEIGHT];
    if (w < 1 || h < 1) abort();  // promised readable
    if (int64_t{w} * h * 4 > kMaxSamples) return;
    std::vector<uint8_t> rgbe(static_cast<size_t>(w) * h * 4);
    const int32_t result = LFreadtiffrgbe(path, directory, w, h, nullptr, rgbe.data());
    if (result >= 0 && result != h) abort();
    return;
  }
  if (answer != lftm::kInfotifReadable) return;
  const int32_t w = info.infos[LFTM_INFO_WIDTH];
  const int32_t h = info.infos[LFTM_INFO_HEIGHT];
  const int32_t spp = info.infos[LFTM_INFO_SPP];
  if (w < 1 || h < 1 || spp < 1 || spp > 4) abort();  // promised readable
  const int64_t samples = int64_t{w} * h * spp;
  if (samples > kMaxSamples) return;
  for (int32_t bits : {16, 8}) {
    std::vector<uint8_t> dst(static_cast<size_t>(samples) * (bits / 8));
    const int32_t result = LFreadtifflat(path, directory, w, h, spp, bits, dst.data());
    if (result >= 0 && result != h) abort();
  }
  // Fewer samples per pixel than the file has is allowed; a wrong size or more samples not.
  std::vector<uint8_t> grey(static_cast<size_t>(w) * h * 2);
  LFreadtifflat(path, directory, w, h, 1, 16, grey.data());
  if (LFreadtifflat(path, directory, w, h, spp + 1, 16, grey.data()) >= 0) abort();
  if (LFreadtifflat(path, directory, w + 1, h, 1, 16, grey.data()) >= 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = lftm_fuzz::write_input_file(data, size, ".tif");
  if (path == nullptr) return 0;
  read_directory(path, 0);
  read_directory(path, 1);
  return 0;
}
