// lftm: tone maps high-dynamic-range photographs from the command line.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "commands.h"
#include "signal_cleanup.h"

namespace {

int run_command(const std::vector<std::string>& args) {
  const std::string command = args.front();
  if (command == "info") return lftm_cli::run_info({args.begin() + 1, args.end()});
  if (command == "preview") return lftm_cli::run_preview({args.begin() + 1, args.end()});
#ifdef LFTM_HAVE_TUNE
  if (command == "tune") return lftm_cli::run_tune({args.begin() + 1, args.end()});
#endif
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
  // The commands report their failures themselves; whatever still escapes (memory above all)
  // ends the program with a sentence and the failure status instead of an abort.
  try {
    return run_command(args);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "lftm: there is not enough memory for this image: close other "
                         "programs, use --disk, or use a smaller image\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lftm: stopped by an unexpected error: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "lftm: stopped by an unexpected error\n");
  }
  return lftm_cli::kExitFailed;
}
