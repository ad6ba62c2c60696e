// Linear RGB values to RGBE bytes, for a decoder that reads a channel as mantissa x
// 2^(exponent - 136) (no half-step added to the mantissa).
#ifndef LFTM_SIBLINGS_EXR_READER_RGBE_ENCODE_H_
#define LFTM_SIBLINGS_EXR_READER_RGBE_ENCODE_H_

#include <cstdint>

namespace lftm_sibling {

// Encodes one pixel of non-negative finite values: the shared exponent is that of the largest
// channel, mantissas are rounded to nearest; a pixel too dark for the smallest exponent is
// black (all four bytes 0), one too bright for the largest gets the largest value.
void encode_rgbe(float r, float g, float b, uint8_t out[4]);

// A channel value made fit for encode_rgbe: negative and NaN values become 0 (and count as
// clamped), +infinity the largest float.
float sanitize_channel(float v, uint64_t* clamped);

}  // namespace lftm_sibling

#endif  // LFTM_SIBLINGS_EXR_READER_RGBE_ENCODE_H_
