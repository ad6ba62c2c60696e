// SPDX-License-Identifier: BSD-3-Clause
// A run of a file-to-file driver (tonemap or tms) as a host makes it, with the method's
// default settings unless others are given.
#ifndef LFTM_TESTS_SUPPORT_DRIVER_RUN_H_
#define LFTM_TESTS_SUPPORT_DRIVER_RUN_H_

#include <cstdint>
#include <string>

#include "frame/drivers.h"
#include "lftm.h"

namespace lftm_test {

enum class Method { kBooster, kSqueezer };

struct DriverRun {
  Method method = Method::kBooster;  // tonemap or tms
  int32_t extType = LFTM_EXT_HDR;
  std::string in;
  std::string out;
  int32_t bits = 8;
  bool disk = false;
  int32_t threads = 2;
  int32_t planes = 0;  // the caller's output layout (3: planar)
  SaveOptions save = {};
  const TmParam* params = nullptr;            // null: the method's defaults
  const lftm::SiblingNames* names = nullptr;  // null: the exported entry point (real libraries)
  int64_t memoryLimit = 0;  // > 0: the run's limit and budget, as a host's memory_limit sets them
};

// Runs the driver; `desc` receives the layout it wrote back.
int32_t run_driver(const DriverRun& run, ImageDesc* desc = nullptr);

}  // namespace lftm_test

#endif  // LFTM_TESTS_SUPPORT_DRIVER_RUN_H_
