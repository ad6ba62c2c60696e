// SPDX-License-Identifier: BSD-3-Clause
#include "frame/drivers.h"
#include "platform/memory_budget.h"

namespace lftm {

int32_t check_call(const DriverCall& call) {
  if (call.desc == nullptr || call.params == nullptr || call.files == nullptr ||
      call.files->inFile == nullptr || call.outFile == nullptr) {
    return LFTM_ERR_FILE;
  }
  return (call.desc->bits == 8 || call.desc->bits == 16) ? 0 : LFTM_ERR_FILE;
}

RunRequest classic_request(const DriverCall& call, int32_t method) {
  RunRequest request;
  request.source = file_source(call.extType, call.files->inFile);
  request.sink = file_sink(call.outFile);
  request.method = method;
  request.params = call.params;
  request.bits = call.desc->bits;
  request.threads = call.files->threads;
  request.disk = call.files->readFromDisk;
  request.memoryBudget = memory_budget_for(0);
  request.desc = call.desc;
  request.save = call.save;
  request.writer = call.writer;
  return request;
}

int32_t run_tonemap(const DriverCall& call, const SiblingNames& names) {
  const int32_t checked = check_call(call);
  if (checked < 0) return checked;
  return run_tone_mapping(classic_request(call, LFTM_METHOD_TEXTURE_BOOSTER), names);
}

int32_t run_tms(const DriverCall& call, const SiblingNames& names) {
  const int32_t checked = check_call(call);
  if (checked < 0) return checked;
  return run_tone_mapping(classic_request(call, LFTM_METHOD_RANGE_SQUEEZER), names);
}

}  // namespace lftm
