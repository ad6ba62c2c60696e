// SPDX-License-Identifier: BSD-3-Clause
// lftm_photo_render: a decoded photograph tone mapped in memory into the host's 8-bit buffer:
// the Texture Booster through the one run, the Range Squeezer with the whole photograph's
// statistics (a reduced or cropped copy keeps those of the photograph it came from).
#include <vector>

#include "frame/driver_io.h"
#include "host/host_call.h"
#include "host/host_records.h"
#include "imageio/rgbe_reader.h"
#include "photo/photo.h"
#include "photo/photo_output.h"
#include "platform/memory_budget.h"
#include "run/run_request.h"

namespace lftm {
namespace {

// Stands for the photograph in the run's messages.
constexpr const char* kPhotoName = "(photo)";

ImageDesc layout_of(int32_t width, int32_t height, int32_t spp) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = 8;
  write_image_layout(&desc, width, height, spp);
  desc.planes = 0;
  return desc;
}

// The Texture Booster through the one run: the photograph's decoded pixels as its source, the
// host's buffer as its sink.
int32_t render_booster(const lftm_photo& photo, const TmParam& params, int32_t threads,
                       const ImageView& out) {
  DecodedPixels pixels;
  pixels.kind = photo.is_rgbe() ? LFTM_EXT_EXR : photo.info.ext_type;
  pixels.width = photo.width();
  pixels.height = photo.height();
  pixels.spp = photo.spp();
  pixels.data = photo.is_rgbe() ? static_cast<const void*>(photo.rgbe.data())
                                : static_cast<const void*>(photo.samples.data());
  RunRequest request;
  request.source = pixel_source(&pixels, kPhotoName);
  request.sink = memory_sink(
      [&](const void* samples) {
        copy_to_view(static_cast<const uint8_t*>(samples), photo.spp(), out);
        return 0;
      },
      kPhotoName);
  request.method = LFTM_METHOD_TEXTURE_BOOSTER;
  request.params = &params;
  request.bits = 8;
  request.threads = threads;
  request.memoryBudget = memory_budget_for(0);
  const int32_t result = run_tone_mapping(request, default_sibling_names());
  return result < 0 ? result : 0;
}

int32_t render_squeezer(const lftm_photo& photo, const TmParam& params, int32_t threads,
                        const ImageView& out) {
  const int32_t w = photo.width(), h = photo.height(), spp = photo.spp();
  float expTable[256];
  build_exp_table(expTable);
  ImageDesc desc = layout_of(w, h, spp);
  std::vector<uint8_t> samples(pixel_count(w, h) * spp);
  // Interleaved output leaves the input as it is, so the photograph is read in place.
  void* input = photo.is_rgbe() ? static_cast<void*>(const_cast<uint8_t*>(photo.rgbe.data()))
                                : static_cast<void*>(const_cast<float*>(photo.linear.data()));
  const int32_t isFP = photo.is_rgbe() ? 0 : spp;
  const int32_t result =
      tm_simple(isFP, &desc, &params, &photo.stats, expTable, &threads, input, samples.data());
  // A cancelled Range Squeezer returns early without a code of its own.
  if (result < 0 || run_cancelled()) return result;
  copy_to_view(samples.data(), spp, out);
  return 0;
}

int32_t render(const lftm_photo& photo, const lftm_options& options, const ImageView& out) {
  const int32_t threads = worker_count(options.threads);
  return options.method == LFTM_METHOD_RANGE_SQUEEZER
             ? render_squeezer(photo, options.settings, threads, out)
             : render_booster(photo, options.settings, threads, out);
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_photo_render(const lftm_photo* photo, const lftm_options* options,
                                     lftm_image* output) {
  const int32_t checked = lftm::check_options(options);
  if (checked < 0) return checked;
  lftm::ImageView out;
  if (photo == nullptr || lftm::view_photo_output(*photo, output, photo->spp(), &out) < 0) {
    return LFTM_ERR_ARGUMENT;
  }
  lftm::HostCall call(options);
  try {
    const int32_t result = lftm::render(*photo, *options, out);
    return call.finish(call.cancelled() ? LFTM_ERR_CANCELLED : result);
  } catch (const std::bad_alloc&) {
    return call.finish(LFTM_ERR_NO_MEMORY);
  }
}
