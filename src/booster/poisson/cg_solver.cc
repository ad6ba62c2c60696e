// SPDX-License-Identifier: BSD-3-Clause
#include "booster/poisson/cg_solver.h"

#include <cstdio>
#include <ctime>

#include "platform/diag.h"

namespace lftm {

void local_date_line(char (&text)[64]) {
  static const char kDays[7][4] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char kMonths[12][4] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t now = std::time(nullptr);
  std::tm fields{};
  localtime_r(&now, &fields);
  std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n",
                kDays[(fields.tm_wday % 7 + 7) % 7], kMonths[(fields.tm_mon % 12 + 12) % 12],
                fields.tm_mday, fields.tm_hour, fields.tm_min, fields.tm_sec,
                1900 + fields.tm_year);
}

namespace {

// The storage code of the first line: 0 in memory, 1 the finest level streamed, 2 another
// level streamed.
int storage_code(const SolveOptions& options) {
  if (!options.streamed) return 0;
  return options.finestLevel ? 1 : 2;
}

}  // namespace

int cg_solve(const SolveOptions& options, const CgPaths& paths, float* scratch, float* b,
             float* x) {
  const int n = options.width * options.height;
  // The printed texts keep the old names: tm20 (cg_solve), cntRemonte (rising steps).
  diag_out("tm20  %d x %d   %d  %d  readFromDisk: %d\n", options.width, options.height, n,
           options.iterationLimit, storage_code(options));
  SolveOutcome outcome;
  const int iter = options.streamed ? cg_solve_on_disk(options, paths, x, &outcome)
                                    : cg_solve_in_memory(options, scratch, b, x, &outcome);
  if (iter < 0) return iter;
  char date[64];
  local_date_line(date);
  diag_out("tm20 - stopped at iter %d   %1.4f  cntRemonte: %d -  %s", iter, outcome.residual,
           outcome.risingSteps, date);
  return iter;
}

}  // namespace lftm
