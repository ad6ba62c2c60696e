// Drives the OpenEXR reader of the sibling library with arbitrary files, as the drivers call
// it: the information call, then a read into RGBE planar bytes of exactly the announced size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_file.h"
#include "imageio/sibling_api.h"

namespace {

// Larger images add decoding time, not new paths through the reader.
constexpr int64_t kMaxPixels = int64_t{1} << 18;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = lftm_fuzz::write_input_file(data, size, ".exr");
  if (path == nullptr) return 0;
  HdrFileInfo info{};
  if (lfexr_dim(path, &info) != 1) return 0;
  const int32_t w = info.infos[0];
  const int32_t h = info.infos[1];
  if (w < 1 || h < 1) abort();  // a successful information call promises an image
  if (int64_t{w} * h > kMaxPixels) return 0;
  std::vector<uint8_t> dst(static_cast<size_t>(4) * w * h);
  float work[4];
  const int32_t result = lfexr_read(path, work, dst.data());
  if (result >= 0 && result != h) abort();
  return 0;
}
