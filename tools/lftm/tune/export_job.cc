// SPDX-License-Identifier: BSD-3-Clause
#include "export_job.h"

#include <algorithm>

#include "messages.h"

namespace lftm_tune {
namespace {

constexpr const char* kBusy = "an export is running; wait for it or cancel it";

// The run's options from the settings as the sidecar gives them back: the command line reads
// them from the sidecar, and this export must write the same file.
std::string options_from_sidecar(const ExportRequest& request, lftm_options* options) {
  if (lftm_save_settings(request.sidecar.c_str(), request.method, &request.params,
                         LFTM_SAVE_OVERWRITE) != 0) {
    return "cannot write the export's settings into " + request.sidecar;
  }
  int32_t method = request.method;
  TmParam params;
  char why[256];
  if (lftm_load_settings(request.sidecar.c_str(), &method, &params, why, sizeof why) != 0) {
    return why;
  }
  lftm_options_init(options, sizeof *options, method);
  options->settings = params;
  options->bits = request.bits;
  options->tiff_input = request.tiffInput;
  options->overwrite = request.overwrite ? 1 : 0;
  return "";
}

}  // namespace

ExportJob::~ExportJob() { cancel(); }

std::string ExportJob::start(const ExportRequest& request, bool* busy) {
  *busy = true;
  // Held throughout, so that no other thread waits on the worker while it is replaced.
  std::lock_guard<std::mutex> joinLock(joinMutex_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (status_.running) return kBusy;
  }
  if (worker_.joinable()) worker_.join();
  *busy = false;
  lftm_options options;
  const std::string problem = options_from_sidecar(request, &options);
  if (!problem.empty()) return problem;
  options.progress = &ExportJob::on_progress;
  options.progress_user = this;
  options.cancel = &cancel_;
  std::lock_guard<std::mutex> lock(mutex_);
  __atomic_store_n(&cancel_, 0, __ATOMIC_RELAXED);
  status_ = ExportStatus();
  status_.running = true;
  status_.total = static_cast<int32_t>(request.files.size());
  status_.message = "starting";
  worker_ = std::thread(&ExportJob::run, this, options, request.files);
  return "";
}

int32_t ExportJob::on_progress(void* user, float fraction, const char* step) {
  ExportJob* job = static_cast<ExportJob*>(user);
  std::lock_guard<std::mutex> lock(job->mutex_);
  ExportStatus& status = job->status_;
  job->fileFraction_ = std::max<double>(job->fileFraction_, fraction);
  status.fraction = (status.done + job->fileFraction_) / std::max(1, status.total);
  if (step != nullptr) {
    status.message = status.total > 1 ? "photograph " + std::to_string(status.done + 1) +
                                            " of " + std::to_string(status.total) + ": " + step
                                      : std::string(step);
  }
  return 0;  // the cancel flag stops the run
}

void ExportJob::run(lftm_options options, std::vector<lftm_cli::Job> files) {
  for (const lftm_cli::Job& file : files) {
    if (!export_one(options, file)) break;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  status_.running = false;
  status_.finished = true;
  if (status_.done == status_.total) {
    status_.succeeded = true;
    status_.fraction = 1.0;
    status_.message = status_.total == 1 ? "wrote " + status_.output
                                         : "wrote " + std::to_string(status_.total) + " files";
  }
}

bool ExportJob::export_one(const lftm_options& options, const lftm_cli::Job& file) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status_.output = file.output;
    fileFraction_ = 0;
  }
  const int32_t result = lftm_tonemap_file(file.input.c_str(), file.output.c_str(), &options);
  std::lock_guard<std::mutex> lock(mutex_);
  if (result >= 0) {
    ++status_.done;
    return true;
  }
  const std::string kept =
      status_.done == 0 ? "" : " (the " + std::to_string(status_.done) + " written before stay)";
  if (result == LFTM_ERR_CANCELLED) {
    status_.cancelled = true;
    status_.message = (status_.done == 0 ? "cancelled; nothing was written"
                                         : "cancelled; " + file.output + " was not written") +
                      kept;
  } else {
    status_.message = lftm_cli::failure_line(file.input, result, "") + kept;
  }
  return false;
}

ExportStatus ExportJob::status() {
  std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

void ExportJob::cancel() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (status_.running) __atomic_store_n(&cancel_, 1, __ATOMIC_RELAXED);
  }
  join();
}

void ExportJob::join() {
  std::lock_guard<std::mutex> lock(joinMutex_);
  if (worker_.joinable()) worker_.join();
}

}  // namespace lftm_tune
