// SPDX-License-Identifier: BSD-3-Clause
// The folder of the running program, where its companion programs are installed.
#ifndef LFTM_TOOLS_PROGRAM_FOLDER_H_
#define LFTM_TOOLS_PROGRAM_FOLDER_H_

#include <string>

namespace lftm_cli {

// The folder holding the executable of this process (from /proc/self/exe, so neither PATH
// nor the name it was started by matter), or "" when the system does not tell it.
std::string program_folder();

// The path of the program `name` in that folder, or "" when the folder is unknown.
std::string companion_program(const std::string& name);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_PROGRAM_FOLDER_H_
