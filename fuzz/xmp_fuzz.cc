// SPDX-License-Identifier: BSD-3-Clause
// Drives the settings sidecar reader with arbitrary files, for every kind of request, and the
// writer with any 20 settings: a request may change only the slots of its method (and the
// gamma slot), and whatever the writer wrote must read back.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "fuzz_file.h"
#include "fuzz_input.h"
#include "lftm.h"

namespace {

constexpr float kSentinel = -777.25f;

// Slots a request may write: its method's slots, and slot 8 (files without a gamma get 50).
bool may_change(int32_t method, int slot) {
  switch (method) {
    case LFTM_METHOD_TEXTURE_BOOSTER:
      return slot <= 17;
    case LFTM_METHOD_RANGE_SQUEEZER:
      return slot <= 4 || slot == 8 || slot == 12 || slot == 13;
    case LFTM_METHOD_BLEND_TUNE:
      return slot <= 6 || slot == 8;
    case LFTM_METHOD_BLEND_STRONG:
      return slot <= 2 || slot == 8;
    case -1:
      return false;
    default:
      return slot == 8;
  }
}

void read_as(const char* path, int32_t method) {
  TmParam p;
  for (float& v : p.tmParam) v = kSentinel;
  parse_xmp(path, method, &p);
  for (int i = 0; i < 20; ++i) {
    if (!may_change(method, i) && p.tmParam[i] != kSentinel) abort();
  }
}

// Writes the settings decoded from the input for one method and reads them back.
void round_trip(const uint8_t* data, size_t size) {
  lftm_fuzz::FuzzInput in(data, size);
  static const int32_t kMethods[] = {1, 2, 10, 11, 5};
  const int32_t method = kMethods[in.byte() % 5];
  TmParam usual;
  tmparam_default(1, 0, &usual);
  const TmParam written = lftm_fuzz::fuzz_settings(&in, usual);
  const char* path = lftm_fuzz::scratch_file_path(".written.xmp");
  // NaN and infinite values are refused (-2) and leave no file to read.
  const int32_t result = write_xmp(path, method, &written);
  if (result == -2) return;
  if (result != 1) abort();
  TmParam back = written;
  if (parse_xmp(path, method, &back) <= 0) abort();
  const int32_t asked = parse_xmp(path, -1, nullptr);
  if (method != 5 && asked != method) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* path = lftm_fuzz::write_input_file(data, size, ".xmp");
  if (path != nullptr) {
    for (int32_t method : {-1, 1, 2, 10, 11, 0, 7}) read_as(path, method);
    parse_xmp(path, -1, nullptr);  // query mode needs no block
  }
  round_trip(data, size);
  return 0;
}
