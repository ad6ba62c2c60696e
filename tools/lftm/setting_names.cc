#include "setting_names.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "platform/setting_value.h"
#include "settings/stored_settings.h"

namespace lftm_cli {
namespace {

enum class Kind { kNumber, kGamma, kSmoothingMode, kSmoothing, kYesNo };

// A setting, the slot that holds it, and the range of its number: the gamma value for Gamma,
// the slider for Smoothing. The ranges are those in which the renderers use a value as it is
// meant (stage 3 honours a gamma only between 0.24 and 2.01 and the clips only from 0 to 10;
// the Range Squeezer's clips together may not remove the whole output range), and otherwise
// the slider ranges of the settings family: -10..10 around a neutral 0, 0..100 for percents.
struct Setting {
  const char* name;
  int slot;
  Kind kind;
  float low;
  float high;
};

constexpr Setting kBoosterSettings[] = {
    {"Luminosity", 0, Kind::kNumber, -10, 10},
    {"Strength", 1, Kind::kNumber, 0, 100},
    {"ColorSaturation", 2, Kind::kNumber, 0, 100},
    {"WhiteClip", 3, Kind::kNumber, 0, 10},
    {"BlackClip", 4, Kind::kNumber, 0, 10},
    {"SmoothingMode", 16, Kind::kSmoothingMode, 0, 0},
    {"Smoothing", 17, Kind::kSmoothing, -10, 10},
    {"Microcontrast", 6, Kind::kNumber, -10, 10},
    {"Microsmoothing", 7, Kind::kNumber, 0, 30},
    {"Gamma", 8, Kind::kGamma, 0.3f, 2.0f},
    {"HighlightsSmoothing", 9, Kind::kNumber, 0, 100},
    {"ShadowsSmoothing", 10, Kind::kNumber, 0, 200},
    {"ShadowsClipping", 11, Kind::kNumber, 0, 100},
    {"ColorTemperature", 12, Kind::kNumber, -10, 10},
    {"SaturationHighlights", 13, Kind::kNumber, -10, 10},
    {"SaturationShadows", 14, Kind::kNumber, -10, 10},
    {"360DegreeImage", 15, Kind::kYesNo, 0, 0},
};

constexpr Setting kSqueezerSettings[] = {
    {"Brightness", 0, Kind::kNumber, -10, 10},  {"Compression", 1, Kind::kNumber, -10, 10},
    {"Contrast", 2, Kind::kNumber, -10, 10},    {"WhiteClip", 3, Kind::kNumber, 0, 5},
    {"BlackClip", 4, Kind::kNumber, 0, 5},      {"ColorTemperature", 12, Kind::kNumber, -10, 10},
    {"Saturation", 13, Kind::kNumber, -10, 10},
};

// The smoothing presets in slot order.
constexpr const char* kPresets[] = {"Very High", "High", "Medium", "Low", "Very Low"};

constexpr int kSmoothingPresetSlot = 5;
constexpr int kSmoothingModeSlot = 16;
constexpr double kLn2 = 0.693147180559945309417;

struct Table {
  const Setting* begin;
  const Setting* end;
};

Table table_of(int32_t method) {
  if (method == LFTM_METHOD_RANGE_SQUEEZER) {
    return {std::begin(kSqueezerSettings), std::end(kSqueezerSettings)};
  }
  return {std::begin(kBoosterSettings), std::end(kBoosterSettings)};
}

const Setting* find(int32_t method, const std::string& name) {
  const Table table = table_of(method);
  for (const Setting* s = table.begin; s != table.end; ++s) {
    if (strcasecmp(s->name, name.c_str()) == 0) return s;
  }
  return nullptr;
}

// The shortest text that reads back as the same float ("55.55", not "55.549999").
std::string number_text(double value) {
  const float wanted = static_cast<float>(value);
  char text[64];
  for (int decimals = 0; decimals <= 9; ++decimals) {
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(wanted));
    if (std::strtof(text, nullptr) == wanted) break;
  }
  return text;
}

std::string range_text(const Setting& setting) {
  return number_text(setting.low) + " to " + number_text(setting.high);
}

// What a number means to the user: the gamma value for Gamma, the slot itself otherwise.
double user_value(const Setting& setting, const float* slots) {
  const float slot = slots[setting.slot];
  if (setting.kind == Kind::kGamma) {
    return static_cast<float>(std::exp((50.0 - slot) * kLn2 / 50.0));
  }
  return slot;
}

// The gamma value g is kept as the slider 50 (1 - log2 g), as the sidecar reader stores it.
void set_user_value(const Setting& setting, double value, float* slots) {
  slots[setting.slot] = setting.kind == Kind::kGamma
                            ? static_cast<float>(50.0 * (1.0 - std::log(value) / kLn2))
                            : static_cast<float>(value);
}

// Whether the setting is held as a number now: words have no range, and the smoothing slider
// counts only in the "Slider" mode.
bool is_number_now(const Setting& setting, const float* slots) {
  switch (setting.kind) {
    case Kind::kNumber:
    case Kind::kGamma:
      return true;
    case Kind::kSmoothing:
      return lftm::truncate_setting(slots[kSmoothingModeSlot]) == 1;
    case Kind::kSmoothingMode:
    case Kind::kYesNo:
      break;
  }
  return false;
}

bool parse_number(const std::string& text, float* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  *value = static_cast<float>(v);
  return true;
}

std::string takes_number(const Setting& setting, const std::string& value) {
  if (setting.kind == Kind::kGamma) {
    return "Gamma takes a gamma value from " + range_text(setting) +
           " (1 leaves the tones as they are), not \"" + value + "\"";
  }
  return std::string(setting.name) + " takes a number from " + range_text(setting) +
         ", not \"" + value + "\"";
}

std::string apply(const Setting& setting, const std::string& value, TmParam* params) {
  float* slots = params->tmParam;
  float number = 0;
  switch (setting.kind) {
    case Kind::kNumber:
      if (!parse_number(value, &number)) return takes_number(setting, value);
      slots[setting.slot] = number;
      return "";
    case Kind::kGamma:
      if (!parse_number(value, &number) || number <= 0) return takes_number(setting, value);
      set_user_value(setting, number, slots);
      return "";
    case Kind::kSmoothingMode:
      if (strcasecmp(value.c_str(), "Light") == 0) {
        slots[kSmoothingModeSlot] = 0;
      } else if (strcasecmp(value.c_str(), "Slider") == 0) {
        slots[kSmoothingModeSlot] = 1;
      } else {
        return "SmoothingMode takes Light or Slider, not \"" + value + "\"";
      }
      return "";
    case Kind::kSmoothing:
      for (int preset = 0; preset < 5; ++preset) {
        if (strcasecmp(value.c_str(), kPresets[preset]) == 0) {
          slots[kSmoothingPresetSlot] = static_cast<float>(preset);
          slots[kSmoothingModeSlot] = 0;
          return "";
        }
      }
      if (!parse_number(value, &number)) {
        return "Smoothing takes a number from " + range_text(setting) +
               " or Very High, High, Medium, Low, Very Low, not \"" + value + "\"";
      }
      slots[setting.slot] = number;
      slots[kSmoothingModeSlot] = 1;
      return "";
    case Kind::kYesNo:
      if (strcasecmp(value.c_str(), "Yes") == 0 || value == "1") {
        slots[setting.slot] = 1;
      } else if (strcasecmp(value.c_str(), "No") == 0 || value == "0") {
        slots[setting.slot] = 0;
      } else {
        return std::string(setting.name) + " takes Yes or No, not \"" + value + "\"";
      }
      return "";
  }
  return "";
}

std::string list_settings(int32_t method, bool withRanges) {
  const Table table = table_of(method);
  std::string text;
  for (const Setting* s = table.begin; s != table.end; ++s) {
    if (!text.empty()) text += ", ";
    text += s->name;
    if (withRanges && s->low < s->high) {
      text += " " + number_text(s->low) + ".." + number_text(s->high);
    }
  }
  return text;
}

}  // namespace

std::string apply_setting(int32_t method, const std::string& name, const std::string& value,
                          TmParam* params) {
  const Setting* setting = find(method, name);
  if (setting == nullptr) {
    return "no setting \"" + name + "\" for this method; its settings are " +
           setting_names(method);
  }
  return apply(*setting, value, params);
}

std::string fit_settings(int32_t method, const std::string& where, TmParam* params,
                         std::vector<std::string>* notes) {
  const Table table = table_of(method);
  float* slots = params->tmParam;
  for (const Setting* s = table.begin; s != table.end; ++s) {
    if (!is_number_now(*s, slots)) continue;
    const double value = user_value(*s, slots);
    if (!std::isfinite(value)) {
      return where + s->name + " is " + number_text(value) + ", not a number from " +
             range_text(*s);
    }
    const float wanted = static_cast<float>(value);
    const float fitted = wanted < s->low ? s->low : (wanted > s->high ? s->high : wanted);
    if (fitted != wanted) {
      notes->push_back(where + s->name + " " + number_text(value) + " is outside " +
                       range_text(*s) + "; " + number_text(fitted) + " is used");
      set_user_value(*s, fitted, slots);
    }
  }
  // Slots the sidecar does not hold go back to the defaults, as a run from the sidecar has
  // them.
  TmParam defaults;
  tmparam_default(method, 0, &defaults);
  const TmParam stored = lftm::settings_as_stored(method, *params, defaults);
  for (const Setting* s = table.begin; s != table.end; ++s) {
    if (!is_number_now(*s, slots)) continue;
    const std::string asked = number_text(user_value(*s, slots));
    const std::string kept = number_text(user_value(*s, stored.tmParam));
    if (asked != kept) {
      notes->push_back(where + s->name + " " + asked + " is kept as " + kept +
                       ", as precisely as settings files store it");
    }
  }
  *params = stored;
  return "";
}

const char* setting_name_at(int32_t method, int slot) {
  const Table table = table_of(method);
  for (const Setting* s = table.begin; s != table.end; ++s) {
    if (s->slot == slot || (s->kind == Kind::kSmoothing && slot == kSmoothingPresetSlot)) {
      return s->name;
    }
  }
  return nullptr;
}

std::string setting_ranges(int32_t method) { return list_settings(method, true); }

std::string setting_names(int32_t method) { return list_settings(method, false); }

}  // namespace lftm_cli
