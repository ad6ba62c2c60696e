// SPDX-License-Identifier: BSD-3-Clause
// lftm [options] INPUT... OUTPUT: tone maps files through lftm_tonemap_file.
// Nothing is written before every output, the settings sidecar and the log were checked not
// to land on a file of the run or on a file of another kind.
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "batch_scheduler.h"
#include "commands.h"
#include "diag_routing.h"
#include "file_guard.h"
#include "image_source.h"
#include "input_format.h"
#include "lftm_host.h"
#include "messages.h"
#include "options.h"
#include "ordered_output.h"
#include "run_estimate.h"
#include "run_failure.h"
#include "run_settings.h"
#include "signal_cleanup.h"

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

bool exists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

std::string base_stem(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  return (dot == std::string::npos || dot == 0) ? name : name.substr(0, dot);
}

// JPEG (any spelling of .jpg or .jpeg) or TIFF (.tif, .tiff); 16 bits need TIFF.
std::string check_output_name(const std::string& path, int32_t bits) {
  switch (lftm_output_format(path.c_str())) {
    case LFTM_OUTPUT_JPEG:
      return bits == 16 ? "JPEG holds 8 bits a sample; write a .tif for 16 bits" : "";
    case LFTM_OUTPUT_TIFF:
      return "";
    default:
      return "the output must end in .jpg, .jpeg, .tif or .tiff";
  }
}

// Names that look like a file rather than a folder to put several outputs in.
bool looks_like_file_name(const std::string& path) {
  const std::string ext = lower_extension(path);
  for (const char* known : {"jpg", "jpeg", "tif", "tiff", "hdr", "exr", "xmp", "png"}) {
    if (ext == known) return true;
  }
  return false;
}

// The folder that several outputs go into: created when the first output is about to be
// written, and removed again at the end if it was made here and stayed empty.
class OutputFolder {
 public:
  OutputFolder() = default;
  ~OutputFolder() {
    if (created_) rmdir(path_.c_str());  // fails, as it should, unless the folder is empty
  }
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  void set(const std::string& path) { path_ = path; }

  // Returns "" or why the folder cannot be made. Images running at once may ask together.
  std::string ensure() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (path_.empty() || is_directory(path_)) return "";
    if (mkdir(path_.c_str(), 0777) != 0) {
      return "cannot create the folder " + path_ + ": " + std::strerror(errno);
    }
    created_ = true;
    return "";
  }

 private:
  std::mutex mutex_;
  std::string path_;
  bool created_ = false;
};

// One image of the command: its job, what probing found, and where its text goes.
struct ImageRun {
  const Job& job;
  size_t index;
  const SourceImage& image;
  int32_t probed;
  int32_t threads;
  const lftm_run_estimate* estimate;  // null when the library could not estimate the run
  DiagRouting* routing;

  void say(const std::string& text) const { routing->write(index, stderr, text + "\n"); }
};

// The options of one run: the command's choices, the image's threads, its routing and the
// cancel flag of the signal handler.
lftm_options run_options(const ImageRun& run, const CliOptions& options, const TmParam& params) {
  lftm_options o;
  lftm_options_init(&o, sizeof o, options.method);
  o.settings = params;
  o.threads = run.threads;
  o.disk = options.disk ? 1 : 0;
  o.bits = options.bits;
  o.jpeg_quality = options.quality;
  o.save = options.save;
  o.tiff_input = options.tiff == TiffEncoding::kLinear  ? LFTM_EXT_TIF_LINEAR
                 : options.tiff == TiffEncoding::kGamma ? LFTM_EXT_TIF_GAMMA
                                                        : 0;
  o.cancel = run_cancel_flag();
  // --memory-limit also bounds what disk mode keeps in memory.
  o.memory_limit = options.memoryLimit;
  o.overwrite = options.overwrite ? 1 : 0;
  auto text = [](const std::string& t) { return t.empty() ? nullptr : t.c_str(); };
  o.description = text(options.description);
  o.artist = text(options.artist);
  o.copyright = text(options.copyright);
  o.jpeg_chroma_444 = options.chroma444;
  return o;
}

void say_start(const ImageRun& run, const CliOptions& options) {
  char size[64];
  std::snprintf(size, sizeof size, "%d x %d", run.image.width, run.image.height);
  run.say(run.job.input + ": " + size + " " + format_name(run.image.format) + ", " +
          (options.method == LFTM_METHOD_RANGE_SQUEEZER ? "Range Squeezer" : "Texture Booster"));
}

// Tone maps one image. `scope` routes its lines and progress.
int convert_one(const ImageRun& run, const CliOptions& options, const TmParam& params,
                OutputFolder* folder, DiagRouting::ImageScope* scope) {
  const Job& job = run.job;
  if (run.probed < 0) {
    run.say("lftm: " + failure_line(job.input, run.probed, run.image.detail));
    return kExitFailed;
  }
  lftm_options runOptions = run_options(run, options, params);
  scope->route(&runOptions);
  // Without an estimate the run says itself what is wrong; an image too large for the method
  // is refused by the run in its own words.
  std::string problem = run.estimate == nullptr || run.estimate->too_large
                            ? ""
                            : run_fit_problem(*run.estimate, options.disk, options.memoryLimit);
  if (!problem.empty()) {
    std::fprintf(stderr, "lftm: %s: %s\n", job.input.c_str(), problem.c_str());
    return kExitFailed;
  }
  problem = folder->ensure();
  if (!problem.empty()) {
    run.say("lftm: " + problem);
    return kExitFailed;
  }
  if (options.progress) say_start(run, options);
  const double start = now_seconds();
  int32_t result;
  {
    const InterruptibleRun interruptible;
    result = lftm_tonemap_file(job.input.c_str(), job.output.c_str(), &runOptions);
  }
  if (result < 0) {
    const FailedRun failed = {job.input, job.output, options.method, options.disk, run.estimate,
                              result};
    run.say("lftm: " + run_failure_line(failed));
    return kExitFailed;
  }
  if (options.progress) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.2f", now_seconds() - start);
    run.say(job.input + ": wrote " + job.output + " in " + seconds + " s");
  }
  return kExitOk;
}

// Tone maps every job, several at once where that is faster (batch_scheduler.h); each
// image's text is printed whole, in input order. Returns how many failed.
int convert_all(const std::vector<Job>& jobs, const CliOptions& options, const TmParam& params,
                OutputFolder* folder, DiagRouting* routing) {
  // The sizes decide how the images share the cores; a file that cannot be probed fails in
  // its turn.
  std::vector<SourceImage> images(jobs.size());
  std::vector<int32_t> probed(jobs.size());
  std::vector<ImageCost> costs(jobs.size());
  std::vector<lftm_run_estimate> estimates(jobs.size());
  std::vector<bool> estimated(jobs.size(), false);
  BatchLimits limits;
  limits.cores = resolve_threads(options.threads);
  for (size_t i = 0; i < jobs.size(); ++i) {
    probed[i] = probe_image(jobs[i].input, options.tiff, &images[i]);
    if (probed[i] < 0) continue;
    const ImageRun run = {jobs[i], i, images[i], probed[i], 1, nullptr, routing};
    const lftm_options runOptions = run_options(run, options, params);
    estimates[i].struct_size = sizeof estimates[i];
    estimated[i] = lftm_estimate_run(jobs[i].input.c_str(), &runOptions, &estimates[i]) == 0;
    if (!estimated[i]) continue;
    costs[i] = image_cost(images[i].width, images[i].height, estimates[i].memory, options.disk);
    // The images running at once share the memory budget of one run.
    limits.memory = static_cast<size_t>(estimates[i].budget > 0 ? estimates[i].budget : 0);
  }
  OrderedOutput output(jobs.size());
  routing->set_output(&output);
  std::vector<int> status(jobs.size(), kExitOk);
  run_batch(costs, limits, [&](size_t i, int32_t threads) {
    {
      DiagRouting::ImageScope scope(routing, i, jobs[i].input);
      const ImageRun run = {jobs[i],  i, images[i], probed[i], threads,
                            estimated[i] ? &estimates[i] : nullptr, routing};
      status[i] = convert_one(run, options, params, folder, &scope);
    }
    output.finish(i);
  });
  routing->set_output(nullptr);
  int failures = 0;
  for (int s : status) failures += s != kExitOk ? 1 : 0;
  return failures;
}

// Works out the input and output pairs, and the folder to create for them (`folder`, "" when
// none is needed). Touches no file. Returns "" or what is wrong.
std::string plan_jobs(const CliOptions& options, std::vector<Job>* jobs, std::string* folder) {
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
  if (!is_directory(target)) {
    if (exists(target)) return "several inputs go into a folder, and " + target + " is a file";
    if (target.back() != '/' && looks_like_file_name(target)) {
      return "several inputs go into a folder, and " + target +
             " looks like a file name; end it with / to make a folder of that name";
    }
  }
  std::string ext = options.format.empty() ? (options.bits == 16 ? "tif" : "jpg")
                                           : options.format;
  if (ext == "jpg" && options.bits == 16) return "JPEG holds 8 bits a sample; use --format tif";
  std::string path = target;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (!is_directory(path)) *folder = path;
  for (size_t i = 0; i + 1 < names.size(); ++i) {
    jobs->push_back({names[i], path + "/" + base_stem(names[i]) + "." + ext});
  }
  return "";
}

// Checks the files the run will write: the outputs (each one that exists must be lftm's own,
// unless --overwrite), the settings sidecar and the log.
std::string check_run_files(const CliOptions& options, const std::vector<Job>& jobs) {
  std::string problem = check_job_files(jobs);
  for (size_t i = 0; i < jobs.size() && problem.empty(); ++i) {
    problem = check_image_target(jobs[i].output, options.overwrite);
  }
  if (!problem.empty()) return problem;
  std::vector<RunFile> images;
  for (const Job& job : jobs) {
    images.push_back({job.input, "input"});
    images.push_back({job.output, "output"});
  }
  if (!options.settingsOut.empty()) {
    problem = check_not_among(options.settingsOut, "settings sidecar", images);
    if (problem.empty()) problem = check_sidecar_target(options.settingsOut);
    if (!problem.empty()) return problem;
  }
  if (options.diag == DiagMode::kLogFile) {
    std::vector<RunFile> others = images;
    if (!options.settingsIn.empty()) others.push_back({options.settingsIn, "settings file"});
    if (!options.settingsOut.empty()) {
      others.push_back({options.settingsOut, "settings sidecar"});
    }
    problem = check_not_among(options.logPath, "log", others);
  }
  return problem;
}

int usage_error(const std::string& problem) {
  std::fprintf(stderr, "lftm: %s\n(lftm --help shows the options and an example)\n",
               problem.c_str());
  return kExitUsage;
}

}  // namespace

int run_convert(const std::vector<std::string>& args) {
  CliOptions options;
  std::string problem = parse_options(args, &options);
  if (options.help) {
    print_usage(stdout);
    return kExitOk;
  }
  if (options.version) {
    // The version of the library linked in, which is the tool's own.
    const int32_t v = lftm_version();
    std::printf("lftm %d.%d.%d\n", v / 1000000, v / 1000 % 1000, v % 1000);
    return kExitOk;
  }
  if (!problem.empty()) return usage_error(problem);
  // Routed before the first library call, so that even the lines of the sidecar reader go
  // only where --verbose or --log asks.
  DiagRouting routing;
  routing.begin(options.diag, options.progress);
  std::vector<Job> jobs;
  std::string folderToMake;
  problem = plan_jobs(options, &jobs, &folderToMake);
  if (!problem.empty()) return usage_error(problem);
  problem = check_run_files(options, jobs);
  if (problem.empty() && options.diag == DiagMode::kLogFile) {
    problem = routing.open_log(options.logPath);
  }
  TmParam params;
  std::vector<std::string> notes;
  if (problem.empty()) problem = build_settings(&options, &params, &notes);
  for (const std::string& note : notes) std::fprintf(stderr, "lftm: note: %s\n", note.c_str());
  if (!problem.empty()) {
    std::fprintf(stderr, "lftm: %s\n", problem.c_str());
    return kExitUsage;
  }

  OutputFolder folder;
  folder.set(folderToMake);
  const int failures = convert_all(jobs, options, params, &folder, &routing);
  if (failures > 0 && jobs.size() > 1) {
    std::fprintf(stderr, "lftm: %d of %zu images failed\n", failures, jobs.size());
  }
  if (failures > 0) {
    if (!options.settingsOut.empty()) {
      std::fprintf(stderr, "lftm: the settings were not saved to %s, as the run failed\n",
                   options.settingsOut.c_str());
    }
    return kExitFailed;
  }
  // Saved only now, so that a sidecar always describes images that were made.
  if (!options.settingsOut.empty()) {
    const int32_t saved =
        lftm_save_settings(options.settingsOut.c_str(), options.method, &params, 0);
    if (saved < 0) {
      std::fprintf(stderr, "lftm: cannot write the settings file %s: %s\n",
                   options.settingsOut.c_str(), lftm_strerror(saved, options.method));
      return kExitFailed;
    }
  }
  return kExitOk;
}

}  // namespace lftm_cli
