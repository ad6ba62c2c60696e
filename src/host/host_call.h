// SPDX-License-Identifier: BSD-3-Clause
// The context of one host call: made from the caller's options and installed on the calling
// thread (and, through run_tiles, on its workers) for the life of the object.
#ifndef LFTM_HOST_HOST_CALL_H_
#define LFTM_HOST_HOST_CALL_H_

#include <cstdint>

#include "lftm_host.h"
#include "platform/run_context.h"

namespace lftm {

class HostCall {
 public:
  // `options` may be null: silent, no progress, no cancel.
  explicit HostCall(const lftm_options* options);
  ~HostCall();
  HostCall(const HostCall&) = delete;
  HostCall& operator=(const HostCall&) = delete;

  // The call's result as returned to the host: progress 1 after a success, and
  // LFTM_ERR_CANCELLED for a failure that a cancel request caused.
  int32_t finish(int32_t result);

  // True once the host's flag or progress callback asked the call to stop.
  bool cancelled() const { return run_.cancelled(); }

 private:
  RunContext run_;
  RunScope scope_;
};

}  // namespace lftm

#endif  // LFTM_HOST_HOST_CALL_H_
