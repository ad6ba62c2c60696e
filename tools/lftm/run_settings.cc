#include "run_settings.h"

#include <cmath>
#include <cstdio>

#include "setting_names.h"
#include "settings/xmp_reader.h"

namespace lftm_cli {
namespace {

// The text a sidecar holds behind the element `name` (up to the next '<' or line end), or
// "" when it cannot be found; for messages only.
std::string element_text(const std::string& path, const std::string& name) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "";
  std::string text;
  char buffer[4096];
  size_t got;
  while (text.size() < (1u << 20) && (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text.append(buffer, got);
  }
  std::fclose(file);
  const std::string tag = "<lftm:" + name + ">";
  size_t at = text.find(tag);
  if (at == std::string::npos) return "";
  at += tag.size();
  return text.substr(at, text.find_first_of("<\n", at) - at);
}

// Reads the sidecar onto `params`. The reader keeps a slot as it was when the element's
// value is no number or known word; here that is an error, not a silent default.
std::string read_sidecar(const std::string& path, int32_t method, TmParam* params) {
  lftm::SidecarReadReport report;
  const int32_t read = lftm::read_settings_file(path.c_str(), method, params, &report);
  if (read == LFTM_ERR_XMP_METHOD) {
    return path + " holds the settings of another method; drop --method or pick the file's "
                  "method";
  }
  if (read < 0) return "cannot read the settings file " + path;
  // NaN or infinity (a gamma of 0 or less among them) is as unusable as a word.
  for (int slot = 0; slot < lftm::kSettingsSlots; ++slot) {
    const char* name = setting_name_at(method, slot);
    if (name == nullptr || !report.found[slot]) continue;
    if (!report.unreadable[slot] && std::isfinite(params->tmParam[slot])) continue;
    const std::string text = element_text(path, name);
    TmParam scratch = *params;
    std::string why = apply_setting(method, name, text, &scratch);
    if (why.empty()) why = "the value \"" + text + "\" of " + name + " cannot be read";
    return path + ": " + why;
  }
  return "";
}

}  // namespace

std::string build_settings(CliOptions* options, TmParam* params,
                           std::vector<std::string>* notes) {
  const std::string& sidecar = options->settingsIn;
  if (!sidecar.empty()) {
    const int32_t fileMethod = parse_xmp(sidecar.c_str(), lftm::kMethodQuery, nullptr);
    if (fileMethod == LFTM_ERR_FILE) return "cannot open the settings file " + sidecar;
    if (fileMethod == LFTM_ERR_XMP_NO_NAMESPACE) return sidecar + " is not a settings file";
    if (fileMethod < 0) return "cannot read the settings file " + sidecar;
    if (!options->methodGiven && (fileMethod == LFTM_METHOD_TEXTURE_BOOSTER ||
                                  fileMethod == LFTM_METHOD_RANGE_SQUEEZER)) {
      options->method = fileMethod;
    }
  }
  tmparam_default(options->method, 0, params);
  if (!sidecar.empty()) {
    std::string problem = read_sidecar(sidecar, options->method, params);
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
