// SPDX-License-Identifier: BSD-3-Clause
// The OpenEXR writer of image_files.h.
#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfOutputFile.h>
#include <ImfTiledOutputFile.h>

#include <cmath>

#include "support/image_files.h"

namespace lftm_test {

void write_exr(const std::string& path, const ExrLayout& l, const SampleAt& sample) {
  const Imath::Box2i window(Imath::V2i(l.x0, l.y0),
                            Imath::V2i(l.x0 + l.width - 1, l.y0 + l.height - 1));
  Imf::Header header(window, window);
  const bool half = l.samples == ExrSamples::kHalf;
  const Imf::PixelType type = half ? Imf::HALF : Imf::FLOAT;
  for (const std::string& name : l.channels) header.channels().insert(name, Imf::Channel(type));
  if (l.tiled) header.setTileDescription(Imf::TileDescription(16, 16, Imf::ONE_LEVEL));
  if (!l.pixels) {
    // The header is written when the file is made; no pixels follow.
    if (l.tiled) {
      Imf::TiledOutputFile file(path.c_str(), header);
    } else {
      Imf::OutputFile file(path.c_str(), header);
    }
    return;
  }
  // Interleaved pixels, one value of each channel after the other.
  const size_t n = l.channels.size();
  std::vector<float> floats(static_cast<size_t>(l.width) * l.height * n);
  std::vector<::half> halves(half ? floats.size() : 0);
  for (int y = 0; y < l.height; ++y) {
    for (int x = 0; x < l.width; ++x) {
      for (size_t c = 0; c < n; ++c) {
        const size_t i = (static_cast<size_t>(y) * l.width + x) * n + c;
        floats[i] = static_cast<float>(sample(x, y, static_cast<int>(c)));
        if (half) halves[i] = floats[i];
      }
    }
  }
  const size_t size = half ? sizeof(::half) : sizeof(float);
  char* base = half ? reinterpret_cast<char*>(halves.data())
                    : reinterpret_cast<char*>(floats.data());
  Imf::FrameBuffer frame;
  for (size_t c = 0; c < n; ++c) {
    frame.insert(l.channels[c], Imf::Slice::Make(type, base + c * size, Imath::V2i(l.x0, l.y0),
                                                 l.width, l.height, n * size, n * size * l.width));
  }
  if (l.tiled) {
    Imf::TiledOutputFile file(path.c_str(), header);
    file.setFrameBuffer(frame);
    file.writeTiles(0, file.numXTiles() - 1, 0, file.numYTiles() - 1);
  } else {
    Imf::OutputFile file(path.c_str(), header);
    file.setFrameBuffer(frame);
    file.writePixels(l.height);
  }
}

std::string write_exr(const std::string& path, int width, int height, bool pixels) {
  ExrLayout layout;
  layout.width = width;
  layout.height = height;
  layout.samples = ExrSamples::kHalf;
  layout.pixels = pixels;
  write_exr(path, layout, [&](int x, int y, int c) {
    const size_t i = (static_cast<size_t>(y) * width + x) * 3 + c;
    return std::exp2(static_cast<float>(i % 23) / 3.0f - 3.0f);
  });
  return path;
}

}  // namespace lftm_test
