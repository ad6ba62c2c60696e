// The photograph a tuning session works on: read once at full resolution, with a reduced copy
// of about one to two megapixels that the previews are rendered from.
#ifndef LFTM_TOOLS_TUNE_PHOTO_H_
#define LFTM_TOOLS_TUNE_PHOTO_H_

#include <cstdint>
#include <string>
#include <vector>

#include "image_source.h"
#include "render.h"

namespace lftm_tune {

// The side of the previews' pixel budget: previews hold at most this squared pixels.
constexpr int32_t kPreviewSide = 1200;

struct Photo {
  lftm_cli::SourceImage full;  // RGBE planar bytes or 16-bit samples, as the drivers read it
  std::vector<float> lut;      // 16-bit samples: their linear values for the Texture Booster
  std::vector<float> linear;   // 16-bit samples: the Range Squeezer's input, as tms makes it
  LogStats stats = {0, 0, 0, 0};  // of the whole image, as tms measures them

  int32_t previewWidth = 0;
  int32_t previewHeight = 0;
  std::vector<uint8_t> previewRgbe;
  std::vector<uint16_t> previewSamples;
  std::vector<float> previewLinear;

  HdrView booster_full() const;
  SqueezerView squeezer_full() const;
  HdrView booster_preview() const;
  SqueezerView squeezer_preview() const;
};

// Reads `path` and makes its preview copy, at most `previewSide` squared pixels. Returns 0 or
// a code of load_image (with photo->full.detail).
int32_t load_photo(const std::string& path, lftm_cli::TiffEncoding encoding,
                   int32_t previewSide, Photo* photo);

// Measures the statistics and makes the preview copy of the image in photo->full.
int32_t prepare_photo(int32_t previewSide, Photo* photo);

// The preview size of a width x height image within `side` squared pixels, never larger than
// the image and never below the 5 x 5 of the quick views.
void preview_size(int32_t width, int32_t height, int32_t side, int32_t* outWidth,
                  int32_t* outHeight);

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_PHOTO_H_
