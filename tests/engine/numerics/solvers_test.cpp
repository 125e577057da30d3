// The complex equation solvers against a long-double elimination of the same
// single-precision data; pivot choice, failures and iterative improvement.
#include "engine/numerics/solvers.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/report/report.hpp"

namespace terva {
namespace {

// The report the routines under test write to: this program's own (the
// engine keeps none; a run's report is in its run context).
Report& Out() {
  static Report report;
  return report;
}

using W = std::complex<long double>;
const Complex kPad{-7777.f, 7777.f};  // fills rows beyond N; must survive every call

// Column-major n x m block with leading dimension ld.
struct Mat {
  int n, m, ld;
  std::vector<Complex> v;
  Mat(int n_, int m_, int ld_) : n(n_), m(m_), ld(ld_), v(static_cast<size_t>(ld_) * m_, kPad) {}
  Complex& operator()(int i, int j) { return v[i + j * ld]; }
  Complex operator()(int i, int j) const { return v[i + j * ld]; }
};

// Entries in [-1, 1)^2 from a linear congruential sequence.
Mat Random(int n, int m, int ld, std::uint32_t s) {
  auto next = [&s] { return (s = s * 1664525u + 1013904223u, static_cast<Real>((s >> 8) / 8388608.0 - 1)); };
  Mat a(n, m, ld);
  for (int j = 0; j < m; ++j)
    for (int i = 0; i < n; ++i) a(i, j) = {next(), next()};
  return a;
}

// a_ij = 1 / (i + j - 1 + 0.5i), counted from 1: condition number about 3e7 at order 6.
Mat HilbertLike(int n) {
  Mat a(n, n, n);
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a(i, j) = Complex(1.f) / Complex(static_cast<Real>(i + j + 1), 0.5f);
  return a;
}

// Column col of A^-1 B by partial-pivoting elimination in long double.
std::vector<W> Reference(const Mat& A, const Mat& B, int col) {
  const int n = A.n;
  std::vector<W> a(n * n), b(n);
  for (int i = 0; i < n; ++i) {
    b[i] = W(B(i, col));
    for (int j = 0; j < n; ++j) a[i + j * n] = W(A(i, j));
  }
  for (int j = 0; j < n; ++j) {
    int p = j;
    for (int i = j; i < n; ++i) if (std::abs(a[i + j * n]) > std::abs(a[p + j * n])) p = i;
    for (int k = 0; k < n; ++k) std::swap(a[j + k * n], a[p + k * n]);
    std::swap(b[j], b[p]);
    for (int i = j + 1; i < n; ++i) {
      const W f = a[i + j * n] / a[j + j * n];
      for (int k = j; k < n; ++k) a[i + k * n] -= f * a[j + k * n];
      b[i] -= f * b[j];
    }
  }
  for (int i = n - 1; i >= 0; --i) {
    for (int k = i + 1; k < n; ++k) b[i] -= a[i + k * n] * b[k];
    b[i] /= a[i + i * n];
  }
  return b;
}

// max |x - reference| / max |reference| over column col.
long double RelError(const Mat& A, const Mat& B, const Mat& X, int col) {
  const std::vector<W> ref = Reference(A, B, col);
  long double err = 0, size = 0;
  for (int i = 0; i < A.n; ++i) {
    err = std::max(err, std::abs(W(X(i, col)) - ref[i]));
    size = std::max(size, std::abs(ref[i]));
  }
  return err / size;
}

bool Same(const Mat& a, const Mat& b) { return a.v == b.v; }  // bitwise, padding included

TEST(Leqt1c, RandomSystemsMatchReferenceAndSplitJobsAgree) {
  for (int n = 1; n <= 8; ++n) {
    const Mat A = Random(n, n, n + 2, 11u * n), B = Random(n, 2, n + 3, 7u * n);
    Mat F = A, X = B, F2 = A, X2 = B;
    std::vector<Real> wa(n), wa2(n);
    int ier = -1, ier1 = -1, ier2 = -1;
    LEQT1C(F.v.data(), n, F.ld, X.v.data(), 2, X.ld, 0, wa.data(), ier);
    ASSERT_EQ(ier, 0) << n;
    for (int c = 0; c < 2; ++c) EXPECT_LT(RelError(A, B, X, c), 1e-4L) << n;
    for (int i = n; i < X.ld; ++i) EXPECT_EQ(X(i, 1), kPad);
    for (int i = n; i < F.ld; ++i) EXPECT_EQ(F(i, n - 1), kPad);
    LEQT1C(F2.v.data(), n, F2.ld, nullptr, 0, 0, 1, wa2.data(), ier1);  // factor only: B unused
    LEQT1C(F2.v.data(), n, F2.ld, X2.v.data(), 2, X2.ld, 2, wa2.data(), ier2);
    EXPECT_EQ(ier1 + ier2, 0);
    EXPECT_TRUE(Same(F, F2) && Same(X, X2) && wa == wa2) << n;
  }
}

// Pivot record of a real 3 x 3 matrix given by rows.
std::vector<Real> Record(const Real (&rows)[3][3]) {
  std::vector<Complex> a(9);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) a[i + 3 * j] = rows[i][j];
  std::vector<Real> wa(3);
  int ier = -1;
  LEQT1C(a.data(), 3, 3, nullptr, 0, 0, 1, wa.data(), ier);
  EXPECT_EQ(ier, 0);
  return wa;
}

TEST(Leqt1c, PivotRecord) {
  using R = std::vector<Real>;
  EXPECT_EQ(Record({{2, 0, 0}, {0, -3, 0}, {0, 0, 0.5f}}), (R{1, 2, 3}));  // diagonal: no exchanges
  // Column 1 scaled by row maxima: 0.5/1, 1/1, 2/2. Rows 2 and 3 tie; the upper wins.
  EXPECT_EQ(Record({{0.5f, 1, 0}, {1, 0, 0.25f}, {2, 1, -2}})[0], 2.f);
  // Row 3 moves up first; at step 2 row 1, now third, must be weighed with its
  // own scale (1 * 1 against row 2's 1 / 1.5), so it is chosen again.
  EXPECT_EQ(Record({{0.5f, 1, 0}, {0, 1, 1.5f}, {2, 0, 1}}), (R{3, 3, 3}));
}

TEST(Leqt1c, SingularOrUnusableCallsTouchNothing) {
  Out().OpenMemory();
  Mat A = Random(3, 3, 4, 3u), B = Random(3, 2, 5, 4u);
  for (int j = 0; j < 3; ++j) A(1, j) = 0;  // a row of zeros: refused before elimination
  Mat Same3 = Random(3, 3, 3, 6u);
  for (int j = 0; j < 3; ++j) Same3(2, j) = Same3(0, j);  // two equal rows: zero pivot
  const Mat A0 = A, B0 = B;
  std::vector<Real> wa(4, 9.f), bad = {1.f, 4.f, 3.f}, nan = {1.f, std::nanf(""), 3.f};
  int ier = -1;
  LEQT1C(A.v.data(), 3, 4, B.v.data(), 2, 5, 0, wa.data(), ier);
  EXPECT_EQ(ier, 129);
  EXPECT_TRUE(Same(A, A0) && Same(B, B0));
  LEQT1C(Same3.v.data(), 3, 3, B.v.data(), 2, 5, 0, wa.data(), ier);
  EXPECT_EQ(ier, 129);
  EXPECT_TRUE(Same(B, B0));
  const struct { int n, ia, ib, job; Real* wa; } calls[] = {
      {0, 4, 5, 0, wa.data()}, {3, 2, 5, 0, wa.data()}, {3, 4, 2, 0, wa.data()}, {3, 4, 5, 3, wa.data()},
      {3, 4, 5, 0, nullptr},   {3, 4, 5, 2, bad.data()}, {3, 4, 5, 2, nan.data()}};
  Mat F = A0;
  for (const auto& c : calls) {
    ier = -1;
    LEQT1C(F.v.data(), c.n, c.ia, B.v.data(), 2, c.ib, c.job, c.wa, ier);
    EXPECT_EQ(ier, 129) << c.n << c.ia << c.ib << c.job;
  }
  EXPECT_TRUE(Same(F, A0) && Same(B, B0));
  EXPECT_EQ(Out().Captured(), "");  // LEQT1C leaves reporting to its caller

  std::vector<Complex> work(16 + 4);
  LEQ2C(A0.v.data(), 3, 4, B.v.data(), 2, 5, 0, work.data(), wa.data(), ier, Out());
  EXPECT_EQ(ier, 129);
  EXPECT_TRUE(Same(B, B0));
  EXPECT_EQ(Out().Captured(), " ERROR ENCOUNTERED IN LEQ2C SUBROUTINE\n");
  LEQ2C(A0.v.data(), 65, 65, B.v.data(), 2, 65, 0, work.data(), wa.data(), ier, Out());  // beyond the local buffer
  EXPECT_EQ(ier, 129);
  EXPECT_TRUE(Same(B, B0));
  Out().Close();
}

TEST(Leq2c, RefinedSolutionsReachWorkingPrecision) {
  for (int n = 1; n <= 8; ++n) {
    const Mat A = Random(n, n, n + 1, 13u * n), B = Random(n, 3, n + 2, 17u * n);
    Mat A1 = A, X = B, X2 = B;
    for (int i = 0; i < n; ++i) X(i, 1) = 0;  // a zero right-hand side solves to zero
    Mat Bz = X;
    std::vector<Complex> wa(n * n + n), wa2(n * n + n);
    std::vector<Real> wk(n), wk2(n);
    int ier = -1, ier1 = -1, ier2 = -1;
    LEQ2C(A1.v.data(), n, A1.ld, X.v.data(), 3, X.ld, 0, wa.data(), wk.data(), ier, Out());
    ASSERT_EQ(ier, 0) << n;
    EXPECT_TRUE(Same(A1, A));
    for (int c : {0, 2}) EXPECT_LT(RelError(A, Bz, X, c), 4e-7L) << n;
    for (int i = 0; i < n; ++i) EXPECT_EQ(X(i, 1), Complex(0.f));
    X2 = Bz;
    LEQ2C(A.v.data(), n, A.ld, nullptr, 0, 0, 1, wa2.data(), wk2.data(), ier1, Out());
    LEQ2C(A.v.data(), n, A.ld, X2.v.data(), 3, X2.ld, 2, wa2.data(), wk2.data(), ier2, Out());
    EXPECT_EQ(ier1 + ier2, 0);
    EXPECT_TRUE(Same(X, X2)) << n;
  }
}

TEST(Leq2c, IdentityRightHandSidesGiveInverse) {
  const Mat A = Random(6, 6, 6, 99u);
  Mat X(6, 6, 7);
  for (int j = 0; j < 6; ++j)
    for (int i = 0; i < 6; ++i) X(i, j) = i == j ? 1.f : 0.f;
  std::vector<Complex> wa(42);
  std::vector<Real> wk(6);
  int ier = -1;
  LEQ2C(A.v.data(), 6, 6, X.v.data(), 6, 7, 0, wa.data(), wk.data(), ier, Out());
  ASSERT_EQ(ier, 0);
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) {
      W s = 0;
      for (int k = 0; k < 6; ++k) s += W(A(i, k)) * W(X(k, j));
      EXPECT_LT(std::abs(s - W(i == j ? 1 : 0)), 1e-5L) << i << "," << j;
    }
}

TEST(Leq2c, ImprovementOnIllConditionedSystems) {
  // Order 6: the plain solve loses most digits, improvement restores single precision.
  const Mat H = HilbertLike(6), B = Random(6, 1, 6, 21u);
  Mat F = H, X1 = B, X2 = B;
  std::vector<Complex> wa(42);
  std::vector<Real> w(6), wk(6);
  int ier1 = -1, ier2 = -1;
  LEQT1C(F.v.data(), 6, 6, X1.v.data(), 1, 6, 0, w.data(), ier1);
  LEQ2C(H.v.data(), 6, 6, X2.v.data(), 1, 6, 0, wa.data(), wk.data(), ier2, Out());
  ASSERT_EQ(ier1 + ier2, 0);
  const long double plain = RelError(H, B, X1, 0), refined = RelError(H, B, X2, 0);
  EXPECT_LT(refined, 1e-6L);
  EXPECT_GT(plain, 100 * refined);

  // Order 8 (condition ~2e9) passes the singularity test, but corrections
  // computed from single-precision factors do not settle.
  const Mat H8 = HilbertLike(8), B8 = Random(8, 3, 9, 23u);
  Mat X = B8;
  std::vector<Complex> wa8(72);
  std::vector<Real> wk8(8);
  LEQ2C(H8.v.data(), 8, 8, X.v.data(), 3, 9, 0, wa8.data(), wk8.data(), ier2, Out());
  EXPECT_EQ(ier2, 130);
  for (int c = 1; c < 3; ++c)
    for (int i = 0; i < 9; ++i) EXPECT_EQ(X(i, c), B8(i, c));  // later columns not attempted
}

}  // namespace
}  // namespace terva
