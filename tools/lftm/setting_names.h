// SPDX-License-Identifier: BSD-3-Clause
// Tone-mapping settings by the names of the settings sidecar ("Strength", "Gamma", ...), as
// the command line accepts them, with the range each takes.
#ifndef LFTM_TOOLS_SETTING_NAMES_H_
#define LFTM_TOOLS_SETTING_NAMES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "lftm.h"
#include "lftm_host.h"

namespace lftm_cli {

// Sets the setting `name` (case-insensitive) of `method` from its text. Numbers are read as
// in the sidecar: Gamma is the gamma value (1.0 = neutral), SmoothingMode is Light or Slider,
// Smoothing a preset word (Very High .. Very Low, which selects Light) or a number (which
// selects Slider), 360DegreeImage Yes or No. Text that is no number (or NaN, infinity, a
// gamma of 0 or less) is refused; numbers outside the range are left to fit_settings.
// Returns "" or what is wrong.
std::string apply_setting(int32_t method, const std::string& name, const std::string& value,
                          TmParam* params);

// Brings every setting of `method` into its range and to the precision the settings sidecar
// keeps (one decimal, six for the clips, the gamma as a one-decimal gamma value), so that
// the block renders exactly as the sidecar saved from it does. Each change adds a note that
// starts with `where` ("" or "look.xmp: "). Returns "" or why a value cannot be used at all
// (NaN or infinity).
std::string fit_settings(int32_t method, const std::string& where, TmParam* params,
                         std::vector<std::string>* notes);

// The names a method accepts with their ranges ("Strength 0..100, ..."), for help texts.
std::string setting_ranges(int32_t method);

// The names a method accepts, separated by ", ", for error texts.
std::string setting_names(int32_t method);

// The description of a setting (lftm_setting_describe); an index that is none gives an empty
// record.
lftm_setting_info setting_info(int32_t method, int32_t index);

// The shortest text that reads back as the same float ("55.55", not "55.549999"), whatever
// the locale.
std::string shortest_number(float value);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_SETTING_NAMES_H_
