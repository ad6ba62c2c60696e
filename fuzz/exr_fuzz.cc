// SPDX-License-Identifier: BSD-3-Clause
// Drives the OpenEXR reader of the sibling library with arbitrary files, as the drivers call
// it: the information call, then a read into RGBE planar bytes of exactly the announced size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_file.h"
#include "imageio/sibling_api.h"

namespace {

// Larger images add decoding time, not new paths through the reader.
constexpr int64_t kMaxPixels = int64_t{1} << 16;

// True when every header attribute announces no more bytes than the file has left. The
// OpenEXR library allocates an attribute's announced size before it finds the file too short,
// which makes such inputs slow without reaching any more of the reader.
bool attribute_sizes_fit(const uint8_t* data, size_t size) {
  size_t at = 8;  // magic number and version
  while (at < size && data[at] != 0) {
    for (int text = 0; text < 2; ++text) {  // name and type, each NUL-terminated
      while (at < size && data[at] != 0) ++at;
      ++at;
    }
    if (at + 4 > size) return true;
    const uint32_t length = static_cast<uint32_t>(data[at]) | data[at + 1] << 8 |
                            data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
    at += 4;
    if (length > size - at) return false;
    at += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!attribute_sizes_fit(data, size)) return 0;
  const char* path = lftm_fuzz::write_input_file(data, size, ".exr");
  if (path == nullptr) return 0;
  HdrFileInfo info{};
  if (lfexr_dim(path, &info) != 1) return 0;
  const int32_t w = info.infos[LFTM_INFO_WIDTH];
  const int32_t h = info.infos[LFTM_INFO_HEIGHT];
  if (w < 1 || h < 1) abort();  // a successful information call promises an image
  if (int64_t{w} * h > kMaxPixels) return 0;
  std::vector<uint8_t> dst(static_cast<size_t>(4) * w * h);
  float work[4];
  const int32_t result = lfexr_read(path, work, dst.data());
  if (result >= 0 && result != h) abort();
  return 0;
}
