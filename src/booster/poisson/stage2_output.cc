// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/stage2_output.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "lftm.h"
#include "platform/diag.h"
#include "platform/scratch_file.h"
#include "platform/workers.h"
#include "vecmath/vecmath.h"

namespace lftm {

// exp in double precision of [begin, end) of the plane, rounded to float: through the vector
// kernels a piece at a time, with the library's bits.
void exponentiate_range(float* plane, int64_t begin, int64_t end) {
  constexpr int64_t kPiece = 1024;
  double wide[kPiece];
  for (int64_t at = begin; at < end; at += kPiece) {
    const int64_t count = end - at < kPiece ? end - at : kPiece;
    for (int64_t i = 0; i < count; ++i) wide[i] = static_cast<double>(plane[at + i]);
    exp_array(wide, wide, static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) plane[at + i] = static_cast<float>(wide[i]);
  }
}

void exponentiate(float* plane, int64_t n, int threads) {
  const int tiles = n >= 65536 ? clamp_workers(threads) : 1;
  run_tiles(tiles, [&](int t) {
    const int64_t step = n / tiles;
    exponentiate_range(plane, t * step, t == tiles - 1 ? n : (t + 1) * step);
  });
}

int write_plane(const char* path, const float* plane, int64_t n, const char* open_message,
                const char* write_message) {
  std::FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
  if (file == nullptr) {
    if (std::strstr(open_message, "%s") != nullptr) {
      diag_out(open_message, path != nullptr ? path : "(null)");
    } else {
      diag_out("%s", open_message);
    }
    return LFTM_ERR_FILE;
  }
  int written = write_quarters(file, plane, static_cast<size_t>(n) * sizeof(float));
  if (std::fclose(file) != 0) written = 0;
  if (written != 4) {
    diag_out("%s", write_message);
    return LFTM_ERR_IO;
  }
  return 0;
}

int finish_luminance(int W, int H, const TmFiles& files, int threads, float* out) {
  const int64_t n = static_cast<int64_t>(W) * H;
  const int64_t step = (n >> 5) > 1 ? n >> 5 : 1;
  for (int64_t i = 0; i < n; i += step) {
    // The printed text keeps the coarse-to-fine worker's old name, tm2new2.
    diag_out("tm2new2 outImage:%1.2f    exp:  %1.4f   for: %d \n", out[i],
             std::exp(static_cast<double>(out[i])), static_cast<int>(i));
  }
  exponentiate(out, n, threads);
  if (files.readFromDisk != 0) {
    int status = write_plane(files.scratch1, out, n, "can not open temporary file %s\n",
                             "could not write to temporary file iofpRHS\n");
    if (status < 0) return status;
  }
  return static_cast<int>(n);
}

}  // namespace lftm
