// SPDX-License-Identifier: BSD-3-Clause
// What a tone-mapping run needs of the machine, as the library estimates it, and whether it
// fits the memory limit (--memory-limit) and the scratch space.
#ifndef LFTM_TOOLS_RUN_ESTIMATE_H_
#define LFTM_TOOLS_RUN_ESTIMATE_H_

#include <cstdint>
#include <string>

#include "lftm_host.h"

namespace lftm_cli {

// "" when the run fits: its memory within the limit the user gave (`givenLimit`), or, with
// none, within the memory available now; in disk mode its scratch files within the free
// space of the scratch folder. Else the sentence that says what it needs, what there is, and
// what to do.
std::string run_fit_problem(const lftm_run_estimate& estimate, bool disk, int64_t givenLimit);

// Reads a byte count such as "4G", "256M", "1.5g", "800k" or "1000000" (binary units).
// Returns false for anything else, zero or a negative size.
bool parse_byte_size(const std::string& text, int64_t* bytes);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_RUN_ESTIMATE_H_
