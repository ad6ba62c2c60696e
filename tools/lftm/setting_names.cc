#include "setting_names.h"

#include <strings.h>

#include <cmath>
#include <cstdlib>

namespace lftm_cli {
namespace {

enum class Kind { kNumber, kGamma, kSmoothingMode, kSmoothing, kYesNo };

struct Setting {
  const char* name;
  int slot;
  Kind kind;
};

constexpr Setting kBoosterSettings[] = {
    {"Luminosity", 0, Kind::kNumber},
    {"Strength", 1, Kind::kNumber},
    {"ColorSaturation", 2, Kind::kNumber},
    {"WhiteClip", 3, Kind::kNumber},
    {"BlackClip", 4, Kind::kNumber},
    {"SmoothingMode", 16, Kind::kSmoothingMode},
    {"Smoothing", 17, Kind::kSmoothing},
    {"Microcontrast", 6, Kind::kNumber},
    {"Microsmoothing", 7, Kind::kNumber},
    {"Gamma", 8, Kind::kGamma},
    {"HighlightsSmoothing", 9, Kind::kNumber},
    {"ShadowsSmoothing", 10, Kind::kNumber},
    {"ShadowsClipping", 11, Kind::kNumber},
    {"ColorTemperature", 12, Kind::kNumber},
    {"SaturationHighlights", 13, Kind::kNumber},
    {"SaturationShadows", 14, Kind::kNumber},
    {"360DegreeImage", 15, Kind::kYesNo},
};

constexpr Setting kSqueezerSettings[] = {
    {"Brightness", 0, Kind::kNumber},  {"Compression", 1, Kind::kNumber},
    {"Contrast", 2, Kind::kNumber},    {"WhiteClip", 3, Kind::kNumber},
    {"BlackClip", 4, Kind::kNumber},   {"ColorTemperature", 12, Kind::kNumber},
    {"Saturation", 13, Kind::kNumber},
};

// The smoothing presets in slot order.
constexpr const char* kPresets[] = {"Very High", "High", "Medium", "Low", "Very Low"};

template <size_t N>
const Setting* find(const Setting (&table)[N], const std::string& name) {
  for (const Setting& setting : table) {
    if (strcasecmp(setting.name, name.c_str()) == 0) return &setting;
  }
  return nullptr;
}

bool parse_number(const std::string& text, float* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  *value = static_cast<float>(v);
  return true;
}

std::string apply(const Setting& setting, const std::string& value, TmParam* params) {
  float* slots = params->tmParam;
  float number = 0;
  switch (setting.kind) {
    case Kind::kNumber:
      if (!parse_number(value, &number)) break;
      slots[setting.slot] = number;
      return "";
    case Kind::kGamma:
      // The sidecar stores the gamma value; the block holds the slider 50 (1 - log2 g).
      if (!parse_number(value, &number) || number <= 0) break;
      slots[8] = static_cast<float>(50.0 * (1.0 - std::log(number) / std::log(2.0)));
      return "";
    case Kind::kSmoothingMode:
      if (strcasecmp(value.c_str(), "Light") == 0) {
        slots[16] = 0;
      } else if (strcasecmp(value.c_str(), "Slider") == 0) {
        slots[16] = 1;
      } else {
        return "SmoothingMode takes Light or Slider";
      }
      return "";
    case Kind::kSmoothing:
      for (int preset = 0; preset < 5; ++preset) {
        if (strcasecmp(value.c_str(), kPresets[preset]) == 0) {
          slots[5] = static_cast<float>(preset);
          slots[16] = 0;
          return "";
        }
      }
      if (!parse_number(value, &number)) {
        return "Smoothing takes a number or Very High, High, Medium, Low, Very Low";
      }
      slots[17] = number;
      slots[16] = 1;
      return "";
    case Kind::kYesNo:
      if (strcasecmp(value.c_str(), "Yes") == 0 || value == "1") {
        slots[setting.slot] = 1;
      } else if (strcasecmp(value.c_str(), "No") == 0 || value == "0") {
        slots[setting.slot] = 0;
      } else {
        return std::string(setting.name) + " takes Yes or No";
      }
      return "";
  }
  return std::string(setting.name) + " takes a number, not \"" + value + "\"";
}

template <size_t N>
std::string names_of(const Setting (&table)[N]) {
  std::string names;
  for (const Setting& setting : table) {
    if (!names.empty()) names += ", ";
    names += setting.name;
  }
  return names;
}

}  // namespace

std::string apply_setting(int32_t method, const std::string& name, const std::string& value,
                          TmParam* params) {
  const Setting* setting = method == LFTM_METHOD_RANGE_SQUEEZER ? find(kSqueezerSettings, name)
                                                                : find(kBoosterSettings, name);
  if (setting == nullptr) {
    return "no setting \"" + name + "\" for this method; its settings are " +
           setting_names(method);
  }
  return apply(*setting, value, params);
}

std::string setting_names(int32_t method) {
  return method == LFTM_METHOD_RANGE_SQUEEZER ? names_of(kSqueezerSettings)
                                              : names_of(kBoosterSettings);
}

}  // namespace lftm_cli
