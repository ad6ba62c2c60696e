// SPDX-License-Identifier: BSD-3-Clause
// Sentences for the library's result codes, for hosts that show them to people: what went
// wrong and what to do about it.
#include "lftm.h"
#include "lftm_host.h"

namespace {

struct CodeText {
  int32_t code;
  const char* text;
};

// Codes that mean something of their own when a run of one method returns them.
struct MethodCodeText {
  int32_t method;
  int32_t code;
  const char* text;
};

constexpr MethodCodeText kMethodCodes[] = {
    {LFTM_METHOD_RANGE_SQUEEZER, -1,
     "the image has one luminance everywhere: there is nothing to tone map"},
    {LFTM_METHOD_TEXTURE_BOOSTER, LFTM_ERR_NEGATIVE_LUM,
     "the reconstructed luminance came out negative (try other settings: Smoothing, "
     "Microcontrast), or the input kind is not one of .hdr, .exr or .tif"},
};

// One entry per code of lftm.h; a number with several names says what each of them means.
constexpr CodeText kCodes[] = {
    {LFTM_ERR_FILE, "a file could not be opened or has an unusable size: check the paths"},
    {LFTM_ERR_IO,
     "a read or write stopped short: the file is damaged, or a disk is full or failing"},
    {LFTM_ERR_LOG_TYPE,
     "the log-luminance type is not 0, 1 or 2 (get_log_lum), or the settings sidecar could not "
     "be written whole (write_xmp): fix the call, or free disk space and write it again"},
    {LFTM_ERR_NO_MEMORY,
     "not enough memory for this image: close other programs, use disk mode, or use a smaller "
     "image"},
    {LFTM_ERR_NOT_HALVING,
     "the preview size is not the image halved a whole number of times "
     "(extract_base_preview), or the settings sidecar holds another method (parse_xmp): use "
     "extract_qv, or ask for the sidecar's method first"},
    {LFTM_ERR_XMP_NO_NAMESPACE,
     "the file is not a settings sidecar (it is empty or has no \"xmlns:lftm=\" declaration): "
     "keep the defaults"},
    {LFTM_ERR_SOLVER_SCRATCH,
     "a scratch file of the solver could not be written or read: check the free space in "
     "the temporary directory ($TMPDIR)"},
    {LFTM_ERR_EMPTY_LUM, "the reconstructed luminance plane is empty"},
    {LFTM_ERR_DISK_TIFF,
     "disk mode cannot read TIFF input: run in memory mode, or convert the image to .hdr"},
    {LFTM_ERR_TOO_SMALL, "the image is smaller than 10 pixels on a side: it cannot be tone mapped"},
    {LFTM_ERR_TOO_LARGE,
     "the image is too large for this library (the Texture Booster takes about 1.6 "
     "gigapixels, the Range Squeezer 2.1): reduce its size"},
    {LFTM_ERR_NO_SCRATCH_SPACE,
     "the temporary directory has too little free space for disk mode: free space or set "
     "$TMPDIR to a larger disk"},
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
    {LFTM_ERR_RGBE_ROW_WIDTH,
     "a row of the .hdr data announces another width than the header: the file is damaged"},
    {LFTM_ERR_WRITER_ARGS,
     "the writer cannot store this layout (size, samples per pixel or depth): JPEG holds at "
     "most 65500 pixels a side"},
    {LFTM_ERR_WRITER_CREATE,
     "the output file cannot be created: check that its folder exists and is writable, and "
     "that its name is not a folder, device, pipe or write-protected file"},
    {LFTM_ERR_WRITER_IO,
     "writing the output file stopped short: the disk holding it is full or failing"},
    {LFTM_ERR_SIB_OPEN, "the file cannot be opened or is not of the format its name says"},
    {LFTM_ERR_SIB_LAYOUT,
     "the file's sample layout is not supported (TIFF input must have 8- or 16-bit unsigned "
     "or 32-bit floating-point samples): convert it"},
    {LFTM_ERR_SIB_DECODE, "the file is damaged and cannot be decoded"},
    {LFTM_ERR_SIB_SIZE, "the reader was asked for another size than the file has"},
    {LFTM_ERR_CANCELLED,
     "the run was cancelled by the host: nothing was written and scratch files are removed"},
    {LFTM_ERR_ARGUMENT,
     "an argument is unusable (null pointer, record size, sample type, channel count, stride "
     "or size): fix the call"},
    {LFTM_ERR_UNKNOWN_FORMAT,
     "the file is none of Radiance (.hdr), OpenEXR or TIFF: convert it to one of these"},
    {LFTM_ERR_SETTING_VALUE,
     "a setting of the sidecar cannot be read or is not a finite number: correct it in the "
     "file (or in the settings being saved)"},
    {LFTM_ERR_NOT_SIDECAR,
     "the file exists and is not a settings sidecar, so it was left alone: choose another "
     "name for the settings"},
    {LFTM_ERR_SAME_FILE,
     "the output file is the input file: choose another output name, or the photograph "
     "would be lost"},
    {LFTM_ERR_MERGE_TOO_FEW, "a merge needs at least two frames of the scene"},
    {LFTM_ERR_MERGE_SIZE, "the frames differ in size or sample depth: merge frames of one bracket"},
    {LFTM_ERR_MERGE_NO_EXPOSURE,
     "a frame has no exposure time in its EXIF data: give the exposures of every frame"},
    {LFTM_ERR_MERGE_EXPOSURE_COUNT, "the count of exposures given is not the count of frames"},
    {LFTM_ERR_MERGE_RESPONSE,
     "the camera response cannot be loaded or recovered: check the response file, or give "
     "another response"},
    {LFTM_ERR_MERGE_OUTPUT_KIND,
     "the output of a merge must end in .exr, .hdr, .jpg, .jpeg, .tif or .tiff"},
    {LFTM_ERR_MERGE_LIBRARY,
     "the frame reader library (lfframe) or the OpenEXR writer cannot be loaded: reinstall "
     "lftm"},
    {LFTM_ERR_INPUT_MISSING, "there is no such file: check the name and the folder"},
    {LFTM_ERR_INPUT_NO_PERMISSION, "the file cannot be read: permission denied"},
    {LFTM_ERR_INPUT_FOLDER, "this is a folder, not an image file: name an image file in it"},
    {LFTM_ERR_INPUT_NOT_REGULAR,
     "this is not a regular file (a pipe, socket or device): save the image to a file first"},
    {LFTM_ERR_INPUT_CANNOT_OPEN,
     "the file cannot be opened (too many open files, a loop of links or a failing disk)"},
    {LFTM_ERR_INPUT_EMPTY, "the file is empty: it holds no image"},
    {LFTM_ERR_INPUT_ORIENTATION,
     "the Radiance file stores its rows in another order than \"-Y height +X width\", the "
     "only one the readers take: rotate or flip it into that order"},
    {LFTM_ERR_INPUT_TRUNCATED,
     "the file is cut short: it holds fewer bytes after its header than the pixels it "
     "declares take"},
    {LFTM_ERR_OVER_LIMIT,
     "the run needs more memory than the limit that was set (the messages say how much): "
     "raise the limit or use disk mode"},
    {LFTM_ERR_TEMP_MISSING,
     "the temporary folder for the scratch files of disk mode does not exist (the messages "
     "name it): set TMPDIR to an existing folder"},
    {LFTM_ERR_TEMP_NOT_WRITABLE,
     "the temporary folder for the scratch files of disk mode is not writable (the messages "
     "name it): set TMPDIR to a folder you can write to"},
    {LFTM_ERR_OUTPUT_EXISTS,
     "a file that lftm did not write has the output's name: choose another name, or set "
     "overwrite to replace it"},
    {LFTM_ERR_OUTPUT_NOT_FILE,
     "the output's name is a folder, device, pipe or socket, which is never written: choose "
     "another name"},
    {LFTM_ERR_OUTPUT_READ_ONLY,
     "the output's name is a write-protected file: choose another name, or make it writable"},
};

}  // namespace

extern "C" const char* lftm_strerror(int32_t code, int32_t method) {
  if (code >= 0) return "no error";
  for (const MethodCodeText& entry : kMethodCodes) {
    if (entry.method == method && entry.code == code) return entry.text;
  }
  for (const CodeText& entry : kCodes) {
    if (entry.code == code) return entry.text;
  }
  return "unknown result code: not one that this version of liblftm returns";
}
