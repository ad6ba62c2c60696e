// SPDX-License-Identifier: BSD-3-Clause
// The entry points of the four sibling imaging libraries, as the drivers call them and as the
// libraries define them. Both sides include this header, so a change of signature breaks the
// build on both sides at once.
//
// Library file names are those the hosts know (the loader maps "X.dll" to libX.so):
//   Lumenforge32_jpg.dll  LFwritejpg             JPEG writer
//                         LFwritejpgmeta         (optional: older libraries lack it)
//                         LFjpgopen, LFjpgrows,  (optional: the same file, written a few
//                         LFjpgclose              rows at a time)
//   Lumenforge32Lib1.dll  buf2tif                TIFF writer
//                         LFtifopen, LFtifrows,  (optional: the same file, written a few
//                         LFtifclose              rows at a time)
//   Lumenforge_Tiff.dll   infotif, LFreadtifflat TIFF reader
//                         LFreadtiffrgbe         (its floating-point files)
//   lfexr.dll             lfexr_dim, lfexr_read  OpenEXR reader
//
// Values light cannot have, in the floating-point readers (OpenEXR and float TIFF): negative
// values and NaN become 0; +infinity becomes the largest finite value of the image (1 when the
// image has none), so that a blown highlight stays the brightest part of the picture and
// changes no pixel around it. Values too large for RGBE become its largest value.
//
// The meanings of the writer options (SaveOptions and the writer arguments w6..w10) and the
// writers' result codes are public and documented in lftm.h.
#ifndef LFTM_IMAGEIO_SIBLING_API_H_
#define LFTM_IMAGEIO_SIBLING_API_H_

#include <stdint.h>

#include <type_traits>

#include "lftm.h"

extern "C" {

// Reads the layout of TIFF directory `directory` (0 = the first image) into info: slot 0 width,
// 1 height, 2 samples per pixel (3 for a palette image), 3 bits per sample in the file,
// 4 1 when the file is tiled, 5 its compression tag value, 6 its photometric tag value, 7 its
// sample format tag value (1 unsigned integer, 2 signed integer, 3 floating point).
// Returns 16 when LFreadtifflat can deliver the image as 16-bit samples (8- and 16-bit
// unsigned samples, 1 to 4 per pixel), kInfotifFloat when LFreadtiffrgbe can decode it
// (32-bit floating point, grey or RGB, with or without alpha), the file's bits per sample
// when neither can (0 for an 8- or 16-bit layout), or a negative LFTM_SIB_* code.
LFTM_EXPORT int32_t infotif(const char* path, int32_t directory, HdrFileInfo* info);

// Decodes TIFF directory `directory` into dst: width x height pixels of `spp` interleaved
// samples, rows packed, each sample `bits` (16 or 8) bits wide. 8-bit files are widened to 16
// bits (v * 257) and 16-bit files narrowed to 8 when asked; a file with more samples per pixel
// than `spp` gives its first `spp` (alpha is dropped). Returns height, or a negative
// LFTM_SIB_* code.
LFTM_EXPORT int32_t LFreadtifflat(const char* path, int32_t directory, int32_t width,
                                  int32_t height, int32_t spp, int32_t bits, void* dst);

// Decodes a 32-bit floating-point TIFF directory (one that infotif answers kInfotifFloat)
// into RGBE planar bytes (4 x width x height bytes), linear values encoded as lfexr_read
// encodes them (a grey image gives three equal channels; alpha is dropped). work as for
// lfexr_read. Returns height, or a negative LFTM_SIB_* code.
LFTM_EXPORT int32_t LFreadtiffrgbe(const char* path, int32_t directory, int32_t width,
                                   int32_t height, float* work, uint8_t* dst);

// Reads the data window of an OpenEXR file into info: slot 0 width, 1 height, 2 colour
// channels (3 for RGB, 1 for luminance-only), 3 the widest sample in bits (16 half, 32 float
// or unsigned int), 4 1 when the file is tiled. Returns 1, or a negative LFTM_SIB_* code.
LFTM_EXPORT int32_t lfexr_dim(const char* path, HdrFileInfo* info);

// Decodes an OpenEXR file into RGBE planar bytes (4 x width x height bytes), with the rule
// above for values light cannot have. When work is not null it receives: [0] the largest
// finite value, [1] the number of samples made 0 because they were negative or NaN, [2] and
// [3] zero. Returns height, or a negative LFTM_SIB_* code.
LFTM_EXPORT int32_t lfexr_read(const char* path, float* work, uint8_t* dst);

// The largest side the JPEG writer stores: JPEG keeps sizes in 16 bits, and the codec allows
// at most this much of that range.
constexpr int32_t kJpegLargestSide = 65500;

// Writes a baseline JPEG. info: slot 0 width, 1 height, 2 samples per pixel (1 or 2: grey
// from the first; 3 or more: RGB from the first three), 3 output bits (8), 4 resolution
// option, 5 colour profile option, 7 1 when `samples` are 16-bit; slot 6 is not used.
// rowSamples is the distance between rows in samples. The texts w6 (also kept as a comment),
// w7, w9 and w10 go into an EXIF block; texts too long for its 64 KB are shortened. Returns 1,
// or a negative code (lftm.h).
LFTM_EXPORT int32_t LFwritejpg(const char* outFile, int32_t quality, const HdrFileInfo* info,
                               int32_t rowSamples, intptr_t w10, intptr_t w6, intptr_t w7,
                               int32_t w8, intptr_t w9, const void* samples);

// LFwritejpg that also embeds the run's settings as an XMP packet, as buf2tif does: method and
// params as for buf2tif, slot 10 of info the metadata flags (LFTM_META_NO_SETTINGS leaves them
// out). The pixels are those LFwritejpg writes. The drivers call it when the library has it
// and LFwritejpg otherwise.
LFTM_EXPORT int32_t LFwritejpgmeta(const char* outFile, int32_t quality,
                                   const HdrFileInfo* info, int32_t rowSamples, intptr_t w10,
                                   intptr_t w6, intptr_t w7, int32_t w8, intptr_t w9,
                                   int32_t method, const TmParam* params, const void* samples);

// Writes a TIFF. info as for LFwritejpg, with slot 3 8 or 16 and slot 6 the compression
// option. rowBytes is the distance between rows of `samples` in bytes (of the samples as
// handed over, 16-bit when slot 7 is 1). method and params are the run's settings, embedded as
// an XMP packet. Returns 1, or a negative code (lftm.h).
LFTM_EXPORT int32_t buf2tif(const void* samples, const HdrFileInfo* info, int32_t rowBytes,
                            intptr_t w10, intptr_t w6, intptr_t w7, int32_t w8, intptr_t w9,
                            int32_t method, const TmParam* params, const char* outFile);

// Streamed writing: the file that LFwritejpgmeta or buf2tif writes, with the rows handed over
// in order, a few at a time, so that the caller can encode rows while it computes later ones.
// open takes the arguments of the whole-image call (less the samples), creates the file and
// writes everything that comes before the pixels; it returns 1 and the stream's handle in
// *stream, or a negative code and leaves no file. rows writes the next `rows` rows of
// `samples` (their distance as the whole-image call takes it: samples for JPEG, bytes for
// TIFF); it returns 1 or a negative code, after which only close may be called. close with
// keep = 1 completes the file once every row was written (1, or a negative code and no
// file); keep = 0 abandons it, removes the file and returns 0. Either frees the handle.
LFTM_EXPORT int32_t LFjpgopen(const char* outFile, int32_t quality, const HdrFileInfo* info,
                              intptr_t w10, intptr_t w6, intptr_t w7, int32_t w8, intptr_t w9,
                              int32_t method, const TmParam* params, void** stream);
LFTM_EXPORT int32_t LFjpgrows(void* stream, const void* samples, int32_t rowSamples,
                              int32_t rows);
LFTM_EXPORT int32_t LFjpgclose(void* stream, int32_t keep);

LFTM_EXPORT int32_t LFtifopen(const HdrFileInfo* info, intptr_t w10, intptr_t w6, intptr_t w7,
                              int32_t w8, intptr_t w9, int32_t method, const TmParam* params,
                              const char* outFile, void** stream);
LFTM_EXPORT int32_t LFtifrows(void* stream, const void* samples, int32_t rowBytes,
                              int32_t rows);
LFTM_EXPORT int32_t LFtifclose(void* stream, int32_t keep);

}  // extern "C"

namespace lftm {

using InfotifFn = decltype(&infotif);
using ReadTiffFn = decltype(&LFreadtifflat);
using ReadTiffRgbeFn = decltype(&LFreadtiffrgbe);
using ExrDimFn = decltype(&lfexr_dim);
using ExrReadFn = decltype(&lfexr_read);
using WriteJpegFn = decltype(&LFwritejpg);
using WriteJpegMetaFn = decltype(&LFwritejpgmeta);
using WriteTiffFn = decltype(&buf2tif);
using JpegOpenFn = decltype(&LFjpgopen);
using TiffOpenFn = decltype(&LFtifopen);
using StreamRowsFn = decltype(&LFjpgrows);
using StreamCloseFn = decltype(&LFjpgclose);
// The drivers call both writers' rows and close through one pointer each.
static_assert(std::is_same<StreamRowsFn, decltype(&LFtifrows)>::value &&
                  std::is_same<StreamCloseFn, decltype(&LFtifclose)>::value,
              "the streaming entries of the two writers differ in form");

constexpr char kJpegWriterLibrary[] = "Lumenforge32_jpg.dll";
constexpr char kTiffWriterLibrary[] = "Lumenforge32Lib1.dll";
constexpr char kTiffReaderLibrary[] = "Lumenforge_Tiff.dll";
constexpr char kExrReaderLibrary[] = "lfexr.dll";

// The value infotif returns for a file that LFreadtifflat can deliver.
constexpr int32_t kInfotifReadable = 16;

// The value infotif returns for a file that LFreadtiffrgbe can decode: 65536 + 32, above every
// bits-per-sample value, so that no other file is taken for one.
constexpr int32_t kInfotifFloat = 0x10020;

}  // namespace lftm

#endif  // LFTM_IMAGEIO_SIBLING_API_H_
