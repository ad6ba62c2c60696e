// SPDX-License-Identifier: BSD-3-Clause
#include "foreign_option.h"

#include <algorithm>

namespace lftm_cli {
namespace {

bool listed(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

std::string first_foreign_option(const std::vector<std::string>& args,
                                 const std::vector<std::string>& flags,
                                 const std::vector<std::string>& valued) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") break;
    if (arg.size() < 2 || arg[0] != '-') continue;
    size_t eq = arg.compare(0, 2, "--") == 0 ? arg.find('=') : std::string::npos;
    std::string name = arg.substr(0, eq);
    if (listed(valued, name)) {
      if (eq == std::string::npos) ++i;
    } else if (!listed(flags, name) || eq != std::string::npos) {
      return name;
    }
  }
  return "";
}

}  // namespace lftm_cli
