// SPDX-License-Identifier: BSD-3-Clause
// lftm_remove_temporaries: the signal path of a host that ends the process.
#include "lftm_host.h"
#include "platform/live_files.h"

extern "C" int32_t lftm_remove_temporaries(void) { return lftm::live_files_unlink_all(); }
