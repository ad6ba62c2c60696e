// SPDX-License-Identifier: BSD-3-Clause
// The lftm program as a user runs it: every bundled sample format, options, failures.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/image_files.h"
#include "support/rgbe_images.h"
#include "support/temp_dir.h"

namespace {

const std::string kTool = LFTM_TOOL_PATH;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string directory_of(const std::string& path) { return path.substr(0, path.rfind('/')); }

// Sanitizer runtimes reserve far more address space than a memory-limit test allows.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Starts the program with its standard streams in files. The sibling libraries' folder goes
// on the library path, where a sanitizer build of the program needs it. `prepare` runs in the
// child before the program starts (environment, limits).
pid_t start(const std::vector<std::string>& args, const std::string& outPath,
            const std::string& errPath, const std::string& program = kTool, bool libraryPath = true,
            const std::function<void()>& prepare = nullptr) {
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
    // A test runner started in the background may ignore SIGINT; the program must not inherit
    // that, or it keeps the signal ignored (as under nohup).
    signal(SIGINT, SIG_DFL);
    if (prepare) prepare();
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// Runs the program to its end.
Result run(const std::vector<std::string>& args, const std::string& program = kTool,
           bool libraryPath = true, const std::function<void()>& prepare = nullptr) {
  lftm_test::TempDir streams;
  const std::string outPath = streams.file("out"), errPath = streams.file("err");
  pid_t pid = start(args, outPath, errPath, program, libraryPath, prepare);
  Result r;
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::vector<uint8_t> out = lftm_test::read_file(outPath), err = lftm_test::read_file(errPath);
  r.out.assign(out.begin(), out.end());
  r.err.assign(err.begin(), err.end());
  return r;
}

bool has(const std::string& text, const std::string& piece) {
  return text.find(piece) != std::string::npos;
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
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
  EXPECT_TRUE(has(missing.err, "none.hdr: there is no such file")) << missing.err;
  Result diskTiff = run({"--disk", tif, dir.file("o.jpg")});
  EXPECT_EQ(diskTiff.status, 1);
  EXPECT_TRUE(has(diskTiff.err, "disk mode cannot read TIFF")) << diskTiff.err;
  // A run whose estimate passes the memory limit is refused before anything is read.
  Result overLimit = run({"--memory-limit", "20M", hdr, dir.file("o.jpg")});
  EXPECT_EQ(overLimit.status, 1);
  EXPECT_TRUE(has(overLimit.err, "more than the limit of 21.0 MB")) << overLimit.err;
  EXPECT_TRUE(has(overLimit.err, "use --disk")) << overLimit.err;
  EXPECT_FALSE(exists(dir.file("o.jpg")));
  struct Usage {
    std::vector<std::string> args;
    const char* says;
  };
  const Usage usage[] = {
      {{hdr, dir.file("o.png")}, "must end in .jpg, .jpeg, .tif"},
      {{"--bits", "16", hdr, dir.file("o.jpg")}, "8 bits"},
      {{"--Strength", "strong", hdr, dir.file("o.jpg")}, "takes a number from 0 to 100"},
      {{"--Gamma", "0", hdr, dir.file("o.jpg")}, "gamma value from 0.3 to 2"},
      {{"--Brightness", "2", hdr, dir.file("o.jpg")}, "no setting \"Brightness\""},
      {{"--frobnicate=1", hdr, dir.file("o.jpg")}, "no setting"},
      {{hdr}, "give an input file"},
      {{"--memory-limit", "lots", hdr, dir.file("o.jpg")}, "--memory-limit takes a size"},
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
  // tune runs the lftm-tune of lftm's own folder; a copy of lftm without it says so.
  const std::string lone = dir.file("lftm");
  ASSERT_TRUE(lftm_test::write_file(lone, lftm_test::read_file(kTool)));
  chmod(lone.c_str(), 0700);
  Result noTuner = run({"tune", hdr}, lone);
  EXPECT_EQ(noTuner.status, 1);
  EXPECT_TRUE(has(noTuner.err, "lftm tune: this lftm has no browser tuner")) << noTuner.err;
  unlink(lone.c_str());
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

// The tool's and the library's lines without what differs between two runs into the output
// folders out0 and out1: times, dates and the folder.
std::string comparable(const std::string& text) {
  static const std::regex varying(
      " in [0-9.]+ s|[A-Z][a-z]{2} [A-Z][a-z]{2} +[0-9]+ [0-9:]{8} [0-9]{4}|/out[01]/");
  return std::regex_replace(text, varying, "");
}

TEST(CliTest, ImagesRunTogetherGiveTheFilesAndLinesOfOneAtATime) {
  lftm_test::TempDir dir;
  // The first image is the largest, so that the later ones finish before it; one input is
  // missing, so that its message must keep its place too.
  std::vector<std::string> inputs;
  const int sizes[][2] = {{400, 300}, {60, 40}, {0, 0}, {50, 70}, {90, 30}};
  for (size_t i = 0; i < 5; ++i) {
    inputs.push_back(dir.file("in" + std::to_string(i) + ".hdr"));
    if (sizes[i][0] == 0) continue;
    const auto image = lftm_test::make_test_image(sizes[i][0], sizes[i][1], 3 + i);
    ASSERT_TRUE(lftm_test::write_file(inputs.back(), lftm_test::encode_rgbe_file(image, true)));
  }
  Result runs[2];
  for (int j = 0; j < 2; ++j) {
    std::vector<std::string> args = {"-v", "-j", j == 0 ? "1" : "2"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    args.push_back(dir.file("out" + std::to_string(j)) + "/");
    runs[j] = run(args);
    EXPECT_EQ(runs[j].status, 1) << runs[j].err;
  }
  // One thread per image either way, so the library prints the same lines.
  EXPECT_EQ(comparable(runs[1].out), comparable(runs[0].out));
  EXPECT_EQ(comparable(runs[1].err), comparable(runs[0].err));
  EXPECT_TRUE(has(runs[1].err, "1 of 5 images failed")) << runs[1].err;
  for (size_t i : {0, 1, 3, 4}) {
    const std::string name = "/in" + std::to_string(i) + ".jpg";
    EXPECT_EQ(lftm_test::read_file(dir.file("out1") + name),
              lftm_test::read_file(dir.file("out0") + name))
        << name;
  }
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
  EXPECT_TRUE(has(other.err, first + " holds Range Squeezer settings, not Texture Booster ones"))
      << other.err;
}

TEST(CliTest, RefusesToOverwriteInputsAndFilesOfOtherKinds) {
  lftm_test::TempDir dir;
  const std::vector<uint8_t> original =
      lftm_test::read_file(lftm_test::sample_path("golden_gate_linear16.tif"));
  const std::string in = dir.file("scan.tif"), other = dir.file("other.tif");
  ASSERT_TRUE(lftm_test::write_file(in, original));
  ASSERT_TRUE(lftm_test::write_file(other, original));
  ASSERT_EQ(link(in.c_str(), dir.file("hard.tif").c_str()), 0);
  ASSERT_EQ(symlink(in.c_str(), dir.file("soft.tif").c_str()), 0);
  const std::string hdr = lftm_test::sample_path("golden_gate.hdr");
  struct Case {
    std::vector<std::string> args;
    std::string names;  // the message names this file besides the refused one
  };
  const Case cases[] = {
      {{in, in}, in},
      {{in, dir.file("hard.tif")}, in},
      {{in, dir.file("soft.tif")}, in},
      {{"--format", "tif", in, dir.path() + "/"}, in},        // batch into the input's folder
      {{"--bits", "16", hdr, other, in, dir.path()}, other},  // several inputs, same folder
      {{"--save-settings", other, hdr, dir.file("o.jpg")}, "not a settings sidecar"},
      {{"--save-settings", dir.file("o.jpg"), hdr, dir.file("o.jpg")}, "output"},
      {{"--log", other, hdr, dir.file("o.jpg")}, "it is an image"},
      {{"--log", in, in, dir.file("o.jpg")}, "input"},
  };
  for (const Case& c : cases) {
    Result r = run(c.args);
    EXPECT_EQ(r.status, 2) << c.args.back() << "\n" << r.err;
    EXPECT_TRUE(has(r.err, "refusing")) << r.err;
    EXPECT_TRUE(has(r.err, c.names)) << r.err;
  }
  EXPECT_TRUE(lftm_test::read_file(in) == original);
  EXPECT_TRUE(lftm_test::read_file(other) == original);
  EXPECT_FALSE(exists(dir.file("o.jpg")));
  EXPECT_FALSE(exists(dir.file("golden_gate.tif"))) << "refused before any work";
}

// An existing output is replaced when lftm wrote it or --overwrite says so; anything that is
// not a regular file never is. Batches check every output before the first image is read.
TEST(CliTest, ReplacesOnlyItsOwnOutputsUnlessToldTo) {
  lftm_test::TempDir dir;
  const std::vector<uint8_t> original =
      lftm_test::read_file(lftm_test::sample_path("golden_gate_linear16.tif"));
  const std::string photo = dir.file("golden_gate.tif");
  ASSERT_TRUE(lftm_test::write_file(photo, original));
  const std::vector<std::string> batch = {"-q", "-m", "squeezer", "--format", "tif", "-b", "16",
                                          lftm_test::sample_path("golden_gate.hdr"),
                                          lftm_test::sample_path("desk.exr"), dir.path() + "/"};
  Result refused = run(batch);
  EXPECT_EQ(refused.status, 2);
  EXPECT_TRUE(has(refused.err, photo + " exists and was not written by lftm: use --overwrite"))
      << refused.err;
  EXPECT_TRUE(lftm_test::read_file(photo) == original);
  EXPECT_FALSE(exists(dir.file("desk.tif"))) << "refused before any work";
  std::vector<std::string> overwrite = batch;
  overwrite.insert(overwrite.begin(), "--overwrite");
  EXPECT_EQ(run(overwrite).status, 0);
  EXPECT_FALSE(lftm_test::read_file(photo) == original);
  Result again = run(batch);  // the same command replaces its own outputs
  EXPECT_EQ(again.status, 0) << again.err;

  const std::string pipe = dir.file("x.jpg");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  const std::string hdr = lftm_test::sample_path("golden_gate.hdr");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--overwrite", hdr, pipe},
        std::vector<std::string>{"preview", "--overwrite", hdr, pipe}}) {
    Result r = run(args);
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, pipe + ": it is not a regular file")) << r.err;
  }
  struct stat st;
  EXPECT_TRUE(stat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
  const std::string notes = dir.file("notes.jpg");
  ASSERT_TRUE(lftm_test::write_text(notes, "notes\n"));
  EXPECT_EQ(run({"preview", hdr, notes}).status, 2);
  EXPECT_EQ(lftm_test::read_text(notes), "notes\n");
  EXPECT_EQ(run({"preview", "--overwrite", hdr, notes}).status, 0);
  EXPECT_TRUE(lftm_test::starts_with_jpeg_marker(notes));
}

TEST(CliTest, BatchesAndOutputNamesLeaveNoStrayFiles) {
  lftm_test::TempDir dir;
  const std::string hdr = lftm_test::sample_path("golden_gate.hdr");
  const std::string exr = dir.file("golden_gate.exr");
  ASSERT_TRUE(lftm_test::write_file(exr, lftm_test::read_file(lftm_test::sample_path("desk.exr"))));
  // Two inputs of one base name would write the same output.
  Result collide = run({"-m", "squeezer", hdr, exr, dir.file("out") + "/"});
  EXPECT_EQ(collide.status, 2);
  EXPECT_TRUE(has(collide.err, hdr) && has(collide.err, exr)) << collide.err;
  EXPECT_FALSE(exists(dir.file("out")));
  // A file name where a folder belongs is a typo, not a folder to make.
  Result typo = run({"-m", "squeezer", hdr, lftm_test::sample_path("desk.exr"), dir.file("t.jpg")});
  EXPECT_EQ(typo.status, 2);
  EXPECT_TRUE(has(typo.err, "looks like a file name")) << typo.err;
  EXPECT_FALSE(exists(dir.file("t.jpg")));
  // When every input fails, no folder is left behind.
  Result failed = run({dir.file("none.hdr"), dir.file("none2.hdr"), dir.file("empty") + "/"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_FALSE(exists(dir.file("empty")));
  // Every spelling of a JPEG name gives a JPEG under that very name, and no temporary file.
  for (const char* name : {"a.jpeg", "b.JPEG", "c.Jpg"}) {
    Result r = run({"-q", "-m", "squeezer", hdr, dir.file(name)});
    EXPECT_EQ(r.status, 0) << name << "\n" << r.err;
    EXPECT_TRUE(is_jpeg(dir.file(name))) << name;
    unlink(dir.file(name).c_str());
  }
  EXPECT_EQ(lftm_test::directory_entries(dir.path()), std::vector<std::string>{"golden_gate.exr"});
}

TEST(CliTest, SavedSettingsReproduceTheImageExactly) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("golden_gate.hdr");
  const std::string look = dir.file("look.xmp");
  Result first = run({"-q", "--Gamma", "1.23456", "--Strength", "55.55", "--Luminosity", "9999",
                      "--WhiteClip", "0.1234567", "--Smoothing", "3.33", "--save-settings", look,
                      in, dir.file("first.jpg")});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(has(first.err, "Gamma 1.23456 is kept as 1.2")) << first.err;
  EXPECT_TRUE(has(first.err, "Strength 55.55 is kept as 55.5")) << first.err;
  EXPECT_TRUE(has(first.err, "Luminosity 9999 is outside -10 to 10; 10 is used")) << first.err;
  EXPECT_TRUE(has(lftm_test::read_text(look), "<lftm:Gamma>1.2</lftm:Gamma>"));
  Result second = run({"-q", "--settings", look, in, dir.file("second.jpg")});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.err, "") << "the sidecar's values need no change";
  EXPECT_TRUE(lftm_test::read_file(dir.file("first.jpg")) ==
              lftm_test::read_file(dir.file("second.jpg")));
  // The sidecar is written only once the images were made.
  Result failed = run({"-q", "--save-settings", dir.file("never.xmp"), dir.file("none.hdr"),
                       dir.file("x.jpg")});
  EXPECT_EQ(failed.status, 1);
  EXPECT_FALSE(exists(dir.file("never.xmp")));
}

TEST(CliTest, SidecarValuesAreCheckedAndFlagsWork) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("golden_gate.hdr");
  const std::string sidecar = dir.file("s.xmp");
  auto sidecar_with = [&](const std::string& lines) {
    lftm_test::write_file(sidecar, {});
    std::string text = "<x:xmpmeta>\n<rdf:Description rdf:about=''\nxmlns:lftm='x'>\n"
                       "<lftm:Version>3.2</lftm:Version>\n<lftm:Method>Range Squeezer"
                       "</lftm:Method>\n" + lines + "</rdf:Description>\n</x:xmpmeta>\n";
    lftm_test::write_file(sidecar, std::vector<uint8_t>(text.begin(), text.end()));
  };
  for (const char* value : {"abc", "nan", "inf"}) {
    sidecar_with(std::string("<lftm:Saturation>") + value + "</lftm:Saturation>\n");
    Result r = run({"--settings", sidecar, in, dir.file("o.jpg")});
    EXPECT_EQ(r.status, 2) << value;
    EXPECT_TRUE(has(r.err, sidecar + ": the value \"" + value + "\" of Saturation")) << r.err;
  }
  sidecar_with("<lftm:Saturation>9999</lftm:Saturation>\n");
  Result clamped = run({"-q", "--settings", sidecar, in, dir.file("o.jpg")});
  EXPECT_EQ(clamped.status, 0) << clamped.err;
  EXPECT_TRUE(has(clamped.err, sidecar + ": Saturation 9999 is outside -10 to 10")) << clamped.err;
  EXPECT_EQ(clamped.out, "") << "the settings reader's lines stay hidden";
  Result mode = run({"-m", "booster", "--settings", sidecar, in, dir.file("o.jpg")});
  EXPECT_EQ(mode.status, 2);

  Result version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.compare(0, 5, "lftm "), 0) << version.out;
  EXPECT_TRUE(version.out.find_first_of("0123456789") != std::string::npos) << version.out;
  // -qv is -q -v: the library's lines, no progress lines.
  Result combined = run({"-qv", "-m", "squeezer", in, dir.file("o.jpg")});
  EXPECT_EQ(combined.status, 0) << combined.err;
  EXPECT_TRUE(has(combined.out, "Range Squeezer")) << combined.out;
  EXPECT_FALSE(has(combined.err, "wrote")) << combined.err;
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

std::vector<uint8_t> text_bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A Radiance header declaring `size` ("-Y 20000 +X 20000"), then `dataBytes` zero bytes.
std::vector<uint8_t> radiance_header(const std::string& size, size_t dataBytes) {
  std::vector<uint8_t> bytes = text_bytes("#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n" + size + "\n");
  bytes.resize(bytes.size() + dataBytes, 0);
  return bytes;
}

// A Radiance file of one grey level everywhere, except one pixel of `peak` when it is not 0;
// levels are mantissas with exponent 128, so 128 is 0.5. Run-length rows of one run a
// component: the fewest bytes an image can take.
std::vector<uint8_t> grey_radiance_file(int side, uint8_t level, uint8_t peak) {
  lftm_test::RgbePlanar image;
  image.width = image.height = side;
  image.bytes.assign(static_cast<size_t>(4) * side * side, level);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) image.bytes[(4 * y + 3) * static_cast<size_t>(side) + x] = 128;
  }
  if (peak != 0) {
    for (int c = 0; c < 3; ++c) image.bytes[static_cast<size_t>(c) * side] = peak;
  }
  return lftm_test::encode_rgbe_file(image, true);
}

TEST(CliTest, EachUnreadableInputIsNamedWithItsOwnCause) {
  lftm_test::TempDir dir;
  std::vector<uint8_t> sample = lftm_test::read_file(lftm_test::sample_path("golden_gate.hdr"));
  std::vector<uint8_t> cut(sample.begin(), sample.begin() + 3000);
  std::vector<uint8_t> png = text_bytes("\x89PNG\r\n\x1a\n");
  png.resize(600, 7);
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    const char* says;
  };
  const std::vector<Case> cases = {
      {"missing.hdr", {}, "there is no such file"},
      {"folder.hdr", {}, "is a folder"},
      {"empty.hdr", {}, "the file is empty"},
      {"cut.hdr", cut, "the file is truncated"},
      {"flipped.hdr", radiance_header("+Y 20 +X 20", 1600), "\"+Y 20 +X 20\""},
      {"renamed.exr", png, "it is a PNG image named .exr"},
      {"notes.hdr", text_bytes(std::string(40, 'x') + "\nsome text\n" + std::string(300, 'y')),
       "it is a text file named .hdr"},
      {"claims.hdr", radiance_header("-Y 20000 +X 20000", 2000), "the file is truncated"},
      {"huge.hdr", radiance_header("-Y 100000 +X 100000", 2000), "too large"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file(c.name);
    if (c.name == "folder.hdr") {
      mkdir(path.c_str(), 0700);
    } else if (c.name != "missing.hdr") {
      lftm_test::write_file(path, c.bytes);
    }
    Result r = run({"info", path});
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_TRUE(has(r.err, path + ": ") && has(r.err, c.says)) << c.name << ": " << r.err;
  }
  rmdir(dir.file("folder.hdr").c_str());
  if (geteuid() != 0) {
    const std::string locked = dir.file("locked.hdr");
    lftm_test::write_file(locked, sample);
    chmod(locked.c_str(), 0);
    Result r = run({"info", locked});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, locked + ": the file cannot be read: permission denied")) << r.err;
  }
  // Disk mode names the temporary directory that is missing.
  Result noTemp = run({"-q", "--disk", lftm_test::sample_path("golden_gate.hdr"),
                       dir.file("o.jpg")},
                      kTool, true, [] { setenv("TMPDIR", "/nonexistent-lftm-tmp", 1); });
  EXPECT_EQ(noTemp.status, 1);
  EXPECT_TRUE(has(noTemp.err, "/nonexistent-lftm-tmp: the temporary directory")) << noTemp.err;
  // A header whose size the file can hold but memory cannot: a sentence, not an abort. The
  // file is sparse, and the address-space limit is not usable under the address sanitizer.
  if (!kSanitized) {
    const std::string roomy = dir.file("roomy.hdr");
    // The first row starts like a run-length row, so the size passes the length check.
    std::vector<uint8_t> bytes = radiance_header("-Y 20000 +X 20000", 0);
    bytes.insert(bytes.end(), {2, 2, 0x4e, 0x20});
    lftm_test::write_file(roomy, bytes);
    ASSERT_EQ(truncate(roomy.c_str(), 30 << 20), 0);
    Result r = run({"info", roomy}, kTool, true, [] {
      rlimit limit = {512u << 20, 512u << 20};
      setrlimit(RLIMIT_AS, &limit);
    });
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, roomy + ": there is not enough memory")) << r.err;
    // What a run of it needs is printed before the pixels are read.
    EXPECT_TRUE(has(r.out, "400.00 megapixels") && has(r.out, "with --disk")) << r.out;
  }
}

TEST(CliTest, InfoReportsTheImagesOwnLuminanceRangeBelowOne) {
  lftm_test::TempDir dir;
  const std::string grey = dir.file("grey.hdr"), dim = dir.file("dim.hdr");
  lftm_test::write_file(grey, grey_radiance_file(64, 128, 0));
  lftm_test::write_file(dim, grey_radiance_file(64, 64, 248));  // 0.25 and one 0.96875
  Result g = run({"info", grey});
  EXPECT_EQ(g.status, 0) << g.err;
  EXPECT_TRUE(has(g.out, "min 0.5  max 0.5  geometric mean 0.5")) << g.out;
  EXPECT_TRUE(has(g.out, "0.0 stops")) << g.out;
  Result d = run({"info", dim});
  EXPECT_EQ(d.status, 0) << d.err;
  EXPECT_TRUE(has(d.out, "min 0.25  max 0.9688")) << d.out;
  EXPECT_TRUE(has(d.out, "2.0 stops")) << d.out;
}

TEST(CliTest, PreviewAndInfoRefuseOptionsTheyDoNotUse) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("desk.exr"), out = dir.file("p.jpg");
  const std::vector<std::vector<std::string>> refused = {
      {"--bits", "16"}, {"--disk"}, {"--Strength", "60"}, {"--Strength=60"}, {"-m", "squeezer"}};
  for (const auto& option : refused) {
    std::vector<std::string> args = {"preview", in, out};
    args.insert(args.end(), option.begin(), option.end());
    Result r = run(args);
    const std::string name = option[0].substr(0, option[0].find('='));
    EXPECT_EQ(r.status, 2) << name;
    EXPECT_TRUE(has(r.err, name + " is not an option of preview")) << r.err;
  }
  EXPECT_EQ(run({"preview", "--size", "64x64", "--tiff-linear", in, out}).status, 0);
  Result info = run({"info", "--quality", "80", in});
  EXPECT_EQ(info.status, 2);
  EXPECT_TRUE(has(info.err, "--quality is not an option of info")) << info.err;
}

// A 32 x 24 TIFF of `spp` samples of `bits` bits in `format`.
std::string write_tiff(const std::string& path, uint16_t photometric, uint16_t spp,
                       uint16_t bits, uint16_t format) {
  lftm_test::TiffLayout layout;
  layout.width = 32;
  layout.height = 24;
  layout.spp = spp;
  layout.bits = bits;
  layout.format = format;
  layout.photometric = photometric;
  lftm_test::write_tiff(path, layout, [&](int x, int y, int s) -> double {
    const int i = (x * spp + s) * bits / 8;  // where the sample starts in its row
    if (format == SAMPLEFORMAT_IEEEFP) return 0.25f + 0.1f * y + 0.01f * static_cast<float>(i);
    return static_cast<uint8_t>(y * 9 + i);
  });
  return path;
}

// A float TIFF is HDR input like any other; other TIFF layouts are named in the refusal.
TEST(CliTest, FloatTiffIsReadAndOtherTiffLayoutsAreNamed) {
  lftm_test::TempDir dir;
  const std::string floats = write_tiff(dir.file("float.tif"), PHOTOMETRIC_RGB, 3, 32,
                                        SAMPLEFORMAT_IEEEFP);
  Result info = run({"info", floats});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_TRUE(has(info.out, "32-bit float, 3 samples per pixel, read as linear")) << info.out;
  EXPECT_EQ(run({floats, dir.file("o.jpg")}).status, 0);
  EXPECT_TRUE(is_jpeg(dir.file("o.jpg")) || lftm_test::read_file(dir.file("o.jpg")).size() > 100);
  EXPECT_EQ(run({"preview", floats, dir.file("p.jpg"), "--size", "16x12"}).status, 0);

  struct Refused {
    uint16_t photometric, spp, bits, format;
    const char* says;
  } refused[] = {
      {PHOTOMETRIC_SEPARATED, 4, 8, SAMPLEFORMAT_UINT, "CMYK"},
      {PHOTOMETRIC_RGB, 3, 32, SAMPLEFORMAT_UINT, "32-bit integer"},
  };
  for (const Refused& r : refused) {
    const std::string path = write_tiff(dir.file("odd.tif"), r.photometric, r.spp, r.bits,
                                        r.format);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{path, dir.file("o.jpg")}, {"info", path}}) {
      Result result = run(args);
      EXPECT_EQ(result.status, 1);
      EXPECT_TRUE(has(result.err, r.says)) << result.err;
      EXPECT_FALSE(has(result.err, "temporary directory")) << result.err;
    }
  }
}

TEST(CliTest, AMissingSiblingLibraryIsNamed) {
  // A copy of the program and of liblftm.so.0 (which it finds through its run path) in a
  // tree without the imaging libraries.
  lftm_test::TempDir dir;
  const std::string bin = dir.file("bin"), lib = dir.file("lib");
  mkdir(bin.c_str(), 0700);
  mkdir(lib.c_str(), 0700);
  const std::string copy = bin + "/lftm", library = lib + "/liblftm.so.0";
  lftm_test::write_file(copy, lftm_test::read_file(kTool));
  chmod(copy.c_str(), 0700);
  lftm_test::write_file(library, lftm_test::read_file(directory_of(directory_of(kTool)) +
                                                      "/lib/liblftm.so.0"));
  Result r =
      run({lftm_test::sample_path("golden_gate_linear16.tif"), dir.file("o.jpg")}, copy, false);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "libLumenforge")) << r.err;
  EXPECT_TRUE(has(r.err, "was not found")) << r.err;
  unlink(copy.c_str());
  unlink(library.c_str());
  rmdir(bin.c_str());
  rmdir(lib.c_str());
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
                        true, [&tmp] { setenv("TMPDIR", tmp.c_str(), 1); });
      int status = 0;
      bool ended = false;
      // Waits until a scratch file exists (the run is inside the stages), then interrupts.
      for (int ms = 0; ms < 60000; ++ms) {
        if (waitpid(pid, &status, WNOHANG) == pid) {
          ended = true;
          break;
        }
        std::vector<std::string> names = lftm_test::directory_entries(tmp);
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
      EXPECT_EQ(lftm_test::directory_entries(tmp), std::vector<std::string>{})
          << "a scratch file was left";
      // The signal may only just miss the rename; then the output is whole.
      std::vector<std::string> left = lftm_test::directory_entries(outs);
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
