// SPDX-License-Identifier: BSD-3-Clause
// The settings table as public API: methods, their settings and what each one is, so that
// hosts build their controls from the one table the sidecar reader and writer use.
#include <cstddef>
#include <cstring>

#include "host/settings_lookup.h"
#include "lftm_host.h"
#include "settings/setting_text.h"

namespace lftm {
namespace {

int32_t kind_of(SettingForm form) {
  switch (form) {
    case SettingForm::kGamma: return LFTM_SETTING_GAMMA;
    case SettingForm::kSmoothingMode: return LFTM_SETTING_CHOICE;
    case SettingForm::kYesNo: return LFTM_SETTING_YES_NO;
    case SettingForm::kSmoothing: return LFTM_SETTING_SMOOTHING;
    case SettingForm::kNumber:
    case SettingForm::kMicrocontrast:
      break;
  }
  return LFTM_SETTING_NUMBER;
}

void describe(const Setting& setting, lftm_setting_info* info) {
  info->kind = kind_of(setting.form);
  info->name = setting.name;
  info->slot = setting.slot;
  const bool word_only =
      setting.form == SettingForm::kSmoothingMode || setting.form == SettingForm::kYesNo;
  info->number_slot = word_only ? -1 : number_slot(setting);
  info->decimals = setting.decimals;
  info->minimum = setting.low;
  info->maximum = setting.high;
  info->default_value = setting.default_value;
  info->choice_count = choice_words(setting, &info->choices);
}

}  // namespace
}  // namespace lftm

extern "C" const char* lftm_settings_method_name(int32_t method) {
  const lftm::MethodSettings* table = lftm::method_settings(method);
  return table != nullptr ? table->name : nullptr;
}

extern "C" int32_t lftm_settings_count(int32_t method) {
  const lftm::MethodSettings* table = lftm::method_settings(method);
  return table != nullptr ? static_cast<int32_t>(table->size()) : LFTM_ERR_ARGUMENT;
}

extern "C" int32_t lftm_setting_describe(int32_t method, int32_t index, lftm_setting_info* info) {
  const lftm::Setting* setting = lftm::setting_of(method, index);
  if (setting == nullptr || info == nullptr || info->struct_size < sizeof(lftm_setting_info)) {
    return LFTM_ERR_ARGUMENT;
  }
  lftm::describe(*setting, info);
  return 0;
}

extern "C" int32_t lftm_setting_find(int32_t method, const char* name, int32_t any_case) {
  const lftm::MethodSettings* table = lftm::method_settings(method);
  if (table == nullptr || name == nullptr) return LFTM_ERR_ARGUMENT;
  for (size_t i = 0; i < table->size(); ++i) {
    const char* candidate = table->begin[i].name;
    const bool same = any_case != 0 ? lftm::same_name_any_case(name, candidate)
                                    : std::strcmp(name, candidate) == 0;
    if (same) return static_cast<int32_t>(i);
  }
  return LFTM_ERR_ARGUMENT;
}
