// SPDX-License-Identifier: BSD-3-Clause
// Text matching shared by the RGBE header parser and the pixel readers.
#ifndef LFTM_IMAGEIO_RGBE_TEXT_H_
#define LFTM_IMAGEIO_RGBE_TEXT_H_

#include <cstddef>
#include <cstdio>

namespace lftm {

// Longest header line read at once; a longer line is read as several lines.
constexpr int kRgbeLineMax = 127;

// How many header lines are examined at most, whatever the file's length: the resolution line
// must be among them. A file that ends sooner is examined whole.
constexpr int kRgbeHeaderLines = 100;

// The fewest bytes that can hold the pixel data of a width x height image: 4 a pixel for flat
// rows; for run-length rows a 4-byte row header and one 2-byte run per 127 pixels of each of
// the four components. No valid file has less.
long long rgbe_least_data_bytes(int width, int height, bool runLength);

// The fewest bytes that any encoding of a width x height image takes (flat or run-length,
// whichever is smaller): a file with less data after its header is cut short, whatever its
// first bytes say.
long long rgbe_fewest_data_bytes(int width, int height);

// A resolution line: two axes with a sign and a size each, in any of the eight orientations.
struct RgbeResolution {
  bool standard = false;  // "-Y height +X width": rows top to bottom, the one order read
  long long width = 0;
  long long height = 0;
};

// Matches "[+-][XY] <n> [+-][XY] <m>" (two different axes) at the start of `text`
// (NUL-terminated). Sizes are read as strtoll reads them: a sign is allowed, a size outside
// the range of long long is clamped.
bool match_any_resolution(const char* text, RgbeResolution* resolution);

// Matches "-Y <height> +X <width>" at the start of `text` (NUL-terminated). Numbers outside
// the int range are clamped, so that the size check that follows refuses them.
bool match_resolution(const char* text, int* height, int* width);

// match_primaries: the line does not start with "PRIMARIES=".
constexpr int kNoPrimaries = -1;

// Matches "PRIMARIES=" followed by up to eight numbers (read with a '.' decimal point whatever
// the locale). Returns how many numbers matched (0..8), or kNoPrimaries.
int match_primaries(const char* text, float values[8]);

// True when width x height is an image size the library takes (image_size_ok).
bool rgbe_size_ok(int width, int height);

// The length slot of HdrFileInfo is 32-bit: a file of 2^31 - 1 bytes or more is recorded
// as kRgbeLongFile, and its readers measure the length themselves.
constexpr int kRgbeLongFile = 0x7fffffff;

// The file's length in bytes: `slot` as the header parser recorded it, or for a long file the
// length measured on the open file (which is left at its start). -1 when it cannot be had.
long long rgbe_file_length(std::FILE* file, int slot);

// Reads one header line of at most kRgbeLineMax characters into `line` (size kRgbeLineMax+1).
// Returns false at end of file or on a read error.
bool read_header_line(std::FILE* file, char* line);

// What the header lines of a Radiance file say.
struct RgbeHeaderLines {
  int sizeIndex = -1;          // 0-based index of the "-Y h +X w" line; -1 when there is none
  int width = 0;               // its sizes, as match_resolution reads them
  int height = 0;
  long long dataStart = -1;    // the offset just after it
  // That line as written (without its line feed), or else the first resolution line of
  // another orientation, which the reader skips; "" when there is neither.
  char sizeLine[kRgbeLineMax + 1] = {};
  // The chromaticities of the PRIMARIES lines before the resolution line, over the ones
  // assumed when the header names none.
  float primaries[8] = {0.648431f, 0.330856f, 0.321152f, 0.597871f,
                        0.155886f, 0.066044f, 0.3101f,   0.3162f};
  bool allPrimaries = false;   // a PRIMARIES line held all eight numbers
};

// Reads the header lines of `file` from where it stands until the "-Y h +X w" line, among the
// first kRgbeHeaderLines (the whole file when it ends sooner), and leaves the file just after
// that line. Returns false on a read error.
bool scan_rgbe_header(std::FILE* file, RgbeHeaderLines* header);

}  // namespace lftm

#endif  // LFTM_IMAGEIO_RGBE_TEXT_H_
