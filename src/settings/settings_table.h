// SPDX-License-Identifier: BSD-3-Clause
// The one table of settings. For every method the settings sidecar knows, each setting's slot
// in TmParam, its name (the sidecar element and the command-line option --Name), how its value
// is written and read, the precision the sidecar keeps, the range the command-line tool fits
// it into, and the default tmparam_default gives. The sidecar reader and writer, the tool,
// tmparam_default and the stages all take slots and names from here.
#ifndef LFTM_SETTINGS_SETTINGS_TABLE_H_
#define LFTM_SETTINGS_SETTINGS_TABLE_H_

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "lftm.h"

namespace lftm {

constexpr int kSettingsSlots = 20;

// The slots of TmParam, by method.
enum SettingSlot : int {
  // Texture Booster (method 1).
  kBoosterLuminosity = 0,
  kBoosterStrength = 1,
  kBoosterColorSaturation = 2,
  kBoosterWhiteClip = 3,
  kBoosterBlackClip = 4,
  kBoosterSmoothingPreset = 5,  // "Smoothing" under SmoothingMode Light: a preset 0..4
  kBoosterMicrocontrast = 6,
  kBoosterMicrosmoothing = 7,
  kBoosterGamma = 8,  // the gamma slider s; the gamma is 2^((50 - s) / 50)
  kBoosterHighlightsSmoothing = 9,
  kBoosterShadowsSmoothing = 10,
  kBoosterShadowsClipping = 11,
  kBoosterColorTemperature = 12,
  kBoosterSaturationHighlights = 13,
  kBoosterSaturationShadows = 14,
  kBooster360DegreeImage = 15,
  kBoosterSmoothingMode = 16,    // 0 Light, 1 Slider
  kBoosterSmoothingSlider = 17,  // "Smoothing" under SmoothingMode Slider
  kBoosterToleranceClass = 18,   // stage 2's solver tolerance; no sidecar element
  kBoosterPrintedMethod = 19,    // printed by stage 2 only; no sidecar element

  // Range Squeezer (method 2).
  kSqueezerBrightness = 0,
  kSqueezerCompression = 1,
  kSqueezerContrast = 2,
  kSqueezerWhiteClip = 3,
  kSqueezerBlackClip = 4,
  kSqueezerColorTemperature = 12,
  kSqueezerSaturation = 13,

  // Blend/Tune (method 10), only stored and read.
  kBlendTuneAccentuation = 0,
  kBlendTuneBlendingPoint = 1,
  kBlendTuneShadows = 2,
  kBlendTuneSaturation = 3,
  kBlendTuneWhiteClip = 4,
  kBlendTuneBlackClip = 5,
  kBlendTuneMidtonesAdjustment = 6,

  // Blend/Strong (method 11), only stored and read.
  kBlendStrongStrength = 0,
  kBlendStrongSaturation = 1,
  kBlendStrongRadius = 2,
};

// Strength of the Texture Booster's positive variant (tmparam_default with variant > 0).
constexpr float kBoosterStrengthOfVariant = 40;

// The gamma slider of gamma 1.0, which a sidecar without a Gamma element stands for.
constexpr float kNeutralGammaSlider = 50;

// How a setting's value is written and read.
enum class SettingForm : uint8_t {
  kNumber,
  kMicrocontrast,  // a number; before format 2.5 a word of the old scale
  kGamma,          // the gamma value 2^((50 - s) / 50) of the slider s in the slot
  kSmoothingMode,  // Light (0) or Slider (1)
  kSmoothing,      // Light: a preset word in the preset slot; Slider: a number in the slider slot
  kYesNo           // Yes (1) or No (0)
};

struct Setting {
  const char* name;      // sidecar element and command-line option
  const char* old_name;  // an earlier element name the reader also accepts, or nullptr
  int slot;              // Smoothing: the preset slot (the slider is kBoosterSmoothingSlider)
  SettingForm form;
  int decimals;              // digits the sidecar keeps behind the period (numbers)
  bool integer_when_legacy;  // files before format 3.2 hold an integer
  // The range the command-line tool fits a number into: the gamma value for Gamma, the
  // slider for Smoothing; none when low == high. These are the ranges in which the renderers
  // use a value as it is meant (stage 3 honours a gamma only between 0.24 and 2.01 and the
  // clips only from 0 to 10; the Range Squeezer's clips together may not remove the whole
  // output range), otherwise the slider ranges of the settings family: -10..10 around a
  // neutral 0, 0..100 for percents.
  float low;
  float high;
  float default_value;  // the slot's value after tmparam_default (variant 0)
};

// In the order the reader searches a line and the tool lists them.
inline constexpr Setting kBoosterSettings[] = {
    {"Luminosity", nullptr, kBoosterLuminosity, SettingForm::kNumber, 1, true, -10, 10, 0},
    {"Strength", nullptr, kBoosterStrength, SettingForm::kNumber, 1, true, 0, 100, 70},
    {"ColorSaturation", nullptr, kBoosterColorSaturation, SettingForm::kNumber, 1, true, 0, 100,
     46},
    {"WhiteClip", nullptr, kBoosterWhiteClip, SettingForm::kNumber, 6, false, 0, 10, 0.25f},
    {"BlackClip", nullptr, kBoosterBlackClip, SettingForm::kNumber, 6, false, 0, 10, 0},
    {"SmoothingMode", nullptr, kBoosterSmoothingMode, SettingForm::kSmoothingMode, 0, false, 0, 0,
     1},
    {"Smoothing", nullptr, kBoosterSmoothingPreset, SettingForm::kSmoothing, 1, false, -10, 10, 1},
    {"Microcontrast", nullptr, kBoosterMicrocontrast, SettingForm::kMicrocontrast, 1, true, -10, 10,
     0},
    {"Microsmoothing", "NoiseSmoothing", kBoosterMicrosmoothing, SettingForm::kNumber, 1, true, 0,
     30, 2},
    {"Gamma", nullptr, kBoosterGamma, SettingForm::kGamma, 1, false, 0.3f, 2.0f,
     kNeutralGammaSlider},
    {"HighlightsSmoothing", nullptr, kBoosterHighlightsSmoothing, SettingForm::kNumber, 1, true, 0,
     100, 0},
    {"ShadowsSmoothing", nullptr, kBoosterShadowsSmoothing, SettingForm::kNumber, 1, true, 0, 200,
     0},
    {"ShadowsClipping", nullptr, kBoosterShadowsClipping, SettingForm::kNumber, 1, true, 0, 100, 0},
    {"ColorTemperature", nullptr, kBoosterColorTemperature, SettingForm::kNumber, 1, true, -10, 10,
     0},
    {"SaturationHighlights", nullptr, kBoosterSaturationHighlights, SettingForm::kNumber, 1, true,
     -10, 10, 0},
    {"SaturationShadows", nullptr, kBoosterSaturationShadows, SettingForm::kNumber, 1, true, -10,
     10, 0},
    {"360DegreeImage", nullptr, kBooster360DegreeImage, SettingForm::kYesNo, 0, false, 0, 0, 0},
};

// Sidecars list Strength and ColorSaturation ahead of Luminosity, as they always have.
inline constexpr uint8_t kBoosterSidecarOrder[] = {1, 2,  0,  3,  4,  5,  6,  7, 8,
                                                   9, 10, 11, 12, 13, 14, 15, 16};
static_assert(std::size(kBoosterSidecarOrder) == std::size(kBoosterSettings),
              "every Texture Booster setting has its place in the sidecar");

inline constexpr Setting kSqueezerSettings[] = {
    {"Brightness", nullptr, kSqueezerBrightness, SettingForm::kNumber, 1, true, -10, 10, 0},
    {"Compression", nullptr, kSqueezerCompression, SettingForm::kNumber, 1, true, -10, 10, 0},
    {"Contrast", nullptr, kSqueezerContrast, SettingForm::kNumber, 1, true, -10, 10, 0},
    {"WhiteClip", nullptr, kSqueezerWhiteClip, SettingForm::kNumber, 6, false, 0, 5, 0},
    {"BlackClip", nullptr, kSqueezerBlackClip, SettingForm::kNumber, 6, false, 0, 5, 0},
    {"ColorTemperature", nullptr, kSqueezerColorTemperature, SettingForm::kNumber, 1, true, -10, 10,
     0},
    {"Saturation", nullptr, kSqueezerSaturation, SettingForm::kNumber, 1, true, -10, 10, 0},
};

// The blend methods are only stored and read: no range is known for them.
inline constexpr Setting kBlendTuneSettings[] = {
    {"Accentuation", nullptr, kBlendTuneAccentuation, SettingForm::kNumber, 1, false, 0, 0, 0},
    {"BlendingPoint", nullptr, kBlendTuneBlendingPoint, SettingForm::kNumber, 1, false, 0, 0, 0},
    {"Shadows", nullptr, kBlendTuneShadows, SettingForm::kNumber, 1, false, 0, 0, 0},
    {"Saturation", nullptr, kBlendTuneSaturation, SettingForm::kNumber, 1, false, 0, 0, 0},
    {"WhiteClip", nullptr, kBlendTuneWhiteClip, SettingForm::kNumber, 6, false, 0, 0, 0},
    {"BlackClip", nullptr, kBlendTuneBlackClip, SettingForm::kNumber, 6, false, 0, 0, 0},
    {"MidtonesAdjustment", nullptr, kBlendTuneMidtonesAdjustment, SettingForm::kNumber, 1, false, 0,
     0, 0},
};

inline constexpr Setting kBlendStrongSettings[] = {
    {"Strength", nullptr, kBlendStrongStrength, SettingForm::kNumber, 1, false, 0, 0, 0},
    {"Saturation", nullptr, kBlendStrongSaturation, SettingForm::kNumber, 1, false, 0, 0, 0},
    {"Radius", nullptr, kBlendStrongRadius, SettingForm::kNumber, 1, false, 0, 0, 40},
};

struct MethodSettings {
  int32_t method;
  const char* name;      // the sidecar's method name
  const char* old_name;  // the method's earlier name, which the reader also accepts
  const Setting* begin;
  const Setting* end;
  const uint8_t* sidecar_order;  // indices into [begin, end) in sidecar order; null: as listed

  const Setting& sidecar_element(size_t i) const {
    return begin[sidecar_order != nullptr ? sidecar_order[i] : i];
  }
  size_t size() const { return static_cast<size_t>(end - begin); }
};

inline constexpr MethodSettings kMethods[] = {
    {LFTM_METHOD_TEXTURE_BOOSTER, "Texture Booster", "Edge Lifter", std::begin(kBoosterSettings),
     std::end(kBoosterSettings), kBoosterSidecarOrder},
    {LFTM_METHOD_RANGE_SQUEEZER, "Range Squeezer", "Gentle Shift", std::begin(kSqueezerSettings),
     std::end(kSqueezerSettings), nullptr},
    {LFTM_METHOD_BLEND_TUNE, "Blend/Tune", nullptr, std::begin(kBlendTuneSettings),
     std::end(kBlendTuneSettings), nullptr},
    {LFTM_METHOD_BLEND_STRONG, "Blend/Strong", nullptr, std::begin(kBlendStrongSettings),
     std::end(kBlendStrongSettings), nullptr},
};

// The settings of `method`, or nullptr for a method the sidecar holds no settings of.
inline const MethodSettings* method_settings(int32_t method) {
  for (const MethodSettings& m : kMethods) {
    if (m.method == method) return &m;
  }
  return nullptr;
}

// Smoothing presets 0 to 4 under SmoothingMode Light; the reader compares them in this order.
inline constexpr const char* kSmoothingPresetWords[] = {"Very High", "High", "Medium", "Low",
                                                        "Very Low"};
// SmoothingMode words by slot value.
inline constexpr const char* kSmoothingModeWords[] = {"Light", "Slider"};
// 360DegreeImage words by slot value.
inline constexpr const char* kYesNoWords[] = {"No", "Yes"};

// The gamma value of the slider s, 2^((50 - s) / 50), computed in double as the sidecar has
// always written it.
inline float gamma_of_slider(float slider) {
  constexpr double kLn2 = 0.693147180559945309417;
  return static_cast<float>(std::exp((50.0 - slider) * kLn2 / 50.0));
}

// The slider of the gamma value g, 50 (1 - log2 g), as the sidecar reader stores it.
inline float slider_of_gamma(double gamma) {
  constexpr double kLn2 = 0.693147180559945309417;
  return static_cast<float>(50.0 * (1.0 - std::log(gamma) / kLn2));
}

}  // namespace lftm

#endif  // LFTM_SETTINGS_SETTINGS_TABLE_H_
