// SPDX-License-Identifier: BSD-3-Clause
// lftm merge [options] FRAME... OUTPUT: the HDR image from bracketed exposures, written as
// OpenEXR or Radiance, or tone mapped straight into JPEG or TIFF with the tone-mapping
// options of the main command. With --sets N or --sets auto, the frames are many brackets
// and each set's output goes into the folder OUTPUT, named after the set's first frame.
#include <sys/stat.h>

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
  int32_t setSize = -1;         // --sets: -1 one bracket, 0 auto, N frames per set
  std::string setExtension;     // --format exr or hdr for the sets' outputs
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

// "--sets" value: "auto" or a count of at least 2; false for anything else.
bool parse_sets(const std::string& value, int32_t* size) {
  if (value == "auto") return *size = 0, true;
  char* end = nullptr;
  const long n = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || n < 2 || n > 1000) return false;
  *size = static_cast<int32_t>(n);
  return true;
}

// One merge option with its value. Returns "" or what is wrong.
std::string take_merge_value(const std::string& arg, const std::string& value, MergeArgs* merge) {
  if (arg == "--exposures") {
    merge->exposuresGiven = true;
    if (!parse_exposures(value, &merge->exposures)) {
      return "--exposures takes positive times in seconds separated by commas, not '" + value +
             "'";
    }
  } else if (arg == "--sets") {
    if (!parse_sets(value, &merge->setSize)) {
      return "--sets takes auto or a number of frames from 2, not '" + value + "'";
    }
  } else if (arg == "--response") {
    merge->response = value;
  } else {
    merge->saveResponse = value;
  }
  return "";
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
    if (arg == "--format" && i + 1 < args.size() &&
        (args[i + 1] == "exr" || args[i + 1] == "hdr")) {
      merge->setExtension = args[++i];
      continue;
    }
    const bool own = arg == "--exposures" || arg == "--response" || arg == "--save-response" ||
                     arg == "--sets";
    if (!own) {
      merge->rest.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) return arg + " needs a value";
    const std::string problem = take_merge_value(arg, args[++i], merge);
    if (!problem.empty()) return problem;
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

// What the command line cannot ask of a merge. Returns "" or what is wrong.
std::string check_merge_command(const MergeArgs& merge, const CliOptions& cli) {
  if (cli.positionals.size() < 3) return "give at least two frames and the output";
  if (!cli.description.empty() || !cli.artist.empty() || !cli.copyright.empty() ||
      cli.chroma444 != 0) {
    return "--description, --artist, --copyright and --chroma444 are not taken by merge";
  }
  if (merge.setSize < 0 && !merge.setExtension.empty()) {
    return "--format exr or hdr is for --sets; name the output .exr or .hdr";
  }
  if (merge.setSize >= 0 && merge.exposuresGiven) {
    return "--exposures cannot be given with --sets: each frame's EXIF data tells its exposure";
  }
  return "";
}

// The merge options of the command line; `message` receives a failure's sentence.
lftm_merge_options merge_options_of(const MergeArgs& merge, char* message, size_t size) {
  lftm_merge_options mo;
  lftm_merge_options_init(&mo, sizeof mo);
  mo.message = message;
  mo.message_size = size;
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
  return mo;
}

// Merges one bracket into `output`; the failure is told after `what` (may be "").
int merge_one(const MergeArgs& merge, const std::vector<const char*>& frames,
              const std::string& output, const lftm_options& options, const CliOptions& cli,
              const std::string& what = "") {
  char message[1024] = "";
  const lftm_merge_options mo = merge_options_of(merge, message, sizeof message);
  const int32_t result = lftm_merge_file(frames.data(), static_cast<int32_t>(frames.size()), &mo,
                                         output.c_str(), &options);
  if (result < 0) {
    std::fprintf(stderr, "lftm merge: %s%s\n", what.c_str(),
                 message[0] != '\0' ? message : lftm_strerror(result, cli.method));
    return kExitFailed;
  }
  if (cli.progress) std::fprintf(stderr, "lftm merge: wrote %s\n", output.c_str());
  return kExitOk;
}

// FOLDER/<first frame's name without its extension>.<ext>
std::string set_output(const std::string& folder, const std::string& firstFrame,
                       const std::string& extension) {
  const size_t slash = firstFrame.find_last_of('/');
  std::string stem = slash == std::string::npos ? firstFrame : firstFrame.substr(slash + 1);
  const size_t dot = stem.find_last_of('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  std::string path = folder;
  if (path.back() != '/') path += '/';
  return path + stem + "." + extension;
}

// Merges every set of the frames into the folder; a set that fails is told and the others go
// on. The frames of a set keep their order on the command line.
int merge_sets(const MergeArgs& merge, const std::vector<const char*>& frames,
               const std::string& folder, const lftm_options& options, const CliOptions& cli) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "lftm merge: with --sets the output %s must be a folder\n",
                 folder.c_str());
    return kExitFailed;
  }
  std::vector<int32_t> setOf(frames.size());
  const int32_t sets = lftm_merge_sets(frames.data(), static_cast<int32_t>(frames.size()),
                                       merge.setSize, setOf.data());
  if (sets < 0) {
    std::fprintf(stderr, "lftm merge: %s\n", lftm_strerror(sets, cli.method));
    return kExitFailed;
  }
  const std::string extension = !merge.setExtension.empty() ? merge.setExtension
                                : !cli.format.empty()       ? cli.format
                                                            : "exr";
  int failed = 0;
  for (int32_t set = 0; set < sets; ++set) {
    std::vector<const char*> members;
    for (size_t i = 0; i < frames.size(); ++i) {
      if (setOf[i] == set) members.push_back(frames[i]);
    }
    const std::string what = "set " + std::to_string(set + 1) + " (" + members.front() + "): ";
    const std::string output = set_output(folder, members.front(), extension);
    if (merge_one(merge, members, output, options, cli, what) != kExitOk) ++failed;
  }
  if (failed > 0) {
    std::fprintf(stderr, "lftm merge: %d of %d sets failed\n", failed, static_cast<int>(sets));
  }
  return failed > 0 ? kExitFailed : kExitOk;
}

}  // namespace

int run_merge(const std::vector<std::string>& args) {
  MergeArgs merge;
  CliOptions cli;
  std::string problem = take_merge_options(args, &merge);
  if (problem.empty()) problem = parse_options(merge.rest, &cli);
  if (problem.empty()) problem = check_merge_command(merge, cli);
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
  const lftm_options options = run_options(cli, params);
  const int status = merge.setSize < 0 ? merge_one(merge, frames, output, options, cli)
                                       : merge_sets(merge, frames, output, options, cli);
  return status != kExitOk ? status : save_settings(cli, params);
}

}  // namespace lftm_cli
