#include "engine/numerics/invert6.hpp"

#include <cmath>
#include <complex>
#include <utility>

namespace terva {

bool Invert6(const ComplexMatrix6& E, ComplexMatrix6& F) {
  using C = std::complex<double>;
  C a[6][12];
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) {
      a[i][j] = C(E(i + 1, j + 1).real(), E(i + 1, j + 1).imag());
      a[i][j + 6] = i == j ? 1.0 : 0.0;
    }
  for (int k = 0; k < 6; ++k) {
    int p = k;
    for (int i = k + 1; i < 6; ++i)
      if (std::abs(a[i][k]) > std::abs(a[p][k])) p = i;
    const double m = std::abs(a[p][k]);
    if (!(m > 0.0) || !std::isfinite(m)) return false;
    if (p != k)
      for (int j = 0; j < 12; ++j) std::swap(a[k][j], a[p][j]);
    const C inv = 1.0 / a[k][k];
    for (int j = 0; j < 12; ++j) a[k][j] *= inv;
    for (int i = 0; i < 6; ++i) {
      if (i == k) continue;
      const C f = a[i][k];
      if (f == 0.0) continue;
      for (int j = 0; j < 12; ++j) a[i][j] -= f * a[k][j];
    }
  }
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) {
      const C v = a[i][j + 6];
      F(i + 1, j + 1) = Complex(static_cast<Real>(v.real()), static_cast<Real>(v.imag()));
      if (!Finite(F(i + 1, j + 1))) return false;
    }
  return true;
}


}  // namespace terva
