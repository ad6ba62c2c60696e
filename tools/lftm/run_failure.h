// SPDX-License-Identifier: BSD-3-Clause
// Why a file-to-file run failed, told about the file concerned: the output for the writers'
// codes, the temporary directory for the scratch files of --disk, the input otherwise.
#ifndef LFTM_TOOLS_RUN_FAILURE_H_
#define LFTM_TOOLS_RUN_FAILURE_H_

#include <cstdint>
#include <string>

#include "lftm_host.h"

namespace lftm_cli {

struct FailedRun {
  std::string input;
  std::string output;
  int32_t method = 0;
  bool disk = false;
  const lftm_run_estimate* estimate = nullptr;  // the run's needs and the scratch folder
  int32_t code = 0;    // the run's result
};

// "FILE: sentence (details)" for stderr.
std::string run_failure_line(const FailedRun& run);

}  // namespace lftm_cli

#endif  // LFTM_TOOLS_RUN_FAILURE_H_
