// The lftm program as a user runs it: every bundled sample format, options, failures.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hardening_support.h"
#include "test_support.h"

namespace {

const std::string kTool = LFTM_TOOL_PATH;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string directory_of(const std::string& path) { return path.substr(0, path.rfind('/')); }

// Starts the program with its standard streams in files and, when given, its own TMPDIR. The
// sibling libraries' folder goes on the library path, where a sanitizer build of the program
// needs it.
pid_t start(const std::vector<std::string>& args, const std::string& outPath,
            const std::string& errPath, const std::string& program = kTool, bool libraryPath = true,
            const std::string& tmpdir = "") {
  pid_t pid = fork();
  if (pid == 0) {
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (libraryPath) {
      setenv("LD_LIBRARY_PATH", (directory_of(directory_of(kTool)) + "/lib").c_str(), 1);
    } else {
      unsetenv("LD_LIBRARY_PATH");
    }
    if (!tmpdir.empty()) setenv("TMPDIR", tmpdir.c_str(), 1);
    // A test runner started in the background may ignore SIGINT; the program must not inherit
    // that, or it keeps the signal ignored (as under nohup).
    signal(SIGINT, SIG_DFL);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// Runs the program to its end.
Result run(const std::vector<std::string>& args, const std::string& program = kTool,
           bool libraryPath = true) {
  lftm_test::TempDir streams;
  const std::string outPath = streams.file("out"), errPath = streams.file("err");
  pid_t pid = start(args, outPath, errPath, program, libraryPath);
  Result r;
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::vector<uint8_t> out = lftm_test::read_file(outPath), err = lftm_test::read_file(errPath);
  r.out.assign(out.begin(), out.end());
  r.err.assign(err.begin(), err.end());
  return r;
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool is_jpeg(const std::string& path) {
  std::vector<uint8_t> bytes = lftm_test::read_file(path);
  return bytes.size() > 1000 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

TEST(CliTest, ToneMapsEveryBundledFormatWithBothMethods) {
  lftm_test::TempDir dir;
  for (const char* sample :
       {"golden_gate.hdr", "desk.exr", "golden_gate_linear16.tif", "forest_360.hdr"}) {
    for (const char* method : {"booster", "squeezer"}) {
      const std::string out = dir.file(std::string(method) + ".jpg");
      Result r = run({"--method", method, lftm_test::sample_path(sample), out});
      EXPECT_EQ(r.status, 0) << sample << " " << method << "\n" << r.err;
      EXPECT_TRUE(is_jpeg(out)) << sample << " " << method;
      EXPECT_TRUE(has(r.err, "wrote " + out)) << r.err;
      EXPECT_EQ(r.out, "") << "the library's lines stay hidden";
      unlink(out.c_str());
    }
  }
}

TEST(CliTest, LibraryLinesAppearWithVerboseOrInTheLog) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("golden_gate.hdr");
  Result verbose = run({"--verbose", "-m", "squeezer", in, dir.file("v.jpg")});
  EXPECT_EQ(verbose.status, 0);
  EXPECT_TRUE(has(verbose.out, "Tone mapped result saved as"));
  Result logged = run({"--log", dir.file("run.log"), "--quiet", in, dir.file("l.tif")});
  EXPECT_EQ(logged.status, 0) << logged.err;
  EXPECT_EQ(logged.out, "");
  EXPECT_EQ(logged.err, "") << "--quiet drops the progress lines";
  std::vector<uint8_t> log = lftm_test::read_file(dir.file("run.log"));
  EXPECT_TRUE(has(std::string(log.begin(), log.end()), "Texture Booster Part 3 completed"));
}

TEST(CliTest, ProblemsAreExplainedWithANonZeroStatus) {
  lftm_test::TempDir dir;
  const std::string hdr = lftm_test::sample_path("golden_gate.hdr");
  const std::string tif = lftm_test::sample_path("golden_gate_linear16.tif");
  Result missing = run({dir.file("none.hdr"), dir.file("o.jpg")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(has(missing.err, "could not be read")) << missing.err;
  Result diskTiff = run({"--disk", tif, dir.file("o.jpg")});
  EXPECT_EQ(diskTiff.status, 1);
  EXPECT_TRUE(has(diskTiff.err, "disk mode cannot read TIFF")) << diskTiff.err;
  struct Usage {
    std::vector<std::string> args;
    const char* says;
  };
  const Usage usage[] = {
      {{hdr, dir.file("o.jpeg")}, "must end in .jpg"},
      {{hdr, dir.file("o.png")}, "must end in .jpg, .tif"},
      {{"--bits", "16", hdr, dir.file("o.jpg")}, "8 bits"},
      {{"--Strength", "strong", hdr, dir.file("o.jpg")}, "takes a number"},
      {{"--Brightness", "2", hdr, dir.file("o.jpg")}, "no setting \"Brightness\""},
      {{"--frobnicate=1", hdr, dir.file("o.jpg")}, "no setting"},
      {{hdr}, "give an input file"},
      {{"--settings", dir.file("none.xmp"), hdr, dir.file("o.jpg")}, "cannot open"},
  };
  for (const Usage& u : usage) {
    Result r = run(u.args);
    EXPECT_EQ(r.status, 2) << u.says;
    EXPECT_TRUE(has(r.err, u.says)) << r.err;
  }
  Result help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(has(help.out, "examples:"));
  EXPECT_EQ(run({}).status, 2);
}

TEST(CliTest, SeveralInputsGoIntoAFolderAndOneFailureDoesNotStopTheOthers) {
  lftm_test::TempDir dir;
  const std::string folder = dir.file("out");
  Result r = run({"-m", "squeezer", "--bits", "16", lftm_test::sample_path("golden_gate.hdr"),
                  dir.file("missing.hdr"), lftm_test::sample_path("desk.exr"), folder + "/"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "1 of 3 images failed")) << r.err;
  struct stat st;
  EXPECT_EQ(stat((folder + "/golden_gate.tif").c_str(), &st), 0);
  EXPECT_EQ(stat((folder + "/desk.tif").c_str(), &st), 0);
  for (const char* name : {"golden_gate.tif", "desk.tif"}) unlink((folder + "/" + name).c_str());
  rmdir(folder.c_str());
}

TEST(CliTest, SettingsAreSavedAndReadBackWithTheirMethod) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("golden_gate.hdr");
  const std::string first = dir.file("first.xmp"), second = dir.file("second.xmp");
  ASSERT_EQ(run({"-q", "-m", "squeezer", "--set", "Contrast=3.5", "--save-settings", first, in,
                 dir.file("a.jpg")})
                .status,
            0);
  // The method comes from the file; a named setting overrides it.
  Result r = run({"-q", "--settings", first, "--Saturation", "4", "--save-settings", second, in,
                  dir.file("b.jpg")});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<uint8_t> bytes = lftm_test::read_file(second);
  std::string text(bytes.begin(), bytes.end());
  EXPECT_TRUE(has(text, "<lftm:Method>Range Squeezer</lftm:Method>"));
  EXPECT_TRUE(has(text, "<lftm:Contrast>3.5</lftm:Contrast>"));
  EXPECT_TRUE(has(text, "<lftm:Saturation>4.0</lftm:Saturation>"));
  Result other = run({"-m", "booster", "--settings", first, in, dir.file("c.jpg")});
  EXPECT_EQ(other.status, 2);
  EXPECT_TRUE(has(other.err, "another method")) << other.err;
}

TEST(CliTest, InfoAndPreviewWorkOnEveryFormat) {
  lftm_test::TempDir dir;
  for (const char* sample : {"golden_gate.hdr", "desk.exr", "golden_gate_linear16.tif"}) {
    Result info = run({"info", lftm_test::sample_path(sample)});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_TRUE(has(info.out, "size:")) << info.out;
    EXPECT_TRUE(has(info.out, "log luminance:  min")) << info.out;
    const std::string out = dir.file("p.jpg");
    Result preview = run({"preview", lftm_test::sample_path(sample), out, "--size", "160x120"});
    EXPECT_EQ(preview.status, 0) << preview.err;
    EXPECT_TRUE(is_jpeg(out) || lftm_test::read_file(out).size() > 100);
    EXPECT_TRUE(has(preview.out, "x 120 from") || has(preview.out, "160 x")) << preview.out;
  }
  EXPECT_TRUE(
      has(run({"info", lftm_test::sample_path("golden_gate.hdr")}).out, "1262 x 860 pixels"));
  EXPECT_EQ(run({"info", dir.file("none.hdr")}).status, 1);
  EXPECT_EQ(run({"preview", lftm_test::sample_path("desk.exr"), dir.file("p.tif")}).status, 2);
}

TEST(CliTest, AMissingSiblingLibraryIsNamed) {
  // A copy of the program in a folder without the libraries beside it.
  lftm_test::TempDir dir;
  const std::string bin = dir.file("bin");
  mkdir(bin.c_str(), 0700);
  const std::string copy = bin + "/lftm";
  lftm_test::write_file(copy, lftm_test::read_file(kTool));
  chmod(copy.c_str(), 0700);
  Result r =
      run({lftm_test::sample_path("golden_gate_linear16.tif"), dir.file("o.jpg")}, copy, false);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "libLumenforge")) << r.err;
  EXPECT_TRUE(has(r.err, "was not found")) << r.err;
  unlink(copy.c_str());
  rmdir(bin.c_str());
}

TEST(CliTest, AnInterruptedDiskRunLeavesNoScratchFileAndNoOutput) {
  lftm_test::TempDir dir;
  const std::string tmp = dir.file("tmp"), outs = dir.file("outs");
  mkdir(tmp.c_str(), 0700);
  mkdir(outs.c_str(), 0700);
  const std::string out = outs + "/out.jpg";
  for (int sig : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(sig);
    bool interrupted = false;
    // A run that ends before the signal proves nothing: the next try takes a larger image.
    for (int side = 512; !interrupted && side <= 4096; side *= 2) {
      const std::string in = dir.file("in.hdr");
      ASSERT_TRUE(lftm_test::write_file(
          in, lftm_test::encode_rgbe_file(lftm_test::make_test_image(side, side * 3 / 4), false)));
      pid_t pid = start({"--disk", "-q", in, out}, dir.file("stdout"), dir.file("stderr"), kTool,
                        true, tmp);
      int status = 0;
      bool ended = false;
      // Waits until a scratch file exists (the run is inside the stages), then interrupts.
      for (int ms = 0; ms < 60000; ++ms) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
          ended = true;
          break;
        }
        std::vector<std::string> names = lftm_hard::directory_entries(tmp);
        bool scratch = false;
        for (const std::string& name : names) scratch = scratch || name.rfind("tm1", 0) == 0;
        if (scratch) break;
        usleep(1000);
      }
      if (!ended) {
        kill(pid, sig);
        waitpid(pid, &status, 0);
      }
      unlink(in.c_str());
      interrupted = WIFSIGNALED(status);
      if (!interrupted) {
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the run failed";
        unlink(out.c_str());
        continue;
      }
      EXPECT_EQ(WTERMSIG(status), sig) << "the process ends by the signal it got";
      EXPECT_EQ(lftm_hard::directory_entries(tmp), std::vector<std::string>{})
          << "a scratch file was left";
      // The signal may only just miss the rename; then the output is whole.
      std::vector<std::string> left = lftm_hard::directory_entries(outs);
      if (!left.empty()) {
        EXPECT_EQ(left, std::vector<std::string>{"out.jpg"}) << "a temporary was left";
        std::vector<uint8_t> bytes = lftm_test::read_file(out);
        EXPECT_TRUE(is_jpeg(out) && bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9);
        unlink(out.c_str());
      }
    }
    EXPECT_TRUE(interrupted) << "every run ended before the signal";
  }
  rmdir(tmp.c_str());
  rmdir(outs.c_str());
}

}  // namespace
