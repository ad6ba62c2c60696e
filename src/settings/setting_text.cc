// SPDX-License-Identifier: BSD-3-Clause
#include "settings/setting_text.h"

#include <cmath>
#include <iterator>

#include "platform/setting_value.h"
#include "settings/number_text.h"

namespace lftm {
namespace {

bool slider_mode(const float* slots) {
  return truncate_setting(slots[kBoosterSmoothingMode]) == 1;
}

// Presets outside 0 to 4 are written as the nearest preset, so that the file stays readable.
int smoothing_preset(float slot) {
  const int32_t preset = truncate_setting(slot);
  return preset <= 0 ? 0 : (preset >= 4 ? 4 : preset);
}

// The float a sidecar gives back for `value` written with `decimals` digits behind the period.
float as_written(float value, int decimals) {
  std::string text;
  append_fixed(&text, value, decimals);
  float back = value;
  scan_float(text.data(), text.data() + text.size(), &back);
  return back;
}

void keep_as_stored(const Setting& setting, float* slots) {
  float& slot = slots[number_slot(setting)];
  if (setting.form == SettingForm::kGamma) {
    slot = slider_of_gamma(as_written(gamma_of_slider(slot), setting.decimals));
  } else {
    slot = as_written(slot, setting.decimals);
  }
}

bool has_range(const Setting& setting) { return setting.low < setting.high; }

float into_range(const Setting& setting, float number) {
  if (!has_range(setting)) return number;
  return number < setting.low ? setting.low : (number > setting.high ? setting.high : number);
}

// The index of `text` among `words` (any case), or -1.
int word_index(const std::string& text, const char* const* words, int count) {
  for (int i = 0; i < count; ++i) {
    if (same_name_any_case(text.c_str(), words[i])) return i;
  }
  return -1;
}

// Stores a word the setting takes; false when `text` is none of its words.
bool store_word(const Setting& setting, const std::string& text, float* slots) {
  const char* const* words = nullptr;
  const int index = word_index(text, words, choice_words(setting, &words));
  switch (setting.form) {
    case SettingForm::kSmoothingMode:
    case SettingForm::kYesNo:
      if (index < 0 && setting.form == SettingForm::kYesNo && (text == "0" || text == "1")) {
        slots[setting.slot] = text == "1" ? 1.0f : 0.0f;
        return true;
      }
      if (index < 0) return false;
      slots[setting.slot] = static_cast<float>(index);
      return true;
    case SettingForm::kSmoothing:
      if (index < 0) return false;
      slots[kBoosterSmoothingPreset] = static_cast<float>(index);
      slots[kBoosterSmoothingMode] = 0;
      return true;
    case SettingForm::kNumber:
    case SettingForm::kMicrocontrast:
    case SettingForm::kGamma:
      break;
  }
  return false;
}

bool takes_number(const Setting& setting) {
  return setting.form != SettingForm::kSmoothingMode && setting.form != SettingForm::kYesNo;
}

// Stores a checked number and applies the rules to it.
FitResult store_fitted(const Setting& setting, float number, FitRules rules, float* slots) {
  const float fitted = rules.into_range ? into_range(setting, number) : number;
  store_setting_number(setting, fitted, slots);
  if (rules.as_stored) keep_as_stored(setting, slots);
  return fitted != number ? FitResult::kChanged : FitResult::kKept;
}

}  // namespace

int number_slot(const Setting& setting) {
  return setting.form == SettingForm::kSmoothing ? kBoosterSmoothingSlider : setting.slot;
}

bool setting_number(const Setting& setting, const float* slots, float* number) {
  switch (setting.form) {
    case SettingForm::kNumber:
    case SettingForm::kMicrocontrast:
      *number = slots[setting.slot];
      return true;
    case SettingForm::kGamma:
      *number = gamma_of_slider(slots[setting.slot]);
      return true;
    case SettingForm::kSmoothing:
      if (!slider_mode(slots)) return false;
      *number = slots[kBoosterSmoothingSlider];
      return true;
    case SettingForm::kSmoothingMode:
    case SettingForm::kYesNo:
      break;
  }
  return false;
}

const char* setting_word(const Setting& setting, const float* slots) {
  switch (setting.form) {
    case SettingForm::kSmoothingMode:
      return kSmoothingModeWords[slider_mode(slots) ? 1 : 0];
    case SettingForm::kSmoothing:
      return kSmoothingPresetWords[smoothing_preset(slots[setting.slot])];
    default:
      return kYesNoWords[truncate_setting(slots[setting.slot]) == 1 ? 1 : 0];
  }
}

int choice_words(const Setting& setting, const char* const** words) {
  switch (setting.form) {
    case SettingForm::kSmoothingMode:
      *words = kSmoothingModeWords;
      return static_cast<int>(std::size(kSmoothingModeWords));
    case SettingForm::kSmoothing:
      *words = kSmoothingPresetWords;
      return static_cast<int>(std::size(kSmoothingPresetWords));
    case SettingForm::kYesNo:
      *words = kYesNoWords;
      return static_cast<int>(std::size(kYesNoWords));
    default:
      *words = nullptr;
      return 0;
  }
}

void store_setting_number(const Setting& setting, float number, float* slots) {
  slots[number_slot(setting)] =
      setting.form == SettingForm::kGamma ? slider_of_gamma(number) : number;
  if (setting.form == SettingForm::kSmoothing) slots[kBoosterSmoothingMode] = 1;
}

FitResult parse_setting(const Setting& setting, const std::string& text, FitRules rules,
                        float* slots) {
  if (store_word(setting, text, slots)) return FitResult::kKept;
  float number = 0;
  const bool read = takes_number(setting) &&
                    scan_whole_float(text.data(), text.data() + text.size(), &number);
  if (!read || !std::isfinite(number) || (setting.form == SettingForm::kGamma && !(number > 0))) {
    return FitResult::kUnusable;
  }
  return store_fitted(setting, number, rules, slots);
}

FitResult fit_setting(const Setting& setting, FitRules rules, float* slots) {
  float number = 0;
  if (!setting_number(setting, slots, &number)) return FitResult::kKept;
  if (!std::isfinite(number)) return FitResult::kUnusable;
  const float fitted = rules.into_range ? into_range(setting, number) : number;
  if (fitted != number) {
    store_fitted(setting, fitted, rules, slots);
    return FitResult::kChanged;
  }
  if (rules.as_stored) keep_as_stored(setting, slots);
  return FitResult::kKept;
}

bool same_name_any_case(const char* a, const char* b) {
  const auto lower = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (lower(*a) != lower(*b)) return false;
  }
  return *a == *b;
}

}  // namespace lftm
