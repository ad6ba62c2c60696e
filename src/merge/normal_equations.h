// SPDX-License-Identifier: BSD-3-Clause
// A small dense least-squares problem built row by row as its normal equations (AᵀA x = Aᵀb)
// and solved by Cholesky factorisation, in double precision.
#ifndef LFTM_MERGE_NORMAL_EQUATIONS_H_
#define LFTM_MERGE_NORMAL_EQUATIONS_H_

#include <cstddef>
#include <vector>

namespace lftm {

class NormalEquations {
 public:
  explicit NormalEquations(size_t unknowns);

  // Adds the row sum_k coef[k] x[index[k]] = rhs (the row weight already multiplied in).
  void add_row(const size_t* index, const double* coef, size_t terms, double rhs);

  // Solves; false when the system is not positive definite (an unknown no row reaches).
  bool solve(std::vector<double>* x);

 private:
  size_t n_;
  std::vector<double> m_;    // n x n, the lower triangle used
  std::vector<double> rhs_;  // n
};

}  // namespace lftm

#endif  // LFTM_MERGE_NORMAL_EQUATIONS_H_
