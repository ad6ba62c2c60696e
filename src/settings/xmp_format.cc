// SPDX-License-Identifier: BSD-3-Clause
#include "settings/xmp_format.h"

#include <cmath>

#include "settings/number_text.h"
#include "settings/setting_text.h"
#include "settings/settings_table.h"

namespace lftm {
namespace {

void append_value(std::string* text, const Setting& element, const float* slots) {
  float number = 0;
  if (setting_number(element, slots, &number)) {
    append_fixed(text, number, element.decimals);
  } else {
    text->append(setting_word(element, slots));
  }
}

}  // namespace

bool is_sidecar_method(int32_t method) { return method >= 1 && method <= 11; }

bool settings_are_finite(int32_t method, const TmParam& params) {
  const MethodSettings* settings = method_settings(method);
  if (settings == nullptr) return true;
  for (const Setting* e = settings->begin; e != settings->end; ++e) {
    float written = 0;
    if (setting_number(*e, params.tmParam, &written) && !std::isfinite(written)) return false;
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
