// SPDX-License-Identifier: BSD-3-Clause
// Decoding of RGBE pixel data held in memory into RGBE planar bytes.
#ifndef LFTM_IMAGEIO_RGBE_DECODE_H_
#define LFTM_IMAGEIO_RGBE_DECODE_H_

#include <cstddef>
#include <cstdint>

namespace lftm {

// Decodes `height` rows of `width` pixels from data[0..size) (flat or run-length rows, as the
// first bytes say) into dst. Never reads outside data. Returns height, or LFTM_ERR_RGBE_ROW_WIDTH
// (a row header announces another width), LFTM_ERR_RGBE_RUN (a run passes the end of its
// component), LFTM_ERR_RGBE_LITERAL (an empty literal or one past the end of its component),
// LFTM_ERR_RGBE_SHORT (the data ends early).
int decode_rgbe_pixels(const uint8_t* data, size_t size, int width, int height,
                       unsigned char* dst);

// The two row layouts on their own, for callers that already know which one the data holds.
// Flat: `height` rows of 4 x width bytes; returns height or LFTM_ERR_RGBE_SHORT. Run-length:
// returns as decode_rgbe_pixels; dst may be null (the rows are then only checked), and `end`, when
// not null, receives the offset in data just past the last row after a success.
int decode_flat_rows(const uint8_t* data, size_t size, int width, int height,
                     unsigned char* dst);
int decode_run_length_rows(const uint8_t* data, size_t size, int width, int height,
                           unsigned char* dst, size_t* end);

// decode_rgbe_pixels on up to `threads` workers (bands of rows): the same result and the same
// bytes in dst for every thread count, a damaged file included.
int decode_rgbe_pixels_banded(const uint8_t* data, size_t size, int width, int height,
                              unsigned char* dst, int threads);

// True when the data starts like a run-length encoded row.
inline bool starts_run_length(const uint8_t* data, size_t size) {
  return size >= 3 && data[0] == 2 && data[1] == 2 && data[2] < 128;
}

}  // namespace lftm

#endif  // LFTM_IMAGEIO_RGBE_DECODE_H_
