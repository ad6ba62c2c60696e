// SPDX-License-Identifier: BSD-3-Clause
// Input images for the commands that look at pixels themselves (info, preview, tune): the
// kind of file and its layout, and the photograph decoded by the library, with the tool's own
// sentences for what goes wrong.
#ifndef LFTM_TOOLS_IMAGE_SOURCE_H_
#define LFTM_TOOLS_IMAGE_SOURCE_H_

#include <cstdint>
#include <string>

#include "input_format.h"
#include "lftm_host.h"

namespace lftm_cli {

// How TIFF samples are to be read: linear or gamma-encoded (2.2). kAuto takes 16-bit files as
// linear and 8-bit files as gamma-encoded, as cameras and raw converters write them.
enum class TiffEncoding { kAuto, kLinear, kGamma };

// The tiff_input of the library's photo and tone-mapping calls for an encoding.
int32_t tiff_input_of(TiffEncoding encoding);

struct SourceImage {
  std::string path;
  InputFormat format = InputFormat::kUnknown;
  int32_t extType = 0;   // the drivers' input kind (100, 101, 200, 201)
  int32_t width = 0;
  int32_t height = 0;
  int32_t spp = 3;       // samples per pixel the drivers work with
  int32_t fileSpp = 0;   // samples per pixel in the file (TIFF), colour channels (EXR)
  int32_t fileBits = 0;  // bits per sample in the file (TIFF, EXR); 0 for RGBE
  bool floatSamples = false;  // a TIFF of floats, read like an OpenEXR file
  bool hasPrimaries = false;
  float primaries[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  std::string detail;  // after a failure: what the tool measured, for the message
};

// Reads the kind and layout of a file. Returns 0, a negative library code or a cause of
// messages.h (with image->detail).
int32_t probe_image(const std::string& path, TiffEncoding encoding, SourceImage* image);

// Probes and decodes the whole photograph into *photo (the caller closes it). Returns as
// probe_image; a failed read gives the reader's own cause, so that a truncated file is told
// from a damaged one.
int32_t open_photo(const std::string& path, TiffEncoding encoding, SourceImage* image,
                   lftm_photo** photo);

// Decodes the quick view of width x height pixels of a probed image into *photo.
int32_t open_reduced_photo(SourceImage* image, TiffEncoding encoding, int32_t width,
                           int32_t height, lftm_photo** photo);

// Closes the photograph at the end of a scope.
class PhotoCloser {
 public:
  explicit PhotoCloser(lftm_photo* photo) : photo_(photo) {}
  ~PhotoCloser() { lftm_photo_close(photo_); }
  PhotoCloser(const PhotoCloser&) = delete;
  PhotoCloser& operator=(const PhotoCloser&) = delete;

 private:
  lftm_photo* photo_;
};

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_IMAGE_SOURCE_H_
