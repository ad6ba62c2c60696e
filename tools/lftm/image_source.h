// Input images for the commands that look at pixels themselves (info, preview): the kind of
// file, its layout and its pixels, read through the same readers as the drivers.
#ifndef LFTM_TOOLS_IMAGE_SOURCE_H_
#define LFTM_TOOLS_IMAGE_SOURCE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "input_format.h"
#include "lftm.h"

namespace lftm_cli {

// How TIFF samples are to be read: linear or gamma-encoded (2.2). kAuto takes 16-bit files as
// linear and 8-bit files as gamma-encoded, as cameras and raw converters write them.
enum class TiffEncoding { kAuto, kLinear, kGamma };

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
  std::vector<uint8_t> rgbe;   // RGBE planar bytes (.hdr, .exr and float TIFF)
  std::vector<uint16_t> samples;  // interleaved 16-bit samples, spp a pixel (TIFF)
  std::string detail;  // after a failure: what the tool measured, for the message
};

// Reads the kind and layout of a file. Returns 0, a negative library code or a cause of
// messages.h (with image->detail).
int32_t probe_image(const std::string& path, TiffEncoding encoding, SourceImage* image);

// Probes and reads the pixels. Returns as probe_image; a failed read gives the reader's own
// code, so that a truncated file is told from a damaged one.
int32_t load_image(const std::string& path, TiffEncoding encoding, SourceImage* image);

// The TIFF samples as interleaved linear values, decoded and levelled as the Range Squeezer
// driver does it for the image's kind.
std::vector<float> linear_values(const SourceImage& image);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_IMAGE_SOURCE_H_
