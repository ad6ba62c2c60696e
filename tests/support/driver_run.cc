// SPDX-License-Identifier: BSD-3-Clause
#include "support/driver_run.h"

namespace lftm_test {

int32_t run_driver(const DriverRun& run, ImageDesc* descOut) {
  ImageDesc desc;
  init_dim_param(&desc);
  desc.bits = run.bits;
  desc.planes = run.planes;
  const bool squeezer = run.method == Method::kSqueezer;
  TmParam defaults;
  tmparam_default(squeezer ? LFTM_METHOD_RANGE_SQUEEZER : LFTM_METHOD_TEXTURE_BOOSTER, 0,
                  &defaults);
  const TmParam* params = run.params != nullptr ? run.params : &defaults;
  TmFiles files;
  init_optim_param(&files);
  files.threads = run.threads;
  files.readFromDisk = run.disk ? 1 : 0;
  files.inFile = run.in.c_str();
  int32_t result;
  const lftm::DriverCall call = {run.extType, &desc, params, &run.save, {90, 0, 0, 0, 0, 0},
                                 &files, run.out.c_str()};
  if (run.memoryLimit > 0) {
    lftm::RunRequest request = lftm::classic_request(
        call, squeezer ? LFTM_METHOD_RANGE_SQUEEZER : LFTM_METHOD_TEXTURE_BOOSTER);
    request.memoryLimit = request.memoryBudget = run.memoryLimit;
    result = lftm::run_tone_mapping(
        request, run.names != nullptr ? *run.names : lftm::default_sibling_names());
  } else if (run.names == nullptr) {
    auto driver = squeezer ? &tms : &tonemap;
    result = driver(run.extType, &desc, params, 90, &run.save, 0, 0, 0, 0, 0, nullptr, &files,
                    run.out.c_str());
  } else {
    result = squeezer ? lftm::run_tms(call, *run.names) : lftm::run_tonemap(call, *run.names);
  }
  if (descOut != nullptr) *descOut = desc;
  return result;
}

}  // namespace lftm_test
