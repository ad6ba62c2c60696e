// SPDX-License-Identifier: BSD-3-Clause
// The two classic file-to-file drivers behind the exported tonemap and tms: each checks its
// call and hands the one run a request; the sibling library names are a parameter so that
// tests can make libraries go missing.
#ifndef LFTM_FRAME_DRIVERS_H_
#define LFTM_FRAME_DRIVERS_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "lftm.h"
#include "run/run_request.h"

namespace lftm {

// The arguments of one classic driver call.
struct DriverCall {
  int32_t extType;
  ImageDesc* desc;
  const TmParam* params;
  const SaveOptions* save;
  WriterArgs writer;
  const TmFiles* files;
  const char* outFile;
};

// Checks what both drivers need before anything is printed or loaded: the records and paths
// present and an output depth of 8 or 16. Returns 0 or LFTM_ERR_FILE.
int32_t check_call(const DriverCall& call);

// The request of a checked call: files->inFile read into outFile (the writer its name gives),
// the caller's records, threads and disk mode, and the default memory budget.
RunRequest classic_request(const DriverCall& call, int32_t method);

int32_t run_tonemap(const DriverCall& call, const SiblingNames& names);
int32_t run_tms(const DriverCall& call, const SiblingNames& names);

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVERS_H_
