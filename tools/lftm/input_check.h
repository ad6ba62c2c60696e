// SPDX-License-Identifier: BSD-3-Clause
// Looks at an input file before any reader does, so that the common reasons it cannot be
// read (missing, unreadable, a folder, empty, another kind of file, a Radiance header the
// reader refuses, a header that promises more pixels than the file holds) each get their
// own sentence, and no buffer is allocated for a size the file cannot hold. The library
// measures (lftm_diagnose_input); this puts its findings into the tool's words.
#ifndef LFTM_TOOLS_INPUT_CHECK_H_
#define LFTM_TOOLS_INPUT_CHECK_H_

#include <cstdint>
#include <string>

#include "input_format.h"

namespace lftm_cli {

struct InputCheck {
  int32_t code = 0;            // 0, a cause (messages.h, LFTM_ERR_INPUT_*) or a library code
  InputFormat format = InputFormat::kUnknown;
  std::string detail;          // what was measured, for the message; may be empty
};

InputCheck check_input(const std::string& path);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_INPUT_CHECK_H_
