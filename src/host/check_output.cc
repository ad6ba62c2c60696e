// SPDX-License-Identifier: BSD-3-Clause
// lftm_check_output: whether an image may be written at a name, by what stands there now.
#include "lftm_host.h"
#include "platform/staged_output.h"

extern "C" int32_t lftm_check_output(const char* path, const char* software,
                                     int32_t overwrite) {
  if (path == nullptr) return LFTM_ERR_ARGUMENT;
  switch (lftm::output_state(path, software)) {
    case lftm::OutputState::kAbsent: return 0;
    case lftm::OutputState::kOwnOutput: return 1;
    case lftm::OutputState::kForeign: return overwrite != 0 ? 1 : LFTM_ERR_OUTPUT_EXISTS;
    case lftm::OutputState::kNotFile: return LFTM_ERR_OUTPUT_NOT_FILE;
    case lftm::OutputState::kReadOnly: return LFTM_ERR_OUTPUT_READ_ONLY;
  }
  return LFTM_ERR_ARGUMENT;
}
