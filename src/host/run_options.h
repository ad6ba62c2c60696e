// SPDX-License-Identifier: BSD-3-Clause
// The run a host's options ask for: method, settings, depth, threads, disk mode, memory limit
// and budget, and the writers' arguments, so that every host entry point that tone maps into
// a file writes what lftm_tonemap_file writes for the same options.
#ifndef LFTM_HOST_RUN_OPTIONS_H_
#define LFTM_HOST_RUN_OPTIONS_H_

#include "lftm_host.h"
#include "platform/staged_output.h"
#include "run/run_request.h"

namespace lftm {

// Which existing file at the output the options let a run replace: any regular file with
// `overwrite`, else only an output lftm wrote.
Replace replace_of(const lftm_options& options);

// The request of `options` for a JPEG (8-bit) or TIFF output; the caller sets its source and
// sink. `options` must outlive the run (the request points at its settings and save record).
RunRequest request_of(const lftm_options& options, bool jpeg);

}  // namespace lftm

#endif  // LFTM_HOST_RUN_OPTIONS_H_
