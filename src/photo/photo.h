// SPDX-License-Identifier: BSD-3-Clause
// The decoded photograph behind the opaque lftm_photo handle: its pixels in the form the
// stages read, the Range Squeezer's levelled input and the statistics a render uses.
#ifndef LFTM_PHOTO_PHOTO_H_
#define LFTM_PHOTO_PHOTO_H_

#include <cstdint>
#include <new>
#include <vector>

#include "lftm_host.h"

struct lftm_photo {
  lftm_photo_info info{};          // format, kind, size and channels of these pixels
  int32_t kind = 0;                // the kind the pixels were read in (input_kind)
  std::vector<uint8_t> rgbe;       // RGBE planar bytes (.hdr, .exr, float TIFF)
  std::vector<uint16_t> samples;   // interleaved 16-bit samples (other TIFF)
  std::vector<float> linear;       // 16-bit samples levelled as tms levels them
  LogStats stats = {0, 0, 0, 0};   // the Range Squeezer's statistics, as tms measures them

  bool is_rgbe() const { return !rgbe.empty(); }
  int32_t width() const { return info.width; }
  int32_t height() const { return info.height; }
  int32_t spp() const { return info.channels; }
};

namespace lftm {

// Pixels of a width x height image.
inline size_t pixel_count(int32_t width, int32_t height) {
  return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// Levels the 16-bit samples and measures the statistics of `photo` as tms does for a whole
// image of its own. Returns 0 or LFTM_ERR_NO_MEMORY.
int32_t settle_photo(lftm_photo* photo);

// Hands a finished photograph to the host, or releases it and passes `result` on.
int32_t hand_over(lftm_photo* made, int32_t result, lftm_photo** photo);

// Makes a photograph with `make` (which returns 0 or a code) for the host, a failed
// allocation being LFTM_ERR_NO_MEMORY rather than an exception through the C interface.
template <typename Make>
int32_t make_photo(lftm_photo** photo, Make make) {
  if (photo == nullptr) return LFTM_ERR_ARGUMENT;
  *photo = nullptr;
  lftm_photo* made = new (std::nothrow) lftm_photo;
  if (made == nullptr) return LFTM_ERR_NO_MEMORY;
  try {
    return hand_over(made, make(made), photo);
  } catch (const std::bad_alloc&) {
    return hand_over(made, LFTM_ERR_NO_MEMORY, photo);
  }
}

}  // namespace lftm

#endif  // LFTM_PHOTO_PHOTO_H_
