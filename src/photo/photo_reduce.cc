// SPDX-License-Identifier: BSD-3-Clause
// Smaller photographs: the quick view of a file, a reduced copy and a 1:1 window of a decoded
// photograph.
#include <algorithm>

#include "photo/photo.h"
#include "photo/photo_read.h"

namespace lftm {
namespace {

constexpr int32_t kSmallestSide = 5;  // the quick views and zooms take nothing smaller

// The pixels of `from` reduced to width x height by the quick view.
int32_t quick_view(const lftm_photo& from, int32_t width, int32_t height, lftm_photo* to) {
  const int32_t w = from.width(), h = from.height(), spp = from.spp();
  if (from.is_rgbe()) {
    to->rgbe.resize(4 * pixel_count(width, height));
    return extract_qv(0, w, h, 3, 3 * w, 3 * width, width, height, from.rgbe.data(),
                      to->rgbe.data());
  }
  to->samples.assign(pixel_count(width, height) * spp, 0);
  return extract_qv(1, w, h, spp, w * spp, width * spp, width, height, from.samples.data(),
                    to->samples.data());
}

// The levelled values of the pixels the quick view picks, taken from the whole photograph's.
void pick_linear(const lftm_photo& from, int32_t width, int32_t height, lftm_photo* to) {
  const int32_t w = from.width(), h = from.height();
  const size_t spp = static_cast<size_t>(from.spp());
  to->linear.resize(pixel_count(width, height) * spp);
  const float sy = static_cast<float>(h) / height, sx = static_cast<float>(w) / width;
  for (int32_t i = 0; i < height; ++i) {
    const int32_t m = std::min(h - 1, static_cast<int32_t>(sy * i));
    for (int32_t j = 0; j < width; ++j) {
      const int32_t o = std::min(w - 1, static_cast<int32_t>(sx * j));
      const float* src = from.linear.data() + (static_cast<size_t>(m) * w + o) * spp;
      std::copy(src, src + spp, to->linear.data() + (static_cast<size_t>(i) * width + j) * spp);
    }
  }
}

// Rows y..y+height of columns x..x+width of interleaved values, `spp` a pixel.
template <typename T>
void copy_window(const std::vector<T>& from, int32_t fromWidth, size_t spp, int32_t x, int32_t y,
                 int32_t width, int32_t height, std::vector<T>* to) {
  to->resize(pixel_count(width, height) * spp);
  for (int32_t i = 0; i < height; ++i) {
    const T* src = from.data() + ((static_cast<size_t>(y) + i) * fromWidth + x) * spp;
    std::copy(src, src + width * spp, to->data() + static_cast<size_t>(i) * width * spp);
  }
}

int32_t crop_pixels(const lftm_photo& from, int32_t x, int32_t y, lftm_photo* to) {
  const int32_t w = from.width(), h = from.height(), spp = from.spp();
  const int32_t width = to->width(), height = to->height();
  if (from.is_rgbe()) {
    to->rgbe.resize(4 * pixel_count(width, height));
    return extract_zoom(0, w, h, 3, 3 * w, 3 * width, width, height, x, y, from.rgbe.data(),
                        to->rgbe.data());
  }
  copy_window(from.samples, w, spp, x, y, width, height, &to->samples);
  copy_window(from.linear, w, spp, x, y, width, height, &to->linear);
  return 0;
}

// A photograph of width x height that keeps the statistics of `from`.
void derive(const lftm_photo& from, int32_t width, int32_t height, lftm_photo* to) {
  to->info = from.info;
  to->info.width = width;
  to->info.height = height;
  to->kind = from.kind;
  to->stats = from.stats;
}

int32_t open_reduced(const char* path, int32_t tiffInput, int32_t width, int32_t height,
                     lftm_photo* photo) {
  lftm_photo whole;
  {
    SiblingSet siblings;
    const int32_t probed = probe_photo(path, tiffInput, &siblings, &whole);
    if (probed < 0) return probed;
  }
  if (whole.width() < kSmallestSide || whole.height() < kSmallestSide) {
    return LFTM_ERR_TOO_SMALL;
  }
  // A quick view only reduces; a larger size would also size buffers from the caller's
  // numbers alone.
  if (width > whole.width() || height > whole.height()) return LFTM_ERR_ARGUMENT;
  derive(whole, width, height, photo);
  int32_t result;
  if (whole.info.format == LFTM_FORMAT_RADIANCE) {
    // Reduced while it is read: the whole image is never held.
    photo->rgbe.resize(4 * pixel_count(width, height));
    result = qv_from_file(width, height, path, photo->rgbe.data());
  } else {
    result = open_photo(path, tiffInput, &whole);
    if (result < 0) return result;
    result = quick_view(whole, width, height, photo);
  }
  return result < 0 ? result : settle_photo(photo);
}

int32_t reduce(const lftm_photo& from, int32_t width, int32_t height, lftm_photo* to) {
  derive(from, width, height, to);
  const int32_t result = quick_view(from, width, height, to);
  if (result < 0) return result;
  if (!from.is_rgbe()) pick_linear(from, width, height, to);
  return 0;
}

bool fits(int32_t x, int32_t y, int32_t width, int32_t height, int32_t inWidth,
          int32_t inHeight) {
  return x >= 0 && y >= 0 && width >= kSmallestSide && height >= kSmallestSide &&
         width <= inWidth - x && height <= inHeight - y;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_photo_open_reduced(const char* path, int32_t tiff_input, int32_t width,
                                           int32_t height, lftm_photo** photo) {
  if (width < lftm::kSmallestSide || height < lftm::kSmallestSide) return LFTM_ERR_ARGUMENT;
  return lftm::make_photo(photo, [&](lftm_photo* made) {
    return lftm::open_reduced(path, tiff_input, width, height, made);
  });
}

extern "C" int32_t lftm_photo_reduce(const lftm_photo* photo, int32_t width, int32_t height,
                                     lftm_photo** reduced) {
  if (photo == nullptr || !lftm::fits(0, 0, width, height, photo->width(), photo->height())) {
    return LFTM_ERR_ARGUMENT;
  }
  return lftm::make_photo(reduced, [&](lftm_photo* made) {
    return lftm::reduce(*photo, width, height, made);
  });
}

extern "C" int32_t lftm_photo_crop(const lftm_photo* photo, int32_t x, int32_t y, int32_t width,
                                   int32_t height, lftm_photo** window) {
  if (photo == nullptr || !lftm::fits(x, y, width, height, photo->width(), photo->height())) {
    return LFTM_ERR_ARGUMENT;
  }
  return lftm::make_photo(window, [&](lftm_photo* made) {
    lftm::derive(*photo, width, height, made);
    return lftm::crop_pixels(*photo, x, y, made);
  });
}
