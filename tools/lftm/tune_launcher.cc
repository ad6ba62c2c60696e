// SPDX-License-Identifier: BSD-3-Clause
// lftm tune: the browser tuner is the separate program lftm-tune beside lftm, so that only it
// maps the HTTP server library and what that library pulls in (TLS, compression); every other
// run of lftm stays as small as it was. The exec keeps the process, its arguments, streams and
// exit status, and the tuner installs its own signal handling.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "program_folder.h"

namespace lftm_cli {

int exec_tune(const std::vector<std::string>& args) {
  std::vector<std::string> all = {companion_program("lftm-tune")};
  if (all[0].empty()) {
    std::fprintf(stderr, "lftm tune: cannot find the folder of lftm to start lftm-tune\n");
    return kExitFailed;
  }
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  std::fflush(nullptr);
  execv(argv[0], argv.data());
  if (errno == ENOENT) {
    std::fprintf(stderr,
                 "lftm tune: this lftm has no browser tuner: lftm-tune is not in %s (it is "
                 "built when libcpp-httplib-dev is installed)\n",
                 program_folder().c_str());
  } else {
    std::fprintf(stderr, "lftm tune: cannot start %s: %s\n", argv[0], std::strerror(errno));
  }
  return kExitFailed;
}

}  // namespace lftm_cli
