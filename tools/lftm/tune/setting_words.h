// SPDX-License-Identifier: BSD-3-Clause
// The settings in a photographer's words: for each sidecar name a label, the unit or scale of
// its value, a one-line explanation of what moving it does to the picture, and the group the
// page shows it in. The sidecar name itself stays the setting's identity everywhere else.
#ifndef LFTM_TOOLS_TUNE_SETTING_WORDS_H_
#define LFTM_TOOLS_TUNE_SETTING_WORDS_H_

namespace lftm_tune {

struct SettingWords {
  const char* name;   // the sidecar element
  const char* label;  // what the page calls it
  const char* unit;   // the scale of its value ("" for a choice)
  const char* help;   // what moving it does to the picture
  const char* group;  // "tone", "detail", "colour" or "advanced"
};

// The words of the setting `name`, or nullptr when the tuner has none for it.
const SettingWords* setting_words(const char* name);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_SETTING_WORDS_H_
