// SPDX-License-Identifier: BSD-3-Clause
#include "messages.h"

#include <cstdio>
#include <string>

#include "lftm_host.h"

namespace lftm_cli {
namespace {

struct CodeText {
  int32_t code;
  const char* text;
};

// Causes the tool found by looking at the files.
constexpr CodeText kCauses[] = {
    {kCauseTruncated,
     "the file is truncated: it holds fewer bytes than the pixels its header declares"},
    {kCauseOrientation,
     "the Radiance file stores its rows in an order the reader does not support: only "
     "\"-Y height +X width\" (rows top to bottom, pixels left to right) can be read; rotate "
     "or flip it into that order"},
    {kCauseOtherKind,
     "the file is not a Radiance (.hdr), OpenEXR (.exr) or TIFF (.tif) image"},
    {kCauseTempMissing,
     "the temporary directory for the scratch files of --disk does not exist: create it or "
     "set $TMPDIR to an existing folder"},
    {kCauseTempNotWritable,
     "the temporary directory for the scratch files of --disk is not writable: set $TMPDIR "
     "to a folder you can write to"},
    {kCauseTempFull,
     "the scratch files of --disk could not be written: the temporary directory is full; "
     "free space there or set $TMPDIR to a folder on a larger disk"},
    {kCauseNoMemory,
     "there is not enough memory for this image: close other programs or use a smaller "
     "image"},
};

// Codes the tool describes in its own words, ahead of the library's sentences: the TIFF
// layouts it tells apart (tiff_layout_code()), the numbers of the Radiance streaming reader
// that the drivers pass on from a run, and codes whose remedy is one of the tool's options.
constexpr CodeText kToolCodes[] = {
    {-3, "the image file's size line disagrees with its data: the file is damaged"},
    {-5, "the image data runs past the end of a row: the file is damaged"},
    {-6, "the image data holds a bad run: the file is damaged"},
    {LFTM_ERR_NO_MEMORY,
     "not enough memory for this image: close other programs, use --disk, or use a smaller "
     "image"},
    {LFTM_ERR_OVER_LIMIT,
     "the run needs more memory than --memory-limit allows: raise the limit or use --disk"},
    {LFTM_ERR_DISK_TIFF,
     "disk mode cannot read TIFF input: run without --disk, or convert the image to .hdr"},
    {kTiffCmyk,
     "the TIFF holds CMYK (print) colours, which are not HDR input: convert it to RGB"},
    {kTiffInt32,
     "the TIFF holds 32-bit integer samples, which are not supported: save it as 32-bit "
     "floating point or 16-bit"},
    {kTiffFloat64,
     "the TIFF holds 64-bit floating-point samples, which are not supported: save it as 32-bit "
     "floating point"},
    {kTiffHalfFloat,
     "the TIFF holds 16- or 24-bit floating-point samples, which are not supported: save it as "
     "32-bit floating point"},
    {kTiffSigned,
     "the TIFF holds signed integer samples, which are not supported: save it with unsigned "
     "8- or 16-bit samples or 32-bit floating point"},
    {kTiffOddDepth,
     "the TIFF's bit depth is neither 8, 16 nor 32-bit floating point (bilevel, 4-bit, 12-bit "
     "and the like): convert it"},
    {kTiffLogLuv,
     "the TIFF is LogLuv encoded, which is not supported: save it as 32-bit floating point or "
     "as .exr"},
    {kTiffOtherColours,
     "the TIFF's colour space (Lab, YCbCr, ...) is not supported: convert it to RGB or grey"},
    {kTiffOtherSamples,
     "the TIFF's samples are not grey or RGB, with or without alpha (too many samples per "
     "pixel, or floats with white as zero): convert it"},
};

}  // namespace

const char* describe_code(int32_t code, int32_t method) {
  for (const CodeText& entry : kToolCodes) {
    if (entry.code == code) return entry.text;
  }
  return lftm_strerror(code, method);
}

const char* describe_cause(int32_t code) {
  if (code <= LFTM_ERR_INPUT_MISSING && code >= LFTM_ERR_INPUT_EMPTY) {
    return lftm_strerror(code, 0);
  }
  for (const CodeText& entry : kCauses) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

std::string failure_line(const std::string& file, int32_t code, const std::string& detail,
                         int32_t method) {
  const char* cause = describe_cause(code);
  std::string line = file + ": ";
  line += cause != nullptr ? cause : describe_code(code, method);
  std::string notes = detail;
  if (cause == nullptr) notes += (notes.empty() ? "code " : "; code ") + std::to_string(code);
  if (!notes.empty()) line += " (" + notes + ")";
  return line;
}

std::string byte_count_text(int64_t bytes) {
  // Decimal units with one decimal, switching where the number would reach five digits.
  struct Unit {
    int64_t below;
    double size;
    const char* name;
  };
  constexpr Unit kUnits[] = {{10000000, 1e3, "KB"}, {1000000000LL, 1e6, "MB"}};
  char text[32];
  if (bytes < 10000) {
    std::snprintf(text, sizeof text, "%lld bytes", static_cast<long long>(bytes));
    return text;
  }
  for (const Unit& unit : kUnits) {
    if (bytes < unit.below) {
      std::snprintf(text, sizeof text, "%.1f %s", bytes / unit.size, unit.name);
      return text;
    }
  }
  std::snprintf(text, sizeof text, "%.1f GB", bytes / 1e9);
  return text;
}

}  // namespace lftm_cli
