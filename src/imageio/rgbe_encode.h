// SPDX-License-Identifier: BSD-3-Clause
// Linear RGB values to RGBE planar bytes, for a decoder that reads a channel as mantissa x
// 2^(exponent - 136) (no half-step added to the mantissa). Shared by the library (a host's
// float pixels) and the sibling readers of floating-point files (OpenEXR, float TIFF), which
// all link this one component, so that the same pixels give the same bytes.
//
// Values a file may hold that light cannot have are made local: negative values and NaN
// become 0; +infinity becomes the largest finite value of the image (1 when the image has
// none), so that a blown highlight stays the brightest part of the picture without dragging
// the whole image's statistics to the top of the RGBE range.
#ifndef LFTM_IMAGEIO_RGBE_ENCODE_H_
#define LFTM_IMAGEIO_RGBE_ENCODE_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace lftm {

// Encodes one pixel of non-negative finite values: the shared exponent is that of the largest
// channel, mantissas are rounded to nearest; a pixel too dark for the smallest exponent is
// black (all four bytes 0), one too bright for the largest gets the largest value.
void encode_rgbe(float r, float g, float b, uint8_t out[4]);

// Encodes rows of interleaved RGB floats into the rows of an image of RGBE planar bytes,
// with the rule above for values light cannot have. Pixels holding +infinity are kept aside
// and encoded by finish(), once the largest finite value of the image is known.
class RgbeRowEncoder {
 public:
  RgbeRowEncoder(int width, uint8_t* dst);

  // Encodes row y from 3 x width floats.
  void row(const float* rgb, int y);

  // Encodes the pixels that held +infinity; call after the last row.
  void finish();

  float largest() const { return largest_; }        // largest finite value encoded
  uint64_t clamped() const { return clamped_; }     // negative and NaN values made 0

 private:
  struct InfinitePixel {
    int x, y;
    float rgb[3];  // +infinity kept, other values already made non-negative
  };

  float channel(float v);
  void store(float r, float g, float b, int x, int y);

  int width_;
  uint8_t* dst_;
  float largest_ = 0.0f;
  uint64_t clamped_ = 0;
  std::vector<InfinitePixel> infinite_;
};

// What a reader reports about the values it encoded (lfexr_read's `work`).
struct RgbeEncodeReport {
  float largest = 0.0f;  // the largest finite value
  uint64_t clamped = 0;  // negative and NaN values made 0
};

// Fills a reader's four `work` floats, when not null: [0] the largest finite value, [1] the
// count of negative and NaN values made 0, [2] and [3] zero.
void write_work(const RgbeEncodeReport& report, float* work);

// Runs `decode`, which feeds every row of the image to the encoder it is given, then encodes
// the pixels that held +infinity. Returns what was encoded.
RgbeEncodeReport encode_rgbe_image(int width, uint8_t* dst,
                                   const std::function<void(RgbeRowEncoder*)>& decode);

}  // namespace lftm

#endif  // LFTM_IMAGEIO_RGBE_ENCODE_H_
