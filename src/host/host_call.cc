// SPDX-License-Identifier: BSD-3-Clause
#include "host/host_call.h"

#include "host/host_records.h"

namespace lftm {
namespace {

RunHooks hooks_of(const lftm_options* options) {
  RunHooks hooks;
  hooks.messages = LFTM_MESSAGES_SILENT;
  if (options == nullptr) return hooks;
  hooks.cancelFlag = options->cancel;
  hooks.progress = options->progress;
  hooks.progressUser = options->progress_user;
  hooks.messages = options->messages;
  hooks.message = options->message;
  hooks.messageUser = options->message_user;
  return hooks;
}

}  // namespace

HostCall::HostCall(const lftm_options* options)
    : run_(hooks_of(options)), scope_(&run_) {}

HostCall::~HostCall() { run_.flush_messages(true); }

int32_t HostCall::finish(int32_t result) {
  if (result < 0) {
    run_.flush_messages(true);
    return run_.cancelled() ? LFTM_ERR_CANCELLED : result;
  }
  run_.complete();
  return result;
}

}  // namespace lftm
