// SPDX-License-Identifier: BSD-3-Clause
// Drives lftm_tonemap_image with records a host might pass, sane or not: any sample types and
// channel counts, sizes from 1 to 40 pixels or far beyond any image, packed, padded (odd too),
// short, negative or huge row strides, short and long struct_size values, both methods and
// unknown ones, any 20 settings, thread counts in and out of range, disk mode, memory limits,
// message routing, progress callbacks that cancel and a cancel flag.
// Each record, options record and pixel buffer is allocated at exactly the size a valid
// record needs, so the sanitizer sees any read or write past it. A failed call must leave the
// output untouched, a successful one its row padding; only a requested cancel may end a call
// as cancelled; progress never decreases; no scratch file outlives the call; and a run with
// threads or disk mode gives the bits of a single-threaded run in memory.
#include <dirent.h>
#include <unistd.h>

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fuzz_file.h"
#include "fuzz_input.h"
#include "lftm_host.h"
#include "settings/settings_table.h"

namespace {

using lftm_fuzz::FuzzInput;

constexpr uint8_t kUntouched = 0xa5;
// Buffers larger than this are not allocated: such a record gets a one-byte buffer, and the
// sizes that lead there are all ones the library must refuse before touching pixels.
constexpr uint64_t kMaxBufferBytes = uint64_t{1} << 20;

// Picks table[i] for a byte i whose top bit says "unusual": ordinary values come from
// `usual`, the others from `odd`.
template <typename T, size_t N, size_t M>
T pick(FuzzInput* in, const T (&usual)[N], const T (&odd)[M]) {
  const uint8_t b = in->byte();
  return (b & 0x80) == 0 ? usual[b % N] : odd[b % M];
}

int64_t image_side(FuzzInput* in) {
  const uint8_t b = in->byte();
  if (b < 0xf0) return 1 + b % 40;
  // None of these can be tone mapped: the call must refuse them before touching pixels.
  static const int64_t kOdd[] = {0, -1, int64_t{1} << 31, int64_t{1} << 40,
                                 std::numeric_limits<int64_t>::max(),
                                 std::numeric_limits<int64_t>::min()};
  return kOdd[b % 6];
}

size_t sample_size(int32_t type) {
  return type == LFTM_SAMPLE_FLOAT32 ? 4 : type == LFTM_SAMPLE_UINT16 ? 2
                                       : type == LFTM_SAMPLE_UINT8    ? 1
                                                                      : 0;
}

// An image record and the buffer behind it.
struct HostImage {
  std::vector<uint8_t> record;  // sized as struct_size says (at least 4 bytes)
  std::vector<uint8_t> pixels;
  uint64_t rowBytes = 0;        // of a valid record; 0 when the record is not one
  uint64_t stride = 0;
  int64_t height = 0;

  lftm_image* view() { return reinterpret_cast<lftm_image*>(record.data()); }
  // Points the record at `pixels`, when the record is long enough to hold the pointer.
  void attach_pixels() {
    void* at = pixels.data();
    const size_t offset = offsetof(lftm_image, pixels);
    if (record.size() >= offset + sizeof at) std::memcpy(record.data() + offset, &at, sizeof at);
  }
};

// Bytes a valid record needs: the last row holds only its samples, not a whole stride.
bool needed_bytes(const lftm_image& im, uint64_t* rowBytes, uint64_t* stride, uint64_t* total) {
  const size_t sampleBytes = sample_size(im.sample_type);
  if (sampleBytes == 0 || (im.channels != 1 && im.channels != 3 && im.channels != 4) ||
      im.width < 1 || im.height < 1 || im.width > (1 << 20) || im.row_stride < 0) {
    return false;
  }
  *rowBytes = static_cast<uint64_t>(im.width) * im.channels * sampleBytes;
  *stride = im.row_stride == 0 ? *rowBytes : static_cast<uint64_t>(im.row_stride);
  if (*stride < *rowBytes) return false;
  if (im.height > 1 && *stride > kMaxBufferBytes) return false;
  if (im.height > static_cast<int64_t>(kMaxBufferBytes)) return false;
  const uint64_t bytes = *stride * static_cast<uint64_t>(im.height - 1) + *rowBytes;
  if (bytes > kMaxBufferBytes) return false;
  *total = bytes;
  return true;
}

int64_t row_stride(FuzzInput* in, const lftm_image& im) {
  // Sizes far out of range give strides of an ordinary row (the record is refused anyway).
  const int64_t width = im.width >= 1 && im.width <= 40 ? im.width : 1;
  const int64_t rowBytes = width * im.channels * static_cast<int64_t>(sample_size(im.sample_type));
  const uint8_t b = in->byte();
  switch (b % 8) {
    case 0: case 1: case 2: return 0;  // packed
    case 3: return rowBytes + 1 + b / 8 % 9;  // padded, odd counts too
    case 4: return rowBytes - 1;              // one byte short
    case 5: return b < 0x80 ? -rowBytes : -1;
    case 6:  // huge: valid for a single row, refused for more
      if (im.height != 1 && im.height <= 40) return 0;
      return b < 0x80 ? std::numeric_limits<int64_t>::max() : int64_t{1} << 32;
    default: return rowBytes + 4 * (b / 8 % 5);
  }
}

// Fills an image record from the input; `shape` gives width, height and channels unless
// the input changes them.
HostImage make_image(FuzzInput* in, const lftm_image& shape, bool output) {
  lftm_image im = shape;
  static const int32_t kInputTypes[] = {LFTM_SAMPLE_FLOAT32};
  static const int32_t kOutputTypes[] = {LFTM_SAMPLE_UINT8, LFTM_SAMPLE_UINT16};
  static const int32_t kOddTypes[] = {0, -1, 4, LFTM_SAMPLE_FLOAT32, LFTM_SAMPLE_UINT8};
  im.sample_type = output ? pick(in, kOutputTypes, kOddTypes) : pick(in, kInputTypes, kOddTypes);
  const uint8_t change = in->byte();
  if (change == 0xfd && im.width < 40) im.width += 1;
  if (change == 0xfe && im.height > 1) im.height -= 1;
  if (change == 0xff) im.channels = im.channels == 4 ? 3 : 4;
  im.row_stride = row_stride(in, im);
  static const uint32_t kSizes[] = {sizeof(lftm_image)};
  static const uint32_t kOddSizes[] = {0, 4, sizeof(lftm_image) - 1, sizeof(lftm_image) + 8};
  im.struct_size = pick(in, kSizes, kOddSizes);

  HostImage host;
  host.record.assign(std::max<size_t>(4, im.struct_size), 0);
  std::memcpy(host.record.data(), &im, std::min(host.record.size(), sizeof im));
  uint64_t total = 1;
  if (needed_bytes(im, &host.rowBytes, &host.stride, &total)) host.height = im.height;
  else host.rowBytes = 0;
  host.pixels.assign(total, kUntouched);
  if (change != 0xfc) host.attach_pixels();  // else a null pointer
  return host;
}

// Linear values of a photograph over a few decades, and now and then a value the host
// interface must tame: NaN, infinities, negatives, denormals, the float limits.
float pixel_value(uint8_t b) {
  static const float kSpecial[] = {
      std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
      -std::numeric_limits<float>::infinity(), -1.0f, 0.0f, -0.0f, FLT_MAX, FLT_TRUE_MIN,
      FLT_MIN, 1e30f, -FLT_MAX, 65504.0f, 1e-30f, 0.5f, 1.0f, 2.0f};
  if (b >= 0xf0) return kSpecial[b - 0xf0];
  return static_cast<float>(b & 0x3f) * static_cast<float>(1 << (b >> 6) * 4) / 64.0f;
}

void fill_pixels(FuzzInput* in, HostImage* image) {
  if (image->rowBytes == 0) return;
  std::vector<uint8_t> bytes(image->rowBytes / 4 * image->height);
  in->fill(bytes.data(), bytes.size());
  const size_t perRow = image->rowBytes / 4;
  for (int64_t y = 0; y < image->height; ++y) {
    for (size_t i = 0; i < perRow; ++i) {
      const float v = pixel_value(bytes[y * perRow + i]);
      std::memcpy(image->pixels.data() + y * image->stride + 4 * i, &v, sizeof v);
    }
  }
}

// What the callbacks of one call saw and do.
struct CallState {
  int progressCalls = 0;
  int cancelAt = 0;  // the progress call that asks to cancel (0: none)
  bool setFlagInstead = false;
  bool flagWatched = false;  // the options point at `flag`
  float lastFraction = -1.0f;
  volatile int32_t flag = 0;
  bool returnedCancel = false;

  bool cancel_requested() const { return returnedCancel || (flagWatched && flag != 0); }
};

int32_t on_progress(void* user, float fraction, const char* step) {
  CallState* s = static_cast<CallState*>(user);
  if (step == nullptr || !(fraction >= s->lastFraction) || fraction > 1.0f) abort();
  s->lastFraction = fraction;
  if (++s->progressCalls != s->cancelAt) return 0;
  if (s->setFlagInstead) {
    s->flag = 1;
    return 0;
  }
  s->returnedCancel = true;
  return 1;
}

void on_message(void*, int32_t stream, const char* line) {
  if (line == nullptr || (stream != 1 && stream != 2)) abort();
}

lftm_options full_options(FuzzInput* in, CallState* state) {
  static const int32_t kMethods[] = {LFTM_METHOD_TEXTURE_BOOSTER, LFTM_METHOD_RANGE_SQUEEZER};
  static const int32_t kOddMethods[] = {0, -1, LFTM_METHOD_BLEND_TUNE, 3};
  const int32_t method = pick(in, kMethods, kOddMethods);
  lftm_options o;
  lftm_options_init(&o, sizeof o, method == LFTM_METHOD_RANGE_SQUEEZER ? method : 1);
  o.method = method;
  o.settings.tmParam[lftm::kBoosterSmoothingSlider] = lftm_fuzz::kQuickSmoothingSlider;
  o.settings = lftm_fuzz::fuzz_settings(in, o.settings);
  static const int32_t kThreads[] = {0, 1, 2, 3, 4};
  static const int32_t kOddThreads[] = {-1, 33, 32, std::numeric_limits<int32_t>::min()};
  o.threads = pick(in, kThreads, kOddThreads);
  const uint8_t run = in->byte();
  o.disk = run & 1;
  static const int32_t kMessages[] = {LFTM_MESSAGES_SILENT, LFTM_MESSAGES_CALLBACK,
                                      LFTM_MESSAGES_STANDARD, 3};
  o.messages = kMessages[(run >> 1) & 3];
  o.message = (run & 8) != 0 ? nullptr : on_message;
  if ((run & 16) != 0) {
    o.progress = on_progress;
    o.progress_user = state;
    state->cancelAt = in->byte() % 24;
    state->setFlagInstead = (run & 32) != 0;
  }
  state->flag = (run & 0xc0) == 0xc0 ? 1 : 0;
  state->flagWatched = (run & 0x40) != 0;
  if (state->flagWatched) o.cancel = &state->flag;
  static const int64_t kLimits[] = {0};
  static const int64_t kOddLimits[] = {-1, 1, 4096, 1 << 16, 1 << 20, 1 << 24,
                                       std::numeric_limits<int64_t>::max()};
  o.memory_limit = pick(in, kLimits, kOddLimits);
  const uint8_t odd = in->byte();
  if (odd == 0xfe) o.jpeg_quality = 101;
  if (odd == 0xff) o.tiff_input = 7;
  return o;
}

// The options record as a host of some struct_size holds it: exactly that many bytes.
std::vector<uint8_t> options_record(FuzzInput* in, const lftm_options& full) {
  static const uint32_t kSizes[] = {sizeof(lftm_options)};
  static const uint32_t kOddSizes[] = {offsetof(lftm_options, memory_limit), 0, 8,
                                       offsetof(lftm_options, memory_limit) - 4,
                                       sizeof(lftm_options) + 16};
  const uint32_t size = pick(in, kSizes, kOddSizes);
  std::vector<uint8_t> record(std::max<size_t>(size, 4), 0);
  lftm_options* o = reinterpret_cast<lftm_options*>(record.data());
  // The init function writes no more than a record of that size holds.
  if (lftm_options_init(o, size, full.method) == 0 &&
      o->struct_size != std::min<size_t>(size, sizeof full)) {
    abort();
  }
  lftm_options copy = full;
  copy.struct_size = size;
  std::memcpy(record.data(), &copy, std::min(record.size(), sizeof copy));
  return record;
}

// Texture Booster settings that make a run long, not wrong: deep pyramids, long solves.
bool slow_settings(const lftm_options& o, int64_t width, int64_t height) {
  if (o.method != LFTM_METHOD_TEXTURE_BOOSTER || width > 4096 || height > 4096) return false;
  PyramidDims dims{};
  if (tm_dim(static_cast<int32_t>(width), static_cast<int32_t>(height), &o.settings, &dims) < 0) {
    return false;
  }
  return lftm_fuzz::slow_booster_run(o.settings, dims);
}

// The call's temporary directory: a folder of this process's own, so that a scratch file
// left behind shows. A plain pointer, still valid when the exit handler removes the folder.
const char* call_tmpdir() {
  static char* const dir = [] {
    char* path = strdup((lftm_fuzz::scratch_dir() + "/lftm_host_fuzz_XXXXXX").c_str());
    if (path == nullptr || mkdtemp(path) == nullptr) abort();
    setenv("TMPDIR", path, 1);
    std::atexit([] { rmdir(call_tmpdir()); });
    return path;
  }();
  return dir;
}

bool call_tmpdir_empty() {
  DIR* d = opendir(call_tmpdir());
  if (d == nullptr) return false;
  bool empty = true;
  while (const dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) empty = false;
  }
  closedir(d);
  return empty;
}

// Output bytes outside the rows' samples (all of them after a failure) keep their value.
void check_untouched(const HostImage& out, bool succeeded) {
  for (size_t i = 0; i < out.pixels.size(); ++i) {
    const bool sample = succeeded && out.stride > 0 && i % out.stride < out.rowBytes;
    if (!sample && out.pixels[i] != kUntouched) abort();
  }
}

// The same call with one thread, in memory, without hooks or limit: the bits must match.
void check_reference(const HostImage& input, const HostImage& output, const lftm_options& o) {
  if ((o.threads == 1 && o.disk == 0) || output.rowBytes == 0) return;
  lftm_options plain = o;
  plain.struct_size = sizeof plain;
  plain.threads = 1;
  plain.disk = 0;
  plain.progress = nullptr;
  plain.cancel = nullptr;
  plain.memory_limit = 0;
  plain.messages = LFTM_MESSAGES_SILENT;
  HostImage again = output;
  again.pixels.assign(output.pixels.size(), kUntouched);
  again.attach_pixels();
  lftm_image in = *reinterpret_cast<const lftm_image*>(input.record.data());
  if (lftm_tonemap_image(&in, again.view(), &plain) != 0) abort();
  if (again.pixels != output.pixels) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  call_tmpdir();
  FuzzInput in(data, size);
  lftm_image shape{};
  shape.width = image_side(&in);
  shape.height = image_side(&in);
  static const int32_t kChannels[] = {3, 1, 4};
  static const int32_t kOddChannels[] = {0, 2, 5, -1};
  shape.channels = pick(&in, kChannels, kOddChannels);
  HostImage input = make_image(&in, shape, false);
  HostImage output = make_image(&in, shape, true);
  CallState state;
  const lftm_options full = full_options(&in, &state);
  if (slow_settings(full, shape.width, shape.height)) return 0;
  const std::vector<uint8_t> options = options_record(&in, full);
  fill_pixels(&in, &input);

  const int32_t result = lftm_tonemap_image(
      input.view(), output.view(), reinterpret_cast<const lftm_options*>(options.data()));
  if (result > 0) abort();
  if (result == LFTM_ERR_CANCELLED && !state.cancel_requested()) abort();
  check_untouched(output, result == 0);
  if (!call_tmpdir_empty()) abort();
  if (result == 0) check_reference(input, output, full);
  return 0;
}
