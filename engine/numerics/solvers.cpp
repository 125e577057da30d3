// Complex LU factorisation (Crout order, implicit row scaling) with forward and
// back substitution, and the iterative-improvement driver around it.
#include "engine/numerics/solvers.hpp"

#include <array>
#include <cmath>
#include <cstddef>

#include "engine/report/report.hpp"

namespace terva {
namespace {

using Index = std::ptrdiff_t;

constexpr int kSingular = 129;
constexpr int kNoConvergence = 130;
constexpr int kMaxImprovements = 50;  // corrections per column in LEQ2C
constexpr int kMaxOrder = 64;         // size of LEQ2C's local residual buffer

// Plain single-precision complex product (no C99 Annex G NaN recovery).
inline Complex Mul(Complex a, Complex b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// Complex quotient, formed in double so that neither |b|^2 nor the products
// overflow or underflow for any single-precision operands, then rounded.
inline Complex Div(Complex a, Complex b) {
  const double ar = a.real(), ai = a.imag(), br = b.real(), bi = b.imag();
  const double d = br * br + bi * bi;                                 // |b|^2
  return {static_cast<Real>((ar * br + ai * bi) / d), static_cast<Real>((ai * br - ar * bi) / d)};
}

// Complex modulus sqrt(re^2 + im^2) in working precision.
inline Real Modulus(Complex z) { return std::sqrt(z.real() * z.real() + z.imag() * z.imag()); }

inline bool IsZero(Complex z) { return z.real() == 0 && z.imag() == 0; }

// max(|Re z|, |Im z|); NaN when either part is NaN.
inline Real PartMax(Complex z) {
  const Real r = std::fabs(z.real()), i = std::fabs(z.imag());
  return (std::isnan(i) || i > r) ? i : r;
}

// Running maximum that keeps a NaN once it has seen one, so that a solution
// spoilt by overflow can never pass the convergence test.
inline void KeepMax(Real& m, Real v) {
  if (std::isnan(v) || v > m) m = v;
}

// True when every entry of the pivot record rounds to a row in 1..n.
bool PivotRecordValid(const Real* wa, int n) {
  for (int i = 0; i < n; ++i) {
    if (!(wa[i] >= 0.5f && wa[i] < static_cast<Real>(n) + 0.5f)) return false;  // also rejects NaN
  }
  return true;
}

// Pivot row (0-based) recorded for step i.
inline Index PivotRow(const Real* wa, int i) { return static_cast<Index>(std::lround(wa[i])) - 1; }

// Crout factorisation of a(ia, n) in place; wa receives the pivot record.
void Factor(Complex* a, int n, Index ia, Real* wa, int& ier) {
  auto at = [a, ia](Index i, Index j) -> Complex& { return a[i + j * ia]; };
  // Row scale factors: reciprocal of each row's largest modulus.
  for (Index i = 0; i < n; ++i) {
    Real big = 0;
    for (Index j = 0; j < n; ++j) {
      const Real m = Modulus(at(i, j));
      if (m > big) big = m;
    }
    if (big == 0) {  // a row of zeros
      ier = kSingular;
      return;
    }
    wa[i] = 1 / big;
  }

  const long double order = static_cast<long double>(static_cast<Real>(n));
  for (Index j = 0; j < n; ++j) {
    // Above the diagonal: u_ij = a_ij - sum_{k<i} l_ik u_kj.
    for (Index i = 0; i < j; ++i) {
      Complex s = at(i, j);
      for (Index k = 0; k < i; ++k) s -= Mul(at(i, k), at(k, j));
      at(i, j) = s;
    }
    // On and below: a_ij - sum_{k<j} l_ik u_kj, and the best scaled pivot.
    Real big = 0;
    Index imax = j;
    for (Index i = j; i < n; ++i) {
      Complex s = at(i, j);
      for (Index k = 0; k < j; ++k) s -= Mul(at(i, k), at(k, j));
      at(i, j) = s;
      const Real scaled = Modulus(s) * wa[i];  // pivot size relative to its row
      if (scaled > big) {                      // strict: the upper of equals stays
        big = scaled;
        imax = i;
      }
    }
    if (static_cast<long double>(big) + order == order) {  // pivot negligible beside N
      ier = kSingular;
      return;
    }
    if (imax != j) {
      for (Index k = 0; k < n; ++k) {
        const Complex t = at(imax, k);
        at(imax, k) = at(j, k);
        at(j, k) = t;
      }
      wa[imax] = wa[j];  // the scale factor follows its row
    }
    wa[j] = static_cast<Real>(imax + 1);
    if (j + 1 < n) {
      const Complex pivot = at(j, j);
      for (Index i = j + 1; i < n; ++i) at(i, j) = Div(at(i, j), pivot);  // l_ij = a_ij / u_jj
    }
  }
}

// Forward and back substitution of one column b(n) with the factors in a(ia, n).
void Substitute(const Complex* a, int n, Index ia, Complex* b, const Real* wa) {
  auto at = [a, ia](Index i, Index j) { return a[i + j * ia]; };
  Index first = -1;  // first row with a non-zero value; rows above contribute nothing
  for (Index i = 0; i < n; ++i) {
    const Index p = PivotRow(wa, static_cast<int>(i));
    Complex s = b[p];
    b[p] = b[i];  // undo the row exchange of step i
    if (first >= 0) {
      for (Index k = first; k < i; ++k) s -= Mul(at(i, k), b[k]);  // y_i = b_i - sum l_ik y_k
    } else if (!IsZero(s)) {
      first = i;
    }
    b[i] = s;
  }
  for (Index i = n - 1; i >= 0; --i) {
    Complex s = b[i];
    for (Index k = i + 1; k < n; ++k) s -= Mul(at(i, k), b[k]);  // x_i = (y_i - sum u_ik x_k) / u_ii
    b[i] = Div(s, at(i, i));
  }
}

}  // namespace

void LEQT1C(Complex* A, int N, int IA, Complex* B, int M, int IB, int IJOB, Real* WA, int& IER) {
  IER = kSingular;
  const bool factor = IJOB != 2;
  const bool solve = IJOB != 1;
  if (IJOB < 0 || IJOB > 2 || N < 1 || IA < N || A == nullptr || WA == nullptr) return;
  if (solve && (M < 0 || (M > 0 && (IB < N || B == nullptr)))) return;
  if (!factor && !PivotRecordValid(WA, N)) return;  // job 2 with a record that is not ours
  IER = 0;

  if (factor) {
    Factor(A, N, IA, WA, IER);
    if (IER != 0) return;
  }
  if (solve) {
    for (int j = 0; j < M; ++j) Substitute(A, N, IA, B + static_cast<Index>(j) * IB, WA);
  }
}

void LEQ2C(const Complex* A, int N, int IA, Complex* B, int M, int IB, int IJOB, Complex* WA, Real* WK,
           int& IER, Report& report) {
  const bool solve = IJOB != 1;
  bool usable = IJOB >= 0 && IJOB <= 2 && N >= 1 && N <= kMaxOrder && IA >= N && A != nullptr &&
                WA != nullptr && WK != nullptr;
  if (solve && (M < 0 || (M > 0 && (IB < N || B == nullptr)))) usable = false;
  if (usable && IJOB == 2 && !PivotRecordValid(WK, N)) usable = false;
  if (!usable) {
    IER = kSingular;
    report.Line("ERROR ENCOUNTERED IN LEQ2C SUBROUTINE");
    return;
  }
  IER = 0;

  const Index n = N;
  auto a = [A, IA](Index i, Index k) { return A[i + k * static_cast<Index>(IA)]; };
  if (IJOB != 2) {
    for (Index k = 0; k < n; ++k) {
      for (Index i = 0; i < n; ++i) WA[i + k * n] = a(i, k);  // factors kept apart from A
    }
    LEQT1C(WA, N, N, B, M, IB, 1, WK, IER);
    if (IER != 0) {
      report.Line("ERROR ENCOUNTERED IN LEQ2C SUBROUTINE");
      return;
    }
    if (IJOB == 1) return;
  }

  Complex* x = WA + n * n;  // solution vector after the factors
  std::array<Complex, kMaxOrder> d{};
  for (int j = 0; j < M; ++j) {
    Complex* b = B + static_cast<Index>(j) * IB;
    for (Index i = 0; i < n; ++i) x[i] = b[i];
    LEQT1C(WA, N, N, x, 1, N, 2, WK, IER);

    Real xmax = 0;
    for (Index i = 0; i < n; ++i) KeepMax(xmax, PartMax(x[i]));
    if (xmax != 0) {
      bool converged = false;
      for (int iter = 0; iter < kMaxImprovements && !converged; ++iter) {
        // Residual r = b - A x, both parts accumulated in extended precision.
        for (Index i = 0; i < n; ++i) {
          WideReal re = b[i].real(), im = b[i].imag();
          for (Index k = 0; k < n; ++k) {
            const WideReal ar = a(i, k).real(), ai = a(i, k).imag();
            const WideReal xr = x[k].real(), xi = x[k].imag();
            re -= ar * xr - ai * xi;
            im -= ar * xi + ai * xr;
          }
          d[i] = {static_cast<Real>(re), static_cast<Real>(im)};
        }
        LEQT1C(WA, N, N, d.data(), 1, N, 2, WK, IER);  // correction d from A d = r
        Real dmax = 0;
        for (Index i = 0; i < n; ++i) {
          x[i] += d[i];
          KeepMax(dmax, PartMax(d[i]));
        }
        // Done once the correction is lost beside the largest component at
        // working precision.
        converged = static_cast<Real>(xmax + dmax) == xmax;
      }
      if (!converged) IER = kNoConvergence;
    }
    for (Index i = 0; i < n; ++i) b[i] = x[i];
    if (IER != 0) return;
  }
}

}  // namespace terva
