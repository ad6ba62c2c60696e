// SPDX-License-Identifier: BSD-3-Clause
#include "imageio/rgbe_encode.h"

#include <cmath>

namespace lftm {
namespace {

constexpr int kExponentBias = 136;  // value = mantissa x 2^(E - 136)
constexpr int kLargestE = 255;

uint8_t mantissa(float v, int e) {
  // v x 2^(136 - E), rounded; callers keep it within 0..255.
  double m = std::ldexp(static_cast<double>(v), kExponentBias - e);
  long rounded = std::lround(m);
  return static_cast<uint8_t>(rounded > 255 ? 255 : rounded);
}

}  // namespace

void encode_rgbe(float r, float g, float b, uint8_t out[4]) {
  float v = r > g ? r : g;
  if (b > v) v = b;
  out[0] = out[1] = out[2] = out[3] = 0;
  if (!(v > 0.0f)) return;
  int e2 = 0;
  std::frexp(static_cast<double>(v), &e2);  // v = f x 2^e2, f in [0.5, 1)
  int e = e2 + 128;                          // the largest mantissa lies in 128..255
  if (std::lround(std::ldexp(static_cast<double>(v), kExponentBias - e)) > 255) ++e;
  if (e > kLargestE) {
    out[0] = r == v ? 255 : mantissa(r, kLargestE);
    out[1] = g == v ? 255 : mantissa(g, kLargestE);
    out[2] = b == v ? 255 : mantissa(b, kLargestE);
    out[3] = kLargestE;
    return;
  }
  if (e < 1) e = 1;  // very dark: the smallest exponent with smaller mantissas
  out[0] = mantissa(r, e);
  out[1] = mantissa(g, e);
  out[2] = mantissa(b, e);
  out[3] = (out[0] | out[1] | out[2]) != 0 ? static_cast<uint8_t>(e) : 0;
}

RgbeRowEncoder::RgbeRowEncoder(int width, uint8_t* dst) : width_(width), dst_(dst) {}

float RgbeRowEncoder::channel(float v) {
  if (std::isnan(v) || v < 0.0f) {
    if (v != 0.0f || std::isnan(v)) ++clamped_;
    return 0.0f;
  }
  if (!std::isinf(v) && v > largest_) largest_ = v;
  return v;
}

void RgbeRowEncoder::store(float r, float g, float b, int x, int y) {
  uint8_t px[4];
  encode_rgbe(r, g, b, px);
  uint8_t* out = dst_ + 4 * static_cast<size_t>(width_) * y;
  for (int c = 0; c < 4; ++c) out[static_cast<size_t>(c) * width_ + x] = px[c];
}

void RgbeRowEncoder::row(const float* rgb, int y) {
  for (int x = 0; x < width_; ++x) {
    const float r = channel(rgb[3 * x]);
    const float g = channel(rgb[3 * x + 1]);
    const float b = channel(rgb[3 * x + 2]);
    if (std::isinf(r) || std::isinf(g) || std::isinf(b)) {
      infinite_.push_back({x, y, {r, g, b}});
    } else {
      store(r, g, b, x, y);
    }
  }
}

void RgbeRowEncoder::finish() {
  const float infinity = largest_ > 0.0f ? largest_ : 1.0f;
  for (const InfinitePixel& p : infinite_) {
    float v[3];
    for (int c = 0; c < 3; ++c) v[c] = std::isinf(p.rgb[c]) ? infinity : p.rgb[c];
    store(v[0], v[1], v[2], p.x, p.y);
  }
  infinite_.clear();
}

void write_work(const RgbeEncodeReport& report, float* work) {
  if (work == nullptr) return;
  work[0] = report.largest;
  work[1] = static_cast<float>(report.clamped);
  work[2] = work[3] = 0.0f;
}

RgbeEncodeReport encode_rgbe_image(int width, uint8_t* dst,
                                   const std::function<void(RgbeRowEncoder*)>& decode) {
  RgbeRowEncoder encoder(width, dst);
  decode(&encoder);
  encoder.finish();
  RgbeEncodeReport report;
  report.largest = encoder.largest();
  report.clamped = encoder.clamped();
  return report;
}

}  // namespace lftm
