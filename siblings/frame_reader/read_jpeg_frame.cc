// SPDX-License-Identifier: BSD-3-Clause
// JPEG frames through libjpeg. Every warning of the decoder counts as damage: a file cut
// short is otherwise completed with grey, which would merge as a wrong exposure.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "frame_reader/decoded_frame.h"
#include "lftm.h"

namespace lftm_sibling {
namespace {

struct Failure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool warned = false;
};

void on_error(j_common_ptr info) { std::longjmp(reinterpret_cast<Failure*>(info->err)->jump, 1); }

// Level -1 is a warning (corrupt data, premature end): kept, then the frame is refused.
void on_message(j_common_ptr info, int level) {
  if (level < 0) reinterpret_cast<Failure*>(info->err)->warned = true;
}

void on_output(j_common_ptr) {}

void take_exif(jpeg_decompress_struct* info, DecodedFrame* frame) {
  for (jpeg_saved_marker_ptr m = info->marker_list; m != nullptr; m = m->next) {
    if (m->marker == JPEG_APP0 + 1) read_exif_block(m->data, m->data_length, frame);
  }
}

bool read_rows(jpeg_decompress_struct* info, DecodedFrame* frame) {
  const size_t rowBytes = static_cast<size_t>(frame->width) * frame->channels;
  frame->samples.resize(frame_bytes(frame->width, frame->height, frame->channels, 8));
  if (frame->samples.empty()) return false;
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = frame->samples.data() + rowBytes * info->output_scanline;
    if (jpeg_read_scanlines(info, &row, 1) != 1) return false;
  }
  return true;
}

// Everything that may jump back lives here, with no object whose destructor a jump skips.
int32_t decode(std::FILE* file, bool pixels, jpeg_decompress_struct* info, Failure* failure,
               DecodedFrame* frame) {
  if (setjmp(failure->jump) != 0) return LFTM_ERR_SIB_DECODE;
  jpeg_create_decompress(info);
  jpeg_stdio_src(info, file);
  jpeg_save_markers(info, JPEG_APP0 + 1, 0xffff);
  jpeg_read_header(info, TRUE);
  take_exif(info, frame);
  if (info->num_components != 1 && info->num_components != 3) return LFTM_ERR_SIB_LAYOUT;
  if (info->data_precision != 8) return LFTM_ERR_SIB_LAYOUT;
  info->out_color_space = info->num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  frame->width = static_cast<int>(info->image_width);
  frame->height = static_cast<int>(info->image_height);
  frame->channels = info->num_components;
  frame->bits = 8;
  if (!pixels) return 1;
  jpeg_start_decompress(info);
  if (!read_rows(info, frame)) return LFTM_ERR_SIB_DECODE;
  jpeg_finish_decompress(info);
  return failure->warned ? LFTM_ERR_SIB_DECODE : 1;
}

}  // namespace

int32_t decode_jpeg_frame(const char* path, bool pixels, DecodedFrame* frame) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return LFTM_ERR_SIB_OPEN;
  jpeg_decompress_struct info;
  Failure failure;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = on_error;
  failure.manager.emit_message = on_message;
  failure.manager.output_message = on_output;
  const int32_t result = decode(file, pixels, &info, &failure, frame);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  if (result < 0) frame->samples.clear();
  return result;
}

}  // namespace lftm_sibling
