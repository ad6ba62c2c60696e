// SPDX-License-Identifier: BSD-3-Clause
// The settings block of a tone-mapping run: the method's defaults, then the sidecar given
// with --settings, then the settings named on the command line, each checked and fitted to
// its range and to the precision of the settings sidecar.
#ifndef LFTM_TOOLS_RUN_SETTINGS_H_
#define LFTM_TOOLS_RUN_SETTINGS_H_

#include <string>
#include <vector>

#include "lftm.h"
#include "options.h"

namespace lftm_cli {

// Fills `params` (and the method in `options`, when the sidecar names one and --method did
// not). Values that had to change are told in `notes`. Returns "" or what is wrong.
std::string build_settings(CliOptions* options, TmParam* params,
                           std::vector<std::string>* notes);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_RUN_SETTINGS_H_
