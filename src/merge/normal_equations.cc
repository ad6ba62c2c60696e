// SPDX-License-Identifier: BSD-3-Clause
#include "merge/normal_equations.h"

#include <cmath>

namespace lftm {

NormalEquations::NormalEquations(size_t unknowns)
    : n_(unknowns), m_(unknowns * unknowns, 0.0), rhs_(unknowns, 0.0) {}

void NormalEquations::add_row(const size_t* index, const double* coef, size_t terms, double rhs) {
  for (size_t a = 0; a < terms; ++a) {
    rhs_[index[a]] += coef[a] * rhs;
    for (size_t b = 0; b < terms; ++b) m_[index[a] * n_ + index[b]] += coef[a] * coef[b];
  }
}

bool NormalEquations::solve(std::vector<double>* x) {
  // In-place Cholesky: the lower triangle of m_ becomes L with L Lᵀ = AᵀA.
  for (size_t j = 0; j < n_; ++j) {
    double d = m_[j * n_ + j];
    for (size_t k = 0; k < j; ++k) d -= m_[j * n_ + k] * m_[j * n_ + k];
    if (!(d > 1e-12)) return false;
    d = std::sqrt(d);
    m_[j * n_ + j] = d;
    for (size_t i = j + 1; i < n_; ++i) {
      double s = m_[i * n_ + j];
      for (size_t k = 0; k < j; ++k) s -= m_[i * n_ + k] * m_[j * n_ + k];
      m_[i * n_ + j] = s / d;
    }
  }
  x->assign(rhs_.begin(), rhs_.end());
  for (size_t i = 0; i < n_; ++i) {  // L y = b
    for (size_t k = 0; k < i; ++k) (*x)[i] -= m_[i * n_ + k] * (*x)[k];
    (*x)[i] /= m_[i * n_ + i];
  }
  for (size_t i = n_; i-- > 0;) {  // Lᵀ x = y
    for (size_t k = i + 1; k < n_; ++k) (*x)[i] -= m_[k * n_ + i] * (*x)[k];
    (*x)[i] /= m_[i * n_ + i];
  }
  return true;
}

}  // namespace lftm
