#include "settings/xmp_format.h"

#include <cmath>

#include "settings/number_text.h"
#include "settings/settings_table.h"

namespace lftm {
namespace {

// Presets outside 0 to 4 are written as the nearest preset, so that the file stays readable.
const char* smoothing_word(float slot) {
  const int32_t preset = truncate_slot(slot);
  if (preset <= 0) return kSmoothingPresetWords[0];
  if (preset >= 4) return kSmoothingPresetWords[4];
  return kSmoothingPresetWords[preset];
}

// Any mode other than "Slider" is written as "Light", with the preset of its slot.
bool slider_mode(const float* slots) { return truncate_slot(slots[kBoosterSmoothingMode]) == 1; }

// The number an element writes, or false when it writes a word.
bool written_number(const Setting& element, const float* slots, float* number) {
  switch (element.form) {
    case SettingForm::kNumber:
    case SettingForm::kMicrocontrast:
      *number = slots[element.slot];
      return true;
    case SettingForm::kGamma:
      *number = gamma_of_slider(slots[element.slot]);
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

void append_value(std::string* text, const Setting& element, const float* slots) {
  float number = 0;
  if (written_number(element, slots, &number)) {
    append_fixed(text, number, element.decimals);
    return;
  }
  const float value = slots[element.slot];
  switch (element.form) {
    case SettingForm::kSmoothingMode:
      text->append(kSmoothingModeWords[slider_mode(slots) ? 1 : 0]);
      break;
    case SettingForm::kSmoothing:
      text->append(smoothing_word(value));
      break;
    case SettingForm::kYesNo:
      text->append(truncate_slot(value) == 1 ? "Yes" : "No");
      break;
    case SettingForm::kNumber:
    case SettingForm::kMicrocontrast:
    case SettingForm::kGamma:
      break;  // written as numbers above
  }
}

}  // namespace

bool is_sidecar_method(int32_t method) { return method >= 1 && method <= 11; }

bool settings_are_finite(int32_t method, const TmParam& params) {
  const MethodSettings* settings = method_settings(method);
  if (settings == nullptr) return true;
  for (const Setting* e = settings->begin; e != settings->end; ++e) {
    float written = 0;
    if (written_number(*e, params.tmParam, &written) && !std::isfinite(written)) return false;
  }
  return true;
}

const char* sidecar_method_name(int32_t method) {
  const MethodSettings* settings = method_settings(method);
  return settings != nullptr ? settings->name : nullptr;
}

std::string render_settings_xmp(int32_t method, const TmParam& params) {
  std::string text;
  if (!is_sidecar_method(method)) return text;
  text.reserve(1024);
  text += "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n";
  text += "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n\n";
  text += "<rdf:Description rdf:about=''\n";
  text += "xmlns:lftm='";
  text += kSettingsNamespaceUri;
  text += "'>\n";
  text += "<lftm:Version>";
  text += kSettingsVersion;
  text += "</lftm:Version>\n";
  if (const char* name = sidecar_method_name(method)) {
    text += "<lftm:Method>";
    text += name;
    text += "</lftm:Method>\n";
  }
  if (const MethodSettings* settings = method_settings(method)) {
    for (size_t i = 0; i < settings->size(); ++i) {
      const Setting& e = settings->sidecar_element(i);
      text += "<lftm:";
      text += e.name;
      text += '>';
      append_value(&text, e, params.tmParam);
      text += "</lftm:";
      text += e.name;
      text += ">\n";
    }
  }
  text += "</rdf:Description>\n\n";
  text += "</rdf:RDF>\n";
  text += "</x:xmpmeta>\n";
  return text;
}

}  // namespace lftm
