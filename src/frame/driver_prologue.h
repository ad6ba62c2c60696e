// The start both file-to-file drivers share: the call is checked, the sibling libraries the
// run needs are loaded, the output is staged (so that an unwritable folder fails before any
// work) and the image information is read. Each driver prints its own lines between these
// steps, so they stay separate calls, in this order.
#ifndef LFTM_FRAME_DRIVER_PROLOGUE_H_
#define LFTM_FRAME_DRIVER_PROLOGUE_H_

#include <cstdint>
#include <functional>

#include "frame/driver_io.h"
#include "lftm.h"
#include "platform/staged_output.h"

namespace lftm {

// A run whose pixels a host holds in memory: they come in as the OpenEXR reader delivers a
// file (RGBE planar bytes, width x height pixels) and the finished samples go to `deliver`
// instead of a writer. No library is loaded and no output file is staged.
struct MemoryIo {
  const uint8_t* rgbe = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  float work[4] = {0, 0, 0, 0};  // what the OpenEXR reader reports in its `work` floats
  // Receives the interleaved samples (width x 3 a row) of a run that succeeded; returns 0 or
  // a code.
  std::function<int32_t(const void* samples)> deliver;
};

// The writer of a run: the one the output name gives (the drivers' rule), or a host's choice.
enum class WriterKind { kByName, kJpeg, kTiff };

// The arguments of one driver call.
struct DriverCall {
  int32_t extType;
  ImageDesc* desc;
  const TmParam* params;
  const SaveOptions* save;
  WriterArgs writer;
  const TmFiles* files;
  const char* outFile;
  const MemoryIo* memory = nullptr;  // null: the input is files->inFile, the output outFile
  WriterKind writerKind = WriterKind::kByName;
  Replace replace = Replace::kRegularFiles;  // which existing file at outFile may be replaced
};

// Checks what both drivers need before anything is printed or loaded: the records and paths
// present and an output depth of 8 or 16. Returns 0 or LFTM_ERR_FILE.
int32_t check_call(const DriverCall& call);

// Returns 0 for an input kind the drivers read (100, 101, 200, 201); otherwise prints the
// unsupported-kind message and returns LFTM_ERR_EXT_TYPE.
int32_t check_ext_type(int32_t extType);

// What the start of a run holds: the output's extension (known at once, from the name), then,
// after open(), the loaded libraries, the staged output and the input image's information.
struct DriverStart {
  explicit DriverStart(const char* outFile) : ext(output_extension(outFile)) {}

  // Loads the libraries (the JPEG writer for an 8-bit ".jpg"/".JPG", else the TIFF writer,
  // and the reader of the input kind), stages the output and reads the image information.
  // Returns 0, or the first failure's code: a load or entry code, what stage_output returns,
  // or what read_image_info returns.
  int32_t open(const DriverCall& call, const SiblingNames& names);

  // Reads the whole image (see read_image) from the input file or the host's memory.
  int32_t read(const DriverCall& call, int32_t readSpp, float* work, void* dst) const;

  // Hands the finished samples to the writer (see write_output) or to the host.
  int32_t write(const DriverCall& call, const HdrFileInfo& writerInfo, int32_t rowSamples,
                int32_t sampleBytes, int32_t method, const void* samples);

  const OutputExtension ext;
  SiblingSet siblings;
  StagedOutput target;
  HdrFileInfo info{};
  int32_t spp = 3;
  int32_t infoResult = 0;  // the information call's result (kInfotifFloat for a float TIFF)
  int32_t kind = 0;        // the kind in which the input is read (input_kind)
  bool writesJpeg = false; // the output goes to the JPEG writer (not a host's buffer)
  int32_t width = 0;
  int32_t height = 0;
};

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVER_PROLOGUE_H_
