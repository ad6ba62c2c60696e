// SPDX-License-Identifier: BSD-3-Clause
// The start of the fuzz targets that drive the library: its diagnostic lines go nowhere (the
// targets would spend their time printing).
#include "platform/diag.h"

namespace {

void drop_line(lftm::DiagStream, const char*, void*) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  lftm::set_diag_sink(drop_line, nullptr);
  return 0;
}
