// SPDX-License-Identifier: BSD-3-Clause
// How the writers read the options and arguments that the drivers pass through to them.
#ifndef LFTM_SIBLINGS_COMMON_WRITER_OPTIONS_H_
#define LFTM_SIBLINGS_COMMON_WRITER_OPTIONS_H_

#include <cstdint>
#include <vector>

#include "lftm.h"

namespace lftm_sibling {

struct WriterLayout {
  int32_t width;
  int32_t height;
  int32_t spp;           // samples per pixel of the input rows
  int32_t outChannels;   // 1 (grey) or 3 (RGB)
  bool samples16;        // input samples are 16-bit
  int32_t outBits;       // 8 or 16

  // Bytes of one whole input row, the least distance between rows.
  int64_t row_bytes() const {
    return static_cast<int64_t>(width) * spp * (samples16 ? 2 : 1);
  }
};

// Reads and checks the layout in the writer record. Returns false for sizes, sample counts or
// depths the writers cannot store.
bool read_layout(const HdrFileInfo* info, WriterLayout* layout);

// Resolution in dots per inch: the option when positive (at most 65535), else 72.
int32_t dots_per_inch(const HdrFileInfo* info);

// True when an sRGB profile is to be embedded (colour output, option not "none").
bool wants_srgb_profile(const HdrFileInfo* info, const WriterLayout& layout);

// A writer argument that carries text: null or empty gives null.
const char* text_argument(intptr_t value);

// One output row: the channels the file stores, from `src` (rowSamples apart), narrowed from
// 16 to 8 bits with rounding when the output is 8-bit and the input 16-bit.
void convert_row(const WriterLayout& layout, const void* src, std::vector<uint8_t>* row);

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_COMMON_WRITER_OPTIONS_H_
