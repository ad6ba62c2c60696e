// SPDX-License-Identifier: BSD-3-Clause
#include "settings/settings_line_reader.h"

#include <cstdio>
#include <cstring>

#include "lftm.h"
#include "platform/setting_value.h"
#include "settings/number_text.h"

namespace lftm {
namespace {

struct NamedValue {
  const char* word;
  int32_t value;
};

// Micro-contrast before format 2.5.
constexpr NamedValue kMicrocontrastWords[] = {
    {"High", 0}, {"Medium High", -2}, {"Medium Low", -6},
    {"Medium", -2}, {"Low", -9}, {"Very Low", -10},
};

constexpr NamedValue kYesNo[] = {{"Yes", 1}, {"No", 0}};

// What find_tag gives when the tag is not in the line.
constexpr int kTagNotFound = -1;

// Offset of the first occurrence of `tag` at or after `from` that ends before the last byte
// of the line, or kTagNotFound.
int find_tag(const char* line, int length, const char* tag, int from = 0) {
  const int tag_length = static_cast<int>(std::strlen(tag));
  for (int i = from; i + tag_length < length; ++i) {
    if (std::memcmp(line + i, tag, static_cast<size_t>(tag_length)) == 0) return i;
  }
  return kTagNotFound;
}

// The start tag "<lftm:name>" of an element.
struct StartTag {
  char text[64];
  int length;
};

StartTag start_tag(const char* name) {
  StartTag tag{};
  tag.length = std::snprintf(tag.text, sizeof tag.text, "<lftm:%s>", name);
  return tag;
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

// The index of the first word of `words` that starts the text, or false.
template <size_t N>
bool lookup_index(const char* text, const char* end, const char* const (&words)[N],
                  int32_t* index) {
  for (size_t i = 0; i < N; ++i) {
    if (starts_with(text, end, words[i])) {
      *index = static_cast<int32_t>(i);
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
bool read_element(const Setting& element, const char* text, const char* end,
                  SettingsReadState* state) {
  float* slots = state->slots;
  float* slot = &slots[element.slot];
  int32_t word_value = 0;
  switch (element.form) {
    case SettingForm::kNumber:
      return read_number(text, end, element.integer_when_legacy && state->legacy, slot);
    case SettingForm::kGamma: {
      float gamma = 0.0f;
      if (!read_number(text, end, false, &gamma)) return false;
      *slot = slider_of_gamma(gamma);
      return true;
    }
    case SettingForm::kSmoothingMode:
      if (!lookup_index(text, end, kSmoothingModeWords, &word_value)) return false;
      *slot = static_cast<float>(word_value);
      return true;
    case SettingForm::kSmoothing: {
      const int32_t mode = truncate_setting(slots[kBoosterSmoothingMode]);
      if (mode == 1) return read_number(text, end, false, &slots[kBoosterSmoothingSlider]);
      if (mode != 0) return true;  // no mode this element belongs to: nothing to read
      if (!lookup_index(text, end, kSmoothingPresetWords, &word_value)) return false;
      *slot = static_cast<float>(word_value);
      return true;
    }
    case SettingForm::kMicrocontrast:
      if (state->major > 2 || state->minor > 4) {
        return read_number(text, end, element.integer_when_legacy && state->legacy, slot);
      }
      if (!lookup_word(text, end, kMicrocontrastWords, &word_value)) return false;
      *slot = static_cast<float>(word_value);
      return true;
    case SettingForm::kYesNo:
      // "Yes" sets the flag; "No" leaves the slot as it was.
      if (!lookup_word(text, end, kYesNo, &word_value)) return false;
      if (word_value == 1) *slot = 1.0f;
      return true;
  }
  return false;
}

void read_elements(const char* line, int length, SettingsReadState* state) {
  const char* end = line + length;
  const MethodSettings* method = method_settings(state->requested);
  if (method == nullptr) return;
  for (const Setting* e = method->begin; e != method->end; ++e) {
    if (e->form == SettingForm::kYesNo && state->legacy) continue;
    int flag = e->slot;
    // The smoothing element fills the slider slot in "Slider" mode, the preset otherwise.
    if (e->form == SettingForm::kSmoothing &&
        truncate_setting(state->slots[kBoosterSmoothingMode]) == 1) {
      flag = kBoosterSmoothingSlider;
    }
    if (state->found[flag]) continue;

    StartTag tag = start_tag(e->name);
    int at = find_tag(line, length, tag.text);
    if (e->old_name != nullptr) {
      const StartTag old_tag = start_tag(e->old_name);
      const int old_at = find_tag(line, length, old_tag.text);
      if (old_at != kTagNotFound && (at == kTagNotFound || old_at < at)) {
        at = old_at;
        tag = old_tag;
      }
    }
    if (at == kTagNotFound) continue;
    state->found[flag] = true;
    state->unreadable[flag] = !read_element(*e, line + at + tag.length, end, state);
  }
}

}  // namespace

bool declares_settings_namespace(const char* line, int length) {
  return find_tag(line, length, "xmlns:lftm=") != kTagNotFound;
}

void finish_settings_read(SettingsReadState* state) {
  if (!state->found[kBoosterGamma] && state->requested != kMethodQuery) {
    state->slots[kBoosterGamma] = kNeutralGammaSlider;
  }
}

// Earlier method names are compared first; no name is the start of another, so the order
// decides nothing else.
int32_t method_code_of(const char* text, const char* end) {
  for (const MethodSettings& m : kMethods) {
    if (m.old_name != nullptr && starts_with(text, end, m.old_name)) return m.method;
  }
  for (const MethodSettings& m : kMethods) {
    if (starts_with(text, end, m.name)) return m.method;
  }
  return 0;
}

LineOutcome read_settings_line(const char* line, int length, SettingsReadState* state) {
  const char* end = line + length;
  if (find_tag(line, length, "</rdf:") != kTagNotFound) state->last_line = true;

  static constexpr char kVersionTag[] = "<lftm:Version>";
  for (int at = find_tag(line, length, kVersionTag); at != kTagNotFound;
       at = find_tag(line, length, kVersionTag, at + 1)) {
    if (scan_version(line + at + sizeof kVersionTag - 1, end, &state->major, &state->minor)) {
      break;
    }
  }
  if (state->major < 3 || (state->major == 3 && state->minor <= 1)) state->legacy = true;

  static constexpr char kMethodTag[] = "<lftm:Method>";
  for (int at = find_tag(line, length, kMethodTag); at != kTagNotFound;
       at = find_tag(line, length, kMethodTag, at + 1)) {
    const int32_t code = method_code_of(line + at + sizeof kMethodTag - 1, end);
    if (state->requested == kMethodQuery) return {true, code};
    if (code != state->requested) return {true, LFTM_ERR_XMP_METHOD};
  }

  read_elements(line, length, state);
  return {};
}

}  // namespace lftm
