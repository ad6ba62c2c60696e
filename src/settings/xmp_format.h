// SPDX-License-Identifier: BSD-3-Clause
// The settings sidecar: a small XMP text file that holds one TmParam block and the method it
// belongs to. write_xmp stores the text made here; the drivers embed the same text in the
// images they write.
#ifndef LFTM_SETTINGS_XMP_FORMAT_H_
#define LFTM_SETTINGS_XMP_FORMAT_H_

#include <cstdint>
#include <string>

#include "lftm.h"

namespace lftm {

// The namespace of the settings elements (prefix "lftm"). The host name lies under the
// reserved ".invalid" domain, so the URI names this format and cannot clash with anyone
// else's resource. Readers find the settings by the prefix, never by the URI.
inline constexpr char kSettingsNamespaceUri[] = "http://ns.lftm.invalid/tone_mapping_settings";

// The version every written file declares.
inline constexpr char kSettingsVersion[] = "3.2";

// Method codes a sidecar can be written for: 1 to 11. Codes 3 to 9 give a file with no method
// and no settings.
bool is_sidecar_method(int32_t method);

// The complete sidecar text for `method` and `params`, every line ended by LF. Slot values
// are not checked; numbers are written with a period whatever the locale. Empty when
// `method` is not a sidecar method.
std::string render_settings_xmp(int32_t method, const TmParam& params);

// Whether every number the sidecar of `method` would hold is finite. Text with "nan" or
// "inf" in it would read back as a block no method can render.
bool settings_are_finite(int32_t method, const TmParam& params);

// The method name written for `method`, or nullptr when the file carries none.
const char* sidecar_method_name(int32_t method);

}  // namespace lftm

#endif  // LFTM_SETTINGS_XMP_FORMAT_H_
