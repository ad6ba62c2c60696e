// SPDX-License-Identifier: BSD-3-Clause
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

namespace {

// What every level of one solve shares: the settings, read once, and the level sizes.
struct LevelPlan {
  int W = 0;
  int H = 0;
  int count = 0;
  int64_t plane = 0;  // W x H
  int64_t total = 0;  // floats of all levels together
  int threads = 0;
  bool disk = false;  // levels 0 and 1 stream from the scratch files
  int64_t solverHeadroom = 0;  // what the streamed levels may keep in memory
  bool wrapsAround = false;
  int iterationLimit = 0;  // every level runs to the slider's limit
  float tolerance = 0.0f;
  int printedMethod = 0;
  float printedPreset = 0.0f;
  HeapBuffer<int> widths;
  HeapBuffer<int> heights;
};

// Reads the solve's settings and sizes its levels; 0, -1 (a limit or a pyramid out of range)
// or -4.
int plan_levels(int W, int H, int count, const TmParam* tmParam, const TmFiles& files,
                LevelPlan* plan) {
  const float* p = tmParam->tmParam;
  plan->W = W;
  plan->H = H;
  plan->count = count;
  plan->plane = static_cast<int64_t>(W) * H;
  plan->threads = files.threads;
  plan->disk = files.readFromDisk != 0 && count >= 3;
  plan->wrapsAround = truncate_setting(p[kBooster360DegreeImage]) != 0;
  const int methodSlot = truncate_setting(p[kBoosterPrintedMethod]);
  plan->printedMethod = methodSlot < INT32_MAX ? methodSlot + 1 : methodSlot;
  plan->printedPreset = p[kBoosterSmoothingPreset];
  plan->tolerance = base_tolerance(truncate_setting(p[kBoosterToleranceClass]));
  plan->iterationLimit = iteration_limit(p[kBoosterSmoothingSlider]);
  if (plan->iterationLimit < 0) return LFTM_ERR_FILE;
  if (!plan->widths.allocate(static_cast<size_t>(count) + 2, true) ||
      !plan->heights.allocate(static_cast<size_t>(count) + 2, true)) {
    return LFTM_ERR_NO_MEMORY;
  }
  pyramid_levels(W, H, count, plan->widths.get(), plan->heights.get());
  for (int k = 0; k < count; ++k) {
    plan->total += static_cast<int64_t>(plan->widths.get()[k]) * plan->heights.get()[k];
  }
  return plan->total > INT32_MAX ? LFTM_ERR_FILE : 0;
}

// Where the levels are solved: `rhs` takes a level's right-hand side (memory levels), the
// solution pyramid ends at the end of `solution`, and the solver's r goes to `scratch`.
struct LevelBuffers {
  HeapBuffer<float> rhsPlane;
  HeapBuffer<float> solutionPlane;
  float* rhs = nullptr;
  float* solution = nullptr;
  float* scratch = nullptr;
  // The finest level solves on its right-hand side where it lies in the pyramid, which no
  // level reads after it: `rhs` then only has to hold the coarser levels.
  bool finestInPlace = false;
};

// Disk levels: the pyramid goes to its file and `out` becomes the solution. Else the caller's
// work buffers when both are given, or buffers of its own. 0, or a negative code.
int take_level_buffers(const LevelPlan& plan, const TmFiles& files, float* work1, float* work2,
                       float* out, LevelBuffers* buffers) {
  const size_t planeBytes = static_cast<size_t>(plan.plane) * sizeof(float);
  if (plan.disk) {
    int status = save_pyramid(files.scratch1, out, plan.total);
    if (status < 0) return status;
    const size_t thirdLevel = static_cast<size_t>(plan.widths.get()[2]) * plan.heights.get()[2];
    if (!buffers->rhsPlane.allocate(thirdLevel)) return LFTM_ERR_NO_MEMORY;
    std::memset(out, 0, planeBytes);
    buffers->solutionPlane.borrow(out);
  } else if (work1 != nullptr && work2 != nullptr) {
    buffers->rhsPlane.borrow(work2);
    buffers->solutionPlane.borrow(work1);
    std::memset(work1, 0, planeBytes);
    std::memset(work2, 0, planeBytes);
  } else {
    buffers->finestInPlace = plan.count > 1;
    const size_t rhsFloats =
        buffers->finestInPlace
            ? static_cast<size_t>(plan.widths.get()[1]) * static_cast<size_t>(plan.heights.get()[1])
            : static_cast<size_t>(plan.plane);
    if (!buffers->rhsPlane.allocate(rhsFloats, true) ||
        !buffers->solutionPlane.allocate(static_cast<size_t>(plan.plane), true)) {
      return LFTM_ERR_NO_MEMORY;
    }
  }
  buffers->rhs = buffers->rhsPlane.get();
  buffers->solution = buffers->solutionPlane.get();
  buffers->scratch = work1 != nullptr ? work1 + plan.plane : nullptr;
  return 0;
}

// The tolerance of a level is the base one times this factor: a small one for the coarsest
// level, whose solve starts from nothing, and a growing one for large levels.
float tolerance_factor(const LevelPlan& plan, int level, int w, int h, const float* x,
                       const float* rhs) {
  const int64_t n = static_cast<int64_t>(w) * h;
  const int a = (w + h) >> 1;
  if (level == plan.count - 1) {
    diag_out("===  subVectX: %1.2f %1.2f %1.2f %1.2f\n", sample(x, n, 0), sample(x, n, 1),
             sample(x, n, 2), sample(x, n, 10));
    diag_out("===  divGrad:  %1.2f %1.2f %1.2f %1.2f\n", sample(rhs, n, 0),
             sample(rhs, n, 1), sample(rhs, n, 2), sample(rhs, n, 10));
    return 1e-4f;
  }
  if (a > 1600) return static_cast<float>(20.0 * std::log(static_cast<float>(a) / 1000.0));
  return 1.0f;
}

// Solves one level into its place at the end of the solution pyramid, from the start the
// coarser level left there. Returns the iterations or a negative code.
// The printed texts keep the old names: tm2new2, nivo (level), positPyram (rhsOffset).
int solve_level(const LevelPlan& plan, int level, int64_t rhsOffset, const CgPaths& paths,
                const LevelBuffers& buffers, float* out) {
  SolveOptions options;
  options.width = plan.widths.get()[level];
  options.height = plan.heights.get()[level];
  const int64_t n = static_cast<int64_t>(options.width) * options.height;
  options.iterationLimit = plan.iterationLimit;
  options.wrapsAround = plan.wrapsAround;
  options.threads = (plan.threads > 1 && n > 1200) ? plan.threads : 0;
  options.streamed = plan.disk && level <= 1;
  options.finestLevel = level == 0;
  options.solverHeadroom = plan.solverHeadroom;
  options.rhsOffset = rhsOffset;
  float* rhs = buffers.rhs;
  if (!options.streamed) {
    for (int i = 0; i < 7; ++i) {
      diag_out("tmPyram[positPyram+i]: %1.2f     for: %d\n", sample(out + rhsOffset, n, i), i);
    }
    if (level == 0 && buffers.finestInPlace) {
      rhs = out + rhsOffset;
    } else {
      std::memcpy(rhs, out + rhsOffset, static_cast<size_t>(n) * sizeof(float));
    }
  }
  const int64_t initTempCoarse = plan.plane - n;
  float* x = buffers.solution + initTempCoarse;
  diag_out("initTempCoarse :%d     positPyram: %d\n", static_cast<int>(initTempCoarse),
           static_cast<int>(rhsOffset));
  options.tolerance = plan.tolerance * tolerance_factor(plan, level, options.width,
                                                        options.height, x, rhs);
  diag_out("-- tm2new2 - nivo: %d  LS: %1.0f   method: %d   %d: %d x %d     positPyram: %d\n",
           level, plan.printedPreset, plan.printedMethod, (options.width + options.height) >> 1,
           options.width, options.height, static_cast<int>(rhsOffset));
  return cg_solve(options, paths, buffers.scratch, rhs, x);
}

// Hands a solved level on: prolongated as the start of the next finer level, or, for level
// 0, copied into `out`.
void pass_level_on(const LevelPlan& plan, int level, const LevelBuffers& buffers, float* out) {
  const int w = plan.widths.get()[level];
  const int h = plan.heights.get()[level];
  const int64_t n = static_cast<int64_t>(w) * h;
  float* x = buffers.solution + plan.plane - n;
  if (level == 0) {
    if (x != out) std::memcpy(out, x, static_cast<size_t>(plan.plane) * sizeof(float));
    return;
  }
  const int fw = plan.widths.get()[level - 1];
  const int fh = plan.heights.get()[level - 1];
  const float* coarse = x;
  if (fw == w && fh == h) {
    // A level that was not halved would be overwritten while it is read: prolongate from a
    // copy (the right-hand-side buffer is free until the next level).
    std::memcpy(buffers.rhs, x, static_cast<size_t>(n) * sizeof(float));
    coarse = buffers.rhs;
  }
  prolongate(coarse, w, h, buffers.solution + plan.plane - static_cast<int64_t>(fw) * fh, fw,
             fh, plan.wrapsAround);
}

}  // namespace

int solve_coarse_to_fine(int W, int H, int count, const TmParam* tmParam, const TmFiles& files,
                         float* work1, float* work2, float* out, int64_t solverHeadroom) {
  if (count < 1) count = 1;
  LevelPlan plan;
  int status = plan_levels(W, H, count, tmParam, files, &plan);
  if (status < 0) return status;
  plan.solverHeadroom = solverHeadroom;
  LevelBuffers buffers;
  status = take_level_buffers(plan, files, work1, work2, out, &buffers);
  if (status < 0) return status;
  const CgPaths paths{files.scratch1, files.scratch2, files.scratch3, files.scratch4,
                      files.scratch5};
  const double total = static_cast<double>(plan.total);
  int64_t rhsOffset = plan.total;
  for (int level = count - 1; level >= 0; --level) {
    const int64_t n = static_cast<int64_t>(plan.widths.get()[level]) * plan.heights.get()[level];
    rhsOffset -= n;
    // A level's solve takes time in proportion to its pixels.
    ProgressPhase levelPhase(static_cast<double>(plan.total - rhsOffset - n) / total,
                             static_cast<double>(plan.total - rhsOffset) / total, nullptr);
    // The coarser levels' copy buffer is free once they are solved.
    if (level == 0 && buffers.finestInPlace) {
      buffers.rhsPlane.release();
      buffers.rhs = nullptr;
    }
    const int iterations = solve_level(plan, level, rhsOffset, paths, buffers, out);
    if (iterations < 0) return iterations;
    pass_level_on(plan, level, buffers, out);
  }
  return finish_luminance(W, H, files, plan.threads, out);
}

}  // namespace lftm
