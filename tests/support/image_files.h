// SPDX-License-Identifier: BSD-3-Clause
// Image files for the tests: Radiance, TIFF (8, 16 and 32-bit integer or float samples, strips
// or tiles, contiguous or separate planes) and OpenEXR (half or float, scanlines or tiles)
// written with every sample chosen by the caller; TIFF files read back with libtiff.
#ifndef LFTM_TESTS_SUPPORT_IMAGE_FILES_H_
#define LFTM_TESTS_SUPPORT_IMAGE_FILES_H_

#include <tiffio.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lftm_test {

// The value of sample (or channel) `s` of pixel (x, y), counted from the image's corner. Each
// file stores it converted to its sample type.
using SampleAt = std::function<double(int x, int y, int s)>;

// A Radiance file of the test image (make_test_image), with run-length rows; returns its path.
std::string write_hdr(const std::string& path, int width, int height, uint32_t seed = 1);

// A Radiance file whose header announces width x height but whose pixels stop after
// `bytes` bytes (flat mid-grey pixels); returns its path.
std::string write_truncated_hdr(const std::string& path, int width, int height, size_t bytes);

struct TiffLayout {
  int width = 0;
  int height = 0;
  int spp = 3;
  int bits = 16;  // 8, 16 or 32
  uint16_t format = SAMPLEFORMAT_UINT;
  int photometric = -1;  // -1: RGB for three or more samples, else min-is-black
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint16_t compression = COMPRESSION_NONE;
  uint16_t predictor = 0;  // 0: no predictor tag
  uint32_t tile = 0;       // edge of square tiles; 0: strips
  uint32_t rowsPerStrip = 0;  // 0: libtiff's choice
  // Palette images: the map of each of red, green and blue.
  std::vector<uint16_t> colormap;
};
// Two or four samples of a grey or RGB image end in unassociated alpha; tile padding is zero.
// Integer samples store the value's low bits (signed ones in two's complement).

// Writes pages one after the other into one TIFF file.
class TiffWriter {
 public:
  explicit TiffWriter(const std::string& path);
  ~TiffWriter();
  TiffWriter(const TiffWriter&) = delete;
  TiffWriter& operator=(const TiffWriter&) = delete;
  bool add_page(const TiffLayout& layout, const SampleAt& sample);

 private:
  TIFF* tif_;
};

bool write_tiff(const std::string& path, const TiffLayout& layout, const SampleAt& sample);

// An RGB TIFF of 16-bit samples, of 32-bit floats, or of 32-bit unsigned integers (a layout
// the TIFF reader does not take), with varied values; returns its path.
enum class TiffSamples { kUint16, kFloat32, kUint32 };
std::string write_tiff(const std::string& path, int width, int height, TiffSamples samples);

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
// read_tiff's samples; empty when the file cannot be read.
std::vector<uint16_t> tiff_samples(const std::string& path);

enum class ExrSamples { kHalf, kFloat };
struct ExrLayout {
  int width = 0;
  int height = 0;
  std::vector<std::string> channels = {"R", "G", "B"};
  ExrSamples samples = ExrSamples::kFloat;
  bool tiled = false;  // 16 x 16 tiles, else scanlines
  int x0 = 0, y0 = 0;  // origin of the data (and display) window
  bool pixels = true;  // false: the header alone (any size may be announced)
};
void write_exr(const std::string& path, const ExrLayout& layout, const SampleAt& sample);

// A half-float RGB OpenEXR file of varied values (or its header alone); returns its path.
std::string write_exr(const std::string& path, int width, int height, bool pixels = true);

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_IMAGE_FILES_H_
