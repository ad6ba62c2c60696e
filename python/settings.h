// SPDX-License-Identifier: BSD-3-Clause
// Tone-mapping settings by their sidecar names, checked against the library's settings table
// (the public settings functions of lftm_host.h) and kept as precisely as a settings sidecar
// stores them, so that a block rendered here, the sidecar saved from it and the command-line
// tool given the same values all agree.
#ifndef LFTM_PYTHON_SETTINGS_H_
#define LFTM_PYTHON_SETTINGS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "lftm.h"

namespace lftm_py {

// The method a name chooses: "booster" or "squeezer" (LFTM_METHOD_*), or 0 for any other.
int32_t method_of_name(const std::string& name);
const char* name_of_method(int32_t method);

// A setting's value as a host gives or reads it: a number, or a word (SmoothingMode,
// Smoothing under the Light mode, 360DegreeImage).
struct SettingValue {
  bool is_text = false;
  double number = 0;
  std::string text;
};

// Why a value was refused: the wrong kind (a word for a number) or a number out of range.
enum class Refusal { kNone, kWrongKind, kOutOfRange };

struct SetResult {
  Refusal refusal = Refusal::kNone;
  std::string message;
};

// The settings of one method: the slots of its block that the sidecar holds.
class MethodBlock {
 public:
  explicit MethodBlock(int32_t method);

  int32_t method() const { return method_; }

  // The index of the setting called exactly `name`, or -1.
  int32_t find(const std::string& name) const;
  // Every name, in the order the tool lists them (by index).
  std::vector<std::string> names() const;

  SettingValue get(int32_t index) const;
  // Checks `value` and stores it as a sidecar would keep it; nothing changes when refused.
  SetResult set(int32_t index, const SettingValue& value);

  // Replaces the settings by those of a block read from a sidecar. Numbers outside their
  // range are brought into it, as the command-line tool does; each such change adds a note.
  // Returns "" or why the block cannot be used (a value that is no finite number).
  std::string take_read_block(const TmParam& read, std::vector<std::string>* notes);

  // The block to render or save: the method's defaults with every setting as stored.
  TmParam block() const;

 private:
  // Whether the block holds setting `index` as a number now (else as a word).
  bool holds_number(int32_t index) const;

  int32_t method_;
  TmParam slots_;
};

// The shortest text that reads back as the same float ("55.55", not "55.549999").
std::string shortest_text(float value);

}  // namespace lftm_py

#endif  // LFTM_PYTHON_SETTINGS_H_
