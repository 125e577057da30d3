// Mixed-radix Stockham transform, with Bluestein's chirp convolution for
// lengths that have a prime factor too large for a direct butterfly.
#include "engine/numerics/dft.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace terva {
namespace {

using Index = std::ptrdiff_t;

constexpr double kTwoPi = 6.28318530717958647692528676655900577;
// Prime factors up to this size get a direct butterfly (cost ~p/2 per point);
// a length with a larger one is transformed by chirp convolution.
constexpr int kMaxDirectPrime = 47;
// Distinct lengths whose plans a thread keeps before it starts afresh.
constexpr std::size_t kMaxCachedPlans = 32;

// Plain complex arithmetic: std::complex's operator* goes through the C99
// Annex G NaN recovery, which is far slower and not needed here.
inline Complex Mul(Complex a, Complex b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}
inline Complex MulI(Complex a) { return {-a.imag(), a.real()}; }  // i * a

// exp(+2 pi i num / den), evaluated in double and rounded.
Complex Root(long long num, long long den) {
  const double angle = kTwoPi * static_cast<double>(num % den) / static_cast<double>(den);
  return {static_cast<Real>(std::cos(angle)), static_cast<Real>(std::sin(angle))};
}

// One radix-p pass. With span = product of the earlier radices, point
// j = b*span + k reads x[j + r*n/p] (r = 0..p-1), multiplies by w^(r k) with
// w = exp(2 pi i / (span p)), takes a length-p DFT and writes
// y[b*span*p + k + r*span]. After the last pass y is in natural order.
struct Stage {
  int p = 0;
  Index span = 0;
  std::vector<Complex> twiddle;  // [k*(p-1) + r-1] = w^(r k), k < span
  std::vector<Complex> root;     // generic p only: exp(2 pi i t / p), t < p
};

struct Plan {
  Index n = 0;
  std::vector<Stage> stages;
  // Chirp convolution (stages empty, inner set).
  Index m = 0;                     // power-of-two convolution length >= 2n-1
  std::vector<Complex> chirp;      // exp(+pi i j^2 / n), j < n
  std::vector<Complex> filter;     // transform of the conjugate chirp, over m
  std::unique_ptr<Plan> inner;     // mixed-radix plan of length m
};

template <int P>
inline void Butterfly(Complex* v) {
  if constexpr (P == 2) {
    const Complex t = v[0];
    v[0] = t + v[1];
    v[1] = t - v[1];
  } else if constexpr (P == 3) {
    constexpr Real kS = static_cast<Real>(0.86602540378443864676);  // sin(2 pi/3)
    const Complex t = v[1] + v[2];
    const Complex m = v[0] - t * Real(0.5);
    const Complex s = MulI(v[1] - v[2]) * kS;
    v[0] = v[0] + t;
    v[1] = m + s;
    v[2] = m - s;
  } else if constexpr (P == 4) {
    const Complex s02 = v[0] + v[2], d02 = v[0] - v[2];
    const Complex s13 = v[1] + v[3], d13 = MulI(v[1] - v[3]);
    v[0] = s02 + s13;
    v[2] = s02 - s13;
    v[1] = d02 + d13;
    v[3] = d02 - d13;
  } else if constexpr (P == 5) {
    constexpr Real kC1 = static_cast<Real>(0.30901699437494742410);   // cos(2 pi/5)
    constexpr Real kC2 = static_cast<Real>(-0.80901699437494742410);  // cos(4 pi/5)
    constexpr Real kS1 = static_cast<Real>(0.95105651629515357212);   // sin(2 pi/5)
    constexpr Real kS2 = static_cast<Real>(0.58778525229247312917);   // sin(4 pi/5)
    const Complex t1 = v[1] + v[4], t2 = v[2] + v[3];
    const Complex d1 = v[1] - v[4], d2 = v[2] - v[3];
    const Complex a1 = v[0] + t1 * kC1 + t2 * kC2;
    const Complex a2 = v[0] + t1 * kC2 + t2 * kC1;
    const Complex b1 = MulI(d1 * kS1 + d2 * kS2);
    const Complex b2 = MulI(d1 * kS2 - d2 * kS1);
    v[0] = v[0] + t1 + t2;
    v[1] = a1 + b1;
    v[4] = a1 - b1;
    v[2] = a2 + b2;
    v[3] = a2 - b2;
  }
}

// Loads, twiddle products and stores are written out through index packs so
// that they unroll at every optimisation level.
template <int P, bool kTwiddle, std::size_t... R>
inline void Point(const Complex* in, Complex* out, const Complex* tw, Index stride, Index span,
                  std::index_sequence<R...>) {
  Complex v[P];
  v[0] = in[0];
  if constexpr (kTwiddle) {
    ((v[R + 1] = Mul(in[(R + 1) * stride], tw[R])), ...);
  } else {
    ((v[R + 1] = in[(R + 1) * stride]), ...);
  }
  Butterfly<P>(v);
  out[0] = v[0];
  ((out[(R + 1) * span] = v[R + 1]), ...);
}

template <int P>
void RunStage(const Stage& s, Index n, const Complex* x, Complex* y) {
  using Rest = std::make_index_sequence<P - 1>;
  const Index stride = n / P;
  const Index span = s.span;
  if (span == 1) {  // first pass: all twiddles are 1
    for (Index j = 0; j < stride; ++j) Point<P, false>(x + j, y + j * P, nullptr, stride, 1, Rest{});
    return;
  }
  const Index blocks = stride / span;
  const Complex* tw = s.twiddle.data();
  for (Index b = 0; b < blocks; ++b) {
    const Complex* in = x + b * span;
    Complex* out = y + b * span * P;
    for (Index k = 0; k < span; ++k) Point<P, true>(in + k, out + k, tw + k * (P - 1), stride, span, Rest{});
  }
}

// Odd prime p <= kMaxDirectPrime: direct DFT of the p points, pairing r with
// p-r so that each output pair shares its cosine and sine sums.
void RunGenericStage(const Stage& s, Index n, const Complex* x, Complex* y) {
  const int p = s.p;
  const int half = (p - 1) / 2;
  const Index stride = n / p;
  const Index span = s.span;
  const Index blocks = stride / span;
  const Complex* tw = s.twiddle.data();
  const Complex* root = s.root.data();
  Complex v[kMaxDirectPrime], sum[kMaxDirectPrime], dif[kMaxDirectPrime];
  for (Index b = 0; b < blocks; ++b) {
    const Complex* in = x + b * span;
    Complex* out = y + b * span * p;
    for (Index k = 0; k < span; ++k) {
      v[0] = in[k];
      for (int r = 1; r < p; ++r) v[r] = Mul(in[k + r * stride], tw[k * (p - 1) + r - 1]);
      Complex total = v[0];
      for (int r = 1; r <= half; ++r) {
        sum[r] = v[r] + v[p - r];
        dif[r] = v[r] - v[p - r];
        total += sum[r];
      }
      out[k] = total;
      for (int q = 1; q <= half; ++q) {
        Complex re = v[0], im(0, 0);
        int t = 0;
        for (int r = 1; r <= half; ++r) {
          t += q;
          if (t >= p) t -= p;
          re += sum[r] * root[t].real();
          im += dif[r] * root[t].imag();
        }
        out[k + q * span] = re + MulI(im);
        out[k + (p - q) * span] = re - MulI(im);
      }
    }
  }
}

// Runs the passes over a, ping-ponging with work (length n); result in a.
void RunStages(const Plan& plan, Complex* a, Complex* work) {
  const Complex* x = a;
  Complex* y = work;
  for (const Stage& s : plan.stages) {
    switch (s.p) {
      case 2: RunStage<2>(s, plan.n, x, y); break;
      case 3: RunStage<3>(s, plan.n, x, y); break;
      case 4: RunStage<4>(s, plan.n, x, y); break;
      case 5: RunStage<5>(s, plan.n, x, y); break;
      default: RunGenericStage(s, plan.n, x, y); break;
    }
    x = y;
    y = (y == work) ? a : work;
  }
  if (x != a) std::copy(x, x + plan.n, a);
}

// Radices of n, fours first; returns false when a prime factor is too large
// for a direct butterfly.
bool Factor(Index n, std::vector<int>& radices) {
  while (n % 4 == 0) { radices.push_back(4); n /= 4; }
  if (n % 2 == 0) { radices.push_back(2); n /= 2; }
  for (Index f = 3; f * f <= n; f += 2) {
    while (n % f == 0) {
      if (f > kMaxDirectPrime) return false;
      radices.push_back(static_cast<int>(f));
      n /= f;
    }
  }
  if (n > 1) {
    if (n > kMaxDirectPrime) return false;
    radices.push_back(static_cast<int>(n));
  }
  return true;
}

std::unique_ptr<Plan> MakeMixedPlan(Index n, const std::vector<int>& radices) {
  auto plan = std::make_unique<Plan>();
  plan->n = n;
  Index span = 1;
  for (int p : radices) {
    Stage s;
    s.p = p;
    s.span = span;
    s.twiddle.resize(static_cast<std::size_t>(span) * (p - 1));
    for (Index k = 0; k < span; ++k)
      for (int r = 1; r < p; ++r) s.twiddle[k * (p - 1) + r - 1] = Root(r * k, span * p);
    if (p > 5) {
      s.root.resize(p);
      for (int t = 0; t < p; ++t) s.root[t] = Root(t, p);
    }
    plan->stages.push_back(std::move(s));
    span *= p;
  }
  return plan;
}

std::vector<Complex>& Work() {
  thread_local std::vector<Complex> buffer;
  return buffer;
}
std::vector<Complex>& ChirpWork() {
  thread_local std::vector<Complex> buffer;
  return buffer;
}
void Reserve(std::vector<Complex>& buffer, Index size) {
  if (static_cast<Index>(buffer.size()) < size) buffer.resize(static_cast<std::size_t>(size));
}

std::unique_ptr<Plan> MakePlan(Index n) {
  std::vector<int> radices;
  if (Factor(n, radices)) return MakeMixedPlan(n, radices);

  // exp(+2 pi i jk/n) = c_j c_k conj(c_{k-j}) with c_t = exp(+pi i t^2/n), so
  // A = c . ((a c) * conj(c)), a linear convolution done cyclically over m.
  auto plan = std::make_unique<Plan>();
  plan->n = n;
  Index m = 1;
  while (m < 2 * n - 1) m *= 2;
  plan->m = m;
  radices.clear();
  Factor(m, radices);
  plan->inner = MakeMixedPlan(m, radices);
  plan->chirp.resize(n);
  const long long twoN = 2LL * n;
  for (Index j = 0; j < n; ++j) {
    const long long jj = static_cast<long long>(j) * j % twoN;  // exp(pi i t/n) has period 2n
    plan->chirp[j] = Root(jj, twoN);
  }
  // Filter = transform of conj(c) laid out cyclically, scaled by 1/m so the
  // inverse transform needs no scaling.
  plan->filter.assign(m, Complex(0, 0));
  const Real scale = static_cast<Real>(1.0 / static_cast<double>(m));
  for (Index t = 0; t < n; ++t) {
    const Complex c = std::conj(plan->chirp[t]) * scale;
    plan->filter[t] = c;
    if (t > 0) plan->filter[m - t] = c;
  }
  std::vector<Complex>& work = Work();
  Reserve(work, m);
  RunStages(*plan->inner, plan->filter.data(), work.data());
  return plan;
}

void RunChirp(const Plan& plan, Complex* a) {
  const Index n = plan.n, m = plan.m;
  std::vector<Complex>& u = ChirpWork();
  std::vector<Complex>& work = Work();
  Reserve(u, m);
  Reserve(work, m);
  for (Index j = 0; j < n; ++j) u[j] = Mul(a[j], plan.chirp[j]);
  std::fill(u.begin() + n, u.begin() + m, Complex(0, 0));
  RunStages(*plan.inner, u.data(), work.data());
  // Inverse transform as conj(FFT(conj(.))); the 1/m is in the filter.
  for (Index k = 0; k < m; ++k) u[k] = std::conj(Mul(u[k], plan.filter[k]));
  RunStages(*plan.inner, u.data(), work.data());
  for (Index k = 0; k < n; ++k) a[k] = Mul(plan.chirp[k], std::conj(u[k]));
}

const Plan& PlanFor(int n) {
  thread_local std::unordered_map<int, std::unique_ptr<Plan>> cache;
  auto it = cache.find(n);
  if (it != cache.end()) return *it->second;
  if (cache.size() >= kMaxCachedPlans) cache.clear();
  return *cache.emplace(n, MakePlan(n)).first->second;
}

}  // namespace

void FFT(Complex* a, int n) {
  if (a == nullptr || n <= 1) return;  // length 1 is its own transform
  const Plan& plan = PlanFor(n);
  if (plan.inner) {
    RunChirp(plan, a);
  } else {
    std::vector<Complex>& work = Work();
    Reserve(work, n);
    RunStages(plan, a, work.data());
  }
}

}  // namespace terva
