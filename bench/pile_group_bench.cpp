// The pile group step of a large group with interaction: a 20 × 20 grid of
// fixed-head piles (800 × 800 flexibility problems in X and Y, 400 × 400
// vertical), 16 frequencies above 10 rad/s, timed through AssemblePileGroup
// beside a baseline that inverts the same three matrices by Gauss-Jordan
// elimination without pivoting and forms the sums from the inverses. The
// baseline also checks that both give the same foundation matrices.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "engine/report/report.hpp"
#include "engine/impedance/pile_group.hpp"
#include "engine/numerics/complex_symmetric_system.hpp"

namespace terva {
namespace {

// The report the routines under test write to: this program's own (the
// engine keeps none; a run's report is in its run context).
Report& Out() {
  static Report report;
  return report;
}

constexpr int kSide = 20;
constexpr int kFrequencies = 16;

Real Omega(int k) { return 20.0f + 20.0f * static_cast<Real>(k); }  // 20 … 320 rad/s

ProblemData& Group() {
  static std::unique_ptr<ProblemData> p = [] {
    auto q = std::make_unique<ProblemData>();
    q->Gravity = 9.81f;
    q->status.FoundationType = EngineFoundation::Pile;
    q->status.InteractionOn = true;
    q->piles.HeadFixity = 1.0f;
    q->piles.PileCountValue = kSide * kSide;
    for (int i = 0; i < kSide * kSide; ++i) {
      q->piles.PileX(i + 1) = 1.8f * static_cast<Real>(i % kSide) - 17.1f;  // s/d = 3, centred
      q->piles.PileY(i + 1) = 1.8f * static_cast<Real>(i / kSide) - 17.1f;
    }
    q->constants.PileLength = 15.0f;
    q->constants.YoungsModulus = 3.0e7f;
    q->constants.CentreOfGravityHeight = 1.2f;
    q->piles.LayerCountValue = 5;
    for (int k = 1; k <= 5; ++k) {
      q->sections.LayerThickness(k) = 3.0f;
      q->sections.PileRadiusX(k) = q->sections.PileRadiusY(k) = 0.3f;
      q->sections.PileArea(k) = 0.2827f;
      q->sections.PileInertiaX(k) = q->sections.PileInertiaY(k) = 0.00636f;
      q->soil.ShearWaveVelocity(k) = 140.0f + 25.0f * static_cast<Real>(k);
      q->soil.SoilUnitWeight(k) = 18.0f;
      q->soil.SoilPoissonRatio(k) = 0.35f;
    }
    q->base = BaseSoil{320.0f, 19.0f, 0.3f, 0.05f};
    return q;
  }();
  return *p;
}

// A plausible single-pile head matrix, damping growing with frequency.
ComplexMatrix6 PileHead(Real omega) {
  ComplexMatrix6 E;
  const Real d = 0.05f + 0.0015f * omega;
  E(1, 1) = E(2, 2) = Complex(1.2e5f, 1.2e5f * d);
  E(3, 3) = Complex(6.0e5f, 6.0e5f * 0.6f * d);
  E(4, 4) = E(5, 5) = Complex(9.0e4f, 9.0e4f * 0.5f * d);
  E(1, 5) = E(5, 1) = Complex(-6.0e4f, -6.0e4f * 0.7f * d);
  E(2, 4) = E(4, 2) = Complex(6.0e4f, 6.0e4f * 0.7f * d);
  E(6, 6) = Complex(2.0e4f, 2.0e4f * d);
  return E;
}

// In-place inversion by Gauss-Jordan elimination without pivoting, column-major.
void GaussJordanInvert(std::vector<Complex>& a, int n) {
  const size_t N = static_cast<size_t>(n);
  std::vector<Complex> f(N);
  for (size_t k = 0; k < N; ++k) {
    const Complex inv = Complex(1.0f, 0.0f) / a[k * N + k];
    a[k * N + k] = Complex(1.0f, 0.0f);
    for (size_t j = 0; j < N; ++j) a[j * N + k] *= inv;  // the pivot row, (k, k) becoming 1/pivot
    for (size_t i = 0; i < N; ++i) {                     // the multipliers of the pivot column
      f[i] = a[k * N + i];
      a[k * N + i] = Complex(0.0f, 0.0f);
    }
    f[k] = Complex(0.0f, 0.0f);  // the pivot row itself stays
    a[k * N + k] = inv;
    for (size_t j = 0; j < N; ++j) {
      const Complex t = a[j * N + k];
      Complex* col = &a[j * N];
      for (size_t i = 0; i < N; ++i) col[i] -= f[i] * t;
    }
  }
}

// The foundation matrix from the inverted flexibility matrices.
void BaselineAssemble(const ProblemData& p, InteractionTables& t, const ComplexMatrix6& E, Real omega,
                      ComplexMatrix6& A) {
  GroupFlexibilityMatrices m;
  if (!GroupFlexibility(p, t, E, omega, m)) std::abort();
  GaussJordanInvert(m.V, m.vertical);
  GaussJordanInvert(m.X, m.horizontal);
  GaussJordanInvert(m.Y, m.horizontal);
  const size_t n = static_cast<size_t>(m.vertical), nh = static_cast<size_t>(m.horizontal);
  using C = std::complex<double>;
  auto x = [&](size_t i) { return static_cast<double>(p.piles.PileX(static_cast<int>(i) + 1)); };
  auto y = [&](size_t i) { return static_cast<double>(p.piles.PileY(static_cast<int>(i) + 1)); };
  C M, N, O, P, Q, R, Ax, Cx, E2, G, I, Kr, B, D, F2, H, J, L4;
  for (size_t j = 0; j < n; ++j)
    for (size_t i = 0; i < n; ++i) {
      const C k = m.V[j * n + i];
      M += k, N += x(j) * k, O += y(j) * k, P += x(i) * y(j) * k, Q += x(i) * x(j) * k, R += y(i) * y(j) * k;
    }
  for (size_t j = 0; j < n; ++j)  // fixed heads: deflection 2i, rotation 2i + 1
    for (size_t i = 0; i < n; ++i) {
      const C xdd = m.X[2 * j * nh + 2 * i], xrd = m.X[2 * j * nh + 2 * i + 1], xrr = m.X[(2 * j + 1) * nh + 2 * i + 1];
      const C ydd = m.Y[2 * j * nh + 2 * i], yrd = m.Y[2 * j * nh + 2 * i + 1], yrr = m.Y[(2 * j + 1) * nh + 2 * i + 1];
      Ax += xdd, Cx += y(j) * xdd, E2 += y(i) * y(j) * xdd, G += xrd, I += y(j) * xrd, Kr += xrr;
      B += ydd, D += x(j) * ydd, F2 += x(i) * x(j) * ydd, H += yrd, J += x(j) * yrd, L4 += yrr;
    }
  auto c = [](C v) { return Complex(static_cast<Real>(v.real()), static_cast<Real>(v.imag())); };
  GroupSums s{c(Ax), c(B), c(Cx), c(D), c(E2), c(F2),           c(G), c(H), c(I), c(J), c(Kr), c(L4), c(M),
              c(N),  c(O), c(P),  c(Q), c(R),  SumPiles(p, E).S};
  FoundationMatrixFromSums(s, p.constants.CentreOfGravityHeight, A);
}

// Largest difference of two foundation matrices, each entry scaled by the
// geometric mean of its two diagonal entries (a scale that suits every unit).
double MatrixDifference(const ComplexMatrix6& a, const ComplexMatrix6& b) {
  double worst = 0;
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) {
      const double scale = std::sqrt(std::abs(a(i, i)) * std::abs(a(j, j)));
      worst = std::max(worst, static_cast<double>(std::abs(a(i, j) - b(i, j))) / scale);
    }
  return worst;
}

void BM_PileGroupLU(benchmark::State& state) {
  ProblemData& p = Group();
  InteractionTables t = SetUpPileInteraction(p, Out());
  ComplexMatrix6 A;
  for (auto _ : state)
    for (int k = 0; k < kFrequencies; ++k) {
      AssemblePileGroup(p, t, PileHead(Omega(k)), Omega(k), A, Out());
      benchmark::DoNotOptimize(A);
    }
  state.counters["s_per_frequency"] = benchmark::Counter(
      static_cast<double>(kFrequencies), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["lu_fallbacks"] = t.solves.pivoted;
}
BENCHMARK(BM_PileGroupLU)->Unit(benchmark::kMillisecond)->Iterations(2);

// The same group step with the kernels kept on the portable 4-float path:
// the wide kernels' baseline in the same run.
void BM_PileGroupLUPortable(benchmark::State& state) {
  const int lanes = ComplexSymmetricSystem::KernelLanes();
  ComplexSymmetricSystem::UseKernelLanes(4);
  BM_PileGroupLU(state);
  ComplexSymmetricSystem::UseKernelLanes(lanes);
}
BENCHMARK(BM_PileGroupLUPortable)->Unit(benchmark::kMillisecond)->Iterations(2);

// The three flexibility systems of every frequency, formed untimed, solved
// with the engine's solver (arguments: the most vector lanes, 16, 8 or 4, and
// 1 to lend the trailing update one spare core)
// or, when the benchmarks were built with OpenBLAS, with its cgesv (argument:
// its thread count), for 3 and 3 + 3 right-hand sides.
void SolveSystems(benchmark::State& state, const std::function<void(std::vector<Complex>&, int, int)>& solve) {
  ProblemData& p = Group();
  InteractionTables t = SetUpPileInteraction(p, Out());
  for (auto _ : state)
    for (int k = 0; k < kFrequencies; ++k) {
      state.PauseTiming();
      GroupFlexibilityMatrices m;
      if (!GroupFlexibility(p, t, PileHead(Omega(k)), Omega(k), m)) std::abort();
      state.ResumeTiming();
      solve(m.V, m.vertical, 3);
      solve(m.X, m.horizontal, 3);
      solve(m.Y, m.horizontal, 3);
    }
  state.counters["s_per_frequency"] = benchmark::Counter(
      static_cast<double>(kFrequencies), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_GroupSystemsEngine(benchmark::State& state) {
  const int lanes = ComplexSymmetricSystem::KernelLanes();
  if (ComplexSymmetricSystem::UseKernelLanes(static_cast<int>(state.range(0))) != state.range(0))
    return state.SkipWithError("no kernel of this width on this processor");
  ComplexSymmetricSystem s;
  SpareCores spare;
  spare.idle = static_cast<int>(state.range(1));
  s.ShareSpareCores(&spare);
  std::vector<float> planes;
  SolveSystems(state, [&](std::vector<Complex>& a, int n, int rhs) {
    s.Resize(n);
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) s.Set(i, j, a[static_cast<size_t>(j) * static_cast<size_t>(n) + static_cast<size_t>(i)]);
    planes.assign(2 * static_cast<size_t>(n) * static_cast<size_t>(rhs), 1.0f);
    s.Factor();
    if (s.Solve(planes.data(), rhs) != ComplexSymmetricSystem::Status::kSuccess) std::abort();
  });
  ComplexSymmetricSystem::UseKernelLanes(lanes);
}
BENCHMARK(BM_GroupSystemsEngine)
    ->ArgsProduct({{16, 8, 4}, {0, 1}})
    ->ArgNames({"lanes", "spare"})
    ->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

#ifdef TERVA_BENCH_OPENBLAS
extern "C" void cgesv_(const int* n, const int* nrhs, std::complex<float>* a, const int* lda, int* ipiv,
                       std::complex<float>* b, const int* ldb, int* info);
extern "C" void openblas_set_num_threads(int);

void BM_GroupSystemsOpenBlasCgesv(benchmark::State& state) {
  openblas_set_num_threads(static_cast<int>(state.range(0)));
  std::vector<int> pivots;
  std::vector<std::complex<float>> b;
  SolveSystems(state, [&](std::vector<Complex>& a, int n, int rhs) {
    pivots.resize(static_cast<size_t>(n));
    b.assign(static_cast<size_t>(n) * static_cast<size_t>(rhs), std::complex<float>(1.0f, 0.0f));
    int info = 0;
    cgesv_(&n, &rhs, a.data(), &n, pivots.data(), b.data(), &n, &info);
    if (info != 0) std::abort();
  });
}
BENCHMARK(BM_GroupSystemsOpenBlasCgesv)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(2);
#endif

void BM_PileGroupGaussJordan(benchmark::State& state) {
  ProblemData& p = Group();
  InteractionTables t = SetUpPileInteraction(p, Out());
  ComplexMatrix6 A, fast;
  double worst = 0;
  for (auto _ : state)
    for (int k = 0; k < kFrequencies; ++k) {
      BaselineAssemble(p, t, PileHead(Omega(k)), Omega(k), A);
      benchmark::DoNotOptimize(A);
      state.PauseTiming();
      AssemblePileGroup(p, t, PileHead(Omega(k)), Omega(k), fast, Out());
      worst = std::max(worst, MatrixDifference(A, fast));
      state.ResumeTiming();
    }
  state.counters["max_rel_difference"] = worst;
  state.counters["s_per_frequency"] = benchmark::Counter(
      static_cast<double>(kFrequencies), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  if (!(worst < 1e-4)) state.SkipWithError("the LU path and the Gauss-Jordan baseline differ by 1e-4 or more");
}
BENCHMARK(BM_PileGroupGaussJordan)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace terva
