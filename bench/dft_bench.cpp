// FFT against a naive O(n^2) direct DFT in float, at the lengths the
// transient analysis uses: powers of two, 1000 = 2^3 5^3, 1017 = 3^2 113 and
// 1018 = 2 509 (large prime factors, chirp convolution).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/numerics/dft.hpp"

namespace {

using terva::Complex;
using terva::Real;

std::vector<Complex> Input(int n) {
  std::vector<Complex> a(n);
  for (int j = 0; j < n; ++j) a[j] = {std::sin(0.37f * j), std::cos(1.11f * j)};
  return a;
}

void BM_FFT(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<Complex> input = Input(n);
  std::vector<Complex> a = input;
  terva::FFT(a.data(), n);  // build the plan outside the timing
  for (auto _ : state) {
    a = input;
    terva::FFT(a.data(), n);
    benchmark::DoNotOptimize(a.data());
    benchmark::ClobberMemory();
  }
}

// Baseline: A_k = sum_j a_j w^(jk mod n) from a float root table. Real and
// imaginary parts sit in separate arrays so the compiler keeps them in
// registers.
void BM_NaiveDirectDFT_Float(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<Complex> input = Input(n);
  std::vector<Real> xr(n), xi(n), wr(n), wi(n);
  std::vector<Complex> out(n);
  for (int t = 0; t < n; ++t) {
    const double angle = 6.283185307179586 * t / n;
    wr[t] = static_cast<Real>(std::cos(angle));
    wi[t] = static_cast<Real>(std::sin(angle));
    xr[t] = input[t].real();
    xi[t] = input[t].imag();
  }
  for (auto _ : state) {
    for (int k = 0; k < n; ++k) {
      Real re = 0, im = 0;
      int t = 0;
      for (int j = 0; j < n; ++j) {
        re += xr[j] * wr[t] - xi[j] * wi[t];
        im += xr[j] * wi[t] + xi[j] * wr[t];
        t += k;
        t -= (t >= n) ? n : 0;
      }
      out[k] = {re, im};
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_FFT)->Arg(512)->Arg(1000)->Arg(1017)->Arg(1018)->Arg(1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NaiveDirectDFT_Float)->Arg(512)->Arg(1000)->Arg(1017)->Arg(1018)->Arg(1024)->Unit(benchmark::kMicrosecond);
