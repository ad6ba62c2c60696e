// SPDX-License-Identifier: BSD-3-Clause
// Drives the RGBE header parser and both pixel readers with arbitrary files.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz_file.h"
#include "fuzz_input.h"
#include "imageio/rgbe_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = lftm_fuzz::write_input_file(data, size, ".hdr");
  if (path == nullptr) return 0;
  HdrFileInfo info{};
  float primaries[8];
  if (lftm::rgbe_read_header(path, primaries, &info) < 0) return 0;
  // The header may announce any size up to the library's limit; keep each run small.
  const size_t bytes =
      static_cast<size_t>(4) * info.infos[LFTM_INFO_WIDTH] * info.infos[LFTM_INFO_HEIGHT];
  if (bytes > (size_t{1} << 20)) return 0;
  std::vector<unsigned char> pixels(bytes);
  int mem = lftm::rgbe_read_mem(path, &info, pixels.data());
  int stream = lftm::rgbe_read_stream(path, &info, pixels.data());
  const int32_t rows = info.infos[LFTM_INFO_HEIGHT];
  if ((mem >= 0 && mem != rows) || (stream >= 0 && stream != rows)) abort();
  return 0;
}
