// SPDX-License-Identifier: BSD-3-Clause
#include "setting_names.h"

namespace lftm_cli {
namespace {

// Room for any setting's text (lftm_format_number's bound).
constexpr size_t kTextSize = 64;

// The tool runs the Texture Booster and the Range Squeezer; any other code reads as the
// Texture Booster.
int32_t tool_method(int32_t method) {
  return method == LFTM_METHOD_RANGE_SQUEEZER ? LFTM_METHOD_RANGE_SQUEEZER
                                              : LFTM_METHOD_TEXTURE_BOOSTER;
}

// The setting's number in `params` in its shortest text, or "" when it is held as a word.
std::string number_now(int32_t method, int32_t index, const TmParam& params) {
  char text[kTextSize];
  return lftm_setting_text(method, index, &params, LFTM_TEXT_SHORTEST, text, sizeof text) == 1
             ? text
             : "";
}

std::string range_text(const lftm_setting_info& info) {
  return shortest_number(info.minimum) + " to " + shortest_number(info.maximum);
}

std::string refusal(const lftm_setting_info& info, const std::string& value) {
  const std::string quoted = "\"" + value + "\"";
  switch (info.kind) {
    case LFTM_SETTING_GAMMA:
      return "Gamma takes a gamma value from " + range_text(info) +
             " (1 leaves the tones as they are), not " + quoted;
    case LFTM_SETTING_CHOICE:
      return std::string(info.name) + " takes Light or Slider, not " + quoted;
    case LFTM_SETTING_YES_NO:
      return std::string(info.name) + " takes Yes or No, not " + quoted;
    case LFTM_SETTING_SMOOTHING:
      return "Smoothing takes a number from " + range_text(info) +
             " or Very High, High, Medium, Low, Very Low, not " + quoted;
    default:
      return std::string(info.name) + " takes a number from " + range_text(info) + ", not " +
             quoted;
  }
}

std::string list_settings(int32_t method, bool withRanges) {
  method = tool_method(method);
  std::string text;
  for (int32_t i = 0; i < lftm_settings_count(method); ++i) {
    const lftm_setting_info info = setting_info(method, i);
    if (!text.empty()) text += ", ";
    text += info.name;
    if (withRanges && info.minimum < info.maximum) {
      text += " " + shortest_number(info.minimum) + ".." + shortest_number(info.maximum);
    }
  }
  return text;
}

// Brings each number into its range; each change adds a note.
std::string fit_ranges(int32_t method, const std::string& where, TmParam* params,
                       std::vector<std::string>* notes) {
  for (int32_t i = 0; i < lftm_settings_count(method); ++i) {
    const std::string asked = number_now(method, i, *params);
    const int32_t fitted = lftm_setting_fit(method, i, params, LFTM_SETTING_INTO_RANGE);
    const lftm_setting_info info = setting_info(method, i);
    if (fitted < 0) {
      return where + info.name + " is " + asked + ", not a number from " + range_text(info);
    }
    if (fitted == 1) {
      float wanted = 0;
      lftm_parse_number(asked.c_str(), &wanted);
      const float used = wanted < info.minimum ? info.minimum : info.maximum;
      notes->push_back(where + info.name + " " + asked + " is outside " + range_text(info) + "; " +
                       shortest_number(used) + " is used");
    }
  }
  return "";
}

}  // namespace

std::string apply_setting(int32_t method, const std::string& name, const std::string& value,
                          TmParam* params) {
  method = tool_method(method);
  const int32_t index = lftm_setting_find(method, name.c_str(), 1);
  if (index < 0) {
    return "no setting \"" + name + "\" for this method; its settings are " + setting_names(method);
  }
  if (lftm_setting_parse(method, index, value.c_str(), params, 0) < 0) {
    return refusal(setting_info(method, index), value);
  }
  return "";
}

std::string fit_settings(int32_t method, const std::string& where, TmParam* params,
                         std::vector<std::string>* notes) {
  method = tool_method(method);
  std::string problem = fit_ranges(method, where, params, notes);
  if (!problem.empty()) return problem;
  // Slots the sidecar does not hold go back to the defaults, as a run from the sidecar has
  // them.
  TmParam stored = *params;
  lftm_settings_as_stored(method, &stored);
  for (int32_t i = 0; i < lftm_settings_count(method); ++i) {
    const std::string asked = number_now(method, i, *params);
    if (asked.empty()) continue;
    const std::string kept = number_now(method, i, stored);
    if (asked != kept) {
      notes->push_back(where + setting_info(method, i).name + " " + asked + " is kept as " + kept +
                       ", as precisely as settings files store it");
    }
  }
  *params = stored;
  return "";
}

lftm_setting_info setting_info(int32_t method, int32_t index) {
  lftm_setting_info info{};
  info.struct_size = sizeof info;
  lftm_setting_describe(method, index, &info);
  return info;
}

std::string shortest_number(float value) {
  char text[kTextSize];
  lftm_format_number(value, LFTM_TEXT_SHORTEST, text, sizeof text);
  return text;
}

std::string setting_ranges(int32_t method) { return list_settings(method, true); }

std::string setting_names(int32_t method) { return list_settings(method, false); }

}  // namespace lftm_cli
