// SPDX-License-Identifier: BSD-3-Clause
// The Range Squeezer read straight from its description, one step at a time, without the
// operator's curve record or helpers: the fast path must agree with this byte for byte, so a
// wrong formula or a wrong rounding in either shows. Every value is a float, as the
// description keeps it; exp, pow and the response are evaluated in double, and a constant
// such as 0.05 is a double, so an expression with one is evaluated in double and rounded
// where it is stored.
#include "support/tm_simple_reference.h"

#include <cmath>
#include <cstdint>

#include "squeezer/colour.h"

namespace lftm_test {
namespace {

// The seven settings the method reads, by slot.
struct SqueezerSettings {
  float brightness, compression, contrast, whiteClip, blackClip, temperature, saturation;
};

SqueezerSettings settings_of(const TmParam& param) {
  const float* slot = param.tmParam;
  return {slot[0], slot[1], slot[2], slot[3], slot[4], slot[12], slot[13]};
}

// "off when the integer part is 0"
bool integer_part_is_nonzero(float v) { return std::trunc(v) != 0; }

// The response exponent: autoContrast at Compression 0, moving linearly to 0.01 at -10 and
// to 0.7 at +10; a result of 0 or less falls back to the spread of the log luminances.
float response_exponent(float compression, const LogStats& st) {
  double e = st.autoContrast;
  if (compression < 0) {
    const float towardLow = (10 + compression) / 10;
    e = 0.01 + towardLow * (st.autoContrast - 0.01);
  }
  if (compression > 0) {
    const float awayFromHigh = (10 - compression) / 10;
    e = 0.7 - awayFromHigh * (0.7 - st.autoContrast);
  }
  if (!(e > 0)) {
    const float spread = (st.logMax - st.logMoy) / (st.logMax - st.logMin);
    e = 0.3 + 0.6 * std::pow(spread, 1.4);
  }
  return static_cast<float>(e);
}

// The response scale k = exp(-f) of the brightness b, where the intensity f is
// (0.4 - 0.01 b) b above 0, 0.5 b down to -6 and (0.5 + 0.1 (-6 - b)) b below, kept as a float.
float response_scale(float b) {
  const float f = b > 0 ? (0.4 - 0.01 * b) * b
                        : (b > -6 ? 0.5 * b : (0.5 + 0.1 * (-6 - b)) * b);
  return static_cast<float>(std::exp(-static_cast<double>(f)));
}

// M = (XYZ to RGB) diag(X / Xd65, 1, Z / Zd65) (RGB to XYZ) for the daylight white point.
void white_balance(float temperature, float M[3][3]) {
  const float rgbToXyz[3][3] = {
      {0.4124f, 0.3576f, 0.1805f}, {0.2126f, 0.7152f, 0.0722f}, {0.0193f, 0.1192f, 0.9505f}};
  const float xyzToRgb[3][3] = {
      {3.2406f, -1.5372f, -0.4986f}, {-0.9689f, 1.8758f, 0.0415f}, {0.0557f, -0.2040f, 1.0570f}};
  const int kelvin = static_cast<int>(6500 - 200 * static_cast<double>(temperature));
  float white[3] = {0.950456f, 1.0f, 1.088754f};
  lftm::daylight_xyz(kelvin, white);
  const float gain[3] = {static_cast<float>(white[0] / 0.950456), 1,
                         static_cast<float>(white[2] / 1.088754)};
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      float sum = 0;
      for (int n = 0; n < 3; ++n) sum += xyzToRgb[row][n] * (gain[n] * rgbToXyz[n][col]);
      M[row][col] = sum;
    }
  }
}

void store(void* out, int bits, long index, float v, float ldrMax) {
  if (!(v > 0)) v = 0;
  if (v > ldrMax) v = ldrMax;
  if (bits == 16) {
    static_cast<uint16_t*>(out)[index] = static_cast<uint16_t>(v);
  } else {
    static_cast<uint8_t*>(out)[index] = static_cast<uint8_t>(v);
  }
}

}  // namespace

int reference_tm_simple(int isFP, const ImageDesc& d, const TmParam& param, const LogStats& st,
                        const float* expTable, const void* input, void* output) {
  if (st.logMax == st.logMin) return LFTM_ERR_FILE;
  if (d.bits != 8 && d.bits != 16) return LFTM_ERR_FILE;
  const SqueezerSettings set = settings_of(param);

  const float ldrMax = d.bits == 16 ? 65535 : 255;
  const float blend = (set.contrast + 10) * 0.05;
  const float meanLuminance = static_cast<float>(std::exp(static_cast<double>(st.logMoy)));
  const float e = response_exponent(set.compression, st);
  const float k = response_scale(set.brightness);
  float M[3][3];
  white_balance(set.temperature, M);

  // R(x, A) = x ldrMax / (1e-20 + x + (k A)^e) in double, kept as a float.
  auto R = [&](double x, double A) -> float {
    const double kd = k;
    return static_cast<float>(x * ldrMax / (1e-20 + x + std::pow(kd * A, static_cast<double>(e))));
  };
  auto adaptation = [&](float Y) -> float { return (1 - blend) * meanLuminance + blend * Y; };

  const float brightest = static_cast<float>(std::exp(static_cast<double>(st.logMax)));
  const float darkest = static_cast<float>(std::exp(static_cast<double>(st.logMin)));
  float hi = R(brightest, adaptation(brightest));
  float lo = R(darkest, adaptation(darkest));
  const float span = hi - lo;
  hi -= set.whiteClip * 0.04 * span;
  lo += set.blackClip * 0.06 * span;
  const float scale = ldrMax / (hi - lo);

  const int w = d.width;
  const int spp = d.spp;
  const int channel[3] = {d.bgr ? spp - 1 : 0, (spp - 1) / 2, d.bgr ? 0 : spp - 1};
  for (int y = 0; y < d.height; ++y) {
    for (int x = 0; x < w; ++x) {
      long at[3];
      for (int c = 0; c < 3; ++c) {
        at[c] = d.planes == 3
                    ? (static_cast<long>(c) * d.height + y) * w + x
                    : static_cast<long>(y) * d.rowStride + static_cast<long>(x) * spp + channel[c];
      }
      float rgb[3];
      float unit = 1;
      if (isFP > 0) {
        const float* px = static_cast<const float*>(input) + (static_cast<long>(y) * w + x) * spp;
        for (int c = 0; c < 3; ++c) rgb[c] = px[channel[c]];
      } else {
        const uint8_t* row = static_cast<const uint8_t*>(input) + 4L * w * y;
        const int exponent = row[3 * w + x];
        if (exponent == 0) {
          for (int c = 0; c < 3; ++c) store(output, d.bits, at[c], 0, ldrMax);
          continue;
        }
        for (int c = 0; c < 3; ++c) rgb[c] = row[c * w + x];
        unit = expTable[exponent];
      }
      // Luminance from the values as read, then made linear like the channels.
      const float Yread = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
      const float Y = Yread * unit;
      if (integer_part_is_nonzero(set.temperature)) {
        const float in[3] = {rgb[0], rgb[1], rgb[2]};
        for (int c = 0; c < 3; ++c) rgb[c] = M[c][0] * in[0] + M[c][1] * in[1] + M[c][2] * in[2];
      }
      const float A = adaptation(Y);
      float o[3];
      for (int c = 0; c < 3; ++c) o[c] = (R(rgb[c] * unit, A) - lo) * scale;
      if (integer_part_is_nonzero(set.saturation)) {
        float hsl[3];
        lftm::rgb_to_hsl(static_cast<int>(ldrMax), o, hsl);
        hsl[1] *= 1 + 0.1 * set.saturation;
        if (hsl[1] > 1) hsl[1] = 1;
        lftm::hsl_to_rgb(static_cast<int>(ldrMax), hsl, o);
      }
      for (int c = 0; c < 3; ++c) store(output, d.bits, at[c], o[c], ldrMax);
    }
  }
  return d.height;
}

}  // namespace lftm_test
