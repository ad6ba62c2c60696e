#include "exr_reader/rgbe_encode.h"

#include <cfloat>
#include <cmath>

namespace lftm_sibling {
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

float sanitize_channel(float v, uint64_t* clamped) {
  if (std::isnan(v) || v < 0.0f) {
    if (v != 0.0f || std::isnan(v)) ++*clamped;
    return 0.0f;
  }
  return std::isinf(v) ? FLT_MAX : v;
}

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

}  // namespace lftm_sibling
