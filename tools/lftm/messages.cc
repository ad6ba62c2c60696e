#include "messages.h"

#include <string>

#include "lftm.h"
#include "tiff_layout_codes.h"

namespace lftm_cli {
namespace {

struct CodeText {
  int32_t code;
  const char* text;
};

// Causes the tool found by looking at the files.
constexpr CodeText kCauses[] = {
    {kCauseMissing, "there is no such file: check the name and the folder"},
    {kCauseNoPermission, "the file cannot be read: permission denied"},
    {kCauseDirectory, "this is a folder, not an image file"},
    {kCauseNotRegular, "this is not a regular file (a device, pipe or socket)"},
    {kCauseCannotOpen, "the file cannot be opened"},
    {kCauseEmpty, "the file is empty"},
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

// Codes whose meaning depends on the method that returned them.
struct MethodCodeText {
  int32_t method;
  int32_t code;
  const char* text;
};

constexpr MethodCodeText kMethodCodes[] = {
    {LFTM_METHOD_RANGE_SQUEEZER, -1,
     "the image has one luminance everywhere: there is nothing to tone map"},
    {LFTM_METHOD_TEXTURE_BOOSTER, -101,
     "the reconstructed luminance came out negative: try other settings (Smoothing, "
     "Microcontrast)"},
    {LFTM_METHOD_TEXTURE_BOOSTER, -102, "the reconstructed luminance plane is empty"},
    {LFTM_METHOD_TEXTURE_BOOSTER, -20,
     "a scratch file of the solver could not be written or read: check the free space in "
     "the temporary directory ($TMPDIR)"},
};

// One entry per negative code of the library, its drivers and the sibling libraries, and per
// TIFF layout the tool tells apart (tiff_layout_codes.h). Codes
// that mean different things in different calls are described by what they mean in the
// calls this tool makes (the drivers and the readers).
constexpr CodeText kCodes[] = {
    {LFTM_ERR_FILE, "a file could not be opened or has an unusable size: check the paths"},
    {LFTM_ERR_IO,
     "a read or write stopped short: the file is damaged, or a disk is full or failing"},
    {-3, "the image file's size line disagrees with its data: the file is damaged"},
    {LFTM_ERR_NO_MEMORY,
     "not enough memory for this image: close other programs, use --disk, or use a smaller "
     "image"},
    {-5, "the image data runs past the end of a row: the file is damaged"},
    {-6, "the image data holds a bad run: the file is damaged"},
    {LFTM_ERR_DISK_TIFF,
     "disk mode cannot read TIFF input: run without --disk, or convert the image to .hdr"},
    {LFTM_ERR_TOO_SMALL, "the image is smaller than 10 pixels on a side: it cannot be tone mapped"},
    {LFTM_ERR_TOO_LARGE,
     "the image is too large for this library (a buffer would pass 2 GB): reduce its size"},
    {LFTM_ERR_EXT_TYPE, "this kind of input file is not supported: use .hdr, .exr or .tif"},
    {LFTM_ERR_LOAD_JPG,
     "the JPEG writer library (libLumenforge32_jpg.so) was not found: install it beside "
     "liblftm or write a .tif"},
    {LFTM_ERR_ENTRY_JPG,
     "the JPEG writer library lacks LFwritejpg: it is damaged or of another version; "
     "reinstall it"},
    {LFTM_ERR_LOAD_TIFW,
     "the TIFF writer library (libLumenforge32Lib1.so) was not found: install it beside "
     "liblftm or write an 8-bit .jpg"},
    {LFTM_ERR_LOAD_TIFR,
     "the TIFF reader library (libLumenforge_Tiff.so) was not found: install it beside liblftm "
     "or convert the input to .hdr"},
    {LFTM_ERR_ENTRY_INFOTIF,
     "the TIFF reader library lacks infotif: it is damaged or of another version; reinstall "
     "it"},
    {LFTM_ERR_ENTRY_READTIF,
     "the TIFF reader library lacks LFreadtifflat: it is damaged or of another version; "
     "reinstall it"},
    {LFTM_ERR_LOAD_EXR,
     "the OpenEXR reader library (liblfexr.so) was not found: install it beside liblftm or "
     "convert the input to .hdr"},
    {LFTM_ERR_ENTRY_EXRDIM,
     "the OpenEXR reader library lacks lfexr_dim: it is damaged or of another version; "
     "reinstall it"},
    {LFTM_ERR_ENTRY_EXRREAD,
     "the OpenEXR reader library lacks lfexr_read: it is damaged or of another version; "
     "reinstall it"},
    {LFTM_ERR_ENTRY_BUF2TIF,
     "the TIFF writer library lacks buf2tif: it is damaged or of another version; reinstall "
     "it"},
    {LFTM_ERR_INFO,
     "the image's size and layout could not be read: the file is missing, damaged or not an "
     "image of its kind"},
    {LFTM_ERR_READ, "the image could not be read: the file is damaged or truncated"},
    {LFTM_ERR_READ_AGAIN,
     "the image could not be read a second time: was the file changed or removed while it was "
     "being processed?"},
    {LFTM_ERR_RGBE_OPEN, "the .hdr file cannot be opened: check the path and its permissions"},
    {LFTM_ERR_RGBE_SEEK, "the .hdr file cannot be measured: is it a regular file?"},
    {LFTM_ERR_RGBE_SHORT,
     "the .hdr file ends before its header or data is complete: the file is truncated"},
    {LFTM_ERR_RGBE_NO_SIZE,
     "the .hdr header has no usable size line (\"-Y height +X width\"): the file is damaged"},
    {LFTM_ERR_RGBE_BAD_SIZE,
     "the .hdr size line is missing from the data or disagrees with the header: the file is "
     "damaged"},
    {LFTM_ERR_RGBE_RUN, "the .hdr data holds a run longer than its row: the file is damaged"},
    {LFTM_ERR_RGBE_LITERAL,
     "the .hdr data holds an empty or overlong literal: the file is damaged"},
    {LFTM_ERR_SIB_OPEN, "the file cannot be opened or is not of the format its name says"},
    {LFTM_ERR_SIB_LAYOUT,
     "the file's sample layout is not supported (TIFF input must have 8- or 16-bit unsigned "
     "or 32-bit floating-point samples): convert it"},
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
    {LFTM_ERR_SIB_DECODE, "the file is damaged and cannot be decoded"},
    {LFTM_ERR_SIB_SIZE, "the reader was asked for another size than the file has"},
    {LFTM_ERR_WRITER_ARGS,
     "the writer cannot store this layout (size, samples per pixel or depth): JPEG holds at "
     "most 65500 pixels a side"},
    {LFTM_ERR_WRITER_CREATE,
     "the output file cannot be created: check that its folder exists and is writable"},
    {LFTM_ERR_WRITER_IO,
     "writing the output file stopped short: the disk holding it is full or failing"},
};

}  // namespace

const char* describe_code(int32_t code) {
  for (const CodeText& entry : kCodes) {
    if (entry.code == code) return entry.text;
  }
  return "unknown error";
}

const char* describe_method_code(int32_t method, int32_t code) {
  for (const MethodCodeText& entry : kMethodCodes) {
    if (entry.method == method && entry.code == code) return entry.text;
  }
  return describe_code(code);
}

const char* describe_cause(int32_t code) {
  for (const CodeText& entry : kCauses) {
    if (entry.code == code) return entry.text;
  }
  return nullptr;
}

std::string failure_line(const std::string& file, int32_t code, const std::string& detail,
                         int32_t method) {
  const char* cause = describe_cause(code);
  std::string line = file + ": ";
  line += cause != nullptr ? cause
                           : (method != 0 ? describe_method_code(method, code) : describe_code(code));
  std::string notes = detail;
  if (cause == nullptr) notes += (notes.empty() ? "code " : "; code ") + std::to_string(code);
  if (!notes.empty()) line += " (" + notes + ")";
  return line;
}

bool is_known_code(int32_t code) {
  for (const CodeText& entry : kCodes) {
    if (entry.code == code) return true;
  }
  return false;
}

int known_code_count() { return static_cast<int>(sizeof kCodes / sizeof kCodes[0]); }

int32_t known_code_at(int index) { return kCodes[index].code; }

}  // namespace lftm_cli
