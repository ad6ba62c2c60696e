// Helpers of the driver tests: calling a driver on files, reading the files it wrote, and
// pointing the temporary directory somewhere else for a while.
#ifndef LFTM_FRAME_DRIVER_TEST_SUPPORT_H_
#define LFTM_FRAME_DRIVER_TEST_SUPPORT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "frame/drivers.h"
#include "lftm.h"

namespace lftm_test {

enum class Driver { kTonemap, kTms };

struct DriverRun {
  Driver driver = Driver::kTonemap;
  int32_t extType = LFTM_EXT_HDR;
  std::string in;
  std::string out;
  int32_t bits = 8;
  bool disk = false;
  int32_t threads = 2;
  int32_t planes = 0;  // the caller's output layout (3: planar)
  SaveOptions save = {};
  const lftm::SiblingNames* names = nullptr;  // null: the real libraries
};

// Runs a driver with the method's default settings; `desc` receives the layout written back.
int32_t run_driver(const DriverRun& run, ImageDesc* desc = nullptr);

// A TIFF as libtiff reads it: 8-bit samples are widened to 16 bits (v * 257).
struct TiffImage {
  int width = 0;
  int height = 0;
  int spp = 0;
  int bits = 0;
  int compression = 0;
  bool hasIcc = false;
  std::string xmp;
  std::string software;
  std::vector<uint16_t> samples;
};
bool read_tiff(const std::string& path, TiffImage* image);

bool starts_with_jpeg_marker(const std::string& path);
bool starts_with_tiff_header(const std::string& path);
bool file_exists(const std::string& path);

// Files in a directory (names only).
std::vector<std::string> list_directory(const std::string& path);

// Sets TMPDIR for the life of the object and restores the previous value.
class ScopedTmpdir {
 public:
  explicit ScopedTmpdir(const std::string& value);
  ~ScopedTmpdir();
  ScopedTmpdir(const ScopedTmpdir&) = delete;
  ScopedTmpdir& operator=(const ScopedTmpdir&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};

// Writes a small Radiance test image (lftm_test::make_test_image) and returns its path.
std::string write_test_hdr(const std::string& path, int width, int height, uint32_t seed = 1);

}  // namespace lftm_test

#endif  // LFTM_FRAME_DRIVER_TEST_SUPPORT_H_
