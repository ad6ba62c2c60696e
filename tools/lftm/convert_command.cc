// lftm [options] INPUT... OUTPUT: tone maps files through the library's file-to-file drivers.
#include <sys/stat.h>
#include <sys/time.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "commands.h"
#include "diag_routing.h"
#include "image_source.h"
#include "input_format.h"
#include "lftm.h"
#include "messages.h"
#include "options.h"
#include "run_failure.h"
#include "setting_names.h"

namespace lftm_cli {
namespace {

double now_seconds() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6;
}

bool is_directory(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string base_stem(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  return (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
}

// The library picks JPEG only for names ending exactly in "jpg" or "JPG" and writes TIFF data
// under any other name, so names that promise something else are refused here.
std::string check_output_name(const std::string& path, int32_t bits) {
  std::string ext = lower_extension(path);
  size_t dot = path.find_last_of('.');
  std::string raw = dot == std::string::npos ? "" : path.substr(dot + 1);
  if (ext == "jpg" || ext == "jpeg") {
    if (raw != "jpg" && raw != "JPG") return "JPEG output must end in .jpg or .JPG";
    if (bits == 16) return "JPEG holds 8 bits a sample; write a .tif for 16 bits";
    return "";
  }
  if (ext == "tif" || ext == "tiff") return "";
  return "the output must end in .jpg, .tif or .tiff";
}

// Reads the settings block: defaults of the method, then the sidecar, then the named
// settings. Returns "" or what is wrong.
std::string build_settings(CliOptions* options, TmParam* params) {
  if (!options->settingsIn.empty()) {
    TmParam probe;
    int32_t fileMethod = parse_xmp(options->settingsIn.c_str(), -1, &probe);
    if (fileMethod == -1) return "cannot open the settings file " + options->settingsIn;
    if (fileMethod == -10) return options->settingsIn + " is not a settings file";
    if (fileMethod < 0) return "cannot read the settings file " + options->settingsIn;
    if (!options->methodGiven && (fileMethod == LFTM_METHOD_TEXTURE_BOOSTER ||
                                  fileMethod == LFTM_METHOD_RANGE_SQUEEZER)) {
      options->method = fileMethod;
    }
  }
  tmparam_default(options->method, 0, params);
  if (!options->settingsIn.empty()) {
    int32_t read = parse_xmp(options->settingsIn.c_str(), options->method, params);
    if (read == -5) {
      return options->settingsIn + " holds the settings of another method; drop --method or "
                                   "pick the file's method";
    }
    if (read < 0) return "cannot read the settings file " + options->settingsIn;
  }
  for (const auto& setting : options->settings) {
    std::string problem = apply_setting(options->method, setting.first, setting.second, params);
    if (!problem.empty()) return problem;
  }
  if (!options->settingsOut.empty() &&
      write_xmp(options->settingsOut.c_str(), options->method, params) != 1) {
    return "cannot write the settings file " + options->settingsOut;
  }
  return "";
}

struct Job {
  std::string input;
  std::string output;
};

int convert_one(const Job& job, const CliOptions& options, const TmParam& params,
                DiagRouting* routing) {
  SourceImage image;
  int32_t probed = probe_image(job.input, options.tiff, &image);
  if (probed < 0) {
    std::fprintf(stderr, "lftm: %s\n", failure_line(job.input, probed, image.detail).c_str());
    return kExitFailed;
  }
  routing->set_label(job.input);
  if (options.progress) {
    std::fprintf(stderr, "%s: %d x %d %s, %s\n", job.input.c_str(), image.width, image.height,
                 format_name(image.format),
                 options.method == LFTM_METHOD_RANGE_SQUEEZER ? "Range Squeezer"
                                                              : "Texture Booster");
  }
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = options.bits;
  TmFiles files;
  init_optim_param(&files);
  files.threads = resolve_threads(options.threads);
  files.readFromDisk = options.disk ? 1 : 0;
  files.inFile = job.input.c_str();
  const char* text[3] = {options.description.c_str(), options.artist.c_str(),
                         options.copyright.c_str()};
  for (const char*& t : text) {
    if (t[0] == '\0') t = nullptr;
  }
  intptr_t w6 = reinterpret_cast<intptr_t>(text[0]);
  intptr_t w7 = reinterpret_cast<intptr_t>(text[1]);
  intptr_t w9 = reinterpret_cast<intptr_t>(text[2]);

  double start = now_seconds();
  int32_t result =
      options.method == LFTM_METHOD_RANGE_SQUEEZER
          ? tms(image.extType, &desc, &params, options.quality, &options.save, w6, w7,
                options.chroma444, w9, 0, nullptr, &files, job.output.c_str())
          : tonemap(image.extType, &desc, &params, options.quality, &options.save, w6, w7,
                    options.chroma444, w9, 0, nullptr, &files, job.output.c_str());
  if (result < 0) {
    FailedRun failed = {job.input, job.output, options.method, options.disk, image.width,
                         image.height, result};
    std::fprintf(stderr, "lftm: %s\n", run_failure_line(failed).c_str());
    return kExitFailed;
  }
  if (options.progress) {
    std::fprintf(stderr, "%s: wrote %s in %.2f s\n", job.input.c_str(), job.output.c_str(),
                 now_seconds() - start);
  }
  return kExitOk;
}

// Works out the input and output pairs. Returns "" or what is wrong.
std::string plan_jobs(const CliOptions& options, std::vector<Job>* jobs) {
  const std::vector<std::string>& names = options.positionals;
  if (names.size() < 2) return "give an input file and an output file (or folder)";
  const std::string& target = names.back();
  bool intoFolder = names.size() > 2 || is_directory(target) || target.back() == '/';
  if (!intoFolder) {
    std::string problem = check_output_name(target, options.bits);
    if (!problem.empty()) return problem;
    jobs->push_back({names[0], target});
    return "";
  }
  if (!is_directory(target) && mkdir(target.c_str(), 0777) != 0) {
    return "cannot create the folder " + target + ": " + std::strerror(errno);
  }
  std::string ext = options.format.empty() ? (options.bits == 16 ? "tif" : "jpg")
                                           : options.format;
  if (ext == "jpg" && options.bits == 16) return "JPEG holds 8 bits a sample; use --format tif";
  std::string folder = target;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    jobs->push_back({names[i], folder + "/" + base_stem(names[i]) + "." + ext});
  }
  return "";
}

}  // namespace

int run_convert(const std::vector<std::string>& args) {
  CliOptions options;
  std::string problem = parse_options(args, &options);
  if (options.help) {
    print_usage(stdout);
    return kExitOk;
  }
  std::vector<Job> jobs;
  if (problem.empty()) problem = plan_jobs(options, &jobs);
  TmParam params;
  if (problem.empty()) problem = build_settings(&options, &params);
  if (!problem.empty()) {
    std::fprintf(stderr, "lftm: %s\n(lftm --help shows the options and an example)\n",
                 problem.c_str());
    return kExitUsage;
  }
  DiagRouting routing;
  if (!routing.start(options.diag, options.logPath, options.progress)) {
    std::fprintf(stderr, "lftm: cannot open the log file %s\n", options.logPath.c_str());
    return kExitUsage;
  }
  int failures = 0;
  for (const Job& job : jobs) {
    if (convert_one(job, options, params, &routing) != kExitOk) ++failures;
  }
  if (failures > 0 && jobs.size() > 1) {
    std::fprintf(stderr, "lftm: %d of %zu images failed\n", failures, jobs.size());
  }
  return failures == 0 ? kExitOk : kExitFailed;
}

}  // namespace lftm_cli
