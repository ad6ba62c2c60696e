// SPDX-License-Identifier: BSD-3-Clause
// One setting of a TmParam block as users see it: a number (the gamma value for Gamma) or a
// word, read from text and fitted into its range exactly as the sidecar writer, the sidecar
// reader and every front end take it. The public settings functions are thin shims on this.
#ifndef LFTM_SETTINGS_SETTING_TEXT_H_
#define LFTM_SETTINGS_SETTING_TEXT_H_

#include <string>

#include "settings/settings_table.h"

namespace lftm {

// The slot that holds a setting's number: Smoothing's is the slider, every other the
// setting's own slot.
int number_slot(const Setting& setting);

// Whether the block holds the setting as a number now (Smoothing only in the Slider mode),
// and if so the number as the sidecar writes it: the gamma value for Gamma, the slot itself
// otherwise.
bool setting_number(const Setting& setting, const float* slots, float* number);

// The word the sidecar writes for a setting held as a word: the mode, the smoothing preset
// (brought into 0..4) or Yes/No. Only for settings setting_number says are no number now.
const char* setting_word(const Setting& setting, const float* slots);

// The choice words of a setting and their count: none for numbers.
int choice_words(const Setting& setting, const char* const** words);

// Stores a number given as the user sees it (the gamma value for Gamma); Smoothing's number
// selects the Slider mode.
void store_setting_number(const Setting& setting, float number, float* slots);

// How fitting a value went.
enum class FitResult { kKept, kChanged, kUnusable };

// Whether to bring a number into the setting's range, and to the precision the sidecar
// keeps (one decimal, six for the clips, the gamma as a one-decimal gamma value).
struct FitRules {
  bool into_range = false;
  bool as_stored = false;
};

// Reads `text` as the setting's value into the block: a locale-independent number that is
// all of the text and finite (a gamma above 0), or one of the setting's words in any case
// ("1" and "0" stand for Yes and No too). kUnusable leaves the block untouched; kChanged
// says the number was brought into the range.
FitResult parse_setting(const Setting& setting, const std::string& text, FitRules rules,
                        float* slots);

// Fits the number the block holds now; kUnusable (nothing changed) for NaN or infinity.
// Words are kept as they are.
FitResult fit_setting(const Setting& setting, FitRules rules, float* slots);

// Whether two names are equal, ignoring the case of ASCII letters whatever the locale.
bool same_name_any_case(const char* a, const char* b);

}  // namespace lftm

#endif  // LFTM_SETTINGS_SETTING_TEXT_H_
