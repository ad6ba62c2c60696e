#include "booster/poisson/coarse_to_fine.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "booster/poisson/cg_solver.h"
#include "booster/poisson/prolongation.h"
#include "booster/poisson/stage2_output.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/scratch_file.h"
#include "platform/setting_value.h"
#include "settings/settings_table.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

// x[i] of a level of n elements for the diagnostic lines; 0 past the level's end.
float sample(const float* x, int64_t n, int64_t i) { return i < n ? x[i] : 0.0f; }

// Writes the whole pyramid to path 1 so that the disk levels can stream their right-hand
// sides back from it.
int save_pyramid(const char* path, const float* out, int64_t total) {
  std::FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
  if (file == nullptr) {
    diag_out("can not open temporary file %s\n", path != nullptr ? path : "(null)");
    return LFTM_ERR_FILE;
  }
  int written = write_quarters(file, out, static_cast<size_t>(total) * sizeof(float));
  std::fclose(file);
  if (written != 4) {
    diag_out("could not write to temporary file iofpRHS\n");
    return LFTM_ERR_IO;
  }
  return 0;
}

}  // namespace

void pyramid_levels(int W, int H, int count, int* widths, int* heights) {
  int w = W;
  int h = H;
  for (int k = 0; k < count; ++k) {
    if (k > 0 && w >= 4 && h >= 4) {
      w = (w + 1) / 2;
      h = (h + 1) / 2;
    }
    widths[k] = w;
    heights[k] = h;
  }
}

float base_tolerance(int tolerance_class) {
  switch (tolerance_class) {
    case -2: return static_cast<float>(1e-4 * 3.0);
    case -1: return 1e-4f;
    case 0: return 1e-5f;
    case 1: return 1e-6f;
    case 2: return 1e-7f;
    default: return 1e-6f;
  }
}

int iteration_limit(float slider) {
  const double limit = 50.0 * std::pow(3.0, slider / 10.0);
  if (!(limit < 2147483648.0)) return LFTM_ERR_FILE;
  return truncate_setting(limit);
}

int solve_coarse_to_fine(int W, int H, int count, const TmParam* tmParam, const TmFiles& files,
                         float* work1, float* work2, float* out) {
  const float* p = tmParam->tmParam;
  if (count < 1) count = 1;
  int threads = files.threads;
  const bool disk = files.readFromDisk != 0 && count >= 3;
  const int is360 = truncate_setting(p[kBooster360DegreeImage]);
  const int method_slot = truncate_setting(p[kBoosterPrintedMethod]);
  const int method = method_slot < INT32_MAX ? method_slot + 1 : method_slot;
  const float tolerance = base_tolerance(truncate_setting(p[kBoosterToleranceClass]));
  // Every level runs to the same limit, the slider's.
  const int limit = iteration_limit(p[kBoosterSmoothingSlider]);
  if (limit < 0) return LFTM_ERR_FILE;
  const int64_t plane = static_cast<int64_t>(W) * H;

  HeapBuffer<int> levelWidths;
  HeapBuffer<int> levelHeights;
  if (!levelWidths.allocate(static_cast<size_t>(count) + 2, true) ||
      !levelHeights.allocate(static_cast<size_t>(count) + 2, true)) {
    return LFTM_ERR_NO_MEMORY;
  }
  const int* widths = levelWidths.get();
  const int* heights = levelHeights.get();
  pyramid_levels(W, H, count, levelWidths.get(), levelHeights.get());
  int64_t total = 0;
  for (int k = 0; k < count; ++k) total += static_cast<int64_t>(widths[k]) * heights[k];
  if (total > INT32_MAX) return LFTM_ERR_FILE;

  const bool given = work1 != nullptr && work2 != nullptr;
  HeapBuffer<float> rhsPlane;
  HeapBuffer<float> solutionPlane;
  if (disk) {
    int status = save_pyramid(files.scratch1, out, total);
    if (status < 0) return status;
    if (!rhsPlane.allocate(static_cast<size_t>(widths[2]) * heights[2])) {
      return LFTM_ERR_NO_MEMORY;
    }
    std::memset(out, 0, static_cast<size_t>(plane) * sizeof(float));
    solutionPlane.borrow(out);
  } else if (given) {
    rhsPlane.borrow(work2);
    solutionPlane.borrow(work1);
    std::memset(work1, 0, static_cast<size_t>(plane) * sizeof(float));
    std::memset(work2, 0, static_cast<size_t>(plane) * sizeof(float));
  } else if (!rhsPlane.allocate(static_cast<size_t>(plane), true) ||
             !solutionPlane.allocate(static_cast<size_t>(plane), true)) {
    return LFTM_ERR_NO_MEMORY;
  }
  float* rhs = rhsPlane.get();
  float* solution = solutionPlane.get();
  float* scratch = work1 != nullptr ? work1 + plane : nullptr;
  const CgPaths paths{files.scratch1, files.scratch2, files.scratch3, files.scratch4,
                      files.scratch5};

  // The printed texts keep the old names: tm2new2, nivo (level), positPyram (rhsOffset).
  int64_t rhsOffset = total;
  for (int level = count - 1; level >= 0; --level) {
    const int w = widths[level];
    const int h = heights[level];
    const int64_t n = static_cast<int64_t>(w) * h;
    rhsOffset -= n;
    // A level's solve takes time in proportion to its pixels.
    ProgressPhase levelPhase(static_cast<double>(total - rhsOffset - n) / total,
                       static_cast<double>(total - rhsOffset) / total, nullptr);
    const int level_threads = (threads > 1 && n > 1200) ? threads : 0;
    const int F = (disk && level <= 1) ? level + 1 : 0;
    if (F == 0) {
      for (int i = 0; i < 7; ++i) {
        diag_out("tmPyram[positPyram+i]: %1.2f     for: %d\n", sample(out + rhsOffset, n, i), i);
      }
      std::memcpy(rhs, out + rhsOffset, static_cast<size_t>(n) * sizeof(float));
    }
    const int64_t initTempCoarse = plane - n;
    float* x = solution + initTempCoarse;
    diag_out("initTempCoarse :%d     positPyram: %d\n", static_cast<int>(initTempCoarse),
             static_cast<int>(rhsOffset));
    const int a = (w + h) >> 1;
    float factor = 1.0f;
    if (level == count - 1) {
      diag_out("===  subVectX: %1.2f %1.2f %1.2f %1.2f\n", sample(x, n, 0), sample(x, n, 1),
               sample(x, n, 2), sample(x, n, 10));
      diag_out("===  divGrad:  %1.2f %1.2f %1.2f %1.2f\n", sample(rhs, n, 0),
               sample(rhs, n, 1), sample(rhs, n, 2), sample(rhs, n, 10));
      factor = 1e-4f;
    } else if (a > 1600) {
      factor = static_cast<float>(20.0 * std::log(static_cast<float>(a) / 1000.0));
    }
    diag_out("-- tm2new2 - nivo: %d  LS: %1.0f   method: %d   %d: %d x %d     positPyram: %d\n",
             level, p[kBoosterSmoothingPreset], method, a, w, h, static_cast<int>(rhsOffset));
    int iterations = cg_solve(w, h, limit, tolerance * factor, is360, level_threads, F, paths,
                              static_cast<int>(rhsOffset), scratch, rhs, x);
    if (iterations < 0) return iterations;
    if (level == 0) {
      if (x != out) std::memcpy(out, x, static_cast<size_t>(plane) * sizeof(float));
    } else {
      const int fw = widths[level - 1];
      const int fh = heights[level - 1];
      const float* coarse = x;
      if (fw == w && fh == h) {
        // A level that was not halved would be overwritten while it is read: prolongate
        // from a copy (the right-hand-side buffer is free until the next level).
        std::memcpy(rhs, x, static_cast<size_t>(n) * sizeof(float));
        coarse = rhs;
      }
      prolongate(coarse, w, h, solution + plane - static_cast<int64_t>(fw) * fh, fw, fh,
                 is360);
    }
  }
  return finish_luminance(W, H, files, threads, out);
}

}  // namespace lftm
