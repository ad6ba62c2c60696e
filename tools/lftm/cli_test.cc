// The lftm program as a user runs it: every bundled sample format, options, failures.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

const std::string kTool = LFTM_TOOL_PATH;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

std::string directory_of(const std::string& path) { return path.substr(0, path.rfind('/')); }

// Runs the program with its standard streams in files. The sibling libraries' folder goes
// on the library path, where a sanitizer build of the program needs it.
Result run(const std::vector<std::string>& args, const std::string& program = kTool,
           bool libraryPath = true) {
  lftm_test::TempDir streams;
  const std::string outPath = streams.file("out"), errPath = streams.file("err");
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
    execv(program.c_str(), argv.data());
    _exit(127);
  }
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

std::string text_of(const std::string& path) {
  std::vector<uint8_t> bytes = lftm_test::read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") {
        names.push_back(e->d_name);
      }
    }
    closedir(d);
  }
  return names;
}

bool is_jpeg(const std::string& path) {
  std::vector<uint8_t> bytes = lftm_test::read_file(path);
  return bytes.size() > 1000 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

TEST(CliTest, ToneMapsEveryBundledFormatWithBothMethods) {
  lftm_test::TempDir dir;
  for (const char* sample : {"golden_gate.hdr", "desk.exr", "golden_gate_linear16.tif",
                             "forest_360.hdr"}) {
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
      {{hdr, dir.file("o.png")}, "must end in .jpg, .jpeg, .tif"},
      {{"--bits", "16", hdr, dir.file("o.jpg")}, "8 bits"},
      {{"--Strength", "strong", hdr, dir.file("o.jpg")}, "takes a number from 0 to 100"},
      {{"--Gamma", "0", hdr, dir.file("o.jpg")}, "gamma value from 0.3 to 2"},
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
  EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"golden_gate.exr"});
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
  EXPECT_TRUE(has(text_of(look), "<lftm:Gamma>1.2</lftm:Gamma>"));
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
    EXPECT_TRUE(has(r.err, sidecar + ": Saturation takes a number from -10 to 10")) << r.err;
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
  EXPECT_TRUE(has(run({"info", lftm_test::sample_path("golden_gate.hdr")}).out,
                  "1262 x 860 pixels"));
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
  Result r = run({lftm_test::sample_path("golden_gate_linear16.tif"), dir.file("o.jpg")}, copy,
                 false);
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has(r.err, "libLumenforge")) << r.err;
  EXPECT_TRUE(has(r.err, "was not found")) << r.err;
  unlink(copy.c_str());
  rmdir(bin.c_str());
}

}  // namespace
