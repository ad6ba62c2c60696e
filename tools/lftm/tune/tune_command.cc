// SPDX-License-Identifier: BSD-3-Clause
// lftm tune PHOTO|FOLDER: tunes the settings of a photograph in the browser, with the other
// photographs of its folder a click away. The page is served on
// the loopback interface; the address printed holds a one-time code that the server trades
// for a cookie. Ctrl-C stops the server and removes the session's temporary folder.
#include <signal.h>
#include <fcntl.h>
#include <pthread.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "access_token.h"
#include "commands.h"
#include "diag_routing.h"
#include "foreign_option.h"
#include "messages.h"
#include "options.h"
#include "tune_server.h"
#include "tune_session.h"

extern char** environ;

namespace lftm_cli {
namespace {

constexpr const char* kUsage =
    "usage: lftm tune PHOTO|FOLDER [--port N] [--output-dir DIR]... [--no-browser] "
    "[--tiff-linear|--tiff-gamma] [--threads N] [--verbose]\n";

int usage(const std::string& problem) {
  std::fprintf(stderr, "lftm tune: %s\n%s", problem.c_str(), kUsage);
  return kExitUsage;
}

// A page in the session's private folder that leads the browser to `url`: the browser is
// started with its name, so the code in `url` never shows in the list of processes, which
// every user of the machine can read. Returns its path, "" when it cannot be written.
std::string write_opener(const std::string& folder, const std::string& url) {
  const std::string path = folder + "/open.html";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return "";
  const std::string html = "<!DOCTYPE html>\n<meta charset=\"utf-8\"><meta http-equiv=\"refresh\" "
                           "content=\"0;url=" + url + "\"><title>lftm tune</title>\n<a href=\"" +
                           url + "\">lftm tune</a>\n";
  const bool written = write(fd, html.data(), html.size()) == static_cast<ssize_t>(html.size());
  close(fd);
  return written ? path : "";
}

// Opens `file` in the desktop's browser when there is a desktop; never fails the command.
void open_browser(const std::string& file) {
  if (file.empty()) return;
  if (getenv("DISPLAY") == nullptr && getenv("WAYLAND_DISPLAY") == nullptr) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
  std::string program = "xdg-open", address = file;
  char* argv[] = {&program[0], &address[0], nullptr};
  pid_t pid;
  if (posix_spawnp(&pid, "xdg-open", &actions, &attributes, argv, environ) == 0) {
    waitpid(pid, nullptr, WNOHANG);
  }
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
}

// The photograph to open first: `input` itself, or the first photograph of the folder it
// names. Returns "" or what is wrong.
std::string first_photo(const std::string& input, int32_t tiffInput, std::string* photo) {
  struct stat st;
  if (stat(input.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *photo = input;
    return "";
  }
  const std::vector<std::string> names = lftm_tune::PhotoFolder(input, tiffInput).files();
  if (names.empty()) return input + " holds no HDR photograph (.hdr, .exr, .tif)";
  *photo = input + "/" + names.front();
  return "";
}

// Removes the session's temporary folder and what lies in it.
void remove_scratch(const std::string& folder) {
  unlink((folder + "/export.xmp").c_str());
  unlink((folder + "/open.html").c_str());
  rmdir(folder.c_str());
}

}  // namespace

int run_tune(const std::vector<std::string>& args) {
  std::string foreign = first_foreign_option(
      args, {"--no-browser", "--tiff-linear", "--tiff-gamma", "-v", "--verbose", "-h", "--help"},
      {"--port", "--output-dir", "--threads", "-j"});
  if (!foreign.empty()) return usage(foreign + " is not an option of tune");
  std::vector<std::string> rest, folders;
  long port = 0;
  bool browser = true;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--port" && i + 1 < args.size()) {
      char* end = nullptr;
      port = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || port < 1 || port > 65535) return usage("--port takes 1 to 65535");
    } else if (args[i] == "--output-dir" && i + 1 < args.size()) {
      folders.push_back(args[++i]);
    } else if (args[i] == "--no-browser") {
      browser = false;
    } else {
      rest.push_back(args[i]);
    }
  }
  CliOptions options;
  std::string problem = parse_options(rest, &options);
  if (problem.empty() && options.help) {
    std::printf("%s", kUsage);
    return kExitOk;
  }
  if (problem.empty() && options.positionals.size() != 1) problem = "give one PHOTO or FOLDER";
  std::string input;
  if (problem.empty()) {
    problem = first_photo(options.positionals[0], tiff_input_of(options.tiff), &input);
  }
  if (!problem.empty()) return usage(problem);

  lftm_tune::SessionSetup setup;
  setup.threads = options.threads;
  setup.verbose = options.diag == DiagMode::kVerbose;
  setup.token = lftm_tune::make_access_token();
  setup.code = lftm_tune::make_access_token();
  setup.tiffInput = tiff_input_of(options.tiff);
  setup.tiff = options.tiff;
  if (setup.token.empty() || setup.code.empty()) {
    std::fprintf(stderr, "lftm tune: the system gives no random numbers for the token\n");
    return kExitFailed;
  }
  // The library's own lines stay quiet, as in the other commands without --verbose.
  DiagRouting routing;
  routing.begin(setup.verbose ? DiagMode::kVerbose : DiagMode::kQuiet, false);
  auto photo = std::make_unique<lftm_tune::Photo>();
  std::fprintf(stderr, "lftm tune: reading %s\n", input.c_str());
  int32_t result =
      lftm_tune::load_photo(input, options.tiff, lftm_tune::kPreviewSide, photo.get());
  if (result < 0) {
    std::fprintf(stderr, "lftm tune: %s\n",
                 failure_line(input, result, photo->full.detail).c_str());
    return kExitFailed;
  }
  problem = lftm_tune::make_path_rules(input, folders, &setup.paths);
  if (!problem.empty()) return usage(problem);

  // The stop signals are taken by this thread alone, with sigwait: the server's threads and
  // the export then stop in order instead of dying mid-write.
  sigset_t stops;
  sigemptyset(&stops);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, number);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);
  // Made once the stop signals wait for this thread, so that no stop can leave it behind.
  const char* tmp = getenv("TMPDIR");
  std::string scratch = std::string(tmp != nullptr && tmp[0] ? tmp : "/tmp") + "/lftm-tune-XXXXXX";
  if (mkdtemp(&scratch[0]) == nullptr) {
    std::fprintf(stderr, "lftm tune: cannot make a temporary folder: %s\n", std::strerror(errno));
    return kExitFailed;
  }
  setup.scratchFolder = scratch;
  int exitCode = kExitOk;
  {
    lftm_tune::TuneSession session(setup, std::move(photo));
    lftm_tune::TuneServer server(&session);
    problem = server.start(static_cast<int>(port));
    if (!problem.empty()) {
      std::fprintf(stderr, "lftm tune: %s\n", problem.c_str());
      exitCode = kExitFailed;
    } else {
      const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) +
                              "/?code=" + setup.code;
      std::printf("lftm tune: open %s\n(the address opens the page once, within a minute; "
                  "Ctrl-C stops)\n", url.c_str());
      std::fflush(stdout);
      if (browser) open_browser(write_opener(scratch, url));
      int number = 0;
      sigwait(&stops, &number);
      std::fprintf(stderr, "lftm tune: stopping\n");
    }
    session.stop_renders();  // the server waits for the requests that are being answered
    server.stop();
  }
  remove_scratch(scratch);
  return exitCode;
}

}  // namespace lftm_cli
