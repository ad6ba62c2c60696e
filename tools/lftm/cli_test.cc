// The lftm program as a user runs it: every bundled sample format, options, failures.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tiffio.h>

#include <gtest/gtest.h>

#include <cstring>
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
  EXPECT_TRUE(has(run({"info", lftm_test::sample_path("golden_gate.hdr")}).out,
                  "1262 x 860 pixels"));
  EXPECT_EQ(run({"info", dir.file("none.hdr")}).status, 1);
  EXPECT_EQ(run({"preview", lftm_test::sample_path("desk.exr"), dir.file("p.tif")}).status, 2);
}

// A 32 x 24 TIFF of `spp` samples of `bits` bits in `format`, all samples alike.
std::string write_tiff(const std::string& path, uint16_t photometric, uint16_t spp,
                       uint16_t bits, uint16_t format) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 32);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 24);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, format);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  std::vector<uint8_t> row(32 * spp * bits / 8);
  for (uint32_t y = 0; y < 24; ++y) {
    for (size_t i = 0; i < row.size(); i += bits / 8) {
      const float f = 0.25f + 0.1f * y + 0.01f * static_cast<float>(i);
      if (format == SAMPLEFORMAT_IEEEFP) std::memcpy(&row[i], &f, 4);
      else row[i] = static_cast<uint8_t>(y * 9 + i);
    }
    TIFFWriteScanline(tif, row.data(), y, 0);
  }
  TIFFClose(tif);
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
