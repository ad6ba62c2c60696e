// lftm: tone maps high-dynamic-range photographs from the command line.
#include <string>
#include <vector>

#include "commands.h"
#include "signal_cleanup.h"

int main(int argc, char** argv) {
  lftm_cli::install_signal_cleanup();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    lftm_cli::print_usage(stderr);
    return lftm_cli::kExitUsage;
  }
  const std::string command = args.front();
  if (command == "info") return lftm_cli::run_info({args.begin() + 1, args.end()});
  if (command == "preview") return lftm_cli::run_preview({args.begin() + 1, args.end()});
  if (command == "help") {
    lftm_cli::print_usage(stdout);
    return lftm_cli::kExitOk;
  }
  return lftm_cli::run_convert(args);
}
