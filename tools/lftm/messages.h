// SPDX-License-Identifier: BSD-3-Clause
// Sentences for the tool's causes and the library's negative result codes, for people reading
// the tool's output.
#ifndef LFTM_TOOLS_MESSAGES_H_
#define LFTM_TOOLS_MESSAGES_H_

#include <cstdint>
#include <string>

namespace lftm_cli {

// Causes the tool names in its own words (the library finds most of them: lftm_diagnose_input,
// the photo reader), with codes of their own below every library code. They are never printed
// as codes, nor are the library's opening causes LFTM_ERR_INPUT_MISSING to _EMPTY, which
// count as causes too.
enum Cause : int32_t {
  kCauseTruncated = -9007,
  kCauseOrientation = -9008,
  kCauseOtherKind = -9009,
  kCauseTempMissing = -9010,
  kCauseTempNotWritable = -9011,
  kCauseTempFull = -9012,
  kCauseNoMemory = -9013,
};

// TIFF layouts that the TIFF reader takes neither as 16-bit samples nor as floats, each with a
// sentence of its own instead of the drivers' generic -2 (tiff_layout_code() picks one). Unlike
// causes, they are printed as codes.
enum TiffLayoutCode : int32_t {
  kTiffCmyk = -3120,
  kTiffInt32 = -3121,
  kTiffFloat64 = -3122,
  kTiffHalfFloat = -3123,
  kTiffSigned = -3124,
  kTiffOddDepth = -3125,
  kTiffLogLuv = -3126,
  kTiffOtherColours = -3127,
  kTiffOtherSamples = -3128,
};

// The sentence of a cause; null for a code that is none.
const char* describe_cause(int32_t code);

// What went wrong and what to do about it: the tool's own words for a few codes, the
// library's sentence (lftm_strerror) for the others. `method` is the method of the run that
// returned `code` (1 or 2), where a few codes mean something of their own, or 0.
const char* describe_code(int32_t code, int32_t method = 0);

// "FILE: sentence" for stderr: the sentence of a cause or of a library code (for `method`
// when it is not 0), then what was measured and the library's code in parentheses.
std::string failure_line(const std::string& file, int32_t code, const std::string& detail,
                         int32_t method = 0);

// A byte count as people read it: "512 bytes", "3.4 KB", "250.0 MB", "6.2 GB".
std::string byte_count_text(int64_t bytes);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_MESSAGES_H_
