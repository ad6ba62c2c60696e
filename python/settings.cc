// SPDX-License-Identifier: BSD-3-Clause
#include "settings.h"

#include <strings.h>

#include <charconv>
#include <cstring>

#include "lftm_host.h"

namespace lftm_py {
namespace {

// Room for any setting's text (lftm_format_number's bound).
constexpr size_t kTextSize = 64;
constexpr int32_t kAsSidecarKeepsIt = LFTM_SETTING_INTO_RANGE | LFTM_SETTING_AS_STORED;

lftm_setting_info info_of(int32_t method, int32_t index) {
  lftm_setting_info info{};
  info.struct_size = sizeof info;
  lftm_setting_describe(method, index, &info);
  return info;
}

bool has_range(const lftm_setting_info& info) { return info.minimum < info.maximum; }

std::string range_text(const lftm_setting_info& info) {
  return shortest_text(info.minimum) + " to " + shortest_text(info.maximum);
}

std::string value_text(const SettingValue& value) {
  return value.is_text ? "\"" + value.text + "\"" : shortest_text(static_cast<float>(value.number));
}

std::string wants(const lftm_setting_info& info) {
  const std::string name = info.name;
  switch (info.kind) {
    case LFTM_SETTING_GAMMA:
      return "Gamma takes a gamma value from " + range_text(info) +
             " (1 leaves the tones as they are)";
    case LFTM_SETTING_SMOOTHING:
      return "Smoothing takes a number from " + range_text(info) +
             " or Very High, High, Medium, Low, Very Low";
    case LFTM_SETTING_CHOICE:
      return name + " takes Light or Slider";
    case LFTM_SETTING_YES_NO:
      return name + " takes Yes or No";
    default:
      return name + " takes a number" + (has_range(info) ? " from " + range_text(info) : "");
  }
}

SetResult refuse(Refusal refusal, const lftm_setting_info& info, const SettingValue& value) {
  return {refusal, wants(info) + ", not " + value_text(value)};
}

bool is_choice(const lftm_setting_info& info, const std::string& word) {
  for (int32_t i = 0; i < info.choice_count; ++i) {
    if (strcasecmp(word.c_str(), info.choices[i]) == 0) return true;
  }
  return false;
}

// The text the library reads for a value: a word as given (words only where the setting
// has them), 360DegreeImage's 0 or 1, or the number's shortest text. Refuses the rest.
SetResult value_for_library(const lftm_setting_info& info, const SettingValue& value,
                            std::string* text) {
  if (value.is_text) {
    if (info.choice_count == 0) return refuse(Refusal::kWrongKind, info, value);
    if (!is_choice(info, value.text)) return refuse(Refusal::kOutOfRange, info, value);
    *text = value.text;
    return {};
  }
  if (info.kind == LFTM_SETTING_CHOICE) return refuse(Refusal::kWrongKind, info, value);
  if (info.kind == LFTM_SETTING_YES_NO) {
    if (value.number != 0 && value.number != 1) return refuse(Refusal::kOutOfRange, info, value);
    *text = value.number == 1 ? "1" : "0";
    return {};
  }
  *text = shortest_text(static_cast<float>(value.number));
  return {};
}

}  // namespace

std::string shortest_text(float value) {
  char text[kTextSize];
  lftm_format_number(value, LFTM_TEXT_SHORTEST, text, sizeof text);
  return text;
}

int32_t method_of_name(const std::string& name) {
  if (name == "booster") return LFTM_METHOD_TEXTURE_BOOSTER;
  if (name == "squeezer") return LFTM_METHOD_RANGE_SQUEEZER;
  return 0;
}

const char* name_of_method(int32_t method) {
  return method == LFTM_METHOD_RANGE_SQUEEZER ? "squeezer" : "booster";
}

MethodBlock::MethodBlock(int32_t method) : method_(method) { tmparam_default(method, 0, &slots_); }

int32_t MethodBlock::find(const std::string& name) const {
  // The C interface ends a name at its first NUL, so such a name would name another setting.
  if (name.find('\0') != std::string::npos) return -1;
  const int32_t index = lftm_setting_find(method_, name.c_str(), 0);
  return index < 0 ? -1 : index;
}

std::vector<std::string> MethodBlock::names() const {
  std::vector<std::string> names;
  for (int32_t i = 0; i < lftm_settings_count(method_); ++i) {
    names.emplace_back(info_of(method_, i).name);
  }
  return names;
}

bool MethodBlock::holds_number(int32_t index) const {
  char text[kTextSize];
  return lftm_setting_text(method_, index, &slots_, LFTM_TEXT_SHORTEST, text, sizeof text) == 1;
}

SettingValue MethodBlock::get(int32_t index) const {
  char text[kTextSize];
  const int32_t kind =
      lftm_setting_text(method_, index, &slots_, LFTM_TEXT_SHORTEST, text, sizeof text);
  SettingValue value;
  if (kind == 1) {
    // Through the shortest text, so that 60.3 reads back as 60.3 and not as its float;
    // from_chars, unlike stod, ignores a host's decimal comma locale.
    std::from_chars(text, text + std::strlen(text), value.number);
  } else {
    value.is_text = true;
    value.text = text;
  }
  return value;
}

SetResult MethodBlock::set(int32_t index, const SettingValue& value) {
  const lftm_setting_info info = info_of(method_, index);
  std::string text;
  SetResult checked = value_for_library(info, value, &text);
  if (checked.refusal != Refusal::kNone) return checked;
  TmParam changed = slots_;
  if (lftm_setting_parse(method_, index, text.c_str(), &changed, kAsSidecarKeepsIt) != 0) {
    return refuse(Refusal::kOutOfRange, info, value);
  }
  slots_ = changed;
  return {};
}

std::string MethodBlock::take_read_block(const TmParam& read, std::vector<std::string>* notes) {
  TmParam taken = read;
  for (int32_t i = 0; i < lftm_settings_count(method_); ++i) {
    char before[kTextSize];
    lftm_setting_text(method_, i, &taken, LFTM_TEXT_SHORTEST, before, sizeof before);
    const lftm_setting_info info = info_of(method_, i);
    const int32_t fitted = lftm_setting_fit(method_, i, &taken, kAsSidecarKeepsIt);
    if (fitted < 0) return std::string(info.name) + " is " + before + ", not a number";
    if (fitted == 1) {
      float wanted = 0;
      lftm_parse_number(before, &wanted);
      const float used = wanted < info.minimum ? info.minimum : info.maximum;
      notes->push_back(std::string(info.name) + " " + before + " is outside " + range_text(info) +
                       "; " + shortest_text(used) + " is used");
    }
  }
  slots_ = taken;
  return "";
}

TmParam MethodBlock::block() const {
  TmParam block;
  tmparam_default(method_, 0, &block);
  for (int32_t i = 0; i < lftm_settings_count(method_); ++i) {
    const lftm_setting_info info = info_of(method_, i);
    const int32_t slot = holds_number(i) ? info.number_slot : info.slot;
    block.tmParam[slot] = slots_.tmParam[slot];
  }
  return block;
}

}  // namespace lftm_py
