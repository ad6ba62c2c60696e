// SPDX-License-Identifier: BSD-3-Clause
// The tool's subcommands. Each takes the arguments after its name and returns the process
// exit status: 0 success, 1 a file could not be processed, 2 a usage error.
#ifndef LFTM_TOOLS_COMMANDS_H_
#define LFTM_TOOLS_COMMANDS_H_

#include <cstdio>
#include <string>
#include <vector>

namespace lftm_cli {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int run_convert(const std::vector<std::string>& args);
int run_info(const std::vector<std::string>& args);
int run_preview(const std::vector<std::string>& args);
// lftm merge: the HDR image from bracketed exposures (merge_command.cc).
int run_merge(const std::vector<std::string>& args);
// The browser tuner, the program lftm-tune (built when the HTTP server library is available).
int run_tune(const std::vector<std::string>& args);
// lftm's tune command: replaces the process by the lftm-tune beside it, or says why it cannot.
int exec_tune(const std::vector<std::string>& args);

void print_usage(std::FILE* out);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_COMMANDS_H_
