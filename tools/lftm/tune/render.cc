#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "frame/driver_io.h"
#include "imageio/rgbe_reader.h"

namespace lftm_tune {
namespace {

size_t pixels_of(int32_t width, int32_t height) {
  return static_cast<size_t>(width) * static_cast<size_t>(height);
}

ImageDesc layout_of(int32_t width, int32_t height, int32_t spp) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = 8;
  lftm::write_image_layout(&desc, width, height, spp);
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

// The linear red, green and blue of pixel i.
void linear_rgb(const SqueezerView& image, const float* expTable, size_t i, float rgb[3]) {
  if (image.rgbe != nullptr) {
    const size_t row = i / image.width;
    const size_t col = i % image.width;
    const uint8_t* planes = image.rgbe + 4 * row * image.width + col;
    const float scale = expTable[planes[3 * image.width]];
    for (int c = 0; c < 3; ++c) rgb[c] = planes[c * image.width] * scale;
    return;
  }
  const float* pixel = image.linear + i * image.spp;
  rgb[0] = pixel[0];
  rgb[1] = pixel[(image.spp - 1) / 2];
  rgb[2] = pixel[image.spp - 1];
}

}  // namespace

int32_t render_booster(const HdrView& image, const TmParam& params, int32_t threads,
                       Picture* out) {
  const int32_t w = image.width, h = image.height, spp = image.spp;
  PyramidDims dims;
  std::memset(&dims, 0, sizeof dims);
  int32_t result = tm_dim(w, h, &params, &dims);
  if (result < 0) return result;
  const int32_t docType = image.rgbe != nullptr ? LFTM_DOC_RGBE : LFTM_DOC_U16;
  const size_t imageBytes = docType == LFTM_DOC_RGBE ? 4 * pixels_of(w, h)
                                                     : 2 * pixels_of(w, h) * spp;
  const void* source = docType == LFTM_DOC_RGBE ? static_cast<const void*>(image.rgbe)
                                                : static_cast<const void*>(image.samples);
  const size_t pyramidFloats = static_cast<size_t>(std::max(dims.total, dims.total2));
  const size_t samplesFloats = (pixels_of(w, h) * spp + 3) / 4;
  // Stage 1 overwrites its input with the log-luminance pyramid, so it works on a copy.
  std::vector<float> raw(std::max(pyramidFloats, (imageBytes + 3) / 4));
  std::memcpy(raw.data(), source, imageBytes);
  std::vector<float> work(std::max(pyramidFloats, samplesFloats));

  float expTable[256];
  lftm::build_exp_table(expTable);
  ImageDesc desc = layout_of(w, h, spp);
  TmFiles files = memory_run(threads);
  HdrFileInfo info;
  std::memset(&info, 0, sizeof info);
  LumStats stats;
  std::memset(&stats, 0, sizeof stats);
  result = calc_tm1(docType, &desc, &params, &dims, &stats, expTable, image.lut, &info, &files,
                    nullptr, raw.data(), work.data());
  if (result < 0) return result;
  raw = std::vector<float>();
  result = calc_tm2(desc, dims.coarseW, dims.coarseH, dims.total, dims.rang, &params, files,
                    nullptr, nullptr, work.data());
  if (result < 0) return result;
  std::vector<float> luminance(work.begin(), work.begin() + pixels_of(w, h));
  result = calc_tm3(docType, &desc, &params, &stats, expTable, image.lut, &files, source,
                    luminance.data(), work.data());
  if (result < 0) return result;
  out->width = w;
  out->height = h;
  out->spp = spp;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(work.data());
  out->samples.assign(bytes, bytes + pixels_of(w, h) * spp);
  return 0;
}

int32_t render_squeezer(const SqueezerView& image, const TmParam& params, int32_t threads,
                        Picture* out) {
  const int32_t w = image.width, h = image.height;
  const int32_t spp = image.rgbe != nullptr ? 3 : image.spp;
  float expTable[256];
  lftm::build_exp_table(expTable);
  ImageDesc desc = layout_of(w, h, spp);
  std::vector<uint8_t> samples(pixels_of(w, h) * spp);
  // Interleaved output leaves the input as it is, so the view is read in place.
  void* input = image.rgbe != nullptr ? static_cast<void*>(const_cast<uint8_t*>(image.rgbe))
                                      : static_cast<void*>(const_cast<float*>(image.linear));
  const int32_t isFP = image.rgbe != nullptr ? 0 : spp;
  int32_t result = tm_simple(isFP, &desc, &params, &image.stats, expTable, &threads, input,
                             samples.data());
  if (result < 0) return result;
  out->width = w;
  out->height = h;
  out->spp = spp;
  out->samples.swap(samples);
  return 0;
}

void render_exposure(const SqueezerView& image, Picture* out) {
  float expTable[256];
  lftm::build_exp_table(expTable);
  const double mean = std::exp(static_cast<double>(image.stats.logMoy));
  const float scale = static_cast<float>(mean > 0 ? 0.18 / mean : 1.0);
  out->width = image.width;
  out->height = image.height;
  out->spp = 3;
  const size_t pixels = pixels_of(image.width, image.height);
  out->samples.resize(pixels * 3);
  for (size_t i = 0; i < pixels; ++i) {
    float rgb[3];
    linear_rgb(image, expTable, i, rgb);
    for (int c = 0; c < 3; ++c) {
      const float v = std::pow(std::max(0.0f, rgb[c] * scale), 1.0f / 2.2f);
      out->samples[3 * i + c] = static_cast<uint8_t>(std::min(255.0f, v * 255.0f + 0.5f));
    }
  }
}

}  // namespace lftm_tune
