// The two file-to-file drivers behind the exported tonemap and tms, with the sibling library
// names as a parameter so that tests can make libraries go missing.
#ifndef LFTM_FRAME_DRIVERS_H_
#define LFTM_FRAME_DRIVERS_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "frame/driver_prologue.h"
#include "lftm.h"

namespace lftm {

int32_t run_tonemap(const DriverCall& call, const SiblingNames& names);
int32_t run_tms(const DriverCall& call, const SiblingNames& names);

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVERS_H_
