// Transform against a long-double direct DFT, the inverse round trip, and the
// spectrum of a constant, over power-of-two, mixed, small-prime and
// large-prime lengths.
#include "engine/numerics/dft.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <thread>
#include <vector>

namespace terva {
namespace {

using WideComplex = std::complex<long double>;

// Deterministic values in [-1, 1) from a linear congruential sequence.
std::vector<Complex> Sample(int n, std::uint32_t seed) {
  std::vector<Complex> a(n);
  std::uint32_t s = seed;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<Real>((s >> 8) * (1.0 / 8388608.0) - 1.0);
  };
  for (Complex& z : a) z = {next(), next()};
  return a;
}

// A_k = sum_j a_j exp(+2 pi i jk/n), from a root table indexed by jk mod n.
std::vector<WideComplex> DirectDft(const std::vector<Complex>& a) {
  const long n = static_cast<long>(a.size());
  const long double pi = 3.141592653589793238462643383279502884L;
  std::vector<WideComplex> root(n), out(n);
  for (long t = 0; t < n; ++t) root[t] = std::polar(1.0L, 2 * pi * t / n);
  for (long k = 0; k < n; ++k) {
    WideComplex sum = 0;
    for (long j = 0; j < n; ++j) sum += WideComplex(a[j]) * root[j * k % n];
    out[k] = sum;
  }
  return out;
}

template <class A, class B>
double RelativeError(const std::vector<A>& got, const std::vector<B>& want) {
  long double err = 0, ref = 0;
  for (std::size_t i = 0; i < want.size(); ++i) {
    err += std::norm(WideComplex(got[i]) - WideComplex(want[i]));
    ref += std::norm(WideComplex(want[i]));
  }
  return static_cast<double>(std::sqrt(err / ref));
}

constexpr double kTolerance = 1e-5;

// every length up to 64, then smooth, prime and mixed lengths up to the capacities
const std::vector<int> kLengths = [] {
  std::vector<int> n;
  for (int k = 1; k <= 64; ++k) n.push_back(k);
  for (int k : {94, 97, 256, 360, 509, 512, 1000, 1001, 1013, 1017, 1018, 1024}) n.push_back(k);
  return n;
}();

TEST(Dft, MatchesDirectTransformAndStaysInBounds) {
  for (int n : kLengths) {
    SCOPED_TRACE(n);
    const std::vector<Complex> input = Sample(n, 12345u + n);
    const std::vector<WideComplex> want = DirectDft(input);
    // Guard cells on both sides catch writes outside a[0..n-1].
    const Complex guard(-7.5f, 3.25f);
    std::vector<Complex> buffer(n + 2, guard);
    std::copy(input.begin(), input.end(), buffer.begin() + 1);
    FFT(buffer.data() + 1, n);
    EXPECT_EQ(buffer.front(), guard);
    EXPECT_EQ(buffer.back(), guard);
    const std::vector<Complex> got(buffer.begin() + 1, buffer.end() - 1);
    EXPECT_LT(RelativeError(got, want), kTolerance);
  }
}

TEST(Dft, ConjugateTransformInverts) {
  for (int n : kLengths) {
    SCOPED_TRACE(n);
    const std::vector<Complex> input = Sample(n, 777u * n);
    std::vector<Complex> a = input;
    FFT(a.data(), n);
    for (Complex& z : a) z = std::conj(z);
    FFT(a.data(), n);
    for (Complex& z : a) z = std::conj(z) / static_cast<Real>(n);
    EXPECT_LT(RelativeError(a, input), kTolerance);
  }
}

TEST(Dft, ConstantHasOnlyZeroFrequency) {
  const Complex c(0.75f, -1.25f);
  for (int n : kLengths) {
    SCOPED_TRACE(n);
    std::vector<Complex> a(n, c);
    FFT(a.data(), n);
    const double scale = n * std::abs(c);
    EXPECT_LT(std::abs(a[0] - c * static_cast<Real>(n)), kTolerance * scale);
    double worst = 0;
    for (int k = 1; k < n; ++k) worst = std::max(worst, static_cast<double>(std::abs(a[k])));
    EXPECT_LT(worst, kTolerance * scale);
  }
}

TEST(Dft, EmptyNegativeOrNullLengthLeavesDataAlone) {
  std::vector<Complex> a = Sample(4, 1u);
  const std::vector<Complex> before = a;
  FFT(a.data(), 0);
  FFT(a.data(), -3);
  FFT(nullptr, 16);
  FFT(nullptr, 1018);
  EXPECT_EQ(a, before);
}

// Plans and work space are per thread: concurrent transforms of different
// lengths must give exactly what a single thread gives.
TEST(Dft, ConcurrentTransformsAgreeWithSerial) {
  const std::vector<int> lengths = {1018, 1000, 1017, 1024};
  std::vector<std::vector<Complex>> serial;
  for (int n : lengths) {
    serial.push_back(Sample(n, 99u));
    FFT(serial.back().data(), n);
  }
  std::vector<int> mismatches(lengths.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < lengths.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int rep = 0; rep < 20; ++rep) {
        const int n = lengths[(t + rep) % lengths.size()];
        std::vector<Complex> a = Sample(n, 99u);
        FFT(a.data(), n);
        if (a != serial[(t + rep) % lengths.size()]) ++mismatches[t];
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int m : mismatches) EXPECT_EQ(m, 0);
}

}  // namespace
}  // namespace terva
