#include "settings/xmp_format.h"

#include <cmath>
#include <iterator>

#include "settings/number_text.h"

namespace lftm {
namespace {

enum class WriteAs {
  kOneDecimal,     // "%1.1f"
  kSixDecimals,    // "%f"
  kSmoothingMode,  // "Slider" or "Light"
  kSmoothing,      // preset word, or the slider value with one decimal
  kGamma,          // gamma computed from the slider, one decimal
  kYesNo           // "Yes" when the slot truncates to 1
};

struct WrittenElement {
  const char* name;
  int slot;
  WriteAs format;
};

constexpr WrittenElement kBoosterElements[] = {
    {"Strength", 1, WriteAs::kOneDecimal},
    {"ColorSaturation", 2, WriteAs::kOneDecimal},
    {"Luminosity", 0, WriteAs::kOneDecimal},
    {"WhiteClip", 3, WriteAs::kSixDecimals},
    {"BlackClip", 4, WriteAs::kSixDecimals},
    {"SmoothingMode", 16, WriteAs::kSmoothingMode},
    {"Smoothing", 5, WriteAs::kSmoothing},
    {"Microcontrast", 6, WriteAs::kOneDecimal},
    {"Microsmoothing", 7, WriteAs::kOneDecimal},
    {"Gamma", 8, WriteAs::kGamma},
    {"HighlightsSmoothing", 9, WriteAs::kOneDecimal},
    {"ShadowsSmoothing", 10, WriteAs::kOneDecimal},
    {"ShadowsClipping", 11, WriteAs::kOneDecimal},
    {"ColorTemperature", 12, WriteAs::kOneDecimal},
    {"SaturationHighlights", 13, WriteAs::kOneDecimal},
    {"SaturationShadows", 14, WriteAs::kOneDecimal},
    {"360DegreeImage", 15, WriteAs::kYesNo},
};

constexpr WrittenElement kSqueezerElements[] = {
    {"Brightness", 0, WriteAs::kOneDecimal},   {"Compression", 1, WriteAs::kOneDecimal},
    {"Contrast", 2, WriteAs::kOneDecimal},     {"WhiteClip", 3, WriteAs::kSixDecimals},
    {"BlackClip", 4, WriteAs::kSixDecimals},   {"ColorTemperature", 12, WriteAs::kOneDecimal},
    {"Saturation", 13, WriteAs::kOneDecimal},
};

constexpr WrittenElement kBlendTuneElements[] = {
    {"Accentuation", 0, WriteAs::kOneDecimal}, {"BlendingPoint", 1, WriteAs::kOneDecimal},
    {"Shadows", 2, WriteAs::kOneDecimal},      {"Saturation", 3, WriteAs::kOneDecimal},
    {"WhiteClip", 4, WriteAs::kSixDecimals},   {"BlackClip", 5, WriteAs::kSixDecimals},
    {"MidtonesAdjustment", 6, WriteAs::kOneDecimal},
};

constexpr WrittenElement kBlendStrongElements[] = {
    {"Strength", 0, WriteAs::kOneDecimal},
    {"Saturation", 1, WriteAs::kOneDecimal},
    {"Radius", 2, WriteAs::kOneDecimal},
};

// Smoothing presets 0 to 4 under the "Light" mode.
constexpr const char* kSmoothingWords[] = {"Very High", "High", "Medium", "Low", "Very Low"};

constexpr double kLn2 = 0.693147180559945309417;

struct ElementList {
  const WrittenElement* begin;
  const WrittenElement* end;
};

ElementList elements_of(int32_t method) {
  switch (method) {
    case LFTM_METHOD_TEXTURE_BOOSTER:
      return {std::begin(kBoosterElements), std::end(kBoosterElements)};
    case LFTM_METHOD_RANGE_SQUEEZER:
      return {std::begin(kSqueezerElements), std::end(kSqueezerElements)};
    case LFTM_METHOD_BLEND_TUNE:
      return {std::begin(kBlendTuneElements), std::end(kBlendTuneElements)};
    case LFTM_METHOD_BLEND_STRONG:
      return {std::begin(kBlendStrongElements), std::end(kBlendStrongElements)};
    default:
      return {nullptr, nullptr};
  }
}

// Presets outside 0 to 4 are written as the nearest preset, so that the file stays readable.
const char* smoothing_word(float slot) {
  const int32_t preset = truncate_slot(slot);
  if (preset <= 0) return kSmoothingWords[0];
  if (preset >= 4) return kSmoothingWords[4];
  return kSmoothingWords[preset];
}

float gamma_of_slider(float slider) {
  return static_cast<float>(std::exp((50.0 - slider) * kLn2 / 50.0));
}

void append_value(std::string* text, const WrittenElement& element, const float* slots) {
  const float value = slots[element.slot];
  // Any mode other than "Slider" is written as "Light", with the preset of slot 5.
  const bool slider_mode = truncate_slot(slots[16]) == 1;
  switch (element.format) {
    case WriteAs::kOneDecimal:
      append_fixed(text, value, 1);
      break;
    case WriteAs::kSixDecimals:
      append_fixed(text, value, 6);
      break;
    case WriteAs::kSmoothingMode:
      text->append(slider_mode ? "Slider" : "Light");
      break;
    case WriteAs::kSmoothing:
      if (slider_mode) {
        append_fixed(text, slots[17], 1);
      } else {
        text->append(smoothing_word(value));
      }
      break;
    case WriteAs::kGamma: {
      append_fixed(text, gamma_of_slider(value), 1);
      break;
    }
    case WriteAs::kYesNo:
      text->append(truncate_slot(value) == 1 ? "Yes" : "No");
      break;
  }
}

}  // namespace

bool is_sidecar_method(int32_t method) { return method >= 1 && method <= 11; }

bool settings_are_finite(int32_t method, const TmParam& params) {
  const float* slots = params.tmParam;
  const ElementList list = elements_of(method);
  for (const WrittenElement* e = list.begin; e != list.end; ++e) {
    float written = slots[e->slot];
    switch (e->format) {
      case WriteAs::kOneDecimal:
      case WriteAs::kSixDecimals:
        break;
      case WriteAs::kSmoothing:
        if (truncate_slot(slots[16]) != 1) continue;  // a preset word
        written = slots[17];
        break;
      case WriteAs::kGamma:
        written = gamma_of_slider(written);
        break;
      case WriteAs::kSmoothingMode:
      case WriteAs::kYesNo:
        continue;
    }
    if (!std::isfinite(written)) return false;
  }
  return true;
}

const char* sidecar_method_name(int32_t method) {
  switch (method) {
    case LFTM_METHOD_TEXTURE_BOOSTER:
      return "Texture Booster";
    case LFTM_METHOD_RANGE_SQUEEZER:
      return "Range Squeezer";
    case LFTM_METHOD_BLEND_TUNE:
      return "Blend/Tune";
    case LFTM_METHOD_BLEND_STRONG:
      return "Blend/Strong";
    default:
      return nullptr;
  }
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
  const ElementList list = elements_of(method);
  for (const WrittenElement* e = list.begin; e != list.end; ++e) {
    text += "<lftm:";
    text += e->name;
    text += '>';
    append_value(&text, *e, params.tmParam);
    text += "</lftm:";
    text += e->name;
    text += ">\n";
  }
  text += "</rdf:Description>\n\n";
  text += "</rdf:RDF>\n";
  text += "</x:xmpmeta>\n";
  return text;
}

}  // namespace lftm
