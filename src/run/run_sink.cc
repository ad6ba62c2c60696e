// SPDX-License-Identifier: BSD-3-Clause
#include "run/run_sink.h"

#include <utility>

namespace lftm {

RunSink file_sink(const char* path, WriterKind writer, Replace replace) {
  RunSink sink;
  sink.path = path;
  sink.writer = writer;
  sink.replace = replace;
  return sink;
}

RunSink memory_sink(SampleDelivery deliver, const char* name) {
  RunSink sink;
  sink.path = name;
  sink.deliver = std::move(deliver);
  return sink;
}

}  // namespace lftm
