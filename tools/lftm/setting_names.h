// Tone-mapping settings by the names of the settings sidecar ("Strength", "Gamma", ...), as
// the command line accepts them.
#ifndef LFTM_TOOLS_SETTING_NAMES_H_
#define LFTM_TOOLS_SETTING_NAMES_H_

#include <cstdint>
#include <string>

#include "lftm.h"

namespace lftm_cli {

// Sets the setting `name` (case-insensitive) of `method` from its text. Numbers are read as
// in the sidecar: Gamma is the gamma value (1.0 = neutral), SmoothingMode is Light or Slider,
// Smoothing a preset word (Very High .. Very Low, which selects Light) or a number (which
// selects Slider), 360DegreeImage Yes or No. Returns "" or what is wrong.
std::string apply_setting(int32_t method, const std::string& name, const std::string& value,
                          TmParam* params);

// The names a method accepts, separated by ", ", for help and error texts.
std::string setting_names(int32_t method);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_SETTING_NAMES_H_
