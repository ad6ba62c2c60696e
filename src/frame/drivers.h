// The two file-to-file drivers behind the exported tonemap and tms, with the sibling library
// names as a parameter so that tests can make libraries go missing.
#ifndef LFTM_FRAME_DRIVERS_H_
#define LFTM_FRAME_DRIVERS_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "lftm.h"

namespace lftm {

// The arguments of one driver call.
struct DriverCall {
  int32_t extType;
  ImageDesc* desc;
  const TmParam* params;
  const SaveOptions* save;
  WriterArgs writer;
  const TmFiles* files;
  const char* outFile;
};

int32_t run_tonemap(const DriverCall& call, const SiblingNames& names);
int32_t run_tms(const DriverCall& call, const SiblingNames& names);

// Checks what both drivers need before anything is printed or loaded: the records and paths
// present and an output depth of 8 or 16. Returns 0 or -1.
int32_t check_call(const DriverCall& call);

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVERS_H_
