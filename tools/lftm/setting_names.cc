#include "setting_names.h"

#include <strings.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/setting_value.h"
#include "settings/settings_table.h"
#include "settings/stored_settings.h"

namespace lftm_cli {
namespace {

using lftm::kBoosterSmoothingMode;
using lftm::kBoosterSmoothingPreset;
using lftm::kBoosterSmoothingSlider;
using lftm::MethodSettings;
using lftm::Setting;
using lftm::SettingForm;

// The tool runs the Texture Booster and the Range Squeezer; any other code reads as the
// Texture Booster.
const MethodSettings& table_of(int32_t method) {
  return *lftm::method_settings(method == LFTM_METHOD_RANGE_SQUEEZER
                                    ? LFTM_METHOD_RANGE_SQUEEZER
                                    : LFTM_METHOD_TEXTURE_BOOSTER);
}

// The slot that holds the setting's number: Smoothing's is the slider.
int number_slot(const Setting& setting) {
  return setting.form == SettingForm::kSmoothing ? kBoosterSmoothingSlider : setting.slot;
}

const Setting* find(int32_t method, const std::string& name) {
  const MethodSettings& table = table_of(method);
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
  const float slot = slots[number_slot(setting)];
  if (setting.form == SettingForm::kGamma) return lftm::gamma_of_slider(slot);
  return slot;
}

// The gamma value g is kept as the slider 50 (1 - log2 g), as the sidecar reader stores it.
void set_user_value(const Setting& setting, double value, float* slots) {
  slots[number_slot(setting)] = setting.form == SettingForm::kGamma
                                    ? lftm::slider_of_gamma(value)
                                    : static_cast<float>(value);
}

// Whether the setting is held as a number now: words have no range, and the smoothing slider
// counts only in the "Slider" mode.
bool is_number_now(const Setting& setting, const float* slots) {
  switch (setting.form) {
    case SettingForm::kNumber:
    case SettingForm::kMicrocontrast:
    case SettingForm::kGamma:
      return true;
    case SettingForm::kSmoothing:
      return lftm::truncate_setting(slots[kBoosterSmoothingMode]) == 1;
    case SettingForm::kSmoothingMode:
    case SettingForm::kYesNo:
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
  if (setting.form == SettingForm::kGamma) {
    return "Gamma takes a gamma value from " + range_text(setting) +
           " (1 leaves the tones as they are), not \"" + value + "\"";
  }
  return std::string(setting.name) + " takes a number from " + range_text(setting) +
         ", not \"" + value + "\"";
}

std::string apply(const Setting& setting, const std::string& value, TmParam* params) {
  float* slots = params->tmParam;
  float number = 0;
  switch (setting.form) {
    case SettingForm::kNumber:
    case SettingForm::kMicrocontrast:
      if (!parse_number(value, &number)) return takes_number(setting, value);
      slots[setting.slot] = number;
      return "";
    case SettingForm::kGamma:
      if (!parse_number(value, &number) || number <= 0) return takes_number(setting, value);
      set_user_value(setting, number, slots);
      return "";
    case SettingForm::kSmoothingMode:
      for (int mode = 0; mode < 2; ++mode) {
        if (strcasecmp(value.c_str(), lftm::kSmoothingModeWords[mode]) == 0) {
          slots[kBoosterSmoothingMode] = static_cast<float>(mode);
          return "";
        }
      }
      return "SmoothingMode takes Light or Slider, not \"" + value + "\"";
    case SettingForm::kSmoothing:
      for (int preset = 0; preset < 5; ++preset) {
        if (strcasecmp(value.c_str(), lftm::kSmoothingPresetWords[preset]) == 0) {
          slots[kBoosterSmoothingPreset] = static_cast<float>(preset);
          slots[kBoosterSmoothingMode] = 0;
          return "";
        }
      }
      if (!parse_number(value, &number)) {
        return "Smoothing takes a number from " + range_text(setting) +
               " or Very High, High, Medium, Low, Very Low, not \"" + value + "\"";
      }
      slots[kBoosterSmoothingSlider] = number;
      slots[kBoosterSmoothingMode] = 1;
      return "";
    case SettingForm::kYesNo:
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
  const MethodSettings& table = table_of(method);
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
  const MethodSettings& table = table_of(method);
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

std::string setting_ranges(int32_t method) { return list_settings(method, true); }

std::string setting_names(int32_t method) { return list_settings(method, false); }

}  // namespace lftm_cli
