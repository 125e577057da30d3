// The complex symmetric solver of the pile-group problems and the 6 × 6
// inverse, against products with the matrices they were given.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <vector>

#include "engine/numerics/complex_symmetric_system.hpp"
#include "engine/numerics/invert6.hpp"

namespace terva {
namespace {

using cd = std::complex<double>;

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
    ASSERT_TRUE(s.Solve(x.data(), count)) << n;
    EXPECT_EQ(s.pivoted(), pivoted) << n;
    EXPECT_LT(Residual(n, A, x, rhs, count), 2e-5) << n;
  }
  ComplexSymmetricSystem singular;
  singular.Resize(3);
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i) singular.Set(i, j, Complex(1.0f, 0.5f));
  std::vector<float> b(6, 1.0f);
  EXPECT_FALSE(singular.Solve(b.data(), 1));
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
        s.Resize(n);
        for (int j = 0; j < n; ++j)
          for (int i = 0; i < n; ++i) s.Set(i, j, Complex(Entry(i, j, 40.0)));
        if (pivoted) s.Set(0, 0, Complex(0.0f, 0.0f));  // a zero first pivot: L·D·Lᵀ cannot start
        std::vector<float> x(2 * static_cast<size_t>(n) * 2);
        for (size_t k = 0; k < x.size(); ++k) x[k] = static_cast<float>(std::sin(0.91 * static_cast<double>(k)));
        ASSERT_TRUE(s.Solve(x.data(), 2)) << n;
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
