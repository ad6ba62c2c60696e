// SPDX-License-Identifier: BSD-3-Clause
// Output encoded while the last stage computes it: the writer takes the rows as the workers
// finish them, into the staged temporary, which takes the final name only once the whole file
// is written. The file is the one the whole-image writer call makes of the same samples.
#ifndef LFTM_RUN_STREAMED_WRITE_H_
#define LFTM_RUN_STREAMED_WRITE_H_

#include <cstdint>
#include <functional>

#include "lftm.h"
#include "platform/row_feed.h"
#include "run/run_start.h"

namespace lftm {

class StreamedWrite {
 public:
  // True when the run's output can be streamed: a file (not a delivery to memory) made by a
  // writer library that has the streaming entries, with the work on at least two workers.
  static bool possible(const RunStart& start, int workers);

  // The writer's arguments as RunStart::write takes them; `samples` is the whole output
  // buffer, which the workers fill.
  StreamedWrite(RunStart* start, const HdrFileInfo& info, int32_t rowSamples,
                int32_t sampleBytes, const void* samples);
  // Abandons a file that was not finished: nothing is left.
  ~StreamedWrite();
  StreamedWrite(const StreamedWrite&) = delete;
  StreamedWrite& operator=(const StreamedWrite&) = delete;

  // The consumer of the rows (run on the calling thread): opens the file and writes the rows
  // of `feed` in order as they are finished; stops at a writer failure, a cancel request or
  // a row that will not come. `computed` (may be empty) hears how many rows from the top are
  // finished, so that the caller can give back what they were made from.
  void take(RowFeed* feed, const std::function<void(int rows)>& computed);

  // After the stage succeeded: completes the file and gives it the final name. Returns what
  // write_output returns for the same samples.
  int32_t finish();

 private:
  int32_t open();

  RunStart* start_;
  const HdrFileInfo info_;
  const int32_t rowUnits_;  // the distance between rows as the writer takes it
  const int64_t rowBytes_;
  const uint8_t* samples_;
  void* stream_ = nullptr;
  int32_t status_ = 0;  // the first failure of the writer, or 0
};

}  // namespace lftm

#endif  // LFTM_RUN_STREAMED_WRITE_H_
