// SPDX-License-Identifier: BSD-3-Clause
// lfexr: lfexr_dim and lfexr_read, OpenEXR input (scanline or tiled, half, float or unsigned
// int, RGB, RGBA, luminance-only and luminance/chroma files) turned into RGBE planar bytes.
#include <algorithm>
#include <cstring>
#include <vector>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <ImfRgbaFile.h>
#include <ImfTestFile.h>

#include "imageio/rgbe_encode.h"
#include "imageio/sibling_api.h"

namespace {

using lftm::RgbeRowEncoder;

constexpr int kBandRows = 64;  // rows decoded at a time, to keep the float copy small

enum class ChannelSet { kRgb, kLuminance, kLuminanceChroma, kNone };

// Which channels make the picture. R, G and B (any of them; a missing one reads as 0) come
// first; a lone Y is grey; Y with RY/BY, or subsampled channels, go through the RGBA
// interface, which reconstructs them.
ChannelSet channel_set(const Imf::Header& header) {
  const Imf::ChannelList& channels = header.channels();
  const Imf::Channel* r = channels.findChannel("R");
  const Imf::Channel* g = channels.findChannel("G");
  const Imf::Channel* b = channels.findChannel("B");
  const Imf::Channel* y = channels.findChannel("Y");
  auto full = [](const Imf::Channel* c) {
    return c == nullptr || (c->xSampling == 1 && c->ySampling == 1);
  };
  if (r != nullptr || g != nullptr || b != nullptr) {
    return full(r) && full(g) && full(b) ? ChannelSet::kRgb : ChannelSet::kLuminanceChroma;
  }
  if (y != nullptr) {
    bool chroma = channels.findChannel("RY") != nullptr || channels.findChannel("BY") != nullptr;
    return chroma || !full(y) ? ChannelSet::kLuminanceChroma : ChannelSet::kLuminance;
  }
  return ChannelSet::kNone;
}

int widest_bits(const Imf::Header& header) {
  int bits = 0;
  for (auto it = header.channels().begin(); it != header.channels().end(); ++it) {
    bits = std::max(bits, it.channel().type == Imf::HALF ? 16 : 32);
  }
  return bits;
}

struct Size {
  int width;
  int height;
};

bool size_of(const Imf::Header& header, Size* size) {
  const Imath::Box2i& dw = header.dataWindow();
  const int64_t w = static_cast<int64_t>(dw.max.x) - dw.min.x + 1;
  const int64_t h = static_cast<int64_t>(dw.max.y) - dw.min.y + 1;
  if (w < 1 || h < 1 || w > 0x7fffffff || h > 0x7fffffff) return false;
  size->width = static_cast<int>(w);
  size->height = static_cast<int>(h);
  return true;
}

void read_channels(const char* path, ChannelSet set, const Size& size, RgbeRowEncoder* encoder) {
  Imf::InputFile file(path);
  const Imath::Box2i& dw = file.header().dataWindow();
  std::vector<float> band(static_cast<size_t>(size.width) * kBandRows * 3);
  const size_t xStride = 3 * sizeof(float);
  const size_t yStride = xStride * size.width;
  for (int y0 = dw.min.y; y0 <= dw.max.y; y0 += kBandRows) {
    const int rows = std::min(kBandRows, dw.max.y - y0 + 1);
    std::fill(band.begin(), band.end(), 0.0f);
    Imf::FrameBuffer frame;
    const Imath::V2i origin(dw.min.x, y0);
    if (set == ChannelSet::kLuminance) {
      frame.insert("Y", Imf::Slice::Make(Imf::FLOAT, band.data(), origin, size.width, rows,
                                         xStride, yStride));
    } else {
      const char* names[3] = {"R", "G", "B"};
      for (int c = 0; c < 3; ++c) {
        frame.insert(names[c], Imf::Slice::Make(Imf::FLOAT, band.data() + c, origin,
                                                size.width, rows, xStride, yStride));
      }
    }
    file.setFrameBuffer(frame);
    file.readPixels(y0, y0 + rows - 1);
    if (set == ChannelSet::kLuminance) {
      // Grey: the one channel gives all three.
      for (size_t i = 0; i < band.size(); i += 3) band[i + 1] = band[i + 2] = band[i];
    }
    for (int r = 0; r < rows; ++r) {
      encoder->row(band.data() + static_cast<size_t>(r) * size.width * 3, y0 - dw.min.y + r);
    }
  }
}

void read_rgba(const char* path, const Size& size, RgbeRowEncoder* encoder) {
  Imf::RgbaInputFile file(path);
  const Imath::Box2i& dw = file.dataWindow();
  std::vector<Imf::Rgba> band(static_cast<size_t>(size.width) * kBandRows);
  std::vector<float> rgb(static_cast<size_t>(size.width) * 3);
  for (int y0 = dw.min.y; y0 <= dw.max.y; y0 += kBandRows) {
    const int rows = std::min(kBandRows, dw.max.y - y0 + 1);
    Imf::Rgba* base = band.data() - dw.min.x - static_cast<ptrdiff_t>(y0) * size.width;
    file.setFrameBuffer(base, 1, static_cast<size_t>(size.width));
    file.readPixels(y0, y0 + rows - 1);
    for (int r = 0; r < rows; ++r) {
      const Imf::Rgba* px = band.data() + static_cast<size_t>(r) * size.width;
      for (int x = 0; x < size.width; ++x) {
        rgb[3 * x] = px[x].r;
        rgb[3 * x + 1] = px[x].g;
        rgb[3 * x + 2] = px[x].b;
      }
      encoder->row(rgb.data(), y0 - dw.min.y + r);
    }
  }
}

}  // namespace

extern "C" int32_t lfexr_dim(const char* path, HdrFileInfo* info) {
  if (path == nullptr || info == nullptr || !Imf::isOpenExrFile(path)) return LFTM_ERR_SIB_OPEN;
  try {
    Imf::InputFile file(path);
    Size size;
    if (!size_of(file.header(), &size)) return LFTM_ERR_SIB_LAYOUT;
    ChannelSet set = channel_set(file.header());
    if (set == ChannelSet::kNone) return LFTM_ERR_SIB_LAYOUT;
    info->infos[LFTM_INFO_WIDTH] = size.width;
    info->infos[LFTM_INFO_HEIGHT] = size.height;
    info->infos[LFTM_INFO_SPP] = set == ChannelSet::kLuminance ? 1 : 3;
    info->infos[LFTM_INFO_BITS] = widest_bits(file.header());
    info->infos[LFTM_INFO_TILED] = file.header().hasTileDescription() ? 1 : 0;
    return 1;
  } catch (...) {
    return LFTM_ERR_SIB_OPEN;
  }
}

extern "C" int32_t lfexr_read(const char* path, float* work, uint8_t* dst) {
  if (path == nullptr || dst == nullptr || !Imf::isOpenExrFile(path)) return LFTM_ERR_SIB_OPEN;
  try {
    ChannelSet set;
    Size size;
    {
      Imf::InputFile probe(path);
      set = channel_set(probe.header());
      if (set == ChannelSet::kNone || !size_of(probe.header(), &size)) {
        return LFTM_ERR_SIB_LAYOUT;
      }
    }
    const lftm::RgbeEncodeReport report = lftm::encode_rgbe_image(
        size.width, dst, [&](RgbeRowEncoder* encoder) {
          if (set == ChannelSet::kLuminanceChroma) {
            read_rgba(path, size, encoder);
          } else {
            read_channels(path, set, size, encoder);
          }
        });
    lftm::write_work(report, work);
    return size.height;
  } catch (...) {
    return LFTM_ERR_SIB_DECODE;
  }
}
