// SPDX-License-Identifier: BSD-3-Clause
#include "settings_form.h"

#include <strings.h>

#include <cstdio>

#include "lftm_host.h"
#include "setting_names.h"
#include "setting_words.h"

namespace lftm_tune {
namespace {

// Room for any setting's text (lftm_format_number's bound).
constexpr size_t kTextSize = 64;

// A setting of `block` as JSON: a number, or a word as a string. Sets *is_word.
std::string value_json(int32_t method, int32_t index, const TmParam& block, bool* is_word) {
  char text[kTextSize];
  *is_word = lftm_setting_text(method, index, &block, LFTM_TEXT_SHORTEST, text, sizeof text) == 2;
  return *is_word ? json_string(text) : std::string(text);
}

std::string choices_json(const lftm_setting_info& info) {
  std::string out = "[";
  for (int i = 0; i < info.choice_count; ++i) out += (i ? "," : "") + json_string(info.choices[i]);
  return out + "]";
}

// The defaults, with Smoothing read in the mode `params` has, so that its default is shown
// as the same kind (a preset word or a slider number) as its value.
TmParam defaults_as_shown(int32_t method, const lftm_setting_info& info, const TmParam& params) {
  TmParam defaults;
  tmparam_default(method, 0, &defaults);
  const int32_t mode = lftm_setting_find(method, "SmoothingMode", 0);
  if (info.kind == LFTM_SETTING_SMOOTHING && mode >= 0) {
    const int32_t modeSlot = lftm_cli::setting_info(method, mode).slot;
    defaults.tmParam[modeSlot] = params.tmParam[modeSlot];
  }
  return defaults;
}

// "kind":..,"value":..,"default":.. and the kind's own fields of one setting.
std::string setting_fields(int32_t method, int32_t index, const TmParam& params) {
  const lftm_setting_info info = lftm_cli::setting_info(method, index);
  bool isWord = false;
  bool defaultIsWord = false;  // the same kind: defaults_as_shown reads it in the same mode
  const std::string value = value_json(method, index, params, &isWord);
  const std::string fallback =
      value_json(method, index, defaults_as_shown(method, info, params), &defaultIsWord);
  if (isWord) {
    return "\"kind\":\"choice\",\"value\":" + value + ",\"default\":" + fallback +
           ",\"choices\":" + choices_json(info);
  }
  return "\"kind\":\"number\",\"value\":" + value + ",\"default\":" + fallback +
         ",\"low\":" + lftm_cli::shortest_number(info.minimum) +
         ",\"high\":" + lftm_cli::shortest_number(info.maximum) +
         ",\"decimals\":" + std::to_string(info.decimals);
}

// "label", "unit", "help" and "group" of a setting in plain words; its own name when the
// tuner has no words for it, in the advanced group.
std::string words_fields(const char* name) {
  const SettingWords plain = {name, name, "", "", "advanced"};
  const SettingWords* words = setting_words(name);
  if (words == nullptr) words = &plain;
  return "\"label\":" + json_string(words->label) + ",\"unit\":" + json_string(words->unit) +
         ",\"help\":" + json_string(words->help) + ",\"group\":" + json_string(words->group);
}

}  // namespace

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

int32_t method_of(const std::string& name) {
  for (int32_t method : {LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER}) {
    if (strcasecmp(name.c_str(), lftm_settings_method_name(method)) == 0 ||
        name == std::to_string(method)) {
      return method;
    }
  }
  return 0;
}

std::string settings_json(int32_t method, const TmParam& params) {
  std::string out =
      "{\"method\":" + json_string(lftm_settings_method_name(method)) + ",\"methods\":[" +
      json_string(lftm_settings_method_name(LFTM_METHOD_TEXTURE_BOOSTER)) + "," +
      json_string(lftm_settings_method_name(LFTM_METHOD_RANGE_SQUEEZER)) + "],\"settings\":[";
  for (int32_t i = 0; i < lftm_settings_count(method); ++i) {
    const char* name = lftm_cli::setting_info(method, i).name;
    out += (i == 0 ? "{" : ",{") + std::string("\"name\":") + json_string(name) + "," +
           words_fields(name) + "," + setting_fields(method, i, params) + "}";
  }
  return out + "]}";
}

std::string settings_from_form(const FormFields& form, int32_t* method, TmParam* params,
                               std::vector<std::string>* notes) {
  auto methodField = form.find("method");
  const int32_t chosen = methodField == form.end() ? *method : method_of(methodField->second);
  if (chosen == 0) return "method takes Texture Booster or Range Squeezer";
  for (const auto& field : form) {
    if (field.first == "method" || lftm_setting_find(chosen, field.first.c_str(), 1) >= 0) {
      continue;
    }
    return "\"" + field.first + "\" is no setting of the " + lftm_settings_method_name(chosen) +
           "; it has " + lftm_cli::setting_names(chosen);
  }
  TmParam block;
  tmparam_default(chosen, 0, &block);
  // In the table's order, so that SmoothingMode is set before the Smoothing it governs.
  for (int32_t i = 0; i < lftm_settings_count(chosen); ++i) {
    const char* name = lftm_cli::setting_info(chosen, i).name;
    for (const auto& field : form) {
      if (strcasecmp(name, field.first.c_str()) != 0) continue;
      std::string problem = lftm_cli::apply_setting(chosen, name, field.second, &block);
      if (!problem.empty()) return problem;
    }
  }
  std::string problem = lftm_cli::fit_settings(chosen, "", &block, notes);
  if (!problem.empty()) return problem;
  *method = chosen;
  *params = block;
  return "";
}

}  // namespace lftm_tune
