// SPDX-License-Identifier: BSD-3-Clause
// lftm_check_input: why a file cannot be read as an input, before any reader tries it.
#include "lftm_host.h"
#include "platform/input_file.h"

extern "C" int32_t lftm_check_input(const char* path) {
  if (path == nullptr) return LFTM_ERR_ARGUMENT;
  return lftm::check_input_file(path);
}
