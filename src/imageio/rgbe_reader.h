// Radiance RGBE files: the header parser, the two pixel readers and the exponent table.
// The readers deliver RGBE planar bytes: per row, `width` red mantissas, then green, blue
// and exponent bytes (4 x width bytes a row, rows top to bottom, no padding).
#ifndef LFTM_IMAGEIO_RGBE_READER_H_
#define LFTM_IMAGEIO_RGBE_READER_H_

#include "lftm.h"

namespace lftm {

// Parses the header: fills info slots 0, 1, 2 (width, height, file length) and slot 6 (32 when
// a PRIMARIES line was found), and the eight chromaticities (zeros without a PRIMARIES line).
// The resolution line must be among the first 100 lines (a shorter file is examined whole).
// Returns the 0-based index of the resolution line, or -2000, -2001, -2004 (no usable
// resolution line), -2003 (a read error, or a file too short for the pixels it declares:
// fewer bytes after the resolution line than the most compact encoding of that size needs).
int rgbe_read_header(const char* path, float primaries[8], HdrFileInfo* info);

// Decodes the whole file from memory into dst (4 x width x height bytes), using info slots
// 0, 1, 2 from rgbe_read_header. Returns the height, or -2000, -2003, -2005, -2006, -2007,
// -4, or (when the file cannot be held in memory) a code of rgbe_read_stream. Decodes on up
// to `threads` workers, with the same result for every count.
int rgbe_read_mem(const char* path, const HdrFileInfo* info, unsigned char* dst,
                  int threads = 1);

// The memory rgbe_read_mem holds besides dst for a file of `length` bytes and that size: the
// whole file, or one block of rows for a large flat file (which it decodes as it reads).
long long rgbe_read_mem_bytes(long long length, int width, int height);

// Results of rgbe_read_stream, a reader with numbers of its own.
enum RgbeStreamCode : int {
  kRgbeOpenOrCode = -1,   // cannot open; end of file where a code byte is expected
  kRgbeShort = -2,        // end of file in the header or a short read
  kRgbeSizeDiffers = -3,  // resolution missing or different from the record
  kRgbeRowWidth = -4,     // a row header announces another width; no row buffer
  kRgbeRunPastEnd = -5,   // a run passes the end of its component
  kRgbeBadLiteral = -6,   // bad row header byte; an empty literal or one past the end
};

// Same contract, decoding straight from the open file. Returns the height or a
// RgbeStreamCode.
int rgbe_read_stream(const char* path, const HdrFileInfo* info, unsigned char* dst);

// Fills the 256-entry exponent table, entry e = 2^(e - 136). Returns 256.
int build_exp_table(float table[256]);

}  // namespace lftm

#endif  // LFTM_IMAGEIO_RGBE_READER_H_
