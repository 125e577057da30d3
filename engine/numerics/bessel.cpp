#include "engine/numerics/bessel.hpp"

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace terva {
namespace {

using Wide = std::complex<double>;

constexpr Real kEuler = 0.5772157f;        // Euler's constant as the engine stores it
constexpr Real kSeriesLimit = 9.0f;        // ascending series up to |z| = 9, asymptotic above
constexpr int kSeriesTerms = 50;           // terms of the ascending K series
constexpr int kAsymptoticTerms = 50;       // at most, after the leading 1
constexpr Real kPhaseLimit = 4.712389f;    // 3π/2
constexpr int kITerms = 20;                // terms of the I series
constexpr int kIMaxTerms = 150;            // where twenty have not settled the sum

Complex Round(Wide w) { return {static_cast<Real>(w.real()), static_cast<Real>(w.imag())}; }

// 1 + Σ terms of the asymptotic expansion of K_nu, stopping at the smallest
// term: the expansion diverges, and for |z| just above 9 fifty terms would run
// far past the point where it is best.
Wide AsymptoticSum(int nu, Wide z) {
  const double mu = 4.0 * nu * nu;
  Wide term = 1.0, sum = 1.0;
  for (int k = 1; k <= kAsymptoticTerms; ++k) {
    const double odd = 2.0 * k - 1.0;
    const Wide next = term * (mu - odd * odd) / (8.0 * k * z);
    if (std::abs(next) > std::abs(term)) break;
    sum += next;
    term = next;
  }
  return sum;
}

// K0 and K1 in double; scaled by e^z when asked. True when the phase of z is
// outside the asymptotic expansion's range (the values are formed anyway).
bool KPair(Complex zf, bool scaled, Wide& k0, Wide& k1) {
  const Wide z(zf.real(), zf.imag());
  const double r = std::abs(z);
  if (r == 0.0) {
    k0 = k1 = std::numeric_limits<double>::infinity();
    return false;
  }
  if (r <= kSeriesLimit) {
    const Wide w = z / 2.0, w2 = w * w;
    Wide term0 = 1.0;  // (z/2)^(2k)/(k!)²
    Wide term1 = w;    // (z/2)^(2k+1)/(k!·(k+1)!)
    Wide i0 = 0.0, i1 = 0.0, sum0 = 0.0, sum1 = 0.0;
    double hk = 0.0;  // harmonic number H_k
    for (int k = 0; k < kSeriesTerms; ++k) {
      const double hk1 = hk + 1.0 / (k + 1.0);
      i0 += term0;
      i1 += term1;
      sum0 += hk * term0;
      sum1 += (hk + hk1) * term1;
      term0 *= w2 / ((k + 1.0) * (k + 1.0));
      term1 *= w2 / ((k + 1.0) * (k + 2.0));
      hk = hk1;
    }
    const Wide lg = std::log(w) + static_cast<double>(kEuler);
    k0 = -lg * i0 + sum0;
    k1 = 1.0 / z + lg * i1 - 0.5 * sum1;
    if (scaled) {
      const Wide e = std::exp(z);
      k0 *= e;
      k1 *= e;
    }
    return false;
  }
  const double phi = z.real() == 0.0 ? std::numbers::pi / 2.0 : std::atan2(z.imag(), z.real());
  const Wide lead = std::sqrt(std::numbers::pi / (2.0 * z)) * (scaled ? Wide(1.0) : std::exp(-z));
  k0 = lead * AsymptoticSum(0, z);
  k1 = lead * AsymptoticSum(1, z);
  return std::abs(phi) > kPhaseLimit;
}

BesselKPair KResult(Complex z, bool scaled) {
  Wide k0, k1;
  const bool phaseError = KPair(z, scaled, k0, k1);
  return {Round(k0), Round(k1), phaseError};
}

// Σ (z/2)^(2k+n)/(k!·(k+n)!) for n = 0 or 1: twenty terms after the first,
// more only while they still change the sum.
Wide ISeries(int n, Complex zf) {
  const Wide w = Wide(zf.real(), zf.imag()) / 2.0, w2 = w * w;
  Wide term = n == 0 ? Wide(1.0) : w;
  Wide sum = term;
  for (int k = 1; k <= kIMaxTerms; ++k) {
    term *= w2 / (static_cast<double>(k) * (k + n));
    sum += term;
    if (k >= kITerms && std::abs(term) <= 1e-17 * std::abs(sum)) break;
  }
  return sum;
}

}  // namespace

BesselKPair BesselK(Complex z) { return KResult(z, false); }
BesselKPair ScaledBesselK(Complex z) { return KResult(z, true); }
Complex BesselK0(Complex z) { return BesselK(z).k0; }
Complex BesselK1(Complex z) { return BesselK(z).k1; }
Complex BesselI0(Complex z) { return Round(ISeries(0, z)); }
Complex BesselI1(Complex z) { return Round(ISeries(1, z)); }

}  // namespace terva
