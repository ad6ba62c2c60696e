// SPDX-License-Identifier: BSD-3-Clause
// Per-call constants of the Range Squeezer. Float variables and double literals are mixed on
// purpose: every value is rounded where the operator has always rounded it, so that outputs
// stay identical across releases.
#include "squeezer/response_curve.h"

#include <cmath>
#include <limits>

#include "settings/settings_table.h"
#include "squeezer/colour.h"

namespace lftm {
namespace {

// Linear sRGB primaries with a D65 white.
constexpr float kRgbToXyz[3][3] = {{0.4124f, 0.3576f, 0.1805f},
                                   {0.2126f, 0.7152f, 0.0722f},
                                   {0.0193f, 0.1192f, 0.9505f}};
constexpr float kXyzToRgb[3][3] = {{3.2406f, -1.5372f, -0.4986f},
                                   {-0.9689f, 1.8758f, 0.0415f},
                                   {0.0557f, -0.2040f, 1.0570f}};

// trunc(6500 - 200 x setting) as an int, saturated instead of overflowing.
int daylight_temperature(float colorTemperature) {
  double t = 6500 - 200 * static_cast<double>(colorTemperature);
  if (std::isnan(t)) return 6500;
  if (t >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  if (t <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  return static_cast<int>(t);
}

float response_exponent(float compression, const LogStats& s) {
  float e = s.autoContrast;
  if (compression < 0) e = 0.01 + (10 + compression) / 10 * (s.autoContrast - 0.01);
  if (compression > 0) e = 0.7 - (10 - compression) / 10 * (0.7 - s.autoContrast);
  if (!(e > 0)) {
    e = 0.3 + 0.6 * std::pow((s.logMax - s.logMoy) / (s.logMax - s.logMin), 1.4);
  }
  return e;
}

// The intensity term; its three branches meet at b = 0 and b = -6.
float intensity(float b) {
  float f;
  if (b > 0) {
    f = (0.4 - 0.01 * b) * b;
  } else if (b > -6) {
    f = 0.5 * b;
  } else {
    f = (0.5 + 0.1 * (-6 - b)) * b;
  }
  return f;
}

}  // namespace

float squeezer_response(const SqueezerCurve& curve, float x, float A) {
  double xd = x;
  double p = std::pow(static_cast<double>(curve.k) * A, static_cast<double>(curve.e));
  return static_cast<float>(xd * curve.ldrMax / (1e-20 + xd + p));
}

void white_balance_matrix(float colorTemperature, float m[3][3]) {
  // A white point the locus cannot give leaves D65 in place, i.e. no shift.
  float xyz[3] = {0.950456f, 1.0f, 1.088754f};
  daylight_xyz(daylight_temperature(colorTemperature), xyz);
  float diag[3] = {static_cast<float>(xyz[0] / 0.950456), 1.0f,
                   static_cast<float>(xyz[2] / 1.088754)};
  float scaled[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) scaled[i][j] = diag[i] * kRgbToXyz[i][j];
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      m[i][j] = kXyzToRgb[i][0] * scaled[0][j] + kXyzToRgb[i][1] * scaled[1][j] +
                kXyzToRgb[i][2] * scaled[2][j];
    }
  }
}

void make_squeezer_curve(int bits, const TmParam* param, const LogStats* stats,
                         SqueezerCurve* curve) {
  const float* p = param->tmParam;
  SqueezerCurve& c = *curve;
  c.ldrMax = bits == 16 ? 65535.0 : 255.0;
  c.blend = (p[kSqueezerContrast] + 10) * 0.05;
  c.Lav = std::exp(static_cast<double>(stats->logMoy));
  c.e = response_exponent(p[kSqueezerCompression], *stats);
  c.k = std::exp(static_cast<double>(-intensity(p[kSqueezerBrightness])));

  white_balance_matrix(p[kSqueezerColorTemperature], c.wb);
  c.whiteBalance = setting_is_on(p[kSqueezerColorTemperature]);
  c.saturate = setting_is_on(p[kSqueezerSaturation]);
  c.satFactor = 1 + 0.1 * p[kSqueezerSaturation];

  float Lmax = std::exp(static_cast<double>(stats->logMax));
  float Lmin = std::exp(static_cast<double>(stats->logMin));
  float hi = squeezer_response(c, Lmax, (1 - c.blend) * c.Lav + c.blend * Lmax);
  float lo = squeezer_response(c, Lmin, (1 - c.blend) * c.Lav + c.blend * Lmin);
  float d = hi - lo;
  hi = hi - p[kSqueezerWhiteClip] * 0.04 * d;
  lo = lo + p[kSqueezerBlackClip] * 0.06 * d;
  c.hi = hi;
  c.lo = lo;
  c.scale = c.ldrMax / (hi - lo);
}

}  // namespace lftm
