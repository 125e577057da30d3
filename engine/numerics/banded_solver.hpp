// Complex band matrices: Gaussian elimination with partial pivoting.
//
// Used for the chains of pile elements: tridiagonal systems for the axial and
// torsional modes, and systems with three off-diagonals on each side for the
// bending mode (deflection and rotation per node). The storage has a fixed
// capacity; nothing is allocated.
#pragma once

#include <array>

#include "engine/core/scalar.hpp"

namespace terva {

class ComplexBandMatrix {
 public:
  static constexpr int kMaxOrder = 64;
  static constexpr int kMaxHalfWidth = 3;
  static constexpr int kMaxRightHandSides = 4;

  // An all-zero matrix of order n with kl sub-diagonals and ku super-diagonals.
  // Returns false (and leaves the matrix unusable) when the sizes exceed the
  // capacity or are negative.
  bool Reset(int n, int kl, int ku);

  int Order() const { return n_; }
  bool InBand(int i, int j) const;  // 0-based row and column
  // Element (i, j), 0-based; only entries inside the band may be addressed.
  Complex& At(int i, int j) { return rows_[static_cast<size_t>(i)][static_cast<size_t>(j - i + kl_)]; }
  Complex At(int i, int j) const { return rows_[static_cast<size_t>(i)][static_cast<size_t>(j - i + kl_)]; }

 private:
  friend bool SolveBand(ComplexBandMatrix& a, Complex* b, int m);
  // Row i holds columns i - kl ... i + ku + kl: the extra kl columns take the
  // fill-in of row exchanges.
  static constexpr int kWidth = 3 * kMaxHalfWidth + 1;
  std::array<std::array<Complex, kWidth>, kMaxOrder> rows_{};
  int n_ = 0, kl_ = 0, ku_ = 0;
};

// Solves A·X = B for the m right-hand sides (1 ... kMaxRightHandSides) stored
// one after another in b (each of length n). A is destroyed (it receives the upper factor). Returns
// false, with b unchanged, when a pivot column vanishes or the elimination
// produces a value that is not finite (a singular or overflowing system), or
// when the matrix was never sized.
bool SolveBand(ComplexBandMatrix& a, Complex* b, int m);

}  // namespace terva
