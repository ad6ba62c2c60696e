// SPDX-License-Identifier: BSD-3-Clause
#include "common/writer_options.h"

#include <cstring>

namespace lftm_sibling {

bool read_layout(const HdrFileInfo* info, WriterLayout* layout) {
  if (info == nullptr) return false;
  layout->width = info->infos[LFTM_INFO_WIDTH];
  layout->height = info->infos[LFTM_INFO_HEIGHT];
  layout->spp = info->infos[LFTM_INFO_SPP];
  layout->outBits = info->infos[LFTM_INFO_BITS];
  layout->samples16 = info->infos[LFTM_INFO_WIDENED] == 1 || layout->outBits == 16;
  layout->outChannels = layout->spp >= 3 ? 3 : 1;
  return layout->width > 0 && layout->height > 0 && layout->spp >= 1 && layout->spp <= 64 &&
         (layout->outBits == 8 || layout->outBits == 16);
}

int32_t dots_per_inch(const HdrFileInfo* info) {
  int32_t dpi = info->infos[LFTM_INFO_DPI];
  if (dpi <= 0) return 72;
  return dpi > 65535 ? 65535 : dpi;
}

bool wants_srgb_profile(const HdrFileInfo* info, const WriterLayout& layout) {
  return layout.outChannels == 3 && info->infos[LFTM_INFO_ICC] == LFTM_ICC_SRGB;
}

const char* text_argument(intptr_t value) {
  const char* text = reinterpret_cast<const char*>(value);
  return (text != nullptr && text[0] != '\0') ? text : nullptr;
}

// One loop per sample layout, with the choice made once per row instead of once per sample:
// the JPEG writer spends a noticeable part of a large image's write here.
void convert_row(const WriterLayout& layout, const void* src, std::vector<uint8_t>* row) {
  const size_t channels = static_cast<size_t>(layout.outChannels);
  const size_t spp = static_cast<size_t>(layout.spp);
  const size_t width = static_cast<size_t>(layout.width);
  const size_t outBytes = layout.outBits / 8;
  row->resize(width * channels * outBytes);
  uint8_t* out = row->data();
  if (!layout.samples16) {
    const uint8_t* in = static_cast<const uint8_t*>(src);
    if (spp == channels) {
      std::memcpy(out, in, width * channels);
      return;
    }
    for (size_t x = 0; x < width; ++x) {
      for (size_t c = 0; c < channels; ++c) out[x * channels + c] = in[x * spp + c];
    }
    return;
  }
  const uint16_t* in = static_cast<const uint16_t*>(src);
  for (size_t x = 0; x < width; ++x) {
    for (size_t c = 0; c < channels; ++c) {
      const uint16_t v = in[x * spp + c];
      if (layout.outBits == 16) {
        std::memcpy(out + 2 * (x * channels + c), &v, 2);
      } else {
        out[x * channels + c] = static_cast<uint8_t>((v * 255u + 32767u) / 65535u);
      }
    }
  }
}

}  // namespace lftm_sibling
