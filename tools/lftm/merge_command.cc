// lftm merge [options] FRAME... OUTPUT: the HDR image from bracketed exposures, written as
// OpenEXR or Radiance, or tone mapped straight into JPEG or TIFF with the tone-mapping
// options of the main command.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "commands.h"
#include "lftm.h"
#include "lftm_host.h"
#include "options.h"
#include "run_settings.h"

namespace lftm_cli {
namespace {

struct MergeArgs {
  std::vector<double> exposures;
  bool exposuresGiven = false;
  std::string response;  // "", "linear" or a file
  std::string saveResponse;
  bool align = true;
  bool deghost = false;
  std::vector<std::string> rest;  // for the tone-mapping parser
};

// "1/250,0.01,1" -> seconds; false at the first value that is no positive number.
bool parse_exposures(const std::string& text, std::vector<double>* out) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string item = text.substr(start, comma == std::string::npos ? comma : comma - start);
    const size_t slash = item.find('/');
    char* end = nullptr;
    double value = std::strtod(item.c_str(), &end);
    if (slash != std::string::npos && end == item.c_str() + slash) {
      const char* denominator = item.c_str() + slash + 1;
      value /= std::strtod(denominator, &end);
    }
    if (item.empty() || *end != '\0' || !(value > 0)) return false;
    out->push_back(value);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return !out->empty();
}

// Takes the merge's own options out of `args`. Returns "" or what is wrong.
std::string take_merge_options(const std::vector<std::string>& args, MergeArgs* merge) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--no-align") {
      merge->align = false;
      continue;
    }
    if (arg == "--deghost") {
      merge->deghost = true;
      continue;
    }
    const bool own = arg == "--exposures" || arg == "--response" || arg == "--save-response";
    if (!own) {
      merge->rest.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) return arg + " needs a value";
    const std::string value = args[++i];
    if (arg == "--exposures") {
      merge->exposuresGiven = true;
      if (!parse_exposures(value, &merge->exposures)) {
        return "--exposures takes positive times in seconds separated by commas, not '" + value +
               "'";
      }
    } else if (arg == "--response") {
      merge->response = value;
    } else {
      merge->saveResponse = value;
    }
  }
  return "";
}

lftm_options run_options(const CliOptions& cli, const TmParam& params) {
  lftm_options options;
  lftm_options_init(&options, sizeof options, cli.method);
  options.settings = params;
  options.bits = cli.bits;
  options.jpeg_quality = cli.quality;
  options.threads = cli.threads;
  options.disk = cli.disk ? 1 : 0;
  options.save = cli.save;
  options.memory_limit = cli.memoryLimit;
  options.overwrite = cli.overwrite ? 1 : 0;
  return options;
}

// --save-settings: the settings of the tone mapping, once the output is written.
int save_settings(const CliOptions& cli, const TmParam& params) {
  if (cli.settingsOut.empty()) return kExitOk;
  const int32_t saved = lftm_save_settings(cli.settingsOut.c_str(), cli.method, &params, 0);
  if (saved == 0) return kExitOk;
  std::fprintf(stderr, "lftm merge: %s: %s\n", cli.settingsOut.c_str(),
               lftm_strerror(saved, cli.method));
  return kExitFailed;
}

int usage_error(const std::string& problem) {
  std::fprintf(stderr, "lftm merge: %s (lftm help shows the usage)\n", problem.c_str());
  return kExitUsage;
}

}  // namespace

int run_merge(const std::vector<std::string>& args) {
  MergeArgs merge;
  CliOptions cli;
  std::string problem = take_merge_options(args, &merge);
  if (problem.empty()) problem = parse_options(merge.rest, &cli);
  if (problem.empty() && cli.positionals.size() < 3) {
    problem = "give at least two frames and the output";
  }
  if (problem.empty() && (!cli.description.empty() || !cli.artist.empty() ||
                          !cli.copyright.empty() || cli.chroma444 != 0)) {
    problem = "--description, --artist, --copyright and --chroma444 are not taken by merge";
  }
  TmParam params;
  std::vector<std::string> notes;
  if (problem.empty()) problem = build_settings(&cli, &params, &notes);
  if (!problem.empty()) return usage_error(problem);
  for (const std::string& note : notes) std::fprintf(stderr, "lftm merge: %s\n", note.c_str());

  std::vector<const char*> frames;
  for (size_t i = 0; i + 1 < cli.positionals.size(); ++i) {
    frames.push_back(cli.positionals[i].c_str());
  }
  const std::string& output = cli.positionals.back();
  char message[1024] = "";
  lftm_merge_options mo;
  lftm_merge_options_init(&mo, sizeof mo);
  mo.message = message;
  mo.message_size = sizeof message;
  if (merge.exposuresGiven) {
    mo.exposures = merge.exposures.data();
    mo.exposure_count = static_cast<int32_t>(merge.exposures.size());
  }
  if (merge.response == "linear") {
    mo.response = LFTM_RESPONSE_LINEAR;
  } else if (!merge.response.empty()) {
    mo.response = LFTM_RESPONSE_FILE;
    mo.response_path = merge.response.c_str();
  }
  if (!merge.saveResponse.empty()) mo.save_response = merge.saveResponse.c_str();
  mo.align = merge.align ? 1 : 0;
  mo.deghost = merge.deghost ? 1 : 0;
  const lftm_options options = run_options(cli, params);
  const int32_t result = lftm_merge_file(frames.data(), static_cast<int32_t>(frames.size()), &mo,
                                         output.c_str(), &options);
  if (result < 0) {
    std::fprintf(stderr, "lftm merge: %s\n",
                 message[0] != '\0' ? message : lftm_strerror(result, cli.method));
    return kExitFailed;
  }
  if (cli.progress) std::fprintf(stderr, "lftm merge: wrote %s\n", output.c_str());
  return save_settings(cli, params);
}

}  // namespace lftm_cli
