// SPDX-License-Identifier: BSD-3-Clause
// Colour routines shared by the Range Squeezer and stage 3 of the Texture Booster. The
// arithmetic follows the float/double mix of the original routines so that both paths give
// the same samples bit for bit.
#include "squeezer/colour.h"

namespace lftm {

void daylight_xyz(int kelvin, float xyz[3]) {
  float t = static_cast<float>(kelvin);
  float t3 = t * t * t;
  float t2 = t * t;
  float x;
  if (t > 7000) {
    x = -2.0064e9 / t3 + 1.9018e6 / t2 + 0.24748e3 / t + 0.23704;
  } else {
    x = -4.607e9 / t3 + 2.9678e6 / t2 + 0.09911e3 / t + 0.244063;
  }
  float y = -3.0 * x * x + 2.87 * x - 0.275;
  if (y == 0) return;
  xyz[0] = x / y;
  xyz[1] = 1;
  xyz[2] = (1 - x - y) / y;
}

void rgb_to_hsl(int s, const float rgb[3], float hsl[3]) {
  float r = rgb[0] / s;
  float g = rgb[1] / s;
  float b = rgb[2] / s;
  float max = r > g ? r : g;
  if (b > max) max = b;
  float min = r < g ? r : g;
  if (b < min) min = b;
  float l = (max + min) / 2;
  float h = 0;
  float sat = 0;
  if (max != min) {
    float d = max - min;
    sat = l < 0.5f ? d / (max + min) : d / (2 - max - min);
    if (r == max) {
      h = (g - b) / d;
    } else if (g == max) {
      h = 2 + (b - r) / d;
    } else {
      h = 4 + (r - g) / d;
    }
    h /= 6;
    if (h < 0) h += 1;
    if (h > 1) h -= 1;
  }
  hsl[0] = h;
  hsl[1] = sat;
  hsl[2] = l;
}

float hue_to_rgb(float p, float q, float t) {
  if (t < 0) t += 1;
  if (t > 1) t -= 1;
  if (6 * t < 1) return p + (q - p) * 6 * t;
  if (2 * t < 1) return q;
  if (3 * t < 2) return p + (q - p) * (4 - 6 * t);
  return p;
}

void hsl_to_rgb(int s, const float hsl[3], float rgb[3]) {
  float h = hsl[0];
  float sat = hsl[1];
  float l = hsl[2];
  if (sat == 0) {
    rgb[0] = rgb[1] = rgb[2] = s * l;
    return;
  }
  float q = l <= 0.5f ? l * (1 + sat) : l + sat - l * sat;
  float p = 2 * l - q;
  rgb[0] = s * hue_to_rgb(p, q, h + 0.333333333333);
  rgb[1] = s * hue_to_rgb(p, q, h);
  rgb[2] = s * hue_to_rgb(p, q, h - 0.3333333333333);
}

}  // namespace lftm
