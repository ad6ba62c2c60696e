// SPDX-License-Identifier: BSD-3-Clause
#include "run_settings.h"

#include "lftm_host.h"
#include "setting_names.h"

namespace lftm_cli {
namespace {

// Reads the sidecar into `params` through the library's strict reader, which refuses a value
// it cannot read (the Python module reads sidecars the same way). The method is the file's
// unless --method named one.
std::string read_sidecar(const std::string& path, CliOptions* options, TmParam* params) {
  int32_t method = options->methodGiven ? options->method : 0;
  char why[512];
  const int32_t read = lftm_load_settings(path.c_str(), &method, params, why, sizeof why);
  if (read == LFTM_ERR_XMP_METHOD && options->methodGiven) {
    return std::string(why) + "; drop --method to use the file's method";
  }
  if (read < 0) return why;
  if (method != LFTM_METHOD_TEXTURE_BOOSTER && method != LFTM_METHOD_RANGE_SQUEEZER) {
    return path + " holds " + lftm_settings_method_name(method) +
           " settings, not Texture Booster or Range Squeezer ones";
  }
  options->method = method;
  return "";
}

}  // namespace

std::string build_settings(CliOptions* options, TmParam* params,
                           std::vector<std::string>* notes) {
  const std::string& sidecar = options->settingsIn;
  if (sidecar.empty()) {
    tmparam_default(options->method, 0, params);
  } else {
    std::string problem = read_sidecar(sidecar, options, params);
    if (problem.empty()) problem = fit_settings(options->method, sidecar + ": ", params, notes);
    if (!problem.empty()) return problem;
  }
  for (const auto& setting : options->settings) {
    std::string problem = apply_setting(options->method, setting.first, setting.second, params);
    if (!problem.empty()) return problem;
  }
  return fit_settings(options->method, "", params, notes);
}

}  // namespace lftm_cli
