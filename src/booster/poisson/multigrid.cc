// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/multigrid.h"

#include <cstdio>
#include <cstring>

#include "booster/poisson/smoother.h"
#include "booster/poisson/stage2_output.h"
#include "lftm.h"
#include "platform/diag.h"
#include "platform/heap_buffer.h"
#include "platform/scratch_file.h"
#include "platform/run_context.h"

namespace lftm {
namespace {

constexpr int kCycles = 4;
constexpr int kPreSweeps = 3;
constexpr int kPostSweeps = 2;

// Everything one call works with; what it allocated or opened is released on every return.
struct Multigrid {
  GridPlan plan{};
  int W = 0;
  int H = 0;
  bool wrapsAround = false;
  int threads = 0;
  bool disk = false;
  const TmFiles* files = nullptr;
  float* U = nullptr;       // solution pyramid
  float* P = nullptr;       // residual / saved values (memory mode)
  float* rhs = nullptr;     // right-hand sides (memory mode: `out`)
  float* row = nullptr;     // one row (disk mode)
  std::FILE* rhs_file = nullptr;
  HeapBuffer<float> owned[2];  // behind U and P, or the row pair of disk mode

  ~Multigrid() {
    if (rhs_file != nullptr) std::fclose(rhs_file);
  }
};

float level_scale(const Multigrid& mg, const GridLevel& level) {
  const int64_t image = static_cast<int64_t>(mg.W - 1) * (mg.H - 1);
  const int64_t cells = static_cast<int64_t>(level.w - 1) * (level.h - 1);
  return static_cast<float>(image / cells);
}

RhsSource rhs_of(const Multigrid& mg, const GridLevel& level) {
  if (mg.disk) return RhsSource{nullptr, mg.rhs_file, level.offset};
  return RhsSource{mg.rhs + level.offset, nullptr, 0};
}

std::FILE* open_scratch(const char* path, const char* mode, const char* message) {
  std::FILE* file = path != nullptr ? std::fopen(path, mode) : nullptr;
  if (file == nullptr) diag_out("%s", message);
  return file;
}

// Reads the n floats of a level back from a scratch file, as one transfer.
int read_level(const char* path, float* v, int64_t n, const char* open_message,
               const char* read_message) {
  std::FILE* file = open_scratch(path, "rb", open_message);
  if (file == nullptr) return LFTM_ERR_FILE;
  int moved = read_quarters(file, v, static_cast<size_t>(n) * sizeof(float));
  std::fclose(file);
  if (moved != 4) {
    diag_out("%s", read_message);
    return LFTM_ERR_IO;
  }
  return 0;
}

void print_residual_samples(const float* res, int w, int i, bool first_of_level,
                            const float* v) {
  const float* r = res;
  diag_out("%1.4f %1.4f %1.4f %1.4f %1.4f %1.4f  tempRes at %d\n", r[0], r[1], r[w / 2],
           r[w / 2 + 1], r[w - 2], r[w - 1], i);
  if (first_of_level) {
    // The centre cell of the row with its neighbours and its residual.
    const int c = w / 2;
    const float* cur = v + static_cast<int64_t>(i) * w;
    diag_out("%1.4f %1.4f %1.4f %1.4f   %1.4f    %1.4f    %d\n", cur[c], cur[c - 1],
             cur[c - w], cur[c + 1], cur[c + w], r[c], i * w + c);
  }
}

// The residual of level k into P (memory) or, a row at a time, into the file of path 2
// (disk). Prints its statistics on the first cycle.
int residual_of_level(Multigrid& mg, int k, bool report) {
  const GridLevel& level = mg.plan.level[k];
  const float J = 1.0f / level_scale(mg, level);
  const float* v = mg.U + level.offset;
  const int sample_rows[3] = {level.h / 4, level.h / 2, 3 * level.h / 4};
  LevelStats stats{0.0f, 0.0f, 0.0};
  std::FILE* out = nullptr;
  if (mg.disk) {
    out = open_scratch(mg.files->scratch2, "wb", "can not open temporary file iofp21\n");
    if (out == nullptr) return LFTM_ERR_FILE;
    if (!seek_to(mg.rhs_file, 4 * level.offset)) {
      std::fclose(out);
      return LFTM_ERR_FILE;
    }
  }
  int status = 0;
  for (int i = 0; i < level.h && status == 0; ++i) {
    const float* f = nullptr;
    float* res = nullptr;
    if (mg.disk) {
      if (read_quarters(mg.rhs_file, mg.row, static_cast<size_t>(level.w) * sizeof(float)) != 4) {
        diag_out("could not read from temporary file iofp11\n");
        status = LFTM_ERR_IO;
        break;
      }
      // The residual row replaces the right-hand-side row once it is computed.
      f = mg.row;
      res = mg.P;
    } else {
      f = mg.rhs + level.offset + static_cast<int64_t>(i) * level.w;
      res = mg.P + static_cast<int64_t>(i) * level.w;
    }
    residual_row(v, f, level.w, level.h, i, J, mg.wrapsAround, res);
    LevelStats row_stats = level_stats(res, level.w);
    if (i == 0) stats = row_stats;
    if (row_stats.min < stats.min) stats.min = row_stats.min;
    if (row_stats.max > stats.max) stats.max = row_stats.max;
    if (i > 0) stats.sum += row_stats.sum;
    if (report && level.w >= 4 && (i == sample_rows[0] || i == sample_rows[1] || i == sample_rows[2])) {
      print_residual_samples(res, level.w, i, i == sample_rows[1] && i > 0 && i < level.h - 1,
                             v);
    }
    if (mg.disk && write_quarters(out, res, static_cast<size_t>(level.w) * sizeof(float)) != 4) {
      diag_out("could not write to temporary file iofp21\n");
      status = LFTM_ERR_IO;
    }
  }
  if (out != nullptr && std::fclose(out) != 0 && status == 0) {
    diag_out("could not write to temporary file iofp21\n");
    status = LFTM_ERR_IO;
  }
  if (status == 0 && report) {
    diag_out("%d reste %d x %d -  min=%1.5f  max=%1.5f  sum=%1.5f\n", k, level.w, level.h,
             stats.min, stats.max, stats.sum);
  }
  return status;
}

// Restricts level k's residual to the right-hand side of level k + 1.
int restrict_level(Multigrid& mg, int k, bool report) {
  const GridLevel& fine = mg.plan.level[k];
  const GridLevel& coarse = mg.plan.level[k + 1];
  const int64_t fine_n = static_cast<int64_t>(fine.w) * fine.h;
  const int64_t coarse_n = static_cast<int64_t>(coarse.w) * coarse.h;
  const bool uneven = k == 0 && !mg.plan.divisible;
  float* solution = mg.U + fine.offset;
  const float* residual = mg.P;
  float* target = mg.disk ? mg.U + coarse.offset : mg.rhs + coarse.offset;
  std::FILE* saved = nullptr;
  if (mg.disk) {
    // The level's place in U holds the residual while it is restricted; its solution waits
    // in the file of path 3.
    saved = open_scratch(mg.files->scratch3, "wb+", "can not open temporary file iofp31\n");
    if (saved == nullptr) return LFTM_ERR_FILE;
    if (write_quarters(saved, solution, static_cast<size_t>(fine_n) * sizeof(float)) != 4) {
      diag_out("could not write to temporary file iofp31\n");
      std::fclose(saved);
      return LFTM_ERR_IO;
    }
    int status = read_level(mg.files->scratch2, solution, fine_n,
                            "can not open temporary file iofp22\n",
                            "could not read from temporary file iofp22\n");
    if (status < 0) {
      std::fclose(saved);
      return status;
    }
    residual = solution;
  }
  if (uneven) {
    restrict_uneven(residual, fine.w, fine.h, target, coarse.w, coarse.h, mg.plan.step, report);
  } else {
    restrict_even(residual, fine.w, target, coarse.w, coarse.h);
    if (report) {
      diag_out("%1.4f  %1.4f  %1.4f    %d\n", residual[0], residual[1], target[0], k + 1);
    }
  }
  if (report) {
    LevelStats stats = level_stats(target, coarse_n);
    diag_out("%d Restriction %d x %d - min=%1.5f  max=%1.5f  sum=%1.5f\n", k + 1, coarse.w,
             coarse.h, stats.min, stats.max, stats.sum);
  }
  if (mg.disk) {
    int status = 0;
    if (!seek_to(mg.rhs_file, 4 * coarse.offset)) {
      status = LFTM_ERR_FILE;
    } else if (write_quarters(mg.rhs_file, target, static_cast<size_t>(coarse_n) * sizeof(float)) != 4) {
      diag_out("could not write to temporary file iofpRHS1 %dx%d\n", coarse.w, coarse.h);
      status = LFTM_ERR_IO;
    } else if (std::fflush(mg.rhs_file) != 0 || !seek_to(saved, 0) ||
               read_quarters(saved, solution, static_cast<size_t>(fine_n) * sizeof(float)) != 4) {
      diag_out("could not read from temporary file iofp3\n");
      status = LFTM_ERR_IO;
    }
    std::fclose(saved);
    remove_file(mg.files->scratch3);
    if (status < 0) return status;
  }
  std::memset(mg.U + coarse.offset, 0, static_cast<size_t>(coarse_n) * sizeof(float));
  return 0;
}

// Adds the coarser level's correction to level k and post-smooths it.
int ascend_to(Multigrid& mg, int k, bool report) {
  const GridLevel& fine = mg.plan.level[k];
  const GridLevel& coarse = mg.plan.level[k + 1];
  const int64_t fine_n = static_cast<int64_t>(fine.w) * fine.h;
  float* v = mg.U + fine.offset;
  if (mg.disk) {
    int status = write_plane(mg.files->scratch2, v, fine_n, "can not open temporary file iofp23\n",
                             "could not write to temporary file iofp23\n");
    if (status < 0) return status;
  } else {
    std::memcpy(mg.P, v, static_cast<size_t>(fine_n) * sizeof(float));
  }
  if (k == 0 && !mg.plan.divisible) {
    prolong_uneven(mg.U + coarse.offset, coarse.w, coarse.h, v, fine.w, fine.h, mg.plan.step);
  } else {
    prolong_even(mg.U + coarse.offset, coarse.w, coarse.h, v, fine.w);
  }
  if (report) {
    const int64_t c = static_cast<int64_t>(coarse.h / 2) * coarse.w + coarse.w / 2;
    const int64_t i = static_cast<int64_t>(2 * (coarse.h / 2)) * fine.w + 2 * (coarse.w / 2);
    diag_out("%1.4f  %1.4f  %1.4f    %d,%d   %d\n", mg.U[coarse.offset + c],
             mg.disk ? 0.0f : mg.P[i], v[i], coarse.h / 2, coarse.w / 2, k);
  }
  if (mg.disk) {
    std::FILE* file = open_scratch(mg.files->scratch2, "rb", "can not open temporary file iofp24\n");
    if (file == nullptr) return LFTM_ERR_FILE;
    int status = 0;
    for (int i = 0; i < fine.h; ++i) {
      if (read_quarters(file, mg.row, static_cast<size_t>(fine.w) * sizeof(float)) != 4) {
        diag_out("could not read from temporary file iofp24\n");
        status = LFTM_ERR_IO;
        break;
      }
      float* out = v + static_cast<int64_t>(i) * fine.w;
      for (int j = 0; j < fine.w; ++j) out[j] = out[j] + mg.row[j];
    }
    std::fclose(file);
    remove_file(mg.files->scratch2);
    if (status < 0) return status;
  } else {
    for (int64_t i = 0; i < fine_n; ++i) v[i] = v[i] + mg.P[i];
  }
  const float scale = level_scale(mg, fine);
  if (mg.threads > 1) {
    smooth_threaded(mg.threads, fine.w, fine.h, scale, kPostSweeps, mg.wrapsAround, v,
                    mg.rhs + fine.offset);
  } else {
    int status = smooth(mg.threads, fine.w, fine.h, scale, kPostSweeps, mg.wrapsAround, v,
                        rhs_of(mg, fine));
    if (status < 0) return status;
  }
  if (report) {
    LevelStats stats = level_stats(v, fine_n);
    diag_out("montee%d %d x %d  at %d  -  min=%1.3f max=%1.3f\n", k, fine.w, fine.h,
             static_cast<int>(fine.offset), stats.min, stats.max);
  }
  return 0;
}

int v_cycle(Multigrid& mg, int cycle) {
  const bool report = cycle == 0;
  const int depth = mg.plan.depth;
  for (int k = 0; k < depth; ++k) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    const GridLevel& level = mg.plan.level[k];
    float* v = mg.U + level.offset;
    int status = smooth(mg.threads, level.w, level.h, level_scale(mg, level), kPreSweeps,
                        mg.wrapsAround, v, rhs_of(mg, level));
    if (status < 0) return status;
    if (report) {
      LevelStats stats = level_stats(v, static_cast<int64_t>(level.w) * level.h);
      diag_out("desc: %d   blur %d x %d -  min=%1.5f   max=%1.5f   sum=%1.5f\n", cycle, level.w,
               level.h, stats.min, stats.max, stats.sum);
    }
    if ((status = residual_of_level(mg, k, report)) < 0) return status;
    if ((status = restrict_level(mg, k, report)) < 0) return status;
  }
  // The coarsest correction stays zero: the smoother is called with no sweep.
  const GridLevel& coarsest = mg.plan.level[depth];
  float* v = mg.U + coarsest.offset;
  std::memset(v, 0, static_cast<size_t>(coarsest.w) * coarsest.h * sizeof(float));
  int status = smooth_single(coarsest.w, coarsest.h, level_scale(mg, coarsest), 0,
                             mg.wrapsAround, v, rhs_of(mg, coarsest));
  if (status < 0) return status;
  for (int k = depth - 1; k >= 0; --k) {
    if (run_cancelled()) return LFTM_ERR_CANCELLED;
    if ((status = ascend_to(mg, k, report)) < 0) return status;
  }
  return 0;
}

// Buffers of memory mode: a caller's buffer is cleared over n floats, an allocated one
// starts zeroed.
float* zeroed(Multigrid& mg, float* given, int64_t n, int slot) {
  if (given != nullptr) {
    std::memset(given, 0, static_cast<size_t>(n) * sizeof(float));
    mg.owned[slot].borrow(given);
  } else {
    mg.owned[slot].allocate(static_cast<size_t>(n), true);
  }
  return mg.owned[slot].get();
}

}  // namespace

int solve_multigrid(const ImageDesc& desc, int coarseW, int coarseH, int total, int N,
                    bool wrapsAround, const TmFiles& files, float* work1, float* work2,
                    float* out) {
  if (N < 1) return LFTM_ERR_IO;
  Multigrid mg;
  mg.W = desc.width;
  mg.H = desc.height;
  int status = plan_grid(mg.W, mg.H, coarseW, coarseH, total, N, &mg.plan);
  if (status < 0) return status;
  mg.wrapsAround = wrapsAround;
  mg.files = &files;
  mg.disk = files.readFromDisk != 0;
  mg.threads = mg.disk ? 0 : files.threads;
  const int64_t plane = static_cast<int64_t>(mg.W) * mg.H;
  const int64_t n = mg.plan.total;

  // The printed texts keep the old words: calc_tm2old, reste (residual), montee (ascent).
  diag_out("calc_tm2old %dx%d  %dx%d  %dx%d\n", mg.W, mg.H, mg.W, mg.H, mg.plan.coarseW,
           mg.plan.coarseH);
  diag_out("origRHS fin%d:  %1.4f  %1.4f  %1.4f  %1.4f\n", static_cast<int>(plane - 1),
           out[plane - 1], out[plane - 2], out[plane - 3], out[plane - 4]);

  if (mg.disk) {
    mg.rhs_file = open_scratch(files.scratch1, "wb+", "can not open temporary file iofpRHS\n");
    if (mg.rhs_file == nullptr) return LFTM_ERR_FILE;
    if (write_quarters(mg.rhs_file, out, static_cast<size_t>(plane) * sizeof(float)) != 4) {
      diag_out("could not write to temporary file iofpRHS1\n");
      return LFTM_ERR_IO;
    }
    mg.U = out;
    std::memset(out, 0, static_cast<size_t>(plane) * sizeof(float));
    if (!mg.owned[0].allocate(2 * static_cast<size_t>(mg.W))) return LFTM_ERR_NO_MEMORY;
    mg.row = mg.owned[0].get();
    mg.P = mg.row + mg.W;  // one residual row at a time
  } else {
    mg.U = zeroed(mg, work1, n, 0);
    if (mg.U == nullptr) return LFTM_ERR_NO_MEMORY;
    // The residual of the current level is always written from index 0, so a caller's
    // buffer needs (and is cleared over) only a level-0 plane: work2 holds W x H floats.
    float* residual = work2 != nullptr ? work2 : (work1 != nullptr ? work1 + n : nullptr);
    mg.P = zeroed(mg, residual, residual != nullptr ? plane : n, 1);
    if (mg.P == nullptr) return LFTM_ERR_NO_MEMORY;
    mg.rhs = out;
  }

  for (int cycle = 0; cycle < kCycles; ++cycle) {
    ProgressPhase cyclePhase(static_cast<double>(cycle) / kCycles,
                       static_cast<double>(cycle + 1) / kCycles, nullptr);
    if ((status = v_cycle(mg, cycle)) < 0) return status;
  }

  if (mg.disk) {
    exponentiate(out, plane, 0);
    std::fclose(mg.rhs_file);
    mg.rhs_file = nullptr;
    status = write_plane(files.scratch1, out, plane, "can not open temporary file iofpRHS2\n",
                         "could not write to temporary file iofpRHS2\n");
    if (status < 0) return status;
  } else {
    std::memcpy(out, mg.U, static_cast<size_t>(plane) * sizeof(float));
    exponentiate(out, plane, mg.threads);
  }
  return mg.H;
}

}  // namespace lftm
