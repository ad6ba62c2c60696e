// SPDX-License-Identifier: BSD-3-Clause
// The per-call constants of the Range Squeezer: the photoreceptor-style response curve, its
// output range, and the optional white balance and saturation settings.
#ifndef LFTM_SQUEEZER_RESPONSE_CURVE_H_
#define LFTM_SQUEEZER_RESPONSE_CURVE_H_

#include "lftm.h"

namespace lftm {

struct SqueezerCurve {
  float ldrMax;    // largest output value: 255 or 65535
  float blend;     // adaptation: 0 = global mean only, 1 = pixel luminance only
  float Lav;       // geometric mean luminance
  float e;         // response exponent
  float k;         // response scale, exp(-intensity)
  float lo;        // response at the bottom of the output range
  float hi;        // response at the top of the output range
  float scale;     // ldrMax / (hi - lo)
  float wb[3][3];  // white-balance matrix, rows R, G, B
  bool whiteBalance;
  bool saturate;
  double satFactor;  // 1 + 0.1 x Saturation
};

// A float setting read as an integer (toward zero) is non-zero; safe for any float value.
inline bool setting_is_on(float value) { return value >= 1 || value <= -1; }

// Response R(x, A) = x ldrMax / (1e-20 + x + (k A)^e), in double, rounded to float.
float squeezer_response(const SqueezerCurve& curve, float x, float A);

// Fills every per-call constant. bits selects ldrMax (16: 65535, otherwise 255).
void make_squeezer_curve(int bits, const TmParam* param, const LogStats* stats,
                         SqueezerCurve* curve);

// White point shift from D65 towards the daylight temperature
// trunc(6500 - 200 x colorTemperature) kelvin, as an RGB-to-RGB matrix.
void white_balance_matrix(float colorTemperature, float m[3][3]);

}  // namespace lftm

#endif  // LFTM_SQUEEZER_RESPONSE_CURVE_H_
