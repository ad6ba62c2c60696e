// SPDX-License-Identifier: BSD-3-Clause
#include "run/streamed_write.h"

#include "platform/run_context.h"

namespace lftm {
namespace {

// Rows handed to the writer at a time: few enough that a cancel request is heard promptly.
constexpr int kRowsPerCall = 64;

}  // namespace

bool StreamedWrite::possible(const RunStart& start, int workers) {
  if (start.request.sink.to_memory() || workers < 2 || start.siblings.stream_rows == nullptr) {
    return false;
  }
  return start.writesJpeg ? start.siblings.open_jpeg_stream != nullptr
                          : start.siblings.open_tiff_stream != nullptr;
}

StreamedWrite::StreamedWrite(RunStart* start, const HdrFileInfo& info, int32_t rowSamples,
                             int32_t sampleBytes, const void* samples)
    : start_(start),
      info_(info),
      rowUnits_(start->writesJpeg ? rowSamples : rowSamples * sampleBytes),
      rowBytes_(static_cast<int64_t>(rowSamples) * sampleBytes),
      samples_(static_cast<const uint8_t*>(samples)) {}

StreamedWrite::~StreamedWrite() {
  if (stream_ != nullptr) start_->siblings.close_stream(stream_, 0);
}

int32_t StreamedWrite::open() {
  const RunRequest& request = start_->request;
  const WriterArgs& a = request.writer;
  const SiblingSet& siblings = start_->siblings;
  const char* path = start_->target.path();
  if (start_->writesJpeg) {
    return siblings.open_jpeg_stream(path, a.jpgQual, &info_, a.w10, a.w6, a.w7, a.w8, a.w9,
                                     request.method, request.params, &stream_);
  }
  return siblings.open_tiff_stream(&info_, a.w10, a.w6, a.w7, a.w8, a.w9, request.method,
                                   request.params, path, &stream_);
}

void StreamedWrite::take(RowFeed* feed, const std::function<void(int rows)>& computed) {
  status_ = open();
  if (status_ < 0) {
    stream_ = nullptr;
    return;
  }
  status_ = 0;
  int next = 0;
  while (next < feed->height() && !run_cancelled()) {
    const int rows = feed->wait(next, kRowsPerCall);
    if (rows == 0) return;  // the stage failed or was cancelled: finish() is not called
    if (computed) computed(next + rows);
    const int32_t written =
        start_->siblings.stream_rows(stream_, samples_ + next * rowBytes_, rowUnits_, rows);
    if (written < 0) {
      status_ = written;
      return;
    }
    next += rows;
  }
}

int32_t StreamedWrite::finish() {
  if (status_ < 0) return status_;  // the file, if any, is abandoned by the destructor
  if (stream_ == nullptr) return LFTM_ERR_WRITER_IO;
  void* stream = stream_;
  stream_ = nullptr;
  const int32_t result = start_->siblings.close_stream(stream, 1);
  if (result < 0) return result;
  const int32_t committed = commit_output(start_->request.sink.path, &start_->target);
  return committed < 0 ? committed : result;
}

}  // namespace lftm
