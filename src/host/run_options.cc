// SPDX-License-Identifier: BSD-3-Clause
#include "host/run_options.h"

#include <cstddef>

#include "host/host_records.h"
#include "platform/memory_budget.h"

namespace lftm {
namespace {

// The writers' texts and JPEG chroma of the host's record; none in a record too old for them.
WriterArgs writer_args_of(const lftm_options& options) {
  WriterArgs args = {options.jpeg_quality, 0, 0, 0, 0, 0};
  if (!holds_field(&options, offsetof(lftm_options, reserved_05), 0)) return args;
  args.w6 = reinterpret_cast<intptr_t>(options.description);
  args.w7 = reinterpret_cast<intptr_t>(options.artist);
  args.w8 = options.jpeg_chroma_444;
  args.w9 = reinterpret_cast<intptr_t>(options.copyright);
  return args;
}

}  // namespace

Replace replace_of(const lftm_options& options) {
  return overwrite_of(&options) != 0 ? Replace::kRegularFiles : Replace::kOwnOutputs;
}

RunRequest request_of(const lftm_options& options, bool jpeg) {
  const bool booster = options.method == LFTM_METHOD_TEXTURE_BOOSTER;
  RunRequest request;
  request.method = booster ? LFTM_METHOD_TEXTURE_BOOSTER : LFTM_METHOD_RANGE_SQUEEZER;
  request.params = &options.settings;
  request.bits = jpeg ? 8 : options.bits;
  request.threads = worker_count(options.threads);
  request.disk = booster && options.disk != 0 ? 1 : 0;
  request.memoryLimit = memory_limit_of(&options);
  request.memoryBudget = memory_budget_for(request.memoryLimit);
  request.save = &options.save;
  request.writer = writer_args_of(options);
  return request;
}

}  // namespace lftm
