// SPDX-License-Identifier: BSD-3-Clause
// lftm_load_settings: the one strict reading of a settings sidecar. A value the reader
// cannot take refuses the file with a sentence naming the setting, so that the tool, the
// tuner and the Python module render a sidecar alike or not at all.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "lftm_host.h"
#include "platform/input_file.h"
#include "settings/settings_table.h"
#include "settings/xmp_reader.h"

namespace lftm {
namespace {

constexpr size_t kLongestShownValue = 40;
// Sidecars are a few kilobytes: the value sought lies well within this.
constexpr size_t kLongestSidecar = 1 << 20;

const char* method_name(int32_t method) {
  const MethodSettings* m = method_settings(method);
  return m != nullptr ? m->name : "unknown";
}

// The setting whose element fills `slot` (Smoothing fills the slider slot too).
const Setting* setting_at(const MethodSettings& method, int slot) {
  for (const Setting* s = method.begin; s != method.end; ++s) {
    if (s->slot == slot) return s;
    if (s->form == SettingForm::kSmoothing && slot == kBoosterSmoothingSlider) return s;
  }
  return nullptr;
}

// The text behind the element `setting` in the file, up to the next tag or line end; for
// the message only.
std::string element_text(const char* path, const Setting& setting) {
  std::string text;
  if (!read_file_head(path, kLongestSidecar, &text)) return "";
  for (const char* name : {setting.name, setting.old_name}) {
    if (name == nullptr) continue;
    const std::string tag = std::string("<lftm:") + name + ">";
    const size_t at = text.find(tag);
    if (at == std::string::npos) continue;
    const size_t begin = at + tag.size();
    const size_t end = std::min(text.find_first_of("<\n", begin), begin + kLongestShownValue);
    return text.substr(begin, end - begin);
  }
  return "";
}

std::string failure_text(int32_t code, const std::string& path) {
  switch (code) {
    case LFTM_ERR_FILE: return "cannot open the settings file " + path;
    case LFTM_ERR_XMP_NO_NAMESPACE: return path + " is not a settings file";
    default: return "cannot read the settings file " + path;
  }
}

// The method to read: the one asked for, else the one the file names (the Texture Booster
// when it names none). Returns 0 or the code and sentence of a mismatch.
int32_t choose_method(const char* path, int32_t* method, std::string* why) {
  SidecarReadReport query;
  const int32_t held = read_settings_file(path, kMethodQuery, nullptr, &query,
                                          ReadAnnouncement::kSilent);
  if (held < 0) {
    *why = failure_text(held, path);
    return held;
  }
  if (query.method_element && method_settings(held) == nullptr) {
    *why = std::string(path) + " holds the settings of a method this library does not know";
    return LFTM_ERR_XMP_METHOD;
  }
  if (*method == 0) {
    *method = query.method_element ? held : LFTM_METHOD_TEXTURE_BOOSTER;
  } else if (query.method_element && held != *method) {
    *why = std::string(path) + " holds " + method_name(held) + " settings, not " +
           method_name(*method) + " ones";
    return LFTM_ERR_XMP_METHOD;
  }
  return 0;
}

// LFTM_ERR_SETTING_VALUE with its sentence for the first setting the file holds that is no
// usable value, else 0.
int32_t check_values(const char* path, int32_t method, const SidecarReadReport& report,
                     const TmParam& read, std::string* why) {
  const MethodSettings& table = *method_settings(method);
  for (int slot = 0; slot < kSettingsSlots; ++slot) {
    if (!report.found[slot]) continue;
    const bool unreadable = report.unreadable[slot];
    if (!unreadable && std::isfinite(read.tmParam[slot])) continue;
    const Setting* setting = setting_at(table, slot);
    if (setting == nullptr) continue;
    *why = std::string(path) + ": the value \"" + element_text(path, *setting) + "\" of " +
           setting->name + (unreadable ? " cannot be read" : " is not a usable number");
    return LFTM_ERR_SETTING_VALUE;
  }
  return 0;
}

int32_t load_settings(const char* path, int32_t* method, TmParam* params, std::string* why) {
  int32_t chosen = *method;
  if (chosen != 0 && method_settings(chosen) == nullptr) return LFTM_ERR_ARGUMENT;
  if (const int32_t refused = choose_method(path, &chosen, why)) return refused;
  TmParam read;
  tmparam_default(chosen, 0, &read);
  SidecarReadReport report;
  const int32_t got = read_settings_file(path, chosen, &read, &report, ReadAnnouncement::kSilent);
  if (got < 0) {
    *why = failure_text(got, path);
    return got;
  }
  if (const int32_t refused = check_values(path, chosen, report, read, why)) return refused;
  *method = chosen;
  *params = read;
  return 0;
}

void copy_message(const std::string& text, char* message, size_t size) {
  if (message == nullptr || size == 0) return;
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(message, text.data(), n);
  message[n] = '\0';
}

}  // namespace
}  // namespace lftm

extern "C" int32_t lftm_load_settings(const char* path, int32_t* method, TmParam* params,
                                      char* message, size_t message_size) {
  std::string why;
  int32_t result = LFTM_ERR_ARGUMENT;
  if (path != nullptr && method != nullptr && params != nullptr) {
    try {
      result = lftm::load_settings(path, method, params, &why);
    } catch (const std::bad_alloc&) {
      result = LFTM_ERR_NO_MEMORY;
    }
  }
  if (why.empty() && result < 0) why = lftm_strerror(result, 0);
  lftm::copy_message(why, message, message_size);
  return result;
}
