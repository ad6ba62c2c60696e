// SPDX-License-Identifier: BSD-3-Clause
#include "settings/stored_settings.h"

#include <string>

#include "settings/settings_line_reader.h"
#include "settings/xmp_format.h"

namespace lftm {

TmParam settings_as_stored(int32_t method, const TmParam& params, const TmParam& base) {
  TmParam stored = base;
  const std::string text = render_settings_xmp(method, params);
  SettingsReadState state;
  state.requested = method;
  state.slots = stored.tmParam;
  // The file reader hands each line over with its LF and the byte behind it; the text's
  // terminating NUL stands in for that byte after the last line.
  bool declared = false;
  size_t start = 0;
  while (start < text.size() && !state.last_line) {
    const size_t lf = text.find('\n', start);
    if (lf == std::string::npos) break;
    const int length = static_cast<int>(lf - start + 2);
    const char* line = text.c_str() + start;
    start = lf + 1;
    if (!declared) {
      declared = declares_settings_namespace(line, length);
      continue;
    }
    if (read_settings_line(line, length, &state).stop) break;
  }
  finish_settings_read(&state);
  return stored;
}

}  // namespace lftm
