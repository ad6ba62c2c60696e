// SPDX-License-Identifier: BSD-3-Clause
// lftm: tone maps high-dynamic-range photographs from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "guarded_command.h"
#include "signal_cleanup.h"

namespace {

int run_command(const std::vector<std::string>& args) {
  const std::string command = args.front();
  if (command == "info") return lftm_cli::run_info({args.begin() + 1, args.end()});
  if (command == "preview") return lftm_cli::run_preview({args.begin() + 1, args.end()});
  if (command == "merge") return lftm_cli::run_merge({args.begin() + 1, args.end()});
  if (command == "tune") return lftm_cli::exec_tune({args.begin() + 1, args.end()});
  if (command == "help") {
    lftm_cli::print_usage(stdout);
    return lftm_cli::kExitOk;
  }
  return lftm_cli::run_convert(args);
}

}  // namespace

int main(int argc, char** argv) {
  lftm_cli::install_signal_cleanup();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    lftm_cli::print_usage(stderr);
    return lftm_cli::kExitUsage;
  }
  return lftm_cli::run_guarded(run_command, args);
}
