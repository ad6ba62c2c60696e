// SPDX-License-Identifier: BSD-3-Clause
// lftm_photo_render: a decoded photograph tone mapped in memory, each method by the stages its
// file driver runs, into the host's 8-bit buffer.
#include <algorithm>
#include <cstring>
#include <vector>

#include "frame/driver_io.h"
#include "host/host_call.h"
#include "host/host_records.h"
#include "imageio/rgbe_reader.h"
#include "photo/photo.h"
#include "photo/photo_output.h"

namespace lftm {
namespace {

ImageDesc layout_of(int32_t width, int32_t height, int32_t spp) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = 8;
  write_image_layout(&desc, width, height, spp);
  desc.planes = 0;
  return desc;
}

TmFiles memory_run(int32_t threads) {
  TmFiles files;
  init_optim_param(&files);
  files.threads = threads;
  files.readFromDisk = 0;
  return files;
}

// What the three stages share: the layout, the run, the tables and the float work buffer that
// carries the data from stage to stage.
struct BoosterRun {
  const lftm_photo& photo;
  const TmParam& params;
  ImageDesc desc;
  TmFiles files;
  PyramidDims dims;
  LumStats stats;
  float expTable[256];
  std::vector<float> lut;  // 16-bit samples only
  std::vector<float> work;

  int32_t doc_type() const { return photo.is_rgbe() ? LFTM_DOC_RGBE : LFTM_DOC_U16; }
  const void* source() const {
    return photo.is_rgbe() ? static_cast<const void*>(photo.rgbe.data())
                           : static_cast<const void*>(photo.samples.data());
  }
  const float* lut_or_null() const { return lut.empty() ? nullptr : lut.data(); }
};

// Stage 1 overwrites its input with the log-luminance pyramid, so it works on a copy.
int32_t attenuate(BoosterRun* run) {
  const lftm_photo& photo = run->photo;
  const size_t pixels = pixel_count(photo.width(), photo.height());
  const size_t imageBytes = photo.is_rgbe() ? 4 * pixels : 2 * pixels * photo.spp();
  const size_t pyramidFloats =
      static_cast<size_t>(std::max(run->dims.total, run->dims.total2));
  const size_t samplesFloats = (pixels * photo.spp() + 3) / 4;
  std::vector<float> raw(std::max(pyramidFloats, (imageBytes + 3) / 4));
  std::memcpy(raw.data(), run->source(), imageBytes);
  run->work.resize(std::max(pyramidFloats, samplesFloats));
  HdrFileInfo info;
  std::memset(&info, 0, sizeof info);
  return calc_tm1(run->doc_type(), &run->desc, &run->params, &run->dims, &run->stats,
                  run->expTable, run->lut_or_null(), &info, &run->files, nullptr, raw.data(),
                  run->work.data());
}

int32_t reconstruct(BoosterRun* run) {
  return calc_tm2(run->desc, run->dims.coarseW, run->dims.coarseH, run->dims.total,
                  run->dims.rang, &run->params, run->files, nullptr, nullptr, run->work.data());
}

// Stage 3 writes the 8-bit samples over the work buffer.
int32_t finish_colour(BoosterRun* run) {
  const size_t pixels = pixel_count(run->photo.width(), run->photo.height());
  std::vector<float> luminance(run->work.begin(), run->work.begin() + pixels);
  return calc_tm3(run->doc_type(), &run->desc, &run->params, &run->stats, run->expTable,
                  run->lut_or_null(), &run->files, run->source(), luminance.data(),
                  run->work.data());
}

int32_t render_booster(const lftm_photo& photo, const TmParam& params, int32_t threads,
                       const ImageView& out) {
  BoosterRun run = {photo, params, layout_of(photo.width(), photo.height(), photo.spp()),
                    memory_run(threads), {}, {}, {}, {}, {}};
  std::memset(&run.dims, 0, sizeof run.dims);
  std::memset(&run.stats, 0, sizeof run.stats);
  if (photo.width() < 10 || photo.height() < 10) return LFTM_ERR_TOO_SMALL;
  // tm_dim returns the pyramid's depth, which is negative for small images that the stages
  // take all the same; a pyramid too large to count leaves the record unfilled.
  tm_dim(photo.width(), photo.height(), &params, &run.dims);
  if (run.dims.total == 0) return LFTM_ERR_TOO_LARGE;
  build_exp_table(run.expTable);
  if (!photo.is_rgbe()) {
    run.lut.resize(65536);
    build_lut(photo.info.ext_type, run.lut.data());
  }
  int32_t result = attenuate(&run);
  if (result >= 0) result = reconstruct(&run);
  if (result >= 0) result = finish_colour(&run);
  if (result < 0 || run_cancelled()) return result;
  copy_to_view(reinterpret_cast<const uint8_t*>(run.work.data()), photo.spp(), out);
  return 0;
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
