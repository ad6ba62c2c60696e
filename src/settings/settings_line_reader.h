// SPDX-License-Identifier: BSD-3-Clause
// What the sidecar reader takes from one line of a settings file: the end marker, the
// format version, the method, and the elements of the requested method. It looks for known
// start tags anywhere in the line and reads the number or word behind each, so files of
// older format versions (integer values, word values for micro-contrast, the element name
// NoiseSmoothing) are read as well.
#ifndef LFTM_SETTINGS_SETTINGS_LINE_READER_H_
#define LFTM_SETTINGS_SETTINGS_LINE_READER_H_

#include <cstdint>

#include "settings/settings_table.h"

namespace lftm {

// The method code that asks only which method a file holds.
constexpr int32_t kMethodQuery = -1;

struct SettingsReadState {
  int32_t requested = 0;       // method code asked for, or kMethodQuery
  float* slots = nullptr;      // the 20 slots being filled
  bool found[kSettingsSlots] = {};  // an element already met for this slot
  bool unreadable[kSettingsSlots] = {};  // met, but its value was no number or known word
  int32_t major = 0;           // format version seen so far
  int32_t minor = 0;
  bool legacy = false;         // a version before 3.2: integer values for most elements
  bool last_line = false;      // the line held the end of the settings
};

struct LineOutcome {
  bool stop = false;   // the scan ends here with `result`
  int32_t result = 0;
};

// Whether the namespace declaration of the settings prefix starts in the first `length`
// bytes of `line` (with room behind it).
bool declares_settings_namespace(const char* line, int length);

// Reads one line of `length` bytes after the namespace declaration.
LineOutcome read_settings_line(const char* line, int length, SettingsReadState* state);

// Ends a read: a file without gamma means the neutral slider (for every requested method).
void finish_settings_read(SettingsReadState* state);

// The method code a method name stands for (0 when unknown); `text` runs to `end`.
int32_t method_code_of(const char* text, const char* end);

}  // namespace lftm

#endif  // LFTM_SETTINGS_SETTINGS_LINE_READER_H_
