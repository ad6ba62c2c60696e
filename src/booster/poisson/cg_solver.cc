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

int cg_solve(int w, int h, int limit, float tol, int is360, int T, int F, const CgPaths& paths,
             int rhsOffset, float* scratch, float* b, float* x) {
  const int n = w * h;
  // The printed texts keep the old names: tm20 (cg_solve), cntRemonte (rising steps).
  diag_out("tm20  %d x %d   %d  %d  readFromDisk: %d\n", w, h, n, limit, F);
  int risingSteps = 0;
  float residual = 0.0f;
  int iter = F <= 0 ? cg_solve_in_memory(w, h, limit, tol, is360, T, scratch, b, x, &risingSteps,
                                         &residual)
                    : cg_solve_on_disk(w, h, limit, tol, is360, T, F, paths, rhsOffset, x,
                                       &risingSteps, &residual);
  if (iter < 0) return iter;
  char date[64];
  local_date_line(date);
  diag_out("tm20 - stopped at iter %d   %1.4f  cntRemonte: %d -  %s", iter, residual, risingSteps,
           date);
  return iter;
}

}  // namespace lftm
