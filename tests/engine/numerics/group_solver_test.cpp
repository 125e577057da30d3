// The complex symmetric solver of the pile-group problems and the 6 × 6
// inverse, against products with the matrices they were given.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/numerics/complex_symmetric_system.hpp"
#include "engine/numerics/invert6.hpp"

namespace terva {
namespace {

using cd = std::complex<double>;
using Status = ComplexSymmetricSystem::Status;

// A complex symmetric matrix of order n, diagonally weighted by `diagonal`.
cd Entry(int i, int j, double diagonal) {
  const int a = std::min(i, j), b = std::max(i, j);
  const cd off(std::sin(0.7 * a + 1.3 * b), 0.4 * std::cos(0.3 * a * b + 0.5));
  return i == j ? cd(diagonal + 0.1 * i, 0.2) : off;
}

// Largest |A·x − b| / |b| over the right-hand sides, in double; A by columns.
double Residual(int n, const std::vector<cd>& A, const std::vector<float>& solved, const std::vector<float>& rhs,
                int count) {
  double worst = 0;
  const size_t N = static_cast<size_t>(n);
  for (int c = 0; c < count; ++c) {
    const float* x = solved.data() + 2 * N * static_cast<size_t>(c);
    const float* b = rhs.data() + 2 * N * static_cast<size_t>(c);
    double norm = 0, r = 0;
    for (size_t i = 0; i < N; ++i) {
      cd sum = -cd(b[i], b[N + i]);
      for (size_t j = 0; j < N; ++j)
        sum += A[j * N + i] * cd(x[j], x[N + j]);
      r = std::max(r, std::abs(sum));
      norm = std::max(norm, std::abs(cd(b[i], b[N + i])));
    }
    worst = std::max(worst, r / norm);
  }
  return worst;
}

TEST(ComplexSymmetricSystem, SolvesAcrossPanelsAndFallsBackToPivotingWhenNeeded) {
  for (auto [n, diagonal, pivoted] : {std::tuple{7, 12.0, false}, {130, 150.0, false}, {9, 0.0, true}}) {
    const size_t N = static_cast<size_t>(n);
    std::vector<cd> A(N * N);
    for (size_t j = 0; j < N; ++j)
      for (size_t i = 0; i < N; ++i)
        A[j * N + i] = cd(Complex(Entry(static_cast<int>(i), static_cast<int>(j), diagonal)));
    if (pivoted) A[0] = 0.0;  // a zero first pivot: L·D·Lᵀ cannot start
    ComplexSymmetricSystem s;
    s.Resize(n);
    for (size_t j = 0; j < N; ++j)
      for (size_t i = 0; i < N; ++i)
        s.Set(static_cast<int>(i), static_cast<int>(j), Complex(static_cast<Real>(A[j * N + i].real()),
                                                                  static_cast<Real>(A[j * N + i].imag())));
    const int count = 3;
    std::vector<float> rhs(2 * static_cast<size_t>(n) * count);
    for (size_t k = 0; k < rhs.size(); ++k) rhs[k] = static_cast<float>(std::cos(0.37 * static_cast<double>(k)));
    std::vector<float> x = rhs;
    ASSERT_EQ(s.Factor(), Status::kSuccess) << n;
    ASSERT_EQ(s.Solve(x.data(), count), Status::kSuccess) << n;
    EXPECT_EQ(s.info(), Status::kSuccess) << n;
    EXPECT_EQ(s.pivoted(), pivoted) << n;
    EXPECT_LT(Residual(n, A, x, rhs, count), 2e-5) << n;
  }
}

// A system of order n with Entry's matrix, its first pivot replaced when asked.
void Fill(ComplexSymmetricSystem& s, int n, double diagonal, bool replaceFirstPivot = false, float firstPivot = 0.0f) {
  s.Resize(n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) s.Set(i, j, Complex(Entry(i, j, diagonal)));
  if (replaceFirstPivot) s.Set(0, 0, Complex(firstPivot, 0.0f));
}

// Factors are reused: right-hand sides solved one call at a time give the
// bits of one call with all of them, whether L·D·Lᵀ serves, LU takes over in
// Factor (a zero pivot) or in the first Solve (a tiny pivot: the backward
// error grows); failures are told apart and leave the right-hand sides as given.
TEST(ComplexSymmetricSystem, FactorsOnceSolvesManyTimesAndReportsWhatFailed) {
  struct Case {
    bool replace;
    float pivot;
    bool pivotedByFactor, pivotedBySolve;
  };
  for (const Case& c : {Case{false, 0.0f, false, false}, Case{true, 0.0f, true, true}, Case{true, 1e-6f, false, true}}) {
    const int n = 61;
    const size_t N = static_cast<size_t>(n);
    std::vector<float> together(2 * N * 3);
    for (size_t k = 0; k < together.size(); ++k) together[k] = static_cast<float>(std::cos(0.53 * static_cast<double>(k)));
    std::vector<float> apart = together;
    ComplexSymmetricSystem all, one;
    for (ComplexSymmetricSystem* s : {&all, &one}) {
      Fill(*s, n, 30.0, c.replace, c.pivot);
      ASSERT_EQ(s->Factor(), Status::kSuccess) << c.pivot;
      EXPECT_EQ(s->pivoted(), c.pivotedByFactor) << c.pivot;
    }
    ASSERT_EQ(all.Solve(together.data(), 3), Status::kSuccess);
    for (size_t k = 0; k < 3; ++k) ASSERT_EQ(one.Solve(apart.data() + 2 * N * k, 1), Status::kSuccess);
    EXPECT_EQ(all.pivoted(), c.pivotedBySolve) << c.pivot;
    EXPECT_EQ(one.pivoted(), c.pivotedBySolve) << c.pivot;
    EXPECT_EQ(0, std::memcmp(together.data(), apart.data(), together.size() * sizeof(float))) << c.pivot;
    EXPECT_EQ(all.Solve(nullptr, 0), Status::kSuccess);  // no right-hand sides
  }

  ComplexSymmetricSystem s;
  std::vector<float> b(6, 1.0f);
  s.Resize(3);
  EXPECT_EQ(s.info(), Status::kNotFactored);
  EXPECT_EQ(s.Solve(b.data(), 1), Status::kNotFactored);  // nothing factored yet
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) s.Set(i, j, Complex(1.0f, 0.5f));  // rank one
  EXPECT_EQ(s.Factor(), Status::kSingular);
  EXPECT_TRUE(s.pivoted());
  EXPECT_EQ(s.Solve(b.data(), 1), Status::kSingular);
  EXPECT_EQ(s.info(), Status::kSingular);
  EXPECT_EQ(b, std::vector<float>(6, 1.0f));
  s.Resize(3);  // a new matrix clears the failure
  EXPECT_EQ(s.info(), Status::kNotFactored);
  EXPECT_FALSE(s.pivoted());

  // A right-hand side that is not finite gives a solution that is not finite;
  // the factors stay usable.
  Fill(s, 5, 10.0, false);
  ASSERT_EQ(s.Factor(), Status::kSuccess);
  std::vector<float> nan(10, 1.0f);
  nan[3] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(s.Solve(nan.data(), 1), Status::kNotFinite);
  EXPECT_EQ(s.info(), Status::kNotFinite);
  std::vector<float> fine(10, 1.0f);
  EXPECT_EQ(s.Solve(fine.data(), 1), Status::kSuccess);
}

// Every vector width the processor offers (16, 8 and 4 floats), each on one
// thread and spread over three more, gives the same bits (the reports of large
// groups must not depend on the machine or the thread count), on the symmetric
// path and on the LU fall-back, with orders that leave partial tiles.
TEST(ComplexSymmetricSystem, EveryKernelAndThreadCountGivesTheSameBits) {
  const int lanes = ComplexSymmetricSystem::KernelLanes();
  SpareCores spare;
  spare.idle = 3;
  spare.busy = 1;
  for (auto [n, pivoted] : {std::tuple{263, false}, {251, true}, {97, false}}) {
    std::vector<float> reference;
    for (int width : {4, 8, 16})
      for (bool shared : {false, true}) {
        if (ComplexSymmetricSystem::UseKernelLanes(width) != width) continue;  // not on this processor
        ComplexSymmetricSystem s;
        if (shared) s.ShareSpareCores(&spare);
        Fill(s, n, 40.0, pivoted);  // a zero first pivot: L·D·Lᵀ cannot start
        std::vector<float> x(2 * static_cast<size_t>(n) * 2);
        for (size_t k = 0; k < x.size(); ++k) x[k] = static_cast<float>(std::sin(0.91 * static_cast<double>(k)));
        ASSERT_EQ(s.Factor(), Status::kSuccess) << n;
        ASSERT_EQ(s.Solve(x.data(), 2), Status::kSuccess) << n;
        EXPECT_EQ(s.pivoted(), pivoted) << n;
        if (reference.empty()) reference = x;
        EXPECT_EQ(0, std::memcmp(x.data(), reference.data(), reference.size() * sizeof(float)))
            << n << ", " << width << " lanes, " << (shared ? "shared" : "one thread");
      }
  }
  ComplexSymmetricSystem::UseKernelLanes(lanes);
}

TEST(Invert6, InverseTimesMatrixIsTheIdentityAndSingularMatricesAreRefused) {
  ComplexMatrix6 E, F;
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) E(i, j) = Complex(Entry(i, j, 5.0));
  ASSERT_TRUE(Invert6(E, F));
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) {
      cd sum = 0;
      for (int k = 1; k <= 6; ++k) sum += cd(E(i, k)) * cd(F(k, j));
      EXPECT_NEAR(std::abs(sum - (i == j ? 1.0 : 0.0)), 0.0, 1e-5) << i << "," << j;
    }
  for (int j = 1; j <= 6; ++j) E(3, j) = Complex(0.0f, 0.0f);  // a row of zeros
  EXPECT_FALSE(Invert6(E, F));
  EXPECT_FALSE(Invert6(ComplexMatrix6{}, F));
}

}  // namespace
}  // namespace terva
