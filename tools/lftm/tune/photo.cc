#include "photo.h"

#include <algorithm>
#include <cmath>

#include "frame/driver_io.h"
#include "frame/squeezer_tiff_input.h"
#include "imageio/rgbe_reader.h"

namespace lftm_tune {

void preview_size(int32_t width, int32_t height, int32_t side, int32_t* outWidth,
                  int32_t* outHeight) {
  const double budget = static_cast<double>(side) * side;
  const double scale = std::min(1.0, std::sqrt(budget / (static_cast<double>(width) * height)));
  *outWidth = std::max<int32_t>(5, static_cast<int32_t>(width * scale));
  *outHeight = std::max<int32_t>(5, static_cast<int32_t>(height * scale));
}

HdrView Photo::booster_full() const {
  HdrView view;
  view.width = full.width;
  view.height = full.height;
  view.spp = full.rgbe.empty() ? full.spp : 3;
  view.rgbe = full.rgbe.empty() ? nullptr : full.rgbe.data();
  view.samples = full.rgbe.empty() ? full.samples.data() : nullptr;
  view.lut = lut.empty() ? nullptr : lut.data();
  return view;
}

SqueezerView Photo::squeezer_full() const {
  SqueezerView view;
  view.width = full.width;
  view.height = full.height;
  view.spp = full.rgbe.empty() ? full.spp : 3;
  view.rgbe = full.rgbe.empty() ? nullptr : full.rgbe.data();
  view.linear = full.rgbe.empty() ? linear.data() : nullptr;
  view.stats = stats;
  return view;
}

HdrView Photo::booster_preview() const {
  HdrView view = booster_full();
  view.width = previewWidth;
  view.height = previewHeight;
  view.rgbe = view.rgbe != nullptr ? previewRgbe.data() : nullptr;
  view.samples = view.samples != nullptr ? previewSamples.data() : nullptr;
  return view;
}

SqueezerView Photo::squeezer_preview() const {
  SqueezerView view = squeezer_full();
  view.width = previewWidth;
  view.height = previewHeight;
  view.rgbe = view.rgbe != nullptr ? previewRgbe.data() : nullptr;
  view.linear = view.linear != nullptr ? previewLinear.data() : nullptr;
  return view;
}

int32_t load_photo(const std::string& path, lftm_cli::TiffEncoding encoding,
                   int32_t previewSide, Photo* photo) {
  const int32_t result = lftm_cli::load_image(path, encoding, &photo->full);
  return result < 0 ? result : prepare_photo(previewSide, photo);
}

int32_t prepare_photo(int32_t previewSide, Photo* photo) {
  const lftm_cli::SourceImage& full = photo->full;
  int32_t result = 0;
  const int32_t w = full.width, h = full.height;
  preview_size(w, h, previewSide, &photo->previewWidth, &photo->previewHeight);
  const int32_t pw = photo->previewWidth, ph = photo->previewHeight;
  float expTable[256];
  lftm::build_exp_table(expTable);
  if (!full.rgbe.empty()) {
    logMinMaxMoy(0, w, h, expTable, full.rgbe.data(), &photo->stats);
    photo->previewRgbe.resize(4 * static_cast<size_t>(pw) * ph);
    result = extract_qv(0, w, h, 3, 3 * w, 3 * pw, pw, ph, full.rgbe.data(),
                        photo->previewRgbe.data());
    return result < 0 ? result : 0;
  }
  // 16-bit samples: linear values through the table of the run, and the Range Squeezer's
  // levelled floats, both as the drivers make them.
  const int32_t spp = full.spp;
  photo->lut.resize(65536);
  lftm::build_lut(full.extType, photo->lut.data());
  photo->linear = lftm_cli::linear_values(full);
  logMinMaxMoy(spp, w, h, nullptr, photo->linear.data(), &photo->stats);
  photo->previewSamples.resize(static_cast<size_t>(pw) * ph * spp);
  result = extract_qv(1, w, h, spp, w * spp, pw * spp, pw, ph, full.samples.data(),
                      photo->previewSamples.data());
  if (result < 0) return result;
  // The same pixels as the quick view picks, taken from the levelled floats.
  photo->previewLinear.resize(static_cast<size_t>(pw) * ph * spp);
  const float sy = static_cast<float>(h) / ph, sx = static_cast<float>(w) / pw;
  for (int32_t i = 0; i < ph; ++i) {
    const int32_t m = std::min(h - 1, static_cast<int32_t>(sy * i));
    for (int32_t j = 0; j < pw; ++j) {
      const int32_t o = std::min(w - 1, static_cast<int32_t>(sx * j));
      const float* from = photo->linear.data() + (static_cast<size_t>(m) * w + o) * spp;
      float* to = photo->previewLinear.data() + (static_cast<size_t>(i) * pw + j) * spp;
      std::copy(from, from + spp, to);
    }
  }
  return 0;
}

}  // namespace lftm_tune
