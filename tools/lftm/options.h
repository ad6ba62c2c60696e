// SPDX-License-Identifier: BSD-3-Clause
// Command-line options of the tone-mapping command (lftm [options] INPUT... OUTPUT).
#ifndef LFTM_TOOLS_OPTIONS_H_
#define LFTM_TOOLS_OPTIONS_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "diag_routing.h"
#include "image_source.h"
#include "lftm.h"

namespace lftm_cli {

struct CliOptions {
  int32_t method = LFTM_METHOD_TEXTURE_BOOSTER;
  bool methodGiven = false;
  std::vector<std::pair<std::string, std::string>> settings;  // name, value, in order
  int32_t bits = 8;
  int32_t quality = 90;
  int32_t threads = 0;  // 0: all cores
  bool disk = false;
  bool overwrite = false;  // replace existing outputs that lftm did not write
  int64_t memoryLimit = 0;  // bytes; 0: the default (run_estimate.h)
  std::string settingsIn;
  std::string settingsOut;
  DiagMode diag = DiagMode::kQuiet;
  std::string logPath;
  bool progress = true;
  TiffEncoding tiff = TiffEncoding::kAuto;
  SaveOptions save = {};
  std::string description;
  std::string artist;
  std::string copyright;
  int32_t chroma444 = 0;
  std::string format;  // extension of the outputs written into a folder ("jpg" or "tif")
  bool help = false;
  bool version = false;
  std::vector<std::string> positionals;
};

// Parses the arguments after the program name. Returns "" or what is wrong.
std::string parse_options(const std::vector<std::string>& args, CliOptions* options);

// The number of worker threads for a request (0: every core), at most 32.
int32_t resolve_threads(int32_t requested);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_OPTIONS_H_
