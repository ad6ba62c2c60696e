// SPDX-License-Identifier: BSD-3-Clause
// Settings values as text, as public API: the one formatter and the one parser of settings
// numbers, which the sidecar writer and reader use too, and the fitting of values into their
// range and the sidecar's precision that the tool applies.
#include <cstring>
#include <new>
#include <string>

#include "host/settings_lookup.h"
#include "lftm_host.h"
#include "settings/number_text.h"
#include "settings/setting_text.h"
#include "settings/stored_settings.h"

namespace lftm {
namespace {

constexpr int32_t kMostDecimals = 20;
constexpr int32_t kKnownFlags = LFTM_SETTING_INTO_RANGE | LFTM_SETTING_AS_STORED;

bool decimals_usable(int32_t decimals) {
  return decimals == LFTM_TEXT_SHORTEST || (decimals >= 0 && decimals <= kMostDecimals);
}

void append_number(std::string* out, float value, int32_t decimals) {
  if (decimals == LFTM_TEXT_SHORTEST) {
    append_shortest(out, value);
  } else {
    append_fixed(out, value, decimals);
  }
}

// Copies `text` with its NUL into the caller's buffer; false (nothing written) when it does
// not fit.
bool copy_out(const std::string& text, char* out, size_t size) {
  if (out == nullptr || text.size() >= size) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

FitRules rules_of(int32_t flags) {
  FitRules rules;
  rules.into_range = (flags & LFTM_SETTING_INTO_RANGE) != 0;
  rules.as_stored = (flags & LFTM_SETTING_AS_STORED) != 0;
  return rules;
}

int32_t result_of(FitResult result) {
  switch (result) {
    case FitResult::kKept: return 0;
    case FitResult::kChanged: return 1;
    case FitResult::kUnusable: break;
  }
  return LFTM_ERR_SETTING_VALUE;
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_format_number(float value, int32_t decimals, char* text,
                                      size_t text_size) {
  if (!lftm::decimals_usable(decimals)) return LFTM_ERR_ARGUMENT;
  std::string written;
  lftm::append_number(&written, value, decimals);
  if (!lftm::copy_out(written, text, text_size)) return LFTM_ERR_ARGUMENT;
  return static_cast<int32_t>(written.size());
}

extern "C" int32_t lftm_parse_number(const char* text, float* value) {
  if (text == nullptr || value == nullptr) return LFTM_ERR_ARGUMENT;
  return lftm::scan_whole_float(text, text + std::strlen(text), value) ? 0
                                                                        : LFTM_ERR_SETTING_VALUE;
}

extern "C" int32_t lftm_setting_text(int32_t method, int32_t index, const TmParam* params,
                                     int32_t decimals, char* text, size_t text_size) {
  const lftm::Setting* setting = lftm::setting_of(method, index);
  if (setting == nullptr || params == nullptr) return LFTM_ERR_ARGUMENT;
  if (decimals == LFTM_TEXT_AS_SIDECAR) decimals = setting->decimals;
  if (!lftm::decimals_usable(decimals)) return LFTM_ERR_ARGUMENT;
  std::string written;
  float number = 0;
  const bool is_number = lftm::setting_number(*setting, params->tmParam, &number);
  if (is_number) {
    lftm::append_number(&written, number, decimals);
  } else {
    written = lftm::setting_word(*setting, params->tmParam);
  }
  if (!lftm::copy_out(written, text, text_size)) return LFTM_ERR_ARGUMENT;
  return is_number ? 1 : 2;
}

extern "C" int32_t lftm_setting_parse(int32_t method, int32_t index, const char* text,
                                      TmParam* params, int32_t flags) {
  const lftm::Setting* setting = lftm::setting_of(method, index);
  if (setting == nullptr || text == nullptr || params == nullptr ||
      (flags & ~lftm::kKnownFlags) != 0) {
    return LFTM_ERR_ARGUMENT;
  }
  return lftm::result_of(
      lftm::parse_setting(*setting, text, lftm::rules_of(flags), params->tmParam));
}

extern "C" int32_t lftm_setting_fit(int32_t method, int32_t index, TmParam* params,
                                    int32_t flags) {
  const lftm::Setting* setting = lftm::setting_of(method, index);
  if (setting == nullptr || params == nullptr || (flags & ~lftm::kKnownFlags) != 0) {
    return LFTM_ERR_ARGUMENT;
  }
  return lftm::result_of(lftm::fit_setting(*setting, lftm::rules_of(flags), params->tmParam));
}

extern "C" int32_t lftm_settings_as_stored(int32_t method, TmParam* params) {
  if (params == nullptr || lftm::method_settings(method) == nullptr) return LFTM_ERR_ARGUMENT;
  try {
    TmParam defaults;
    tmparam_default(method, 0, &defaults);
    *params = lftm::settings_as_stored(method, *params, defaults);
  } catch (const std::bad_alloc&) {
    return LFTM_ERR_NO_MEMORY;
  }
  return 0;
}
