// SPDX-License-Identifier: BSD-3-Clause
// The host interface against the file-to-file drivers and the command-line tool: the same
// bits for the same pixels, with the host's layouts, progress, cancel and messages.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "lftm.h"
#include "lftm_host.h"
#include "support/diag_capture.h"
#include "support/driver_run.h"
#include "support/files.h"
#include "support/image_files.h"
#include "support/temp_dir.h"
#include "support/watchdog.h"

namespace {

using lftm_test::Method;

lftm_options options_for(Method method, int32_t threads = 2) {
  lftm_options options;
  lftm_options_init(&options, sizeof options,
                    method == Method::kSqueezer ? LFTM_METHOD_RANGE_SQUEEZER
                                                : LFTM_METHOD_TEXTURE_BOOSTER);
  options.threads = threads;
  return options;
}

// The pixels of an HDR file as lftm_read_image gives them.
struct HostPixels {
  int64_t width = 0, height = 0;
  std::vector<float> rgb;
};

HostPixels read_pixels(const std::string& path) {
  HostPixels pixels;
  lftm_file_info info;
  info.struct_size = sizeof info;
  EXPECT_EQ(lftm_read_info(path.c_str(), &info, 0), 0) << path;
  pixels.width = info.width;
  pixels.height = info.height;
  pixels.rgb.resize(static_cast<size_t>(3 * info.width * info.height));
  lftm_image image;
  lftm_image_init(&image, sizeof image, LFTM_SAMPLE_FLOAT32, 3, info.width, info.height,
                  pixels.rgb.data());
  EXPECT_EQ(lftm_read_image(path.c_str(), &image, nullptr), 0) << path;
  return pixels;
}

// Runs lftm_tonemap_image on packed RGB pixels into packed samples of `bits` bits; returns
// the call's result. The output keeps its bytes when the call fails.
int32_t tonemap_packed(const HostPixels& pixels, const lftm_options& options, int32_t bits,
                       std::vector<uint8_t>* out) {
  lftm_image input, output;
  lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, pixels.width, pixels.height,
                  const_cast<float*>(pixels.rgb.data()));
  lftm_image_init(&output, sizeof output, bits == 16 ? LFTM_SAMPLE_UINT16 : LFTM_SAMPLE_UINT8,
                  3, pixels.width, pixels.height, out->data());
  return lftm_tonemap_image(&input, &output, &options);
}

// Tone maps `pixels` with rows `padding` bytes longer than needed; returns the samples as
// 16-bit values (packed rows).
std::vector<uint16_t> tonemap_pixels(const HostPixels& pixels, const lftm_options& options,
                                     int32_t bits, int64_t padding = 0) {
  const int64_t w = pixels.width, h = pixels.height;
  const int64_t inStride = 3 * 4 * w + padding;
  std::vector<uint8_t> in(static_cast<size_t>(inStride * h));
  for (int64_t y = 0; y < h; ++y) {
    std::memcpy(&in[static_cast<size_t>(y * inStride)], &pixels.rgb[static_cast<size_t>(3 * w * y)],
                static_cast<size_t>(12 * w));
  }
  const int64_t sampleBytes = bits / 8;
  const int64_t outStride = 3 * sampleBytes * w + padding;
  std::vector<uint8_t> out(static_cast<size_t>(outStride * h));
  lftm_image input, output;
  lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, w, h, in.data());
  input.row_stride = inStride;
  lftm_image_init(&output, sizeof output, bits == 16 ? LFTM_SAMPLE_UINT16 : LFTM_SAMPLE_UINT8,
                  3, w, h, out.data());
  output.row_stride = outStride;
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &options), 0);
  std::vector<uint16_t> samples;
  for (int64_t y = 0; y < h; ++y) {
    const uint8_t* row = &out[static_cast<size_t>(y * outStride)];
    for (int64_t i = 0; i < 3 * w; ++i) {
      uint16_t v = row[i];
      if (bits == 16) std::memcpy(&v, row + 2 * i, 2);
      samples.push_back(bits == 16 ? v : static_cast<uint16_t>(v * 257));
    }
  }
  return samples;
}

TEST(HostApiTest, TonemapImageOfReadImageEqualsTheDriversFile) {
  lftm_test::TempDir dir;
  struct Case {
    const char* sample;
    int32_t extType;
    Method method;
    int32_t bits;
    bool disk;
  };
  const Case cases[] = {
      {"golden_gate.hdr", LFTM_EXT_HDR, Method::kBooster, 8, false},
      {"golden_gate.hdr", LFTM_EXT_HDR, Method::kBooster, 16, true},
      {"golden_gate.hdr", LFTM_EXT_HDR, Method::kSqueezer, 16, false},
      {"desk.exr", LFTM_EXT_EXR, Method::kBooster, 16, false},
      {"desk.exr", LFTM_EXT_EXR, Method::kBooster, 8, true},
      {"desk.exr", LFTM_EXT_EXR, Method::kSqueezer, 8, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.sample) +
                 (c.method == Method::kBooster ? " booster " : " squeezer ") +
                 std::to_string(c.bits) + (c.disk ? " disk" : " memory"));
    lftm_test::DriverRun run;
    run.method = c.method;
    run.extType = c.extType;
    run.in = lftm_test::sample_path(c.sample);
    run.out = dir.file("driver.tif");
    run.bits = c.bits;
    run.disk = c.disk;
    ASSERT_EQ(run_driver(run), 1);
    lftm_options options = options_for(c.method);
    options.disk = c.disk ? 1 : 0;
    const HostPixels pixels = read_pixels(run.in);
    // Padded rows in and out: the stride is the host's, the samples are the same.
    EXPECT_EQ(tonemap_pixels(pixels, options, c.bits, c.disk ? 0 : 6),
              lftm_test::tiff_samples(run.out));
  }
}

// What the progress callback saw, and when it asks to stop.
struct ProgressLog {
  std::vector<float> fractions;
  std::vector<std::string> steps;
  std::thread::id caller = std::this_thread::get_id();
  bool offThread = false;
  float stopAt = 2.0f;          // cancel at the first report at or past this fraction
  std::string stopInStep;       // or at the first report of this step
  std::atomic<float> latest{0.0f};
};

int32_t record_progress(void* user, float fraction, const char* step) {
  auto* log = static_cast<ProgressLog*>(user);
  if (std::this_thread::get_id() != log->caller) log->offThread = true;
  log->fractions.push_back(fraction);
  log->steps.push_back(step);
  log->latest.store(fraction);
  return fraction >= log->stopAt || log->stopInStep == step ? 1 : 0;
}

TEST(HostApiTest, ProgressRisesToOneAndACancelAnywhereLeavesNothingBehind) {
  const HostPixels pixels = read_pixels(lftm_test::sample_path("golden_gate.hdr"));
  const size_t outBytes = static_cast<size_t>(3 * pixels.width * pixels.height);
  for (int disk = 0; disk < 2; ++disk) {
    SCOPED_TRACE(disk ? "disk" : "memory");
    lftm_test::ScopedTmpdir tmpdir;
    lftm_options options = options_for(Method::kBooster);
    options.disk = disk;
    ProgressLog log;
    options.progress = record_progress;
    options.progress_user = &log;
    std::vector<uint8_t> out(outBytes, 0xab);
    ASSERT_EQ(tonemap_packed(pixels, options, 8, &out), 0);
    EXPECT_GE(log.fractions.size(), 20u);
    for (size_t i = 1; i < log.fractions.size(); ++i) {
      ASSERT_GE(log.fractions[i], log.fractions[i - 1]) << log.steps[i];
    }
    EXPECT_EQ(log.fractions.back(), 1.0f);
    EXPECT_FALSE(log.offThread);

    // Stopped in each stage, inside the solver, and by the host's flag from another thread.
    for (int when = 0; when < 4; ++when) {
      SCOPED_TRACE(when);
      ProgressLog stopper;
      options.progress_user = &stopper;
      int32_t flag = 0;
      options.cancel = nullptr;
      if (when == 0) stopper.stopAt = 0.1f;
      if (when == 1) stopper.stopInStep = "solving";
      if (when == 2) stopper.stopAt = 0.9f;
      std::thread host;
      if (when == 3) {
        options.cancel = &flag;
        host = std::thread([&] {
          while (stopper.latest.load() < 0.5f) std::this_thread::yield();
          __atomic_store_n(&flag, 1, __ATOMIC_RELAXED);
        });
      }
      std::vector<uint8_t> untouched(outBytes, 0xab);
      EXPECT_EQ(tonemap_packed(pixels, options, 8, &untouched), LFTM_ERR_CANCELLED);
      if (host.joinable()) host.join();
      EXPECT_EQ(untouched, std::vector<uint8_t>(outBytes, 0xab));
      EXPECT_LT(stopper.fractions.back(), 1.0f);
      EXPECT_TRUE(lftm_test::directory_entries(tmpdir.path()).empty());
    }
  }
}

// With workers, the writer takes the rows while they are computed: a cancel in that step
// stops the run and leaves neither the file nor its temporary.
TEST(HostApiTest, ACancelWhileTheRowsAreEncodedLeavesNoFile) {
  const std::string in = lftm_test::sample_path("desk.exr");
  lftm_test::TempDir dir;
  for (Method method : {Method::kBooster, Method::kSqueezer}) {
    for (const char* name : {"out.jpg", "out.tif"}) {
      SCOPED_TRACE(name);
      lftm_options options = options_for(method, 3);
      options.bits = name[4] == 'j' ? 8 : 16;
      ProgressLog stopper;
      stopper.stopInStep = method == Method::kBooster ? "finishing" : "tone mapping";
      options.progress = record_progress;
      options.progress_user = &stopper;
      EXPECT_EQ(lftm_tonemap_file(in.c_str(), dir.file(name).c_str(), &options),
                LFTM_ERR_CANCELLED);
      EXPECT_TRUE(lftm_test::directory_entries(dir.path()).empty());
    }
  }
}

void record_line(void* user, int32_t stream, const char* line) {
  auto* lines = static_cast<std::vector<std::string>*>(user);
  lines->push_back(std::to_string(stream) + line);
}

TEST(HostApiTest, MessagesGoToTheCallbackInWholeLinesOrNowhere) {
  const HostPixels pixels = read_pixels(lftm_test::sample_path("desk.exr"));
  std::vector<uint8_t> out(static_cast<size_t>(3 * pixels.width * pixels.height));
  for (Method method : {Method::kBooster, Method::kSqueezer}) {
    lftm_test::DiagCapture printed;
    lftm_options options = options_for(method, 4);
    std::vector<std::string> lines;
    options.messages = LFTM_MESSAGES_CALLBACK;
    options.message = record_line;
    options.message_user = &lines;
    ASSERT_EQ(tonemap_packed(pixels, options, 8, &out), 0);
    EXPECT_GT(lines.size(), 5u);
    for (const std::string& line : lines) {
      EXPECT_TRUE(line[0] == '1' || line[0] == '2') << line;
      EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
    options.messages = LFTM_MESSAGES_SILENT;
    ASSERT_EQ(tonemap_packed(pixels, options, 8, &out), 0);
    EXPECT_EQ(printed.out() + printed.err(), "");
  }
}

// Each reason a path cannot be read has its own code in the host functions and lftm_check_input;
// the classic functions keep theirs. None of them may open a pipe and wait for a writer.
TEST(HostApiTest, UnreadableInputsAreRefusedWithTheirCauseAndNeverBlock) {
  lftm_test::Watchdog watchdog("an input that is a pipe", 60);
  lftm_test::TempDir dir;
  const std::string fifo = dir.file("pipe.hdr");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string empty = dir.file("empty.exr");
  ASSERT_TRUE(lftm_test::write_text(empty, ""));
  const std::string out = dir.file("out.tif");
  const struct {
    std::string path;
    int32_t cause;
  } cases[] = {
      {dir.file("missing.hdr"), LFTM_ERR_INPUT_MISSING},
      {dir.file("missing.hdr/x.hdr"), LFTM_ERR_INPUT_MISSING},
      {dir.path(), LFTM_ERR_INPUT_FOLDER},
      {fifo, LFTM_ERR_INPUT_NOT_REGULAR},
      {empty, LFTM_ERR_INPUT_EMPTY},
  };
  const lftm_options options = options_for(Method::kBooster);
  float pixel[3];
  lftm_image image;
  ASSERT_EQ(lftm_image_init(&image, sizeof image, LFTM_SAMPLE_FLOAT32, 3, 1, 1, pixel), 0);
  for (const auto& c : cases) {
    const char* path = c.path.c_str();
    EXPECT_EQ(lftm_check_input(path), c.cause) << path;
    lftm_file_info info;
    info.struct_size = sizeof info;
    EXPECT_EQ(lftm_read_info(path, &info, 1), c.cause) << path;
    EXPECT_EQ(lftm_read_image(path, &image, &options), c.cause) << path;
    EXPECT_EQ(lftm_tonemap_file(path, out.c_str(), &options), c.cause) << path;
    EXPECT_FALSE(lftm_test::file_exists(out));
    EXPECT_STRNE(lftm_strerror(c.cause, 0), lftm_strerror(LFTM_ERR_UNKNOWN_FORMAT, 0));
  }
  // The classic functions, on the pipe, in each input kind their readers open by name.
  lftm_test::DiagCapture printed;
  for (int32_t extType : {LFTM_EXT_HDR, LFTM_EXT_EXR, LFTM_EXT_TIF_LINEAR}) {
    for (Method method : {Method::kBooster, Method::kSqueezer}) {
      lftm_test::DriverRun run;
      run.method = method;
      run.extType = extType;
      run.in = fifo;
      run.out = out;
      EXPECT_EQ(lftm_test::run_driver(run), LFTM_ERR_INFO) << extType;
    }
  }
  EXPECT_NE(printed.out().find(fifo + ": this is not a regular file"), std::string::npos);
  uint8_t preview[3 * 4 * 4];
  EXPECT_EQ(qv_from_file(4, 4, fifo.c_str(), preview), LFTM_ERR_INFO);
  TmParam params;
  EXPECT_EQ(parse_xmp(fifo.c_str(), -1, &params), LFTM_ERR_FILE);
  EXPECT_EQ(lftm_check_input(lftm_test::sample_path("desk.exr").c_str()), 0);
}

// A limit the host set and an unusable temporary folder are told apart from a machine short of
// memory or a damaged file: their codes, and a message line with the numbers or the folder.
TEST(HostApiTest, LimitAndTemporaryFolderRefusalsSayWhatAndWhere) {
  const std::string in = lftm_test::sample_path("golden_gate.hdr");
  lftm_test::TempDir dir;
  const std::string out = dir.file("out.tif");
  std::vector<std::string> lines;
  lftm_options options = options_for(Method::kBooster);
  options.messages = LFTM_MESSAGES_CALLBACK;
  options.message = record_line;
  options.message_user = &lines;
  options.memory_limit = 1;
  EXPECT_EQ(lftm_tonemap_file(in.c_str(), out.c_str(), &options), LFTM_ERR_OVER_LIMIT);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find("and the limit set is 1 bytes"), std::string::npos)
      << lines.back();
  EXPECT_EQ(std::string(lftm_strerror(LFTM_ERR_OVER_LIMIT, 0)).find("close other programs"),
            std::string::npos);

  options.memory_limit = 0;
  options.disk = 1;
  const std::string missing = dir.file("no-such-folder");
  {
    lftm_test::ScopedTmpdir tmp(missing);
    lines.clear();
    EXPECT_EQ(lftm_tonemap_file(in.c_str(), out.c_str(), &options), LFTM_ERR_TEMP_MISSING);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "1the temporary folder " + missing +
                                " does not exist: set TMPDIR to an existing folder");
  }
  if (geteuid() == 0) return;  // root writes into any folder
  const std::string locked = dir.file("locked");
  ASSERT_EQ(mkdir(locked.c_str(), 0500), 0);
  lftm_test::ScopedTmpdir tmp(locked);
  lines.clear();
  EXPECT_EQ(lftm_tonemap_file(in.c_str(), out.c_str(), &options), LFTM_ERR_TEMP_NOT_WRITABLE);
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines.back().find(locked + " is not writable"), std::string::npos);
}

// A progress callback that calls the library; `user` receives that call's result.
int32_t enlarge_in_callback(void* user, float /*fraction*/, const char* /*step*/) {
  const float src[4] = {1, 2, 3, 4};
  float dst[16];
  *static_cast<int32_t*>(user) = tm300(2, 2, 4, 4, src, dst);
  return 0;
}

TEST(HostApiTest, LibraryCallsFromACallbackAreNotPartOfTheRun) {
  lftm_test::DiagCapture printed;
  std::vector<float> in(12 * 12 * 3, 0.5f);
  std::vector<uint8_t> out(12 * 12 * 3);
  lftm_image input, output;
  lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, 12, 12, in.data());
  lftm_image_init(&output, sizeof output, LFTM_SAMPLE_UINT8, 3, 12, 12, out.data());
  lftm_options options = options_for(Method::kBooster);
  const int32_t cancel = 1;
  int32_t inner = 0;
  options.cancel = &cancel;
  options.progress = enlarge_in_callback;
  options.progress_user = &inner;
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &options), LFTM_ERR_CANCELLED);
  // The inner call printed on standard error as it always does; the silent run printed
  // nothing.
  EXPECT_EQ(inner, 16);
  EXPECT_NE(printed.err(), "");
  EXPECT_EQ(printed.out(), "");
}

TEST(HostApiTest, ConcurrentCallsGiveTheirSoloResults) {
  const char* samples[] = {"golden_gate.hdr", "desk.exr", "forest_360.hdr", "golden_gate.hdr"};
  std::vector<HostPixels> inputs;
  std::vector<lftm_options> options;
  std::vector<std::vector<uint8_t>> solo, together;
  for (int i = 0; i < 4; ++i) {
    inputs.push_back(read_pixels(lftm_test::sample_path(samples[i])));
    options.push_back(options_for(i == 3 ? Method::kSqueezer : Method::kBooster, 1 + i % 2));
    options.back().disk = i == 2 ? 1 : 0;
    solo.emplace_back(static_cast<size_t>(6 * inputs[i].width * inputs[i].height));
    ASSERT_EQ(tonemap_packed(inputs[i], options[i], 16, &solo[i]), 0);
  }
  together = std::vector<std::vector<uint8_t>>(solo.size());
  std::vector<std::thread> hosts;
  std::vector<int32_t> results(4, 1);
  for (int i = 0; i < 4; ++i) {
    together[i].resize(solo[i].size());
    hosts.emplace_back(
        [&, i] { results[i] = tonemap_packed(inputs[i], options[i], 16, &together[i]); });
  }
  for (std::thread& host : hosts) host.join();
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(results[i], 0) << i;
    EXPECT_TRUE(together[i] == solo[i]) << samples[i];
  }
}

TEST(HostApiTest, TonemapFileWritesTheToolsFile) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("desk.exr");
  for (int32_t bits : {8, 16}) {
    const std::string tool = dir.file(bits == 8 ? "tool.jpg" : "tool.tif");
    const std::string host = dir.file(bits == 8 ? "host.jpg" : "host.tif");
    const std::string command = std::string(LFTM_TOOL_PATH) + " -q --bits " +
                                std::to_string(bits) + " " + in + " " + tool;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    lftm_options options = options_for(Method::kBooster, 0);
    options.bits = bits;
    ASSERT_EQ(lftm_tonemap_file(in.c_str(), host.c_str(), &options), 0);
    EXPECT_TRUE(lftm_test::read_file(host) == lftm_test::read_file(tool)) << host;
  }
}

// The classic Range Squeezer driver writing `out` with a Software text of its caller's
// (null: the default) and with or without the embedded settings.
int32_t classic_tms(const std::string& in, const std::string& out, const char* software,
                    bool settings) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = 8;
  TmFiles files;
  init_optim_param(&files);
  files.inFile = in.c_str();
  TmParam params;
  tmparam_default(LFTM_METHOD_RANGE_SQUEEZER, 0, &params);
  SaveOptions save = {};
  save.options[LFTM_SAVE_METADATA] = settings ? 0 : LFTM_META_NO_SETTINGS;
  return tms(LFTM_EXT_EXR, &desc, &params, 90, &save, 0, 0, 0, 0,
             reinterpret_cast<intptr_t>(software), nullptr, &files, out.c_str());
}

// An existing file is replaced only when lftm wrote it or the host says so, and never when it
// is not a regular file; what the writers store is how lftm knows its own images.
TEST(HostApiTest, TonemapFileReplacesOnlyItsOwnOutputsAndRegularFiles) {
  lftm_test::TempDir dir;
  const std::string in = lftm_test::sample_path("desk.exr");
  lftm_options options = options_for(Method::kSqueezer);
  for (int32_t bits : {8, 16}) {  // a second run replaces the first one's file
    options.bits = bits;
    const std::string out = dir.file(bits == 8 ? "again.jpg" : "again.tif");
    ASSERT_EQ(lftm_tonemap_file(in.c_str(), out.c_str(), &options), 0);
    EXPECT_EQ(lftm_check_output(out.c_str(), nullptr, 0), 1) << out;
    EXPECT_EQ(lftm_tonemap_file(in.c_str(), out.c_str(), &options), 0) << out;
  }

  // An original photograph and a text file that have an output's name.
  const std::string original = dir.file("photo.tif");
  const std::vector<uint8_t> photo =
      lftm_test::read_file(lftm_test::sample_path("golden_gate_linear16.tif"));
  ASSERT_TRUE(lftm_test::write_file(original, photo));
  EXPECT_EQ(lftm_tonemap_file(in.c_str(), original.c_str(), &options), LFTM_ERR_OUTPUT_EXISTS);
  EXPECT_EQ(lftm_test::read_file(original), photo);
  const std::string notes = dir.file("notes.jpg");
  ASSERT_TRUE(lftm_test::write_text(notes, "notes\n"));
  ASSERT_EQ(chmod(notes.c_str(), 0640), 0);
  options.bits = 8;
  lftm_options older = options;  // a 0.3 record ends before `overwrite`
  older.overwrite = 1;
  older.struct_size = offsetof(lftm_options, overwrite);
  EXPECT_EQ(lftm_tonemap_file(in.c_str(), notes.c_str(), &older), LFTM_ERR_OUTPUT_EXISTS);
  options.overwrite = 1;
  EXPECT_EQ(lftm_tonemap_file(in.c_str(), notes.c_str(), &options), 0);
  EXPECT_TRUE(lftm_test::starts_with_jpeg_marker(notes));
  struct stat st;
  ASSERT_EQ(stat(notes.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // A pipe is written by nothing, not even the classic drivers.
  const std::string pipe = dir.file("pipe.jpg");
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  EXPECT_EQ(lftm_tonemap_file(in.c_str(), pipe.c_str(), &options), LFTM_ERR_OUTPUT_NOT_FILE);
  {
    lftm_test::DiagCapture printed;
    EXPECT_EQ(classic_tms(in, pipe, nullptr, true), LFTM_ERR_WRITER_CREATE);
    EXPECT_NE(printed.out().find(pipe + ": it is not a regular file"), std::string::npos);
  }
  ASSERT_EQ(stat(pipe.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // The caller's Software text, or the embedded settings, mark the file as lftm's.
  const std::string studio = dir.file("studio.jpg");
  lftm_test::DiagCapture quiet;
  ASSERT_EQ(classic_tms(in, studio, "Studio", false), 1);
  EXPECT_EQ(lftm_check_output(studio.c_str(), nullptr, 0), LFTM_ERR_OUTPUT_EXISTS);
  EXPECT_EQ(lftm_check_output(studio.c_str(), "Studio", 0), 1);
  ASSERT_EQ(classic_tms(in, studio, "Studio", true), 1);  // the classic driver replaces
  EXPECT_EQ(lftm_check_output(studio.c_str(), nullptr, 0), 1);
}

TEST(HostApiTest, GreyAndAlphaChannelsFollowTheColourRun) {
  const int64_t w = 40, h = 30;
  HostPixels rgb;
  rgb.width = w;
  rgb.height = h;
  std::vector<float> grey(static_cast<size_t>(w * h)), rgba(static_cast<size_t>(4 * w * h));
  const float alphas[] = {-1.0f, 0.5f, 2.0f, NAN, 0.25f};
  for (int64_t i = 0; i < w * h; ++i) {
    const float v = 0.01f + static_cast<float>((i * 37) % 101) * (i % 7 == 0 ? 3.0f : 0.02f);
    grey[static_cast<size_t>(i)] = v;
    for (int k = 0; k < 3; ++k) {
      rgb.rgb.push_back(v);
      rgba[static_cast<size_t>(4 * i + k)] = v;
    }
    rgba[static_cast<size_t>(4 * i + 3)] = alphas[i % 5];
  }
  for (Method method : {Method::kBooster, Method::kSqueezer}) {
    const lftm_options options = options_for(method);
    std::vector<uint8_t> colour(static_cast<size_t>(6 * w * h));
    ASSERT_EQ(tonemap_packed(rgb, options, 16, &colour), 0);
    std::vector<uint16_t> greyOut(static_cast<size_t>(w * h));
    std::vector<uint16_t> rgbaOut(static_cast<size_t>(4 * w * h));
    lftm_image input, output;
    lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 1, w, h, grey.data());
    lftm_image_init(&output, sizeof output, LFTM_SAMPLE_UINT16, 1, w, h, greyOut.data());
    ASSERT_EQ(lftm_tonemap_image(&input, &output, &options), 0);
    lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 4, w, h, rgba.data());
    lftm_image_init(&output, sizeof output, LFTM_SAMPLE_UINT16, 4, w, h, rgbaOut.data());
    ASSERT_EQ(lftm_tonemap_image(&input, &output, &options), 0);
    const uint16_t expectedAlpha[] = {0, 32768, 65535, 0, 16384};
    for (size_t i = 0; i < static_cast<size_t>(w * h); ++i) {
      uint16_t c[3];
      std::memcpy(c, &colour[6 * i], sizeof c);
      ASSERT_EQ(greyOut[i], c[0]) << i;
      for (int k = 0; k < 3; ++k) ASSERT_EQ(rgbaOut[4 * i + k], c[k]) << i;
      ASSERT_EQ(rgbaOut[4 * i + 3], expectedAlpha[i % 5]) << i;
    }
  }
}

TEST(HostApiTest, ReadInfoNamesTheKindTheDriversAreGiven) {
  struct Case {
    const char* sample;
    int32_t format, extType, width, height;
  };
  const Case cases[] = {{"golden_gate.hdr", LFTM_FORMAT_RADIANCE, LFTM_EXT_HDR, 1262, 860},
                        {"desk.exr", LFTM_FORMAT_OPENEXR, LFTM_EXT_EXR, 644, 874},
                        {"golden_gate_linear16.tif", LFTM_FORMAT_TIFF_16, LFTM_EXT_TIF_LINEAR,
                         1262, 860}};
  for (const Case& c : cases) {
    lftm_file_info info;
    info.struct_size = sizeof info;
    ASSERT_EQ(lftm_read_info(lftm_test::sample_path(c.sample).c_str(), &info, 1), 0);
    EXPECT_EQ(info.format, c.format) << c.sample;
    EXPECT_EQ(info.ext_type, c.extType) << c.sample;
    EXPECT_EQ(info.width, c.width) << c.sample;
    EXPECT_EQ(info.height, c.height) << c.sample;
    EXPECT_EQ(info.has_stats, 1) << c.sample;
    EXPECT_LT(info.log_min, info.log_mean) << c.sample;
    EXPECT_LT(info.log_mean, info.log_max) << c.sample;
    EXPECT_NEAR(info.lum_geomean, std::exp(info.log_mean), 1e-9 * info.lum_geomean);
  }
}

TEST(HostApiTest, UnusableArgumentsAreRefusedBeforeAnyWork) {
  float in[12 * 12 * 3] = {};
  uint8_t out[12 * 12 * 3] = {};
  lftm_options options = options_for(Method::kBooster);
  lftm_image input, output;
  ASSERT_EQ(lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, 12, 12, in), 0);
  ASSERT_EQ(lftm_image_init(&output, sizeof output, LFTM_SAMPLE_UINT8, 3, 12, 12, out), 0);
  EXPECT_EQ(lftm_options_init(&options, offsetof(lftm_options, memory_limit) - 4,
                              LFTM_METHOD_TEXTURE_BOOSTER),
            LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_options_init(&options, sizeof options, LFTM_METHOD_BLEND_TUNE),
            LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 2, 12, 12, in),
            LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_image_init(&input, sizeof input, LFTM_SAMPLE_FLOAT32, 3, 0, 12, in),
            LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_tonemap_image(&input, &output, nullptr), LFTM_ERR_ARGUMENT);
  EXPECT_EQ(lftm_tonemap_image(&output, &input, &options), LFTM_ERR_ARGUMENT);
  lftm_image bad = output;
  bad.row_stride = 12 * 3 - 1;  // shorter than a row
  EXPECT_EQ(lftm_tonemap_image(&input, &bad, &options), LFTM_ERR_ARGUMENT);
  bad = output;
  bad.width = 11;
  EXPECT_EQ(lftm_tonemap_image(&input, &bad, &options), LFTM_ERR_ARGUMENT);
  bad = output;
  bad.struct_size = 8;
  EXPECT_EQ(lftm_tonemap_image(&input, &bad, &options), LFTM_ERR_ARGUMENT);
  lftm_options wrong = options;
  wrong.threads = 33;
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &wrong), LFTM_ERR_ARGUMENT);
  wrong = options;
  wrong.messages = LFTM_MESSAGES_CALLBACK;  // without a callback
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &wrong), LFTM_ERR_ARGUMENT);
  wrong = options;
  wrong.memory_limit = -1;
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &wrong), LFTM_ERR_ARGUMENT);
  wrong.memory_limit = 1 << 20;  // less than any run needs
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &wrong), LFTM_ERR_OVER_LIMIT);
  EXPECT_EQ(out[0], 0);

  // A host built against the 0.2 header has a record that ends before memory_limit: filled
  // without writing past it, and taken as it is.
  struct {
    lftm_options record;
    unsigned char after[16];
  } older;
  std::memset(&older, 0xA5, sizeof older);
  const size_t size02 = offsetof(lftm_options, memory_limit);
  ASSERT_EQ(lftm_options_init(&older.record, size02, LFTM_METHOD_TEXTURE_BOOSTER), 0);
  EXPECT_EQ(older.record.struct_size, size02);
  const unsigned char* tail = reinterpret_cast<const unsigned char*>(&older.record) + size02;
  EXPECT_TRUE(std::all_of(tail, tail + sizeof older - size02,
                          [](unsigned char b) { return b == 0xA5; }));
  EXPECT_EQ(lftm_tonemap_image(&input, &output, &older.record), 0);
  std::fill(out, out + sizeof out / sizeof out[0], 0);

  // Sizes the drivers cannot count, and files of no known kind.
  bad = input;
  bad.width = int64_t{1} << 32;
  lftm_image huge = output;
  huge.width = bad.width;
  EXPECT_EQ(lftm_tonemap_image(&bad, &huge, &options), LFTM_ERR_TOO_LARGE);
  lftm_test::TempDir dir;
  huge.width = (int64_t{1} << 31) / 3 + 1;  // a row of more samples than 32 bits count
  EXPECT_EQ(lftm_write_image(dir.file("wide.tif").c_str(), &huge, &options), LFTM_ERR_TOO_LARGE);
  EXPECT_TRUE(lftm_test::directory_entries(dir.path()).empty());
  const std::string text = dir.file("notes.txt");
  ASSERT_TRUE(lftm_test::write_text(text, "not an image\n"));
  EXPECT_EQ(lftm_tonemap_file(text.c_str(), dir.file("out.tif").c_str(), &options),
            LFTM_ERR_UNKNOWN_FORMAT);
  lftm_file_info info;
  info.struct_size = sizeof info;
  EXPECT_EQ(lftm_read_info(text.c_str(), &info, 1), LFTM_ERR_UNKNOWN_FORMAT);

  // An output that is the input under another name would replace the photograph.
  const std::string photo = dir.file("photo.hdr");
  const std::string link = dir.file("link.tif");
  const std::vector<uint8_t> before =
      lftm_test::read_file(lftm_test::sample_path("golden_gate.hdr"));
  ASSERT_TRUE(lftm_test::write_file(photo, before));
  ASSERT_EQ(symlink(photo.c_str(), link.c_str()), 0);
  EXPECT_EQ(lftm_tonemap_file(photo.c_str(), link.c_str(), &options), LFTM_ERR_SAME_FILE);
  EXPECT_EQ(lftm_test::read_file(photo), before);
  EXPECT_EQ(lftm_read_image(lftm_test::sample_path("desk.exr").c_str(), &input, nullptr),
            LFTM_ERR_ARGUMENT);  // 12 x 12 is not the file's size
}

}  // namespace

TEST(HostApiTest, SettingsAreSavedOnlyOverSidecarsAndReadStrictly) {
  lftm_test::TempDir dir;
  lftm_test::DiagCapture capture;
  TmParam params;
  tmparam_default(LFTM_METHOD_TEXTURE_BOOSTER, 0, &params);
  params.tmParam[1] = 55.5f;
  const std::string look = dir.file("look.xmp");
  ASSERT_EQ(lftm_save_settings(look.c_str(), LFTM_METHOD_TEXTURE_BOOSTER, &params, 0), 0);
  ASSERT_EQ(lftm_save_settings(look.c_str(), LFTM_METHOD_TEXTURE_BOOSTER, &params, 0), 0)
      << "a sidecar may be replaced";
  EXPECT_EQ(lftm_test::directory_entries(dir.path()), std::vector<std::string>{"look.xmp"})
      << "no staging file is left";

  // An image, even one that holds the settings text, is never replaced unless asked to.
  const std::string photo = dir.file("photo.hdr");
  std::vector<uint8_t> image = lftm_test::read_file(lftm_test::sample_path("golden_gate.hdr"));
  const std::string text = lftm_test::read_text(look);
  image.insert(image.begin() + 200, text.begin(), text.end());
  ASSERT_TRUE(lftm_test::write_file(photo, image));
  EXPECT_EQ(lftm_save_settings(photo.c_str(), LFTM_METHOD_TEXTURE_BOOSTER, &params, 0),
            LFTM_ERR_NOT_SIDECAR);
  EXPECT_EQ(lftm_save_settings(photo.c_str(), 0, nullptr, LFTM_SAVE_CHECK_ONLY),
            LFTM_ERR_NOT_SIDECAR);
  EXPECT_EQ(lftm_save_settings(dir.path().c_str(), 0, nullptr, LFTM_SAVE_CHECK_ONLY),
            LFTM_ERR_NOT_SIDECAR);
  EXPECT_TRUE(lftm_test::read_file(photo) == image);
  EXPECT_EQ(lftm_save_settings(photo.c_str(), LFTM_METHOD_TEXTURE_BOOSTER, &params,
                               LFTM_SAVE_OVERWRITE),
            0);

  int32_t method = 0;
  TmParam read;
  char why[200];
  ASSERT_EQ(lftm_load_settings(photo.c_str(), &method, &read, why, sizeof why), 0) << why;
  EXPECT_EQ(method, LFTM_METHOD_TEXTURE_BOOSTER);
  EXPECT_EQ(read.tmParam[1], 55.5f);
  method = LFTM_METHOD_RANGE_SQUEEZER;
  EXPECT_EQ(lftm_load_settings(look.c_str(), &method, &read, why, sizeof why),
            LFTM_ERR_XMP_METHOD);
  EXPECT_EQ(std::string(why), look + " holds Texture Booster settings, not Range Squeezer ones");

  // parse_xmp keeps the default of a value it cannot read; the strict reader names it.
  for (const char* value : {"abc", "nan"}) {
    std::string odd = text;
    odd.replace(odd.find("55.5"), 4, value);
    ASSERT_TRUE(lftm_test::write_text(look, odd));
    method = 0;
    EXPECT_EQ(lftm_load_settings(look.c_str(), &method, &read, why, sizeof why),
              LFTM_ERR_SETTING_VALUE);
    EXPECT_NE(std::string(why).find(std::string("\"") + value + "\" of Strength"),
              std::string::npos)
        << why;
  }
  EXPECT_EQ(capture.out() + capture.err(), "") << "the settings calls print nothing";
}
