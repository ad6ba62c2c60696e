// Decoding of RGBE pixel data held in memory into RGBE planar bytes.
#ifndef LFTM_IMAGEIO_RGBE_DECODE_H_
#define LFTM_IMAGEIO_RGBE_DECODE_H_

#include <cstddef>
#include <cstdint>

namespace lftm {

// Decodes `height` rows of `width` pixels from data[0..size) (flat or run-length rows, as the
// first bytes say) into dst. Never reads outside data. Returns height, or kRgbeRowWidth (a row
// header announces another width), -2006 (a run passes the end of its component), -2007 (an empty
// literal or one past the end of its component), -2003 (the data ends early).
int decode_rgbe_pixels(const uint8_t* data, size_t size, int width, int height,
                       unsigned char* dst);

// Decodes `height` flat rows (4 bytes a pixel) from data[0..size) into dst. Returns height,
// or -2003 when the data ends early.
int decode_flat(const uint8_t* data, size_t size, int width, int height, unsigned char* dst);

// True when the data starts like a run-length encoded row.
inline bool starts_run_length(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 2 && data[1] == 2 && data[2] < 128;
}

}  // namespace lftm

#endif  // LFTM_IMAGEIO_RGBE_DECODE_H_
