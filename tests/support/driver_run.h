// Runs of the file-to-file drivers for the hardening tests: small Radiance, TIFF and OpenEXR
// inputs, and a driver call with the method's default settings (or given ones).
#ifndef LFTM_TESTS_DRIVER_RUNS_H_
#define LFTM_TESTS_DRIVER_RUNS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "frame/drivers.h"
#include "lftm.h"

namespace lftm_hard {

enum class Method { kBooster, kSqueezer };

struct DriverRun {
  Method method = Method::kBooster;
  int32_t extType = LFTM_EXT_HDR;
  std::string in;
  std::string out;
  int32_t bits = 8;
  bool disk = false;
  int32_t threads = 2;
  const TmParam* params = nullptr;             // null: the method's defaults
  const lftm::SiblingNames* names = nullptr;  // null: the real libraries
};

// Calls tonemap or tms (through the driver with the given library names when set).
int32_t run_driver(const DriverRun& run);

// A Radiance file of the test image (lftm_test::make_test_image); returns its path.
std::string write_hdr(const std::string& path, int width, int height, uint32_t seed = 1);

// A Radiance file whose header announces width x height but whose pixels stop after
// `bytes` bytes.
std::string write_truncated_hdr(const std::string& path, int width, int height, size_t bytes);

// An RGB TIFF of 16-bit samples, of 32-bit floats, or of 32-bit unsigned integers (a layout
// the TIFF reader does not take); returns its path.
enum class TiffSamples { kUint16, kFloat32, kUint32 };
std::string write_tiff(const std::string& path, int width, int height, TiffSamples samples);

// A half-float RGB OpenEXR file; returns its path. Without `pixels`, the file holds the
// header of such an image and nothing else (any size may be announced).
std::string write_exr(const std::string& path, int width, int height, bool pixels = true);

// Decoded samples of a TIFF file (8-bit samples as they are), empty when it cannot be read.
std::vector<uint16_t> tiff_samples(const std::string& path);

bool file_exists(const std::string& path);

}  // namespace lftm_hard

#endif  // LFTM_TESTS_DRIVER_RUNS_H_
