#include "engine/numerics/banded_solver.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace terva {

namespace {

// |z| without the square root's overflow and with a cheap, monotone ordering:
// the pivot search only compares sizes.
Real Size(Complex z) { return std::abs(z.real()) + std::abs(z.imag()); }

}  // namespace

bool ComplexBandMatrix::Reset(int n, int kl, int ku) {
  if (n < 1 || n > kMaxOrder || kl < 0 || ku < 0 || kl > kMaxHalfWidth || ku > kMaxHalfWidth) {
    n_ = 0;
    return false;
  }
  n_ = n;
  kl_ = kl;
  ku_ = ku;
  for (auto& row : rows_) row.fill(Complex(0.0f, 0.0f));
  return true;
}

bool ComplexBandMatrix::InBand(int i, int j) const {
  return i >= 0 && j >= 0 && i < n_ && j < n_ && j - i >= -kl_ && j - i <= ku_;
}

bool SolveBand(ComplexBandMatrix& a, Complex* b, int m) {
  const int n = a.n_;
  if (n < 1 || b == nullptr || m < 1 || m > ComplexBandMatrix::kMaxRightHandSides) return false;
  const int kl = a.kl_;
  const int width = a.kl_ + a.ku_;  // reach of a row to the right of its diagonal after exchanges

  std::array<Complex, ComplexBandMatrix::kMaxOrder * ComplexBandMatrix::kMaxRightHandSides> x{};
  std::copy(b, b + n * m, x.begin());
  auto rhs = [&](int i, int k) -> Complex& { return x[static_cast<size_t>(k * n + i)]; };

  for (int j = 0; j < n; ++j) {
    const int last = std::min(n - 1, j + kl);
    int p = j;
    for (int i = j + 1; i <= last; ++i)
      if (Size(a.At(i, j)) > Size(a.At(p, j))) p = i;
    const Complex pivot = a.At(p, j);
    if (pivot == Complex(0.0f, 0.0f) || !Finite(pivot)) return false;
    const int right = std::min(n - 1, j + width);
    if (p != j) {
      for (int c = j; c <= right; ++c) std::swap(a.At(p, c), a.At(j, c));
      for (int k = 0; k < m; ++k) std::swap(rhs(p, k), rhs(j, k));
    }
    for (int i = j + 1; i <= last; ++i) {
      const Complex f = a.At(i, j) / pivot;
      if (f == Complex(0.0f, 0.0f)) continue;
      a.At(i, j) = Complex(0.0f, 0.0f);
      for (int c = j + 1; c <= right; ++c) a.At(i, c) -= f * a.At(j, c);
      for (int k = 0; k < m; ++k) rhs(i, k) -= f * rhs(j, k);
    }
  }
  for (int k = 0; k < m; ++k) {
    for (int i = n - 1; i >= 0; --i) {
      Complex sum = rhs(i, k);
      const int right = std::min(n - 1, i + width);
      for (int c = i + 1; c <= right; ++c) sum -= a.At(i, c) * rhs(c, k);
      const Complex value = sum / a.At(i, i);
      if (!Finite(value)) return false;
      rhs(i, k) = value;
    }
  }
  std::copy(x.begin(), x.begin() + n * m, b);
  return true;
}

}  // namespace terva
