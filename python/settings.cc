#include "settings.h"

#include <strings.h>

#include <charconv>
#include <cmath>

#include "platform/setting_value.h"

namespace lftm_py {
namespace {

using lftm::kBoosterSmoothingMode;
using lftm::kBoosterSmoothingPreset;
using lftm::kBoosterSmoothingSlider;
using lftm::Setting;
using lftm::SettingForm;

bool same_word(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

// The float a sidecar gives back for `value` written with `decimals` digits behind the period.
float as_written(float value, int decimals) {
  char text[400];
  auto written = std::to_chars(text, text + sizeof text, static_cast<double>(value),
                               std::chars_format::fixed, decimals);
  float back = value;
  std::from_chars(text, written.ptr, back);
  return back;
}

// The slot that holds a setting's number: Smoothing's is the slider.
int number_slot(const Setting& setting) {
  return setting.form == SettingForm::kSmoothing ? kBoosterSmoothingSlider : setting.slot;
}

bool slider_mode(const float* slots) {
  return lftm::truncate_setting(slots[kBoosterSmoothingMode]) == 1;
}

// Words have no range; Smoothing is a number only in the Slider mode.
bool is_number_now(const Setting& setting, const float* slots) {
  if (setting.form == SettingForm::kSmoothing) return slider_mode(slots);
  return setting.form != SettingForm::kSmoothingMode && setting.form != SettingForm::kYesNo;
}

// What a number means to the user: the gamma value for Gamma, the slot itself otherwise.
float user_number(const Setting& setting, const float* slots) {
  const float slot = slots[number_slot(setting)];
  return setting.form == SettingForm::kGamma ? lftm::gamma_of_slider(slot) : slot;
}

// Brings a number slot to the precision the sidecar keeps (the gamma as a one-decimal value).
void keep_as_stored(const Setting& setting, float* slots) {
  float& slot = slots[number_slot(setting)];
  if (setting.form == SettingForm::kGamma) {
    slot = lftm::slider_of_gamma(as_written(lftm::gamma_of_slider(slot), setting.decimals));
  } else {
    slot = as_written(slot, setting.decimals);
  }
}

// Stores a checked number given as the user sees it (the gamma value for Gamma).
void store_number(const Setting& setting, float number, float* slots) {
  slots[number_slot(setting)] =
      setting.form == SettingForm::kGamma ? lftm::slider_of_gamma(number) : number;
  keep_as_stored(setting, slots);
}

bool has_range(const Setting& setting) { return setting.low < setting.high; }

std::string range_text(const Setting& setting) {
  return shortest_text(setting.low) + " to " + shortest_text(setting.high);
}

std::string value_text(const SettingValue& value) {
  return value.is_text ? "\"" + value.text + "\"" : shortest_text(static_cast<float>(value.number));
}

std::string wants_number(const Setting& setting) {
  if (setting.form == SettingForm::kGamma) {
    return "Gamma takes a gamma value from " + range_text(setting) +
           " (1 leaves the tones as they are)";
  }
  if (setting.form == SettingForm::kSmoothing) {
    return "Smoothing takes a number from " + range_text(setting) +
           " or Very High, High, Medium, Low, Very Low";
  }
  return std::string(setting.name) + " takes a number" +
         (has_range(setting) ? " from " + range_text(setting) : std::string());
}

SetResult refuse(Refusal refusal, const std::string& wants, const SettingValue& value) {
  return {refusal, wants + ", not " + value_text(value)};
}

// Checks a number against the setting's range; kNone when it may be stored.
SetResult check_number(const Setting& setting, const SettingValue& value) {
  if (value.is_text) return refuse(Refusal::kWrongKind, wants_number(setting), value);
  const float number = static_cast<float>(value.number);
  const bool usable = std::isfinite(number) && (setting.form != SettingForm::kGamma || number > 0);
  if (!usable || (has_range(setting) && (number < setting.low || number > setting.high))) {
    return refuse(Refusal::kOutOfRange, wants_number(setting), value);
  }
  return {};
}

}  // namespace

std::string shortest_text(float value) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

int32_t method_of_name(const std::string& name) {
  if (name == "booster") return LFTM_METHOD_TEXTURE_BOOSTER;
  if (name == "squeezer") return LFTM_METHOD_RANGE_SQUEEZER;
  return 0;
}

const char* name_of_method(int32_t method) {
  return method == LFTM_METHOD_RANGE_SQUEEZER ? "squeezer" : "booster";
}

MethodBlock::MethodBlock(int32_t method)
    : method_(method), table_(lftm::method_settings(method)) {
  tmparam_default(method, 0, &slots_);
}

const Setting* MethodBlock::find(const std::string& name) const {
  for (const Setting* s = table_->begin; s != table_->end; ++s) {
    if (name == s->name) return s;
  }
  return nullptr;
}

std::vector<std::string> MethodBlock::names() const {
  std::vector<std::string> names;
  for (const Setting* s = table_->begin; s != table_->end; ++s) names.emplace_back(s->name);
  return names;
}

SettingValue MethodBlock::get(const Setting& setting) const {
  const float* slots = slots_.tmParam;
  SettingValue value;
  if (is_number_now(setting, slots)) {
    // Through the shortest text, so that 60.3 reads back as 60.3 and not as its float;
    // from_chars, unlike stod, ignores a host's decimal comma locale.
    const std::string text = shortest_text(user_number(setting, slots));
    std::from_chars(text.data(), text.data() + text.size(), value.number);
    return value;
  }
  value.is_text = true;
  const int integer = lftm::truncate_setting(slots[setting.slot]);
  switch (setting.form) {
    case SettingForm::kSmoothingMode:
      value.text = lftm::kSmoothingModeWords[slider_mode(slots) ? 1 : 0];
      break;
    case SettingForm::kSmoothing:
      value.text = lftm::kSmoothingPresetWords[integer < 0 ? 0 : (integer > 4 ? 4 : integer)];
      break;
    default:
      value.text = integer == 1 ? "Yes" : "No";
      break;
  }
  return value;
}

SetResult MethodBlock::set(const Setting& setting, const SettingValue& value) {
  float* slots = slots_.tmParam;
  switch (setting.form) {
    case SettingForm::kSmoothingMode:
      for (int mode = 0; mode < 2; ++mode) {
        if (value.is_text && same_word(value.text, lftm::kSmoothingModeWords[mode])) {
          slots[kBoosterSmoothingMode] = static_cast<float>(mode);
          return {};
        }
      }
      return refuse(value.is_text ? Refusal::kOutOfRange : Refusal::kWrongKind,
                    "SmoothingMode takes Light or Slider", value);
    case SettingForm::kYesNo: {
      const bool yes = value.is_text ? same_word(value.text, "Yes") : value.number == 1;
      const bool no = value.is_text ? same_word(value.text, "No") : value.number == 0;
      if (!yes && !no) {
        return refuse(Refusal::kOutOfRange, std::string(setting.name) + " takes Yes or No",
                      value);
      }
      slots[setting.slot] = yes ? 1.0f : 0.0f;
      return {};
    }
    case SettingForm::kSmoothing:
      if (value.is_text) {
        for (int preset = 0; preset < 5; ++preset) {
          if (same_word(value.text, lftm::kSmoothingPresetWords[preset])) {
            slots[kBoosterSmoothingPreset] = static_cast<float>(preset);
            slots[kBoosterSmoothingMode] = 0;
            return {};
          }
        }
        return refuse(Refusal::kOutOfRange, wants_number(setting), value);
      }
      break;
    default:
      break;
  }
  SetResult checked = check_number(setting, value);
  if (checked.refusal != Refusal::kNone) return checked;
  store_number(setting, static_cast<float>(value.number), slots);
  if (setting.form == SettingForm::kSmoothing) slots[kBoosterSmoothingMode] = 1;
  return {};
}

std::string MethodBlock::take_read_block(const TmParam& read, std::vector<std::string>* notes) {
  TmParam taken = read;
  float* slots = taken.tmParam;
  for (const Setting* s = table_->begin; s != table_->end; ++s) {
    if (!is_number_now(*s, slots)) continue;
    const float number = user_number(*s, slots);
    if (!std::isfinite(number)) {
      return std::string(s->name) + " is " + shortest_text(number) + ", not a number";
    }
    float fitted = number;
    if (has_range(*s)) fitted = number < s->low ? s->low : (number > s->high ? s->high : number);
    if (fitted != number) {
      notes->push_back(std::string(s->name) + " " + shortest_text(number) + " is outside " +
                       range_text(*s) + "; " + shortest_text(fitted) + " is used");
      store_number(*s, fitted, slots);
    } else {
      keep_as_stored(*s, slots);
    }
  }
  slots_ = taken;
  return "";
}

TmParam MethodBlock::block() const {
  TmParam block;
  tmparam_default(method_, 0, &block);
  const float* slots = slots_.tmParam;
  for (const Setting* s = table_->begin; s != table_->end; ++s) {
    const int slot = s->form == SettingForm::kSmoothing && slider_mode(slots)
                         ? kBoosterSmoothingSlider
                         : s->slot;
    block.tmParam[slot] = slots[slot];
  }
  return block;
}

}  // namespace lftm_py
