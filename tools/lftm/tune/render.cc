// SPDX-License-Identifier: BSD-3-Clause
#include "render.h"

namespace lftm_tune {
namespace {

// An empty picture of the photograph's size and `channels`, and the library's view of it.
lftm_image picture_view(const lftm_photo* photo, int32_t channels, Picture* out) {
  lftm_photo_info info;
  info.struct_size = sizeof info;
  lftm_photo_get_info(photo, 0, &info);
  out->width = info.width;
  out->height = info.height;
  out->spp = channels;
  out->samples.assign(static_cast<size_t>(info.width) * info.height * channels, 0);
  lftm_image view;
  lftm_image_init(&view, sizeof view, LFTM_SAMPLE_UINT8, channels, info.width, info.height,
                  out->samples.data());
  return view;
}

int32_t channels_of(const lftm_photo* photo) {
  lftm_photo_info info;
  info.struct_size = sizeof info;
  lftm_photo_get_info(photo, 0, &info);
  return info.channels;
}

}  // namespace

int32_t render_photo(const lftm_photo* photo, int32_t method, const TmParam& params,
                     const RenderRun& run, Picture* out) {
  lftm_options options;
  lftm_options_init(&options, sizeof options, method);
  options.settings = params;
  options.threads = run.threads;
  options.cancel = run.stop;
  options.messages = run.verbose ? LFTM_MESSAGES_STANDARD : LFTM_MESSAGES_SILENT;
  lftm_image view = picture_view(photo, channels_of(photo), out);
  return lftm_photo_render(photo, &options, &view);
}

void render_exposure(const lftm_photo* photo, Picture* out) {
  lftm_image view = picture_view(photo, 3, out);
  lftm_photo_render_exposure(photo, &view);
}

}  // namespace lftm_tune
