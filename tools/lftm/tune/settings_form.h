// SPDX-License-Identifier: BSD-3-Clause
// The settings as the tuner's page sees them: a JSON description of the method's controls
// (name, kind, value, range) and, coming back, form fields named after the sidecar elements,
// read with the command line's rules so that a page, a sidecar and an option agree.
#ifndef LFTM_TOOLS_TUNE_SETTINGS_FORM_H_
#define LFTM_TOOLS_TUNE_SETTINGS_FORM_H_

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "lftm.h"

namespace lftm_tune {

using FormFields = std::map<std::string, std::string>;

// {"method": "...", "methods": [...], "settings": [{"name", "label", "unit", "help", "group",
// "kind" ("number" or "choice"), "value", "default", and "low", "high", "decimals" or
// "choices"}, ...]}. Numbers are written with the fewest digits that read back as the same
// float.
std::string settings_json(int32_t method, const TmParam& params);

// Reads a method ("method": its name or code) and its settings from `form`, on top of the
// method's defaults, then fits them as --settings does. Fields other than "method" must be
// settings of the method. Returns "" or what is wrong (then nothing is written).
std::string settings_from_form(const FormFields& form, int32_t* method, TmParam* params,
                               std::vector<std::string>* notes);

// The method of a name ("Texture Booster", "Range Squeezer") or code ("1", "2"); 0 if none.
int32_t method_of(const std::string& name);

// A JSON string literal of `text`.
std::string json_string(const std::string& text);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_SETTINGS_FORM_H_
