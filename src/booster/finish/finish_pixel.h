// The colour of one finished pixel, from its source colour and its compressed luminance.
#ifndef LFTM_BOOSTER_FINISH_FINISH_PIXEL_H_
#define LFTM_BOOSTER_FINISH_FINISH_PIXEL_H_

#include <cmath>

#include "booster/finish/finish_constants.h"
#include "squeezer/colour.h"

namespace lftm {

struct FinishedPixel {
  float r, g, b;  // source colour after white balance (RGBE: in mantissa units)
  float y;        // source luminance
  float yOut;     // output luminance after the mix, shadow clipping and gamma
  float o[3];     // output red, green, blue in 0 .. 1 (may pass 1)
};

// r, g, b: the source colour (RGBE mantissas, or linear values); e: the RGBE exponent
// (docType 0 only); lumValue: the normalised compressed luminance. Returns false for a pixel
// without luminance, which is written black.
inline bool finish_pixel(const FinishConstants& k, const float* expTable, float r, float g,
                         float b, int e, float lumValue, FinishedPixel* px) {
  const bool rgbe = k.docType == 0;
  float y = 0.2126f * r + 0.7152f * g + 0.0722f * b;
  if (y <= 0) return false;
  float logY = rgbe ? std::log(y * expTable[e]) : std::log(y);

  float cx = 0, cz = 0;
  if (k.colorTemperature != 0) {
    cx = (0.4124f * r + 0.3576f * g + 0.1805f * b) * k.u;
    cz = (0.0193f * r + 0.1192f * g + 0.9505f * b) * k.v;
  }

  // Blend the reconstructed luminance with an adaptive logarithmic mapping of the scene.
  float l = lumValue;
  if (k.mixW > 0 || k.shadowsClipping > 0) {
    float ln = rgbe ? y * k.scaledExp[e] : y / k.meanLumDiv;
    float drago = k.dA * std::log(1 + ln) / std::log(2 + 8 * std::pow(ln * k.dB, 0.23f));
    l = (1 - k.mixW) * lumValue + k.mixW * std::pow(drago, k.gammaD);
  }

  // Deep shadows are pulled towards a floor along a smooth step between c0 and c1.
  if (k.shadowsClipping > 0 && logY < k.c1) {
    if (logY < k.c0) {
      l = 0.02f;
    } else {
      float w = logY < k.cm ? cubic_at(k.shadowClipLo, logY) : cubic_at(k.shadowClipHi, logY);
      w = w < 0 ? 0 : (w > 1 ? 1 : w);
      l = (1 - w) * l + w * 0.02f;
    }
  }
  float yOut = std::pow(l, k.dGamma);

  if (k.colorTemperature != 0) {
    r = 3.2406f * cx - 1.5372f * y - 0.4986f * cz;
    g = -0.9689f * cx + 1.8758f * y + 0.0415f * cz;
    b = 0.0557f * cx - 0.2040f * y + 1.0570f * cz;
    if (r < 0) r = 0;
    if (g < 0) g = 0;
    if (b < 0) b = 0;
  }

  // Saturation exponent: the base level, changed along smooth steps above and below the
  // median log luminance.
  float a = 0;
  if (k.saturationHighlights != 0 && logY >= k.logMed) {
    a = logY < k.I     ? cubic_at(k.highSatLo, logY)
        : logY < k.log75 ? cubic_at(k.highSatHi, logY)
                         : k.J;
  }
  if (k.saturationShadows != 0 && logY < k.logMed) {
    a = logY > k.S       ? cubic_at(k.shadowSatHi, logY)
        : logY > k.log25 ? cubic_at(k.shadowSatLo, logY)
                         : k.U;
  }
  float s = k.satLevel + a;
  s = s < 0 ? 0 : (s > 1 ? 1 : s);
  if (k.docType == 10) s = 2.2f * s;

  float src[3] = {r, g, b};
  for (int c = 0; c < 3; ++c) px->o[c] = std::pow(src[c] / y, s) * yOut;

  // Smoothing towards a plain global rendition in highlights or shadows.
  if (k.highlightsSmoothing > 0 || k.shadowsSmoothing > 0) {
    float d = rgbe ? expTable[e] * k.highlightScale : k.highlightScale;
    float gl[3];
    for (int c = 0; c < 3; ++c) gl[c] = std::pow(src[c] * d, k.gG);
    float gY = 0.2f * gl[0] + 0.7f * gl[1] + 0.1f * gl[2];
    float mix = 0;
    bool smooth = false;
    if (k.highlightsSmoothing > 0 && gY > yOut) {
      mix = k.highlightsSmoothing / 100;
      smooth = true;
    }
    if (k.shadowsSmoothing > 0 && yOut > gY) {
      mix = k.shadowsSmoothing / 200;
      smooth = true;
    }
    if (smooth) {
      if (k.satSteps != 0) {
        float hsl[3];
        rgb_to_hsl(1, gl, hsl);
        hsl[1] *= k.satFactor;
        if (hsl[1] > 1) hsl[1] = 1;
        hsl_to_rgb(1, hsl, gl);
      }
      for (int c = 0; c < 3; ++c) px->o[c] = (1 - mix) * px->o[c] + mix * gl[c];
    }
  }

  px->r = r;
  px->g = g;
  px->b = b;
  px->y = y;
  px->yOut = yOut;
  return true;
}

}  // namespace lftm

#endif  // LFTM_BOOSTER_FINISH_FINISH_PIXEL_H_
