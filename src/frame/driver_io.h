// SPDX-License-Identifier: BSD-3-Clause
// Pieces shared by the two file-to-file drivers (and the command-line tool): the input kinds,
// the choice of writer, loading the sibling libraries, reading the image, the 16-bit lookup
// table and the writer's information record.
#ifndef LFTM_FRAME_DRIVER_IO_H_
#define LFTM_FRAME_DRIVER_IO_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "imageio/sibling_api.h"
#include "lftm.h"
#include "platform/staged_output.h"

namespace lftm {

// The file names under which the sibling libraries are loaded; tests substitute their own.
struct SiblingNames {
  const char* jpegWriter;
  const char* tiffWriter;
  const char* tiffReader;
  const char* exrReader;
};

const SiblingNames& default_sibling_names();

// An input kind of the drivers' own, never accepted from a caller: a TIFF of 32-bit floats,
// which the TIFF reader decodes into RGBE planar bytes like an OpenEXR file.
constexpr int32_t kExtTiffFloat = 202;

// The kind in which a run reads its input: the caller's extType, or kExtTiffFloat for a TIFF
// whose information call (result `infoResult`) found floating-point samples.
int32_t input_kind(int32_t extType, int32_t infoResult);

// 0 (RGBE planar bytes) for .hdr, .exr and float TIFF, 1 (16-bit samples) for other TIFF.
int32_t doc_type_for(int32_t extType);

// True for the kinds decoded by a sibling library into RGBE planar bytes (OpenEXR and float
// TIFF); disk mode spools them into a Radiance scratch file.
bool decodes_to_rgbe(int32_t kind);

// The three characters after the last '.' of the output name (the first three without a '.')
// and the index of the first of them; isJpg only for exactly "jpg" or "JPG".
struct OutputExtension {
  std::string fileExt;
  int positExt = 0;
  bool isJpg = false;
};
OutputExtension output_extension(const char* outFile);

// The libraries of one run and the entry points fetched from them. Whatever was loaded is
// released when the set is destroyed.
class SiblingSet {
 public:
  SiblingSet() = default;
  ~SiblingSet();
  SiblingSet(const SiblingSet&) = delete;
  SiblingSet& operator=(const SiblingSet&) = delete;

  // Loads what a run needs, in the order writer, TIFF reader, EXR reader: the JPEG writer when
  // useJpeg (with its settings and streaming entries when it has them), else the TIFF writer
  // (with its streaming entries when it has them); the TIFF reader for extType 200 and 201;
  // the EXR reader for 101. Returns 0, or the load or entry code of the first library that
  // fails.
  int32_t load_for_run(const SiblingNames& names, bool useJpeg, int32_t extType);

  // Loads only the reader that extType needs (nothing for .hdr). Returns 0 or a code.
  int32_t load_reader(const SiblingNames& names, int32_t extType);

  WriteJpegFn write_jpeg = nullptr;
  WriteJpegMetaFn write_jpeg_meta = nullptr;  // optional
  WriteTiffFn write_tiff = nullptr;
  // The loaded writer's streaming entries (both writers' rows and close have one form); null
  // when the library predates them.
  JpegOpenFn open_jpeg_stream = nullptr;
  TiffOpenFn open_tiff_stream = nullptr;
  StreamRowsFn stream_rows = nullptr;
  StreamCloseFn close_stream = nullptr;
  InfotifFn info_tiff = nullptr;
  ReadTiffFn read_tiff = nullptr;
  ReadTiffRgbeFn read_tiff_rgbe = nullptr;  // null when the library predates float input
  ExrDimFn exr_dim = nullptr;
  ExrReadFn exr_read = nullptr;

 private:
  int32_t load_tiff_reader(const SiblingNames& names);
  int32_t load_exr_reader(const SiblingNames& names);
  // Fetches the writer's three streaming entries, or none of them.
  void load_streaming(void* library, const char* open, const char* rows, const char* close);
  void* stream_open_ = nullptr;
  enum { kJpeg, kTiffWriter, kTiffReader, kExr, kLibraryCount };
  void* libraries_[kLibraryCount] = {nullptr, nullptr, nullptr, nullptr};
};

// Reads the image information into a zero-filled `info` and the samples per pixel the run
// works with (3 for .hdr, .exr and float TIFF; the TIFF's count with 4 taken as 3 and 2 as 1).
// Returns the information call's result (>= 0; kInfotifFloat for a float TIFF), -2 for a TIFF
// that can be delivered neither as 16-bit samples nor as floats, -127 (with its message) for a
// float TIFF when the reader lacks LFreadtiffrgbe, -1001 for a Radiance file too short for the
// size it declares, or -1000.
int32_t read_image_info(int32_t extType, const SiblingSet& siblings, const char* path,
                        HdrFileInfo* info, int32_t* spp);

// Writes the input image's layout into the caller's record: size, samples per pixel, packed
// rows, RGB order. `bits`, `spare` and `planes` stay as the caller set them.
void write_image_layout(ImageDesc* desc, int32_t width, int32_t height, int32_t spp);

// Reads the whole image of input kind `extType` (as input_kind gives it): RGBE planar bytes for .hdr, .exr and
// float TIFF (4 x w x h bytes), 16-bit samples for other TIFF (2 x w x h x spp bytes). `work`
// (four floats, may be null) goes to the float readers; a Radiance file is decoded on up to
// `threads` workers. Returns the reader's result unchanged (negative on failure).
int32_t read_image(int32_t extType, const SiblingSet& siblings, const char* path,
                   const HdrFileInfo& info, int32_t spp, float* work, void* dst,
                   int32_t threads = 1);

// Bytes of the whole image as read_image delivers it, or false past `limit`.
bool image_bytes(int32_t extType, int32_t width, int32_t height, int32_t spp, size_t* bytes);

// Fills the 65536-entry table that maps 16-bit samples to linear values: entry i is
// 65536 (i / 65536)^g with g 2.2 for extType 200 and 1.0 otherwise; entry 0 equals entry 1.
void build_lut(int32_t extType, float* lut);

// The record handed to the writers: width, height, spp, the caller's bits, the output
// options, and slot 7 = 1 when the samples are 16-bit for an 8-bit output.
HdrFileInfo writer_info(int32_t width, int32_t height, int32_t spp, int32_t bits,
                        const SaveOptions* save, bool widenedSamples);

// Arguments handed through to the writers.
struct WriterArgs {
  int32_t jpgQual;
  intptr_t w6, w7;
  int32_t w8;
  intptr_t w9, w10;
};

// Creates the temporary that the writer will fill for `outFile`, at the start of a run so that
// an output folder that is missing or not writable, or a name that must not be replaced,
// fails before any work (with a line naming the file). Returns 0, LFTM_ERR_OUTPUT_EXISTS
// (Replace::kOwnOutputs: a file lftm did not write) or -3002.
int32_t stage_output(const char* outFile, StagedOutput* target,
                     Replace replace = Replace::kRegularFiles);

// Moves the finished temporary onto `outFile`; returns 0 or a code as stage_output's.
int32_t commit_output(const char* outFile, StagedOutput* target);

// Calls the loaded writer on `samples` (with the settings when it takes them), writing the
// staged temporary, and moves it onto the final name when the writer succeeded. rowSamples
// counts the samples of one row. Returns the writer's result, or a code of commit_output.
int32_t write_output(const SiblingSet& siblings, const char* outFile, StagedOutput* target,
                     const HdrFileInfo& info,
                     int32_t rowSamples, int32_t sampleBytes, const WriterArgs& args,
                     int32_t method, const TmParam* params, const void* samples);

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVER_IO_H_
