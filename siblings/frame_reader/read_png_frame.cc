// SPDX-License-Identifier: BSD-3-Clause
// PNG frames through libpng: grey or colour, 8 or 16 bits (palettes and lower depths widened
// to 8), alpha dropped. The eXIf chunk is read where an encoder puts it, before the image
// data.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include "frame_reader/decoded_frame.h"
#include "lftm.h"

namespace lftm_sibling {
namespace {

void on_warning(png_structp, png_const_charp) {}

void on_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void set_transforms(png_structp png, png_infop info, DecodedFrame* frame) {
  const int type = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
  png_set_strip_alpha(png);  // an alpha channel, or a palette's transparency once expanded
  if (depth == 16) png_set_swap(png);  // PNG stores 16-bit samples big-endian
  frame->channels = (type & PNG_COLOR_MASK_COLOR) != 0 ? 3 : 1;
  frame->bits = depth == 16 ? 16 : 8;
}

void take_exif(png_structp png, png_infop info, DecodedFrame* frame) {
  png_uint_32 size = 0;
  png_bytep data = nullptr;
  if (png_get_eXIf_1(png, info, &size, &data) != 0 && data != nullptr) {
    read_exif_block(data, size, frame);
  }
}

int32_t decode(std::FILE* file, bool pixels, png_structp png, png_infop info, DecodedFrame* frame,
               std::vector<png_bytep>* rows) {
  if (setjmp(png_jmpbuf(png)) != 0) return LFTM_ERR_SIB_DECODE;
  png_init_io(png, file);
  png_read_info(png, info);
  take_exif(png, info, frame);
  frame->width = static_cast<int>(png_get_image_width(png, info));
  frame->height = static_cast<int>(png_get_image_height(png, info));
  set_transforms(png, info, frame);
  if (!pixels) return 1;
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  frame->samples.resize(frame_bytes(frame->width, frame->height, frame->channels, frame->bits));
  if (frame->samples.empty() || rowBytes * frame->height != frame->samples.size()) {
    return LFTM_ERR_SIB_LAYOUT;
  }
  rows->resize(static_cast<size_t>(frame->height));
  for (size_t y = 0; y < rows->size(); ++y) (*rows)[y] = frame->samples.data() + y * rowBytes;
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  return 1;
}

}  // namespace

int32_t decode_png_frame(const char* path, bool pixels, DecodedFrame* frame) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return LFTM_ERR_SIB_OPEN;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  std::vector<png_bytep> rows;
  int32_t result =
      info != nullptr ? decode(file, pixels, png, info, frame, &rows) : LFTM_ERR_SIB_DECODE;
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  if (result < 0) frame->samples.clear();
  return result;
}

}  // namespace lftm_sibling
