// SPDX-License-Identifier: BSD-3-Clause
#include "host/host_records.h"

#include <unistd.h>

#include <cstring>
#include <limits>

#include "platform/scratch_file.h"
#include "platform/workers.h"

namespace lftm {
namespace {

size_t sample_bytes(int32_t sampleType) {
  switch (sampleType) {
    case LFTM_SAMPLE_FLOAT32: return 4;
    case LFTM_SAMPLE_UINT8: return 1;
    case LFTM_SAMPLE_UINT16: return 2;
    default: return 0;
  }
}

bool valid_channels(int32_t channels) { return channels == 1 || channels == 3 || channels == 4; }

}  // namespace

int32_t view_image(const lftm_image* image, ImageView* view) {
  if (image == nullptr || image->struct_size < sizeof(lftm_image) || image->pixels == nullptr ||
      !valid_channels(image->channels) || sample_bytes(image->sample_type) == 0 ||
      image->width < 1 || image->height < 1 || image->row_stride < 0) {
    return LFTM_ERR_ARGUMENT;
  }
  const int64_t limit = std::numeric_limits<int64_t>::max();
  const int64_t pixelBytes = static_cast<int64_t>(sample_bytes(image->sample_type)) *
                             image->channels;
  if (image->width > limit / pixelBytes) return LFTM_ERR_ARGUMENT;
  const int64_t rowBytes = image->width * pixelBytes;
  const int64_t stride = image->row_stride == 0 ? rowBytes : image->row_stride;
  if (stride < rowBytes || image->height > limit / stride) return LFTM_ERR_ARGUMENT;
  view->width = image->width;
  view->height = image->height;
  view->channels = image->channels;
  view->sampleType = image->sample_type;
  view->sampleBytes = sample_bytes(image->sample_type);
  view->stride = static_cast<size_t>(stride);
  view->pixels = static_cast<uint8_t*>(image->pixels);
  return 0;
}

int32_t check_call_hooks(const lftm_options* options) {
  if (options == nullptr) return 0;
  if (options->struct_size < kOptionsSizeOf02) return LFTM_ERR_ARGUMENT;
  if (options->messages < LFTM_MESSAGES_SILENT || options->messages > LFTM_MESSAGES_CALLBACK) {
    return LFTM_ERR_ARGUMENT;
  }
  if (options->messages == LFTM_MESSAGES_CALLBACK && options->message == nullptr) {
    return LFTM_ERR_ARGUMENT;
  }
  return 0;
}

int32_t check_options(const lftm_options* options) {
  if (options == nullptr) return LFTM_ERR_ARGUMENT;
  const int32_t hooks = check_call_hooks(options);
  if (hooks < 0) return hooks;
  if (options->method != LFTM_METHOD_TEXTURE_BOOSTER &&
      options->method != LFTM_METHOD_RANGE_SQUEEZER) {
    return LFTM_ERR_ARGUMENT;
  }
  if (options->threads < 0 || options->threads > kMaxWorkers) return LFTM_ERR_ARGUMENT;
  if (memory_limit_of(options) < 0) return LFTM_ERR_ARGUMENT;
  if (options->jpeg_quality < 0 || options->jpeg_quality > 100) return LFTM_ERR_ARGUMENT;
  if (options->tiff_input != 0 && options->tiff_input != LFTM_EXT_TIF_LINEAR &&
      options->tiff_input != LFTM_EXT_TIF_GAMMA) {
    return LFTM_ERR_ARGUMENT;
  }
  return 0;
}

int32_t worker_count(int32_t requested) {
  if (requested > 0) return requested;
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  return clamp_workers(online > kMaxWorkers ? kMaxWorkers : static_cast<int>(online));
}

int32_t check_scratch_folder(const lftm_options& options) {
  const bool disk = options.method == LFTM_METHOD_TEXTURE_BOOSTER && options.disk != 0;
  return disk ? check_temp_folder() : 0;
}

}  // namespace lftm

extern "C" int32_t lftm_options_init(lftm_options* options, size_t struct_size,
                                     int32_t method) {
  if (options == nullptr || struct_size < lftm::kOptionsSizeOf02) return LFTM_ERR_ARGUMENT;
  if (method != LFTM_METHOD_TEXTURE_BOOSTER && method != LFTM_METHOD_RANGE_SQUEEZER) {
    return LFTM_ERR_ARGUMENT;
  }
  // A host built against an older header has a shorter record: only its bytes are written.
  const size_t size = struct_size < sizeof(lftm_options) ? struct_size : sizeof(lftm_options);
  std::memset(options, 0, size);
  options->struct_size = static_cast<uint32_t>(size);
  options->method = method;
  tmparam_default(method, 0, &options->settings);
  options->bits = 8;
  options->jpeg_quality = 90;
  options->messages = LFTM_MESSAGES_SILENT;
  return 0;
}

extern "C" int32_t lftm_image_init(lftm_image* image, size_t struct_size, int32_t sample_type,
                                   int32_t channels, int64_t width, int64_t height,
                                   void* pixels) {
  if (image == nullptr || struct_size < sizeof(lftm_image)) return LFTM_ERR_ARGUMENT;
  lftm_image filled;
  std::memset(&filled, 0, sizeof filled);
  filled.struct_size = sizeof(lftm_image);
  filled.sample_type = sample_type;
  filled.channels = channels;
  filled.width = width;
  filled.height = height;
  filled.pixels = pixels;
  lftm::ImageView view;
  const int32_t checked = lftm::view_image(&filled, &view);
  if (checked < 0) return checked;
  *image = filled;
  return 0;
}
