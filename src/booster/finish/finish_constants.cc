// SPDX-License-Identifier: BSD-3-Clause
#include "booster/finish/finish_constants.h"

#include <cmath>

#include "platform/diag.h"
#include "platform/setting_value.h"
#include "settings/settings_table.h"
#include "squeezer/colour.h"

namespace lftm {
namespace {


// Nearest integer; a fraction of exactly one half rounds down.
int round_half_down(double value) {
  double whole = std::floor(value);
  return truncate_setting(value - whole > 0.5 ? whole + 1 : whole);
}

float mix_weight(int docType, float stre) {
  switch (docType) {
    case 0:
    case 10:
      return 0.009f * (100 - stre);
    case 1:
    case 2:
      return stre > 40 ? 0.0051f * (129.4f - stre) : 0.0076f * (100 - stre);
    default:
      return 0;
  }
}

// Saturation change above or below the median: a positive setting moves the exponent
// towards 1 in proportion to what is left, a negative one towards 0.
float saturation_shift(float setting, float satLevel) {
  return setting > 0 ? setting / 10 * (1 - satLevel) : setting / 10 * satLevel;
}

}  // namespace

void make_finish_constants(int docType, const ImageDesc& desc, const TmParam& param,
                           const LumStats& stats, const float* expTable, FinishConstants* k) {
  const float* p = param.tmParam;
  k->docType = docType;
  k->maxOut = desc.bits == 16 ? 65535.0f : 255.0f;

  k->stre = p[kBoosterStrength] < 1 ? 1.0f : p[kBoosterStrength];
  k->valSat = p[kBoosterColorSaturation];
  k->valWhite = p[kBoosterWhiteClip];
  k->valBlack = p[kBoosterBlackClip];
  k->highlightsSmoothing = p[kBoosterHighlightsSmoothing];
  k->shadowsSmoothing = p[kBoosterShadowsSmoothing];
  k->shadowsClipping = p[kBoosterShadowsClipping];
  k->colorTemperature = p[kBoosterColorTemperature];
  k->saturationHighlights = p[kBoosterSaturationHighlights];
  k->saturationShadows = p[kBoosterSaturationShadows];

  k->satLevel = k->valSat / 100;
  k->gamma = std::pow(2.0f, (50 - p[kBoosterGamma]) / 50);
  float usableGamma = (k->gamma > 0.24f && k->gamma < 2.01f) ? k->gamma : 1.0f;
  k->dGamma = (docType == 10 ? 2.2f : 1.0f) * usableGamma;
  k->gammaD = 0.45f + (k->valSat > 50 ? 0.011f * (k->valSat - 50) - 0.1f : 0.0f);
  k->gG = docType == 10 ? 1.0f : 0.45f;
  k->satSteps =
      (k->valSat < 40 || k->valSat > 50) ? truncate_setting((k->valSat - 50) / 5) : 0;
  k->satFactor = 1 + 0.1f * static_cast<float>(k->satSteps);

  k->mixW = mix_weight(docType, k->stre);
  k->meanLumDiv = stats.lumMoy > 0 ? stats.lumMoy : 1.0f;
  if (stats.lumMaxRatio > 0) {
    k->dA = std::log(10.0f) / std::log(1 + stats.lumMaxRatio);
    k->dB = 1 / stats.lumMaxRatio;
  } else {
    k->dA = 1;
    k->dB = 1;
  }
  for (int i = 0; i < 256; ++i) k->scaledExp[i] = expTable[i] / k->meanLumDiv;

  k->logMed = stats.logMed;
  k->log25 = stats.log25;
  k->log75 = stats.log75;
  k->logMinL = std::log(stats.lumMin);
  k->logMaxL = std::log(stats.lumMaxRatio * stats.lumMoy);
  k->clipBand = 0.4f * (k->logMaxL - k->logMed);
  k->c1 = k->logMinL + 0.01f * k->shadowsClipping * (k->logMed - k->logMinL);
  k->c0 = k->c1 - k->clipBand;
  k->cm = (k->c0 + k->c1) / 2;
  k->shadowClipLo = cubic_coeffs(k->c0, 1, k->cm, 0.5f);
  k->shadowClipHi = cubic_coeffs(k->c1, 0, k->cm, 0.5f);

  float white = (k->valWhite < 0 || k->valWhite > 10) ? 0.25f : k->valWhite;
  k->valWhiteUsed = white + 0.001f;
  k->highlightScale =
      k->highlightsSmoothing > 0 ? ((100 - k->valWhiteUsed) / 100) / std::exp(stats.logClip) : 1.0f;

  // Daylight white point towards which the colours are balanced; D65 itself if the locus
  // gives nothing, so that the factors stay 1.
  float temperature = 6500 - 260 * k->colorTemperature;
  float xyz[3] = {0.950456f, 1.0f, 1.088754f};
  daylight_xyz(truncate_setting(temperature), xyz);
  k->u = xyz[0] / 0.950456f;
  k->v = xyz[2] / 1.088754f;

  k->I = (k->log75 + k->logMed) / 2;
  k->J = saturation_shift(k->saturationHighlights, k->satLevel);
  k->S = (k->log25 + k->logMed) / 2;
  k->U = saturation_shift(k->saturationShadows, k->satLevel);
  k->highSatLo = cubic_coeffs(k->logMed, 0, k->I, k->J / 2);
  k->highSatHi = cubic_coeffs(k->log75, k->J, k->I, k->J / 2);
  k->shadowSatLo = cubic_coeffs(k->log25, k->U, k->S, k->U / 2);
  k->shadowSatHi = cubic_coeffs(k->logMed, 0, k->S, k->U / 2);
}

void print_finish_settings(const FinishConstants& k, int readFromDisk, int sppOut) {
  diag_out("docType=%d  fromDisk=%d  sppOut=%d  valSat=%1.1f  gammaD: %1.2f  valWhite=%1.2f  "
           "valBlack=%1.2f  gamma=%1.2f  dGamma: %1.2f  stre: %1.1f\n",
           k.docType, readFromDisk, sppOut, k.valSat, k.gammaD, k.valWhite, k.valBlack,
           k.gamma, k.dGamma, k.stre);
}

void print_finish_marks(const FinishConstants& k, const LumStats& stats) {
  if (k.highlightsSmoothing > 0) {
    double clipFraction = (k.valWhite / 10.0) / 200000.0;
    int clip = round_half_down(100 * std::pow(clipFraction, std::log(0.3) / std::log(0.025)));
    diag_out(
        "sldHL: %1.1f    clip: %d  %1.4f  echHL:  %1.2f  moy: %1.2f  med: %1.2f  "
        "perc75: %1.2f   perc:%d  %1.2f \n",
        k.highlightsSmoothing, clip, (100 - k.valWhiteUsed) / 100, k.highlightScale, stats.lumMoy,
        std::exp(stats.logMed), std::exp(stats.log75), truncate_setting(100 - k.valWhiteUsed),
        std::exp(stats.logClip));
  }
  diag_out("mask - %1.2f  %1.2f  %1.2f  %1.2f  %1.2f\n", k.logMinL, k.log25, k.logMed, k.log75,
           k.logMaxL);
}

}  // namespace lftm
