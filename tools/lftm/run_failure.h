// Why a file-to-file run failed, told about the file concerned: the output for the writers'
// codes, the temporary directory for the scratch files of --disk, the input otherwise.
#ifndef LFTM_TOOLS_RUN_FAILURE_H_
#define LFTM_TOOLS_RUN_FAILURE_H_

#include <cstdint>
#include <string>

namespace lftm_cli {

struct FailedRun {
  std::string input;
  std::string output;
  int32_t method = 0;
  bool disk = false;
  int32_t width = 0;   // the input's size, for the space the scratch files need
  int32_t height = 0;
  int32_t code = 0;    // the driver's result
};

// "FILE: sentence (details)" for stderr.
std::string run_failure_line(const FailedRun& run);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_RUN_FAILURE_H_
