// Modified Bessel functions against tables, the standard library's real-order
// functions and long-double integral representations at the damped-soil
// arguments i·a/√(1 + i·D).
#include "engine/numerics/bessel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace terva {
namespace {

using W = std::complex<long double>;
constexpr long double kPi = std::numbers::pi_v<long double>;
// The ascending K series carries the stored Euler constant 0.5772157 (single
// precision): K0 - δ·I0 and K1 + δ·I1 with δ the difference from the true constant.
const long double kDelta = static_cast<long double>(0.5772157f) - std::numbers::egamma_v<long double>;

// Relative closeness of a single-precision result to a long-double value.
void ExpectNear(Complex got, W want, long double tol, const char* what, long double at) {
  EXPECT_LE(std::abs(W(got.real(), got.imag()) - want), tol * std::abs(want))
      << what << " at " << at << ": got " << got << ", want (" << want.real() << ", " << want.imag() << ")";
}

// K_n(z) = ∫_0^∞ e^(−z·cosh t)·cosh(n·t) dt for Re z > 0 (Simpson), and
// I_n(z) = (1/π)∫_0^π e^(z·cos θ)·cos(n·θ) dθ (trapezoid, exact for periodic integrands).
W KIntegral(int n, W z) {
  const long double end = std::acosh(70.0L / z.real() + 1.0L), h = end / 200000;
  W sum = 0;
  for (int k = 0; k <= 200000; ++k) {
    const long double t = k * h, w = (k == 0 || k == 200000) ? 1 : (k % 2 ? 4 : 2);
    sum += w * std::exp(-z * std::cosh(t)) * std::cosh(n * t);
  }
  return sum * h / 3.0L;
}
W IIntegral(int n, W z) {
  W sum = 0;
  for (int k = 0; k < 4000; ++k) {
    const long double th = kPi * (k + 0.5L) / 4000;
    sum += std::exp(z * std::cos(th)) * std::cos(n * th);
  }
  return sum / 4000.0L;
}

TEST(Bessel, RealArgumentsOnBothSidesOfNine) {
  ExpectNear(BesselK0({1, 0}), 0.4210244382L, 2e-7L, "K0", 1);
  ExpectNear(BesselK1({1, 0}), 0.6019072302L, 2e-7L, "K1", 1);
  ExpectNear(BesselI0({1, 0}), 1.2660658778L, 2e-7L, "I0", 1);
  ExpectNear(BesselI1({1, 0}), 0.5651591040L, 2e-7L, "I1", 1);
  for (Real xf : {0.2f, 2.0f, 5.0f, 8.9f, 9.0f, 9.01f, 9.1f, 10.0f, 20.0f}) {
    const long double x = xf;  // the references at the argument as stored
    const long double i0 = std::cyl_bessel_i(0.0L, x), i1 = std::cyl_bessel_i(1.0L, x);
    const long double d = x <= 9 ? kDelta : 0;  // above 9 the asymptotic expansion
    const BesselKPair k = BesselK({xf, 0});
    ExpectNear(k.k0, std::cyl_bessel_k(0.0L, x) - d * i0, 1e-6L, "K0", x);
    ExpectNear(k.k1, std::cyl_bessel_k(1.0L, x) + d * i1, 1e-6L, "K1", x);
    ExpectNear(BesselI0({xf, 0}), i0, 3e-7L, "I0", x);
    ExpectNear(BesselI1({xf, 0}), i1, 3e-7L, "I1", x);
  }
}

TEST(Bessel, DampedSoilArgumentsAgainstIntegrals) {
  const Complex c = std::sqrt(Complex(1.0f, 0.3f));
  // beyond |z| = 11 twenty terms no longer settle the I series
  for (Real a : {1.0f, 5.0f, 8.9f, 9.1f, 11.0f, 15.0f, 25.0f}) {
    const Complex z = Complex(0, a) / c;
    const W zw(z.real(), z.imag());
    const BesselKPair k = BesselK(z);
    ExpectNear(k.k0, KIntegral(0, zw), 1e-6L, "K0", a);
    ExpectNear(k.k1, KIntegral(1, zw), 1e-6L, "K1", a);
    ExpectNear(BesselI0(z), IIntegral(0, zw), 1e-6L, "I0", a);
    ExpectNear(BesselI1(z), IIntegral(1, zw), 1e-6L, "I1", a);
    ExpectNear(ScaledBesselK(z).k0, W(k.k0.real(), k.k0.imag()) * std::exp(zw), 1e-6L, "e^z K0", a);
  }
}

// The asymptotic expansion holds for |arg z| < 3π/2; with the principal phase
// every argument is inside, on the negative real axis (both signed zeros) too.
TEST(Bessel, PhaseStatusStaysClearAllRoundTheCircle) {
  for (int step = 0; step < 64; ++step) {
    const double phi = std::numbers::pi * (step - 32) / 32.0;
    for (Real r : {9.5f, 30.0f}) {
      const Complex z(static_cast<Real>(r * std::cos(phi)), static_cast<Real>(r * std::sin(phi)));
      EXPECT_FALSE(BesselK(z).phaseError) << z;
      EXPECT_FALSE(ScaledBesselK(z).phaseError) << z;
    }
  }
  EXPECT_FALSE(BesselK({-10.0f, 0.0f}).phaseError);
  EXPECT_FALSE(BesselK({-10.0f, -0.0f}).phaseError);
}

TEST(Bessel, ZeroArgument) {
  EXPECT_EQ(BesselK0({}).real(), std::numeric_limits<Real>::infinity());
  EXPECT_EQ(BesselK1({}).real(), std::numeric_limits<Real>::infinity());
  EXPECT_EQ(BesselI0({}), Complex(1, 0));
  EXPECT_EQ(BesselI1({}), Complex(0, 0));
}

}  // namespace
}  // namespace terva
