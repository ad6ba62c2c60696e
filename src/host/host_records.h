// SPDX-License-Identifier: BSD-3-Clause
// Checks of the host's records: options, image views and the run context a call installs.
#ifndef LFTM_HOST_HOST_RECORDS_H_
#define LFTM_HOST_HOST_RECORDS_H_

#include <cstddef>
#include <cstdint>

#include "lftm_host.h"

namespace lftm {

// A checked image view: sizes that fit the arithmetic, a stride of at least one row.
struct ImageView {
  int64_t width = 0;
  int64_t height = 0;
  int32_t channels = 0;
  int32_t sampleType = 0;
  size_t sampleBytes = 0;
  size_t stride = 0;  // bytes from one row to the next
  uint8_t* pixels = nullptr;

  uint8_t* row(int64_t y) const { return pixels + stride * static_cast<size_t>(y); }
};

// The options record as lftm 0.2 knew it: every field up to memory_limit.
constexpr size_t kOptionsSizeOf02 = offsetof(lftm_options, memory_limit);

// Whether the host's record is long enough to hold `field` (at `offset`, `size` bytes).
inline bool holds_field(const lftm_options* options, size_t offset, size_t size) {
  return options != nullptr && options->struct_size >= offset + size;
}

// The host's memory limit, 0 when its record is too old to hold one.
inline int64_t memory_limit_of(const lftm_options* options) {
  return holds_field(options, offsetof(lftm_options, memory_limit), sizeof(int64_t))
             ? options->memory_limit
             : 0;
}

// The host's overwrite choice, 0 when its record is too old to hold one.
inline int32_t overwrite_of(const lftm_options* options) {
  return holds_field(options, offsetof(lftm_options, overwrite), sizeof(int32_t))
             ? options->overwrite
             : 0;
}

// Checks `image` and fills `view`. Returns 0 or LFTM_ERR_ARGUMENT.
int32_t view_image(const lftm_image* image, ImageView* view);

// Checks the options of a tone-mapping call. Returns 0 or LFTM_ERR_ARGUMENT.
int32_t check_options(const lftm_options* options);

// Checks what lftm_read_image uses of `options` (which may be null). Returns 0 or
// LFTM_ERR_ARGUMENT.
int32_t check_call_hooks(const lftm_options* options);

// A disk-mode run's scratch folder, checked before any work so that the host gets the cause
// (with a message line naming the folder): 0, LFTM_ERR_TEMP_MISSING or
// LFTM_ERR_TEMP_NOT_WRITABLE. Memory-mode runs make no scratch file: 0.
int32_t check_scratch_folder(const lftm_options& options);

// The worker count of a call: options.threads, or 0 as one per online processor, at most 32.
int32_t worker_count(int32_t requested);

}  // namespace lftm

#endif  // LFTM_HOST_HOST_RECORDS_H_
