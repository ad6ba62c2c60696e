// SPDX-License-Identifier: BSD-3-Clause
#include "guarded_command.h"

#include <cstdio>
#include <exception>
#include <new>

#include "commands.h"

namespace lftm_cli {

int run_guarded(Command command, const std::vector<std::string>& args) {
  // The commands report their failures themselves; what still escapes is memory above all.
  try {
    return command(args);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "lftm: there is not enough memory for this image: close other "
                         "programs, use --disk, or use a smaller image\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "lftm: stopped by an unexpected error: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "lftm: stopped by an unexpected error\n");
  }
  return kExitFailed;
}

}  // namespace lftm_cli
