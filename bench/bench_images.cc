// SPDX-License-Identifier: BSD-3-Clause
#include "bench_images.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "imageio/rgbe_reader.h"
#include "lftm.h"

namespace lftm_bench {
namespace {

struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bytes;
};

const Decoded& decoded_sample(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, Decoded> cache;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = cache.find(name);
  if (found != cache.end()) return found->second;

  std::string path = std::string(LFTM_SAMPLES_DIR) + "/" + name;
  float primaries[8];
  HdrFileInfo info{};
  Decoded image;
  if (lftm::rgbe_read_header(path.c_str(), primaries, &info) >= 0) {
    image.width = info.infos[0];
    image.height = info.infos[1];
    image.bytes.resize(4 * static_cast<size_t>(image.width) * image.height);
    if (lftm::rgbe_read_mem(path.c_str(), &info, image.bytes.data()) != image.height) {
      image.width = 0;
    }
  }
  if (image.width <= 0 || image.height <= 0) {
    std::fprintf(stderr, "bench_images: cannot read %s\n", path.c_str());
    std::abort();
  }
  return cache.emplace(name, std::move(image)).first->second;
}

}  // namespace

std::vector<uint8_t> tiled_sample(int width, int height, const std::string& name) {
  const Decoded& src = decoded_sample(name);
  const size_t w = static_cast<size_t>(width);
  std::vector<uint8_t> out(4 * w * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const uint8_t* srcRow =
        src.bytes.data() + 4 * static_cast<size_t>(src.width) * (y % src.height);
    uint8_t* dstRow = out.data() + 4 * w * y;
    for (int component = 0; component < 4; ++component) {
      const uint8_t* from = srcRow + static_cast<size_t>(component) * src.width;
      uint8_t* to = dstRow + component * w;
      for (int x = 0; x < width; x += src.width) {
        std::memcpy(to + x, from, static_cast<size_t>(std::min(src.width, width - x)));
      }
    }
  }
  return out;
}

std::vector<float> exp_table() {
  std::vector<float> table(256);
  lftm::build_exp_table(table.data());
  return table;
}

}  // namespace lftm_bench
