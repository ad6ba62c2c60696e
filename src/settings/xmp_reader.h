// SPDX-License-Identifier: BSD-3-Clause
// The settings reader behind parse_xmp and lftm_load_settings: the latter also needs to know
// which elements of a file held values it could not read (it refuses them instead of
// silently keeping the defaults) and reads without printing.
#ifndef LFTM_SETTINGS_XMP_READER_H_
#define LFTM_SETTINGS_XMP_READER_H_

#include <cstdint>

#include "lftm.h"
#include "settings/settings_line_reader.h"

namespace lftm {

// Which slots the file named, and which of those held no number or known word.
struct SidecarReadReport {
  bool found[kSettingsSlots] = {};
  bool unreadable[kSettingsSlots] = {};
  bool method_element = false;  // a query met a method element (its code is the result)
};

// How a read ends when it succeeds.
enum class ReadAnnouncement { kSilent, kPrintLine };

// parse_xmp with a report; `report` may be null. kPrintLine prints the line parse_xmp prints
// when its scan ends normally.
int32_t read_settings_file(const char* path, int32_t method, TmParam* tmParam,
                           SidecarReadReport* report, ReadAnnouncement announce);

}  // namespace lftm

#endif  // LFTM_SETTINGS_XMP_READER_H_
