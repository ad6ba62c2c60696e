// SPDX-License-Identifier: BSD-3-Clause
// parse_xmp: restores a TmParam block from a settings sidecar, or tells which method a
// sidecar holds.
#include <cstdint>
#include <limits>

#include "lftm.h"
#include "platform/diag.h"
#include "settings/settings_line_reader.h"
#include "settings/sidecar_lines.h"
#include "settings/xmp_reader.h"

namespace {

int32_t finish(lftm::SidecarLines* lines, int32_t result) {
  lftm::close_sidecar(lines);
  return result;
}

// Phase 1: every line up to and including the namespace declaration. Settings on those
// lines are not read. Returns 0 once the declaration was found, else the error code.
int32_t find_namespace(lftm::SidecarLines* lines) {
  for (;;) {
    switch (lftm::next_sidecar_line(lines, lftm::LineLimit::kNamespaceSearch)) {
      case lftm::LineResult::kLine:
        break;
      case lftm::LineResult::kEnd:
        return LFTM_ERR_XMP_NO_NAMESPACE;
      case lftm::LineResult::kReadError:
        return LFTM_ERR_IO;
      case lftm::LineResult::kSeekError:
        return LFTM_ERR_FILE;
    }
    const bool declared = lftm::declares_settings_namespace(lines->line, lines->length);
    if (lftm::finish_sidecar_line(lines) != lftm::LineResult::kLine) return LFTM_ERR_FILE;
    if (declared) return 0;
  }
}

}  // namespace

namespace lftm {

int32_t read_settings_file(const char* path, int32_t method, TmParam* tmParam,
                           SidecarReadReport* report, ReadAnnouncement announce) {
  // A query stores nothing, so it reads into a copy; a query may also pass no block at all.
  TmParam copy{};
  if (tmParam != nullptr) copy = *tmParam;
  float* slots = (method == lftm::kMethodQuery || tmParam == nullptr) ? copy.tmParam : tmParam->tmParam;

  lftm::SidecarLines lines;
  if (!lftm::open_sidecar(path, &lines)) return LFTM_ERR_FILE;
  if (const int32_t error = find_namespace(&lines)) return finish(&lines, error);

  lftm::SettingsReadState state;
  state.requested = method;
  state.slots = slots;
  while (!state.last_line && lines.counted < lines.last_index) {
    const lftm::LineResult got = lftm::next_sidecar_line(&lines, lftm::LineLimit::kSettings);
    if (got == lftm::LineResult::kEnd) break;
    if (got == lftm::LineResult::kReadError) return finish(&lines, LFTM_ERR_IO);
    if (got == lftm::LineResult::kSeekError) return finish(&lines, LFTM_ERR_FILE);
    const lftm::LineOutcome outcome = lftm::read_settings_line(lines.line, lines.length, &state);
    if (outcome.stop) {
      // A query stops only at a method element.
      if (report != nullptr) report->method_element = method == lftm::kMethodQuery;
      return finish(&lines, outcome.result);
    }
    if (lftm::finish_sidecar_line(&lines) != lftm::LineResult::kLine) return finish(&lines, LFTM_ERR_FILE);
  }
  lftm::close_sidecar(&lines);

  lftm::finish_settings_read(&state);
  if (report != nullptr) {
    for (int i = 0; i < kSettingsSlots; ++i) {
      report->found[i] = state.found[i];
      report->unreadable[i] = state.unreadable[i];
    }
  }
  if (announce == ReadAnnouncement::kPrintLine) {
    lftm::diag_out("parse_xmp  fin -  param15: %1.2f    %1.1f %1.1f\n", slots[15], slots[1],
                   slots[2]);
  }
  // The count of bytes scanned; a settings file is small, but the result must stay positive.
  if (lines.counted > std::numeric_limits<int32_t>::max()) {
    return std::numeric_limits<int32_t>::max();
  }
  return static_cast<int32_t>(lines.counted);
}

}  // namespace lftm

extern "C" int32_t parse_xmp(const char* path, int32_t method, TmParam* tmParam) {
  return lftm::read_settings_file(path, method, tmParam, nullptr,
                                  lftm::ReadAnnouncement::kPrintLine);
}
