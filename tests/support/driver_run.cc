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
  if (run.names == nullptr) {
    auto driver = squeezer ? &tms : &tonemap;
    result = driver(run.extType, &desc, params, 90, &run.save, 0, 0, 0, 0, 0, nullptr, &files,
                    run.out.c_str());
  } else {
    const lftm::DriverCall call = {run.extType, &desc, params, &run.save, {90, 0, 0, 0, 0, 0},
                                   &files, run.out.c_str()};
    result = squeezer ? lftm::run_tms(call, *run.names) : lftm::run_tonemap(call, *run.names);
  }
  if (descOut != nullptr) *descOut = desc;
  return result;
}

}  // namespace lftm_test
