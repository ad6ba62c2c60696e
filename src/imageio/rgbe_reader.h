// SPDX-License-Identifier: BSD-3-Clause
// Radiance RGBE files: the header parser, the two pixel readers and the exponent table.
// The readers deliver RGBE planar bytes: per row, `width` red mantissas, then green, blue
// and exponent bytes (4 x width bytes a row, rows top to bottom, no padding).
#ifndef LFTM_IMAGEIO_RGBE_READER_H_
#define LFTM_IMAGEIO_RGBE_READER_H_

#include "lftm.h"

namespace lftm {

// Parses the header: fills the info slots LFTM_INFO_WIDTH, LFTM_INFO_HEIGHT,
// LFTM_INFO_FILE_LENGTH and LFTM_INFO_PRIMARIES (32 when a PRIMARIES line was found), and the eight
// chromaticities (zeros without a PRIMARIES line). The resolution line must be among the first 100
// lines (a shorter file is examined whole). Returns the 0-based index of the resolution line, or
// -2000, -2001, -2004 (no usable resolution line), -2003 (a read error, or a file too short for the
// pixels it declares: fewer bytes after the resolution line than the most compact encoding of that
// size needs).
int rgbe_read_header(const char* path, float primaries[8], HdrFileInfo* info);

// Decodes the whole file from memory into dst (4 x width x height bytes), using info slots
// LFTM_INFO_WIDTH, LFTM_INFO_HEIGHT and LFTM_INFO_FILE_LENGTH from rgbe_read_header. Returns
// the height or a public code: LFTM_ERR_RGBE_OPEN, LFTM_ERR_RGBE_SHORT, LFTM_ERR_RGBE_BAD_SIZE,
// LFTM_ERR_RGBE_RUN, LFTM_ERR_RGBE_LITERAL, LFTM_ERR_RGBE_ROW_WIDTH or LFTM_ERR_NO_MEMORY (the
// last only when the file cannot be held in memory and rgbe_read_stream takes over). Decodes
// on up to `threads` workers, with the same result for every count.
int rgbe_read_mem(const char* path, const HdrFileInfo* info, unsigned char* dst,
                  int threads = 1);

// The memory rgbe_read_mem holds besides dst for a file of `length` bytes and that size: the
// whole file, or one block of rows for a large flat file (which it decodes as it reads).
long long rgbe_read_mem_bytes(long long length, int width, int height);

// Same contract, decoding straight from the open file with one row buffer; the same file
// gives the same code as rgbe_read_mem, except that no extra line feed after the resolution
// line is skipped.
int rgbe_read_stream(const char* path, const HdrFileInfo* info, unsigned char* dst);

// The number the classic functions (calc_tm1, tonemap) have always returned for a row header
// that announces another width.
constexpr int kClassicRowWidthCode = -4;

// A reader's code as the classic functions report it: LFTM_ERR_RGBE_ROW_WIDTH becomes
// kClassicRowWidthCode, other codes pass unchanged.
inline int rgbe_classic_code(int code) {
  return code == LFTM_ERR_RGBE_ROW_WIDTH ? kClassicRowWidthCode : code;
}

// Fills the 256-entry exponent table, entry e = 2^(e - 136). Returns 256.
int build_exp_table(float table[256]);

}  // namespace lftm

#endif  // LFTM_IMAGEIO_RGBE_READER_H_
