// SPDX-License-Identifier: BSD-3-Clause
// Options a subcommand does not use: the shared option parser takes every option of the
// tone-mapping command, so info and preview look for the ones they would silently ignore.
#ifndef LFTM_TOOLS_FOREIGN_OPTION_H_
#define LFTM_TOOLS_FOREIGN_OPTION_H_

#include <string>
#include <vector>

namespace lftm_cli {

// The first option of `args` that is neither in `flags` (no value) nor in `valued` (one
// value, "--name value" or "--name=value", skipped); "" when there is none. Arguments after
// "--" are file names.
std::string first_foreign_option(const std::vector<std::string>& args,
                                 const std::vector<std::string>& flags,
                                 const std::vector<std::string>& valued);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_FOREIGN_OPTION_H_
