#include "settings_form.h"

#include <strings.h>

#include <cstdio>

#include "platform/setting_value.h"
#include "setting_names.h"
#include "settings/number_text.h"
#include "settings/settings_table.h"

namespace lftm_tune {
namespace {

using lftm::Setting;
using lftm::SettingForm;

// The fewest decimals that read back as the same float, never in the host's locale.
std::string number_json(float value) {
  std::string text;
  for (int decimals = 0; decimals <= 9; ++decimals) {
    text.clear();
    lftm::append_fixed(&text, value, decimals);
    float back = 0;
    if (lftm::scan_float(text.data(), text.data() + text.size(), &back) != nullptr &&
        back == value) {
      break;
    }
  }
  return text;
}

std::string choices_json(const char* const* words, int count) {
  std::string out = "[";
  for (int i = 0; i < count; ++i) out += (i ? "," : "") + json_string(words[i]);
  return out + "]";
}

constexpr const char* kYesNoWords[] = {"No", "Yes"};

// A choice's word for the slot's value, clamped into the list.
std::string word_json(const char* const* words, int count, float slot) {
  int index = lftm::truncate_setting(slot);
  if (index < 0) index = 0;
  if (index >= count) index = count - 1;
  return json_string(words[index]);
}

// "value":..,"default":.. and the kind's own fields of one setting.
std::string setting_fields(const Setting& s, const float* slots, const float* defaults) {
  const bool lightSmoothing = s.form == SettingForm::kSmoothing &&
                              lftm::truncate_setting(slots[lftm::kBoosterSmoothingMode]) == 0;
  if (s.form == SettingForm::kSmoothingMode || s.form == SettingForm::kYesNo || lightSmoothing) {
    const char* const* words = s.form == SettingForm::kSmoothingMode ? lftm::kSmoothingModeWords
                               : s.form == SettingForm::kYesNo       ? kYesNoWords
                                                                     : lftm::kSmoothingPresetWords;
    const int count = s.form == SettingForm::kSmoothing ? 5 : 2;
    return "\"kind\":\"choice\",\"value\":" + word_json(words, count, slots[s.slot]) +
           ",\"default\":" + word_json(words, count, defaults[s.slot]) +
           ",\"choices\":" + choices_json(words, count);
  }
  const int slot = s.form == SettingForm::kSmoothing ? lftm::kBoosterSmoothingSlider : s.slot;
  float value = slots[slot], fallback = defaults[slot];
  if (s.form == SettingForm::kGamma) {
    value = lftm::gamma_of_slider(value);
    fallback = lftm::gamma_of_slider(fallback);
  }
  return "\"kind\":\"number\",\"value\":" + number_json(value) + ",\"default\":" +
         number_json(fallback) + ",\"low\":" + number_json(s.low) + ",\"high\":" +
         number_json(s.high) + ",\"decimals\":" + std::to_string(s.decimals);
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
    if (strcasecmp(name.c_str(), lftm::method_settings(method)->name) == 0 ||
        name == std::to_string(method)) {
      return method;
    }
  }
  return 0;
}

std::string settings_json(int32_t method, const TmParam& params) {
  const lftm::MethodSettings& table = *lftm::method_settings(method);
  TmParam defaults;
  tmparam_default(method, 0, &defaults);
  std::string out = "{\"method\":" + json_string(table.name) + ",\"methods\":[" +
                    json_string(lftm::method_settings(LFTM_METHOD_TEXTURE_BOOSTER)->name) + "," +
                    json_string(lftm::method_settings(LFTM_METHOD_RANGE_SQUEEZER)->name) +
                    "],\"settings\":[";
  for (const Setting* s = table.begin; s != table.end; ++s) {
    out += (s == table.begin ? "{" : ",{") + std::string("\"name\":") + json_string(s->name) +
           "," + setting_fields(*s, params.tmParam, defaults.tmParam) + "}";
  }
  return out + "]}";
}

std::string settings_from_form(const FormFields& form, int32_t* method, TmParam* params,
                               std::vector<std::string>* notes) {
  auto methodField = form.find("method");
  const int32_t chosen = methodField == form.end() ? *method : method_of(methodField->second);
  if (chosen == 0) return "method takes Texture Booster or Range Squeezer";
  const lftm::MethodSettings& table = *lftm::method_settings(chosen);
  for (const auto& field : form) {
    if (field.first == "method") continue;
    bool known = false;
    for (const Setting* s = table.begin; s != table.end; ++s) {
      known = known || strcasecmp(s->name, field.first.c_str()) == 0;
    }
    if (!known) {
      return "\"" + field.first + "\" is no setting of the " + table.name + "; it has " +
             lftm_cli::setting_names(chosen);
    }
  }
  TmParam block;
  tmparam_default(chosen, 0, &block);
  // In the table's order, so that SmoothingMode is set before the Smoothing it governs.
  for (const Setting* s = table.begin; s != table.end; ++s) {
    for (const auto& field : form) {
      if (strcasecmp(s->name, field.first.c_str()) != 0) continue;
      std::string problem = lftm_cli::apply_setting(chosen, s->name, field.second, &block);
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
