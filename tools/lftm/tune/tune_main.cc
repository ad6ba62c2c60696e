// SPDX-License-Identifier: BSD-3-Clause
// lftm-tune: the browser tuner, the program that `lftm tune` becomes. It is separate so that
// only it links the HTTP server library; it takes the arguments that follow `lftm tune`.
#include <string>
#include <vector>

#include "commands.h"
#include "guarded_command.h"
#include "signal_cleanup.h"

int main(int argc, char** argv) {
  lftm_cli::install_signal_cleanup();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return lftm_cli::run_guarded(lftm_cli::run_tune, args);
}
