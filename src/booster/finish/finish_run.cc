// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/finish_run.h"

#include <cmath>

#include "booster/finish/cubic.h"
#include "squeezer/colour.h"
#include "vecmath/vecmath.h"

namespace lftm {
namespace {

// Argument given to logf and powf for unlit pixels, whose results are not used: an ordinary
// value keeps the run on the fast path of the array functions.
constexpr float kIdle = 2.0f;

// A pixel's luminance over the geometric mean, in double: beside a mean far below it (an
// image spanning 1e38 to 1e-40) a pixel near the top of the float range has a ratio that no
// float holds.
double ratio_to_mean(const FinishConstants& k, const float* expTable, float y, int e) {
  const double linear = k.docType == 0 ? static_cast<double>(y) * expTable[e] : y;
  return linear / k.meanLumDiv;
}

// l: the luminance after the blend with the adaptive logarithmic mapping of the scene.
void blend_with_log_mapping(const FinishConstants& k, const float* expTable, int n,
                            const FinishRun& run, const float* y, float* l) {
  const bool rgbe = k.docType == 0;
  float powered[kFinishRun], logOne[kFinishRun], logTwo[kFinishRun];
  // Pixels whose ratio to the mean overflowed a float take their terms from the double
  // ratio: the infinite ratio would make the mapping NaN and the brightest pixels black.
  bool overflowed[kFinishRun];
  float wideLogOne[kFinishRun];
  for (int j = 0; j < n; ++j) {
    const float ln = rgbe ? y[j] * k.scaledExp[run.e[j]] : y[j] / k.meanLumDiv;
    overflowed[j] = run.lit[j] && std::isinf(ln);
    powered[j] = run.lit[j] ? ln * k.dB : kIdle;
    logOne[j] = run.lit[j] ? 1 + ln : kIdle;
    if (overflowed[j]) {
      const double wide = ratio_to_mean(k, expTable, y[j], run.e[j]);
      powered[j] = static_cast<float>(wide * k.dB);
      logOne[j] = kIdle;
      wideLogOne[j] = static_cast<float>(std::log1p(wide));
    }
  }
  powf_array(powered, 0.23f, powered, n);
  for (int j = 0; j < n; ++j) logTwo[j] = run.lit[j] ? 2 + 8 * powered[j] : kIdle;
  logf_array(logOne, logOne, n);
  for (int j = 0; j < n; ++j) {
    if (overflowed[j]) logOne[j] = wideLogOne[j];
  }
  logf_array(logTwo, logTwo, n);
  float drago[kFinishRun];
  for (int j = 0; j < n; ++j) drago[j] = run.lit[j] ? k.dA * logOne[j] / logTwo[j] : kIdle;
  powf_array(drago, k.gammaD, drago, n);
  for (int j = 0; j < n; ++j) l[j] = (1 - k.mixW) * run.lum[j] + k.mixW * drago[j];
}

// Deep shadows are pulled towards a floor along a smooth step between c0 and c1.
float clip_shadows(const FinishConstants& k, float logY, float l) {
  if (k.shadowsClipping > 0 && logY < k.c1) {
    if (logY < k.c0) return 0.02f;
    float w = logY < k.cm ? cubic_at(k.shadowClipLo, logY) : cubic_at(k.shadowClipHi, logY);
    w = w < 0 ? 0 : (w > 1 ? 1 : w);
    return (1 - w) * l + w * 0.02f;
  }
  return l;
}

// Saturation exponent: the base level, changed along smooth steps above and below the
// median log luminance.
float saturation_exponent(const FinishConstants& k, float logY) {
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
  return s;
}

// Smoothing towards a plain global rendition in highlights or shadows.
void smooth_towards_global(const FinishConstants& k, const float* expTable, int n,
                           FinishRun* run) {
  const bool rgbe = k.docType == 0;
  float gl[3 * kFinishRun];
  for (int j = 0; j < n; ++j) {
    const FinishedPixel& px = run->px[j];
    const float d = rgbe ? expTable[run->e[j]] * k.highlightScale : k.highlightScale;
    gl[3 * j] = run->lit[j] ? px.r * d : kIdle;
    gl[3 * j + 1] = run->lit[j] ? px.g * d : kIdle;
    gl[3 * j + 2] = run->lit[j] ? px.b * d : kIdle;
  }
  powf_array(gl, k.gG, gl, static_cast<size_t>(3 * n));
  for (int j = 0; j < n; ++j) {
    if (!run->lit[j]) continue;
    FinishedPixel& px = run->px[j];
    float* g = gl + 3 * j;
    float gY = 0.2f * g[0] + 0.7f * g[1] + 0.1f * g[2];
    float mix = 0;
    bool smooth = false;
    if (k.highlightsSmoothing > 0 && gY > px.yOut) {
      mix = k.highlightsSmoothing / 100;
      smooth = true;
    }
    if (k.shadowsSmoothing > 0 && px.yOut > gY) {
      mix = k.shadowsSmoothing / 200;
      smooth = true;
    }
    if (!smooth) continue;
    if (k.satSteps != 0) {
      float hsl[3];
      rgb_to_hsl(1, g, hsl);
      hsl[1] *= k.satFactor;
      if (hsl[1] > 1) hsl[1] = 1;
      hsl_to_rgb(1, hsl, g);
    }
    for (int c = 0; c < 3; ++c) px.o[c] = (1 - mix) * px.o[c] + mix * g[c];
  }
}

}  // namespace

void finish_run(const FinishConstants& k, const float* expTable, int n, FinishRun* run) {
  const bool rgbe = k.docType == 0;
  float y[kFinishRun], cx[kFinishRun], cz[kFinishRun];
  float logY[kFinishRun] = {};  // zeroed because GCC cannot tell that n entries are set
  for (int j = 0; j < n; ++j) {
    const float r = run->r[j], g = run->g[j], b = run->b[j];
    y[j] = 0.2126f * r + 0.7152f * g + 0.0722f * b;
    run->lit[j] = run->read[j] && !(y[j] <= 0);
    logY[j] = !run->lit[j] ? kIdle : rgbe ? y[j] * expTable[run->e[j]] : y[j];
    if (k.colorTemperature != 0) {
      cx[j] = (0.4124f * r + 0.3576f * g + 0.1805f * b) * k.u;
      cz[j] = (0.0193f * r + 0.1192f * g + 0.9505f * b) * k.v;
    }
  }
  logf_array(logY, logY, n);

  float l[kFinishRun];
  if (k.mixW > 0 || k.shadowsClipping > 0) {
    blend_with_log_mapping(k, expTable, n, *run, y, l);
  } else {
    for (int j = 0; j < n; ++j) l[j] = run->lum[j];
  }
  for (int j = 0; j < n; ++j) l[j] = run->lit[j] ? clip_shadows(k, logY[j], l[j]) : kIdle;
  float yOut[kFinishRun];
  powf_array(l, k.dGamma, yOut, n);

  // Each channel's ratio to the luminance, raised to the saturation exponent.
  float ratio[3 * kFinishRun], satExp[3 * kFinishRun];
  for (int j = 0; j < n; ++j) {
    FinishedPixel& px = run->px[j];
    float r = run->r[j], g = run->g[j], b = run->b[j];
    if (k.colorTemperature != 0) {
      r = 3.2406f * cx[j] - 1.5372f * y[j] - 0.4986f * cz[j];
      g = -0.9689f * cx[j] + 1.8758f * y[j] + 0.0415f * cz[j];
      b = 0.0557f * cx[j] - 0.2040f * y[j] + 1.0570f * cz[j];
      if (r < 0) r = 0;
      if (g < 0) g = 0;
      if (b < 0) b = 0;
    }
    const bool lit = run->lit[j];
    const float s = lit ? saturation_exponent(k, logY[j]) : 1.0f;
    const float src[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
      ratio[3 * j + c] = lit ? src[c] / y[j] : kIdle;
      satExp[3 * j + c] = s;
    }
    px.r = r;
    px.g = g;
    px.b = b;
    px.y = y[j];
    px.yOut = yOut[j];
  }
  powf_pairs(ratio, satExp, ratio, static_cast<size_t>(3 * n));
  for (int j = 0; j < n; ++j) {
    for (int c = 0; c < 3; ++c) run->px[j].o[c] = ratio[3 * j + c] * yOut[j];
  }

  if (k.highlightsSmoothing > 0 || k.shadowsSmoothing > 0) {
    smooth_towards_global(k, expTable, n, run);
  }
}

}  // namespace lftm
