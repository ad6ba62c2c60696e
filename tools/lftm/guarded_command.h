// SPDX-License-Identifier: BSD-3-Clause
// Runs a command so that whatever escapes it ends the program with a sentence and the
// failure status instead of an abort; shared by lftm and lftm-tune.
#ifndef LFTM_TOOLS_GUARDED_COMMAND_H_
#define LFTM_TOOLS_GUARDED_COMMAND_H_

#include <string>
#include <vector>

namespace lftm_cli {

using Command = int (*)(const std::vector<std::string>& args);

// The command's exit status, or kExitFailed after telling what escaped it.
int run_guarded(Command command, const std::vector<std::string>& args);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_GUARDED_COMMAND_H_
