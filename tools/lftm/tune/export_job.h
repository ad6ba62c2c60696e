// SPDX-License-Identifier: BSD-3-Clause
// Full-resolution exports of one photograph or of a folder's, run in the tuner itself:
// lftm_tonemap_file on a worker thread, one file after the other, with the settings that the
// export's sidecar holds, so that each file is the one the command line writes for that
// sidecar. The library's progress drives the page's progress bar and its cancel flag stops
// the run (the library then leaves the output being written as it was; the files finished
// before stay).
#ifndef LFTM_TOOLS_TUNE_EXPORT_JOB_H_
#define LFTM_TOOLS_TUNE_EXPORT_JOB_H_

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include <vector>

#include "file_guard.h"
#include "lftm_host.h"

namespace lftm_tune {

struct ExportStatus {
  bool running = false;
  bool finished = false;   // a run ended (finished, failed or cancelled)
  bool succeeded = false;
  bool cancelled = false;
  double fraction = 0;     // 0..1, of all the files
  int32_t done = 0;        // files written
  int32_t total = 0;       // files to write
  std::string output;      // the file being or last written
  std::string message;     // the current step, or how the run ended
};

struct ExportRequest {
  std::vector<lftm_cli::Job> files;  // each photograph and the file it is exported into
  std::string sidecar;     // the settings are saved here and read back for the run
  int32_t method = LFTM_METHOD_TEXTURE_BOOSTER;
  TmParam params = {};
  int32_t bits = 8;
  int32_t tiffInput = 0;   // lftm_options.tiff_input
  bool overwrite = false;
};

class ExportJob {
 public:
  ExportJob() = default;
  ~ExportJob();
  ExportJob(const ExportJob&) = delete;
  ExportJob& operator=(const ExportJob&) = delete;

  // Saves the settings and starts the export. Returns "" or why it cannot start: *busy when
  // an export is running (one at a time), else the sidecar could not be written or read back.
  std::string start(const ExportRequest& request, bool* busy);

  ExportStatus status();

  // Stops a running export and waits for the library to have left the output as it was.
  void cancel();

 private:
  void run(lftm_options options, std::vector<lftm_cli::Job> files);
  // Exports one file; false when the run is to stop (a failure or a cancel).
  bool export_one(const lftm_options& options, const lftm_cli::Job& file);
  static int32_t on_progress(void* user, float fraction, const char* step);
  void join();

  std::mutex mutex_;
  std::mutex joinMutex_;  // one thread at a time waits for the worker
  std::thread worker_;
  volatile int32_t cancel_ = 0;
  ExportStatus status_;
  double fileFraction_ = 0;  // of the file being written
};

}  // namespace lftm_tune

#endif  // LFTM_TOOLS_TUNE_EXPORT_JOB_H_
