// The start both file-to-file drivers share: the call is checked, the sibling libraries the
// run needs are loaded, the output is staged (so that an unwritable folder fails before any
// work) and the image information is read. Each driver prints its own lines between these
// steps, so they stay separate calls, in this order.
#ifndef LFTM_FRAME_DRIVER_PROLOGUE_H_
#define LFTM_FRAME_DRIVER_PROLOGUE_H_

#include <cstdint>

#include "frame/driver_io.h"
#include "lftm.h"
#include "platform/staged_output.h"

namespace lftm {

// The arguments of one driver call.
struct DriverCall {
  int32_t extType;
  ImageDesc* desc;
  const TmParam* params;
  const SaveOptions* save;
  WriterArgs writer;
  const TmFiles* files;
  const char* outFile;
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
  // Returns 0, or the first failure's code: a load or entry code, LFTM_ERR_WRITER_CREATE, or
  // what read_image_info returns.
  int32_t open(const DriverCall& call, const SiblingNames& names);

  const OutputExtension ext;
  SiblingSet siblings;
  StagedOutput target;
  HdrFileInfo info{};
  int32_t spp = 3;
  int32_t infoResult = 0;  // the information call's result (kInfotifFloat for a float TIFF)
  int32_t kind = 0;        // the kind in which the input is read (input_kind)
  int32_t width = 0;
  int32_t height = 0;
};

}  // namespace lftm

#endif  // LFTM_FRAME_DRIVER_PROLOGUE_H_
