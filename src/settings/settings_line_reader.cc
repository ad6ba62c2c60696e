#include "settings/settings_line_reader.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include "lftm.h"
#include "settings/number_text.h"

namespace lftm {
namespace {

enum class ReadAs {
  kNumber,         // "%f", or "%d" under the legacy flag when the element allows it
  kGamma,          // gamma, stored as the slider value
  kSmoothingMode,  // "Light" or "Slider"
  kSmoothing,      // preset word or slider value, depending on the smoothing mode
  kMicrocontrast,  // a number when major > 2 or minor > 4, else a word of the old scale
  kYesNo           // "Yes" sets the slot to 1; only outside the legacy flag
};

struct ReadElement {
  const char* tag;
  const char* old_tag;  // an earlier name of the same element, or nullptr
  int slot;
  ReadAs rule;
  bool integer_when_legacy;
};

constexpr ReadElement kBoosterElements[] = {
    {"<lftm:Luminosity>", nullptr, 0, ReadAs::kNumber, true},
    {"<lftm:Strength>", nullptr, 1, ReadAs::kNumber, true},
    {"<lftm:ColorSaturation>", nullptr, 2, ReadAs::kNumber, true},
    {"<lftm:WhiteClip>", nullptr, 3, ReadAs::kNumber, false},
    {"<lftm:BlackClip>", nullptr, 4, ReadAs::kNumber, false},
    {"<lftm:SmoothingMode>", nullptr, 16, ReadAs::kSmoothingMode, false},
    {"<lftm:Smoothing>", nullptr, 5, ReadAs::kSmoothing, false},
    {"<lftm:Microcontrast>", nullptr, 6, ReadAs::kMicrocontrast, true},
    {"<lftm:Microsmoothing>", "<lftm:NoiseSmoothing>", 7, ReadAs::kNumber, true},
    {"<lftm:Gamma>", nullptr, kGammaSlot, ReadAs::kGamma, false},
    {"<lftm:HighlightsSmoothing>", nullptr, 9, ReadAs::kNumber, true},
    {"<lftm:ShadowsSmoothing>", nullptr, 10, ReadAs::kNumber, true},
    {"<lftm:ShadowsClipping>", nullptr, 11, ReadAs::kNumber, true},
    {"<lftm:ColorTemperature>", nullptr, 12, ReadAs::kNumber, true},
    {"<lftm:SaturationHighlights>", nullptr, 13, ReadAs::kNumber, true},
    {"<lftm:SaturationShadows>", nullptr, 14, ReadAs::kNumber, true},
    {"<lftm:360DegreeImage>", nullptr, 15, ReadAs::kYesNo, false},
};

constexpr ReadElement kSqueezerElements[] = {
    {"<lftm:Brightness>", nullptr, 0, ReadAs::kNumber, true},
    {"<lftm:Compression>", nullptr, 1, ReadAs::kNumber, true},
    {"<lftm:Contrast>", nullptr, 2, ReadAs::kNumber, true},
    {"<lftm:WhiteClip>", nullptr, 3, ReadAs::kNumber, false},
    {"<lftm:BlackClip>", nullptr, 4, ReadAs::kNumber, false},
    {"<lftm:ColorTemperature>", nullptr, 12, ReadAs::kNumber, true},
    {"<lftm:Saturation>", nullptr, 13, ReadAs::kNumber, true},
};

constexpr ReadElement kBlendTuneElements[] = {
    {"<lftm:Accentuation>", nullptr, 0, ReadAs::kNumber, false},
    {"<lftm:BlendingPoint>", nullptr, 1, ReadAs::kNumber, false},
    {"<lftm:Shadows>", nullptr, 2, ReadAs::kNumber, false},
    {"<lftm:Saturation>", nullptr, 3, ReadAs::kNumber, false},
    {"<lftm:WhiteClip>", nullptr, 4, ReadAs::kNumber, false},
    {"<lftm:BlackClip>", nullptr, 5, ReadAs::kNumber, false},
    {"<lftm:MidtonesAdjustment>", nullptr, 6, ReadAs::kNumber, false},
};

constexpr ReadElement kBlendStrongElements[] = {
    {"<lftm:Strength>", nullptr, 0, ReadAs::kNumber, false},
    {"<lftm:Saturation>", nullptr, 1, ReadAs::kNumber, false},
    {"<lftm:Radius>", nullptr, 2, ReadAs::kNumber, false},
};

struct NamedValue {
  const char* word;
  int32_t value;
};

// Earlier method names first; each name is compared as a prefix of the text.
constexpr NamedValue kMethodNames[] = {
    {"Edge Lifter", 1},     {"Gentle Shift", 2}, {"Texture Booster", 1},
    {"Range Squeezer", 2},  {"Blend/Tune", 10},  {"Blend/Strong", 11},
};

constexpr NamedValue kSmoothingWords[] = {
    {"Very High", 0}, {"High", 1}, {"Medium", 2}, {"Low", 3}, {"Very Low", 4},
};

// Micro-contrast before format 2.5.
constexpr NamedValue kMicrocontrastWords[] = {
    {"High", 0}, {"Medium High", -2}, {"Medium Low", -6},
    {"Medium", -2}, {"Low", -9}, {"Very Low", -10},
};

constexpr NamedValue kSmoothingModes[] = {{"Light", 0}, {"Slider", 1}};
constexpr NamedValue kYesNo[] = {{"Yes", 1}, {"No", 0}};

constexpr double kLn2 = 0.693147180559945309417;
constexpr int kSmoothingSliderSlot = 17;
constexpr int kSmoothingModeSlot = 16;

// Offset of the first occurrence of `tag` at or after `from` that ends before the last byte
// of the line, or -1.
int find_tag(const char* line, int length, const char* tag, int from = 0) {
  const int tag_length = static_cast<int>(std::strlen(tag));
  for (int i = from; i + tag_length < length; ++i) {
    if (std::memcmp(line + i, tag, static_cast<size_t>(tag_length)) == 0) return i;
  }
  return -1;
}

bool starts_with(const char* text, const char* end, const char* word) {
  const size_t n = std::strlen(word);
  return static_cast<size_t>(end - text) >= n && std::memcmp(text, word, n) == 0;
}

template <size_t N>
bool lookup_word(const char* text, const char* end, const NamedValue (&words)[N],
                 int32_t* value) {
  for (const NamedValue& w : words) {
    if (starts_with(text, end, w.word)) {
      *value = w.value;
      return true;
    }
  }
  return false;
}

// A number right behind the tag, or else one byte further on. A number that cannot be read
// leaves the slot as it was.
bool read_number(const char* text, const char* end, bool as_integer, float* slot) {
  for (const char* p = text; p <= end && p <= text + 1; ++p) {
    if (as_integer) {
      int32_t n = 0;
      if (scan_int(p, end, &n) != nullptr) {
        *slot = static_cast<float>(n);
        return true;
      }
    } else if (scan_float(p, end, slot) != nullptr) {
      return true;
    }
  }
  return false;
}

// Reads the value behind a tag into its slot. Returns false when the value was neither a
// number nor a word the element knows.
bool read_element(const ReadElement& element, const char* text, const char* end,
                  SettingsReadState* state) {
  float* slots = state->slots;
  float* slot = &slots[element.slot];
  int32_t word_value = 0;
  switch (element.rule) {
    case ReadAs::kNumber:
      return read_number(text, end, element.integer_when_legacy && state->legacy, slot);
    case ReadAs::kGamma: {
      float gamma = 0.0f;
      if (!read_number(text, end, false, &gamma)) return false;
      *slot = static_cast<float>(50.0 * (1.0 - std::log(static_cast<double>(gamma)) / kLn2));
      return true;
    }
    case ReadAs::kSmoothingMode:
      if (!lookup_word(text, end, kSmoothingModes, &word_value)) return false;
      *slot = static_cast<float>(word_value);
      return true;
    case ReadAs::kSmoothing: {
      const int32_t mode = truncate_slot(slots[kSmoothingModeSlot]);
      if (mode == 1) return read_number(text, end, false, &slots[kSmoothingSliderSlot]);
      if (mode != 0) return true;  // no mode this element belongs to: nothing to read
      if (!lookup_word(text, end, kSmoothingWords, &word_value)) return false;
      *slot = static_cast<float>(word_value);
      return true;
    }
    case ReadAs::kMicrocontrast:
      if (state->major > 2 || state->minor > 4) return read_number(text, end, state->legacy, slot);
      if (!lookup_word(text, end, kMicrocontrastWords, &word_value)) return false;
      *slot = static_cast<float>(word_value);
      return true;
    case ReadAs::kYesNo:
      // "Yes" sets the flag; "No" leaves the slot as it was.
      if (!lookup_word(text, end, kYesNo, &word_value)) return false;
      if (word_value == 1) *slot = 1.0f;
      return true;
  }
  return false;
}

struct ElementList {
  const ReadElement* begin;
  const ReadElement* end;
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

void read_elements(const char* line, int length, SettingsReadState* state) {
  const char* end = line + length;
  const ElementList list = elements_of(state->requested);
  for (const ReadElement* e = list.begin; e != list.end; ++e) {
    if (e->rule == ReadAs::kYesNo && state->legacy) continue;
    int flag = e->slot;
    // The smoothing element fills the slider slot in "Slider" mode, the preset otherwise.
    if (e->rule == ReadAs::kSmoothing &&
        truncate_slot(state->slots[kSmoothingModeSlot]) == 1) {
      flag = kSmoothingSliderSlot;
    }
    if (state->found[flag]) continue;

    int at = find_tag(line, length, e->tag);
    const char* tag = e->tag;
    if (e->old_tag != nullptr) {
      const int old_at = find_tag(line, length, e->old_tag);
      if (old_at >= 0 && (at < 0 || old_at < at)) {
        at = old_at;
        tag = e->old_tag;
      }
    }
    if (at < 0) continue;
    state->found[flag] = true;
    state->unreadable[flag] = !read_element(*e, line + at + std::strlen(tag), end, state);
  }
}

}  // namespace

bool declares_settings_namespace(const char* line, int length) {
  return find_tag(line, length, "xmlns:lftm=") >= 0;
}

void finish_settings_read(SettingsReadState* state) {
  if (!state->found[kGammaSlot] && state->requested != -1) state->slots[kGammaSlot] = 50.0f;
}

int32_t method_code_of(const char* text, const char* end) {
  int32_t code = 0;
  return lookup_word(text, end, kMethodNames, &code) ? code : 0;
}

LineOutcome read_settings_line(const char* line, int length, SettingsReadState* state) {
  const char* end = line + length;
  if (find_tag(line, length, "</rdf:") >= 0) state->last_line = true;

  static constexpr char kVersionTag[] = "<lftm:Version>";
  for (int at = find_tag(line, length, kVersionTag); at >= 0;
       at = find_tag(line, length, kVersionTag, at + 1)) {
    if (scan_version(line + at + sizeof kVersionTag - 1, end, &state->major, &state->minor)) {
      break;
    }
  }
  if (state->major < 3 || (state->major == 3 && state->minor <= 1)) state->legacy = true;

  static constexpr char kMethodTag[] = "<lftm:Method>";
  for (int at = find_tag(line, length, kMethodTag); at >= 0;
       at = find_tag(line, length, kMethodTag, at + 1)) {
    const int32_t code = method_code_of(line + at + sizeof kMethodTag - 1, end);
    if (state->requested == -1) return {true, code};
    if (code != state->requested) return {true, -5};
  }

  read_elements(line, length, state);
  return {};
}

}  // namespace lftm
