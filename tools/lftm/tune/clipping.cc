// SPDX-License-Identifier: BSD-3-Clause
#include "clipping.h"

#include <cstddef>

namespace lftm_tune {
namespace {

enum class Clip { kNone, kWhite, kBlack };

Clip clip_of(const uint8_t* pixel, int32_t spp) {
  bool black = false;
  for (int32_t c = 0; c < spp; ++c) {
    if (pixel[c] == 255) return Clip::kWhite;
    black = black || pixel[c] == 0;
  }
  return black ? Clip::kBlack : Clip::kNone;
}

}  // namespace

ClipShares clip_shares(const Picture& picture) {
  const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
  size_t white = 0, black = 0;
  for (size_t i = 0; i < pixels; ++i) {
    const Clip clip = clip_of(&picture.samples[i * picture.spp], picture.spp);
    white += clip == Clip::kWhite;
    black += clip == Clip::kBlack;
  }
  ClipShares shares;
  if (pixels > 0) {
    shares.white = static_cast<double>(white) / pixels;
    shares.black = static_cast<double>(black) / pixels;
  }
  return shares;
}

Picture with_clipping_warning(const Picture& picture) {
  static const uint8_t kRed[3] = {255, 0, 0};
  static const uint8_t kBlue[3] = {0, 64, 255};
  Picture out;
  out.width = picture.width;
  out.height = picture.height;
  out.spp = 3;
  const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
  out.samples.resize(pixels * 3);
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* in = &picture.samples[i * picture.spp];
    const Clip clip = clip_of(in, picture.spp);
    for (int32_t c = 0; c < 3; ++c) {
      const uint8_t own = in[picture.spp >= 3 ? c : 0];
      out.samples[i * 3 + c] =
          clip == Clip::kWhite ? kRed[c] : clip == Clip::kBlack ? kBlue[c] : own;
    }
  }
  return out;
}

}  // namespace lftm_tune
