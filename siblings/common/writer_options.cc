#include "common/writer_options.h"

#include <cstring>

namespace lftm_sibling {

bool read_layout(const HdrFileInfo* info, WriterLayout* layout) {
  if (info == nullptr) return false;
  layout->width = info->infos[0];
  layout->height = info->infos[1];
  layout->spp = info->infos[2];
  layout->outBits = info->infos[3];
  layout->samples16 = info->infos[7] == 1 || layout->outBits == 16;
  layout->outChannels = layout->spp >= 3 ? 3 : 1;
  return layout->width > 0 && layout->height > 0 && layout->spp >= 1 && layout->spp <= 64 &&
         (layout->outBits == 8 || layout->outBits == 16);
}

int32_t dots_per_inch(const HdrFileInfo* info) {
  int32_t dpi = info->infos[4];
  if (dpi <= 0) return 72;
  return dpi > 65535 ? 65535 : dpi;
}

bool wants_srgb_profile(const HdrFileInfo* info, const WriterLayout& layout) {
  return layout.outChannels == 3 && info->infos[5] == LFTM_ICC_SRGB;
}

const char* text_argument(intptr_t value) {
  const char* text = reinterpret_cast<const char*>(value);
  return (text != nullptr && text[0] != '\0') ? text : nullptr;
}

void convert_row(const WriterLayout& layout, const void* src, std::vector<uint8_t>* row) {
  const int32_t channels = layout.outChannels;
  const size_t outBytes = layout.outBits / 8;
  row->resize(static_cast<size_t>(layout.width) * channels * outBytes);
  for (int32_t x = 0; x < layout.width; ++x) {
    for (int32_t c = 0; c < channels; ++c) {
      const size_t in = static_cast<size_t>(x) * layout.spp + c;
      const size_t out = static_cast<size_t>(x) * channels + c;
      if (!layout.samples16) {
        (*row)[out] = static_cast<const uint8_t*>(src)[in];
        continue;
      }
      uint16_t v = static_cast<const uint16_t*>(src)[in];
      if (layout.outBits == 16) {
        std::memcpy(row->data() + 2 * out, &v, 2);
      } else {
        (*row)[out] = static_cast<uint8_t>((v * 255u + 32767u) / 65535u);
      }
    }
  }
}

}  // namespace lftm_sibling
