// Side-layer reactions: the low-frequency and cut-off rules of the homogeneous
// layer, the weakened-zone series against a long-double integration of the
// zone's equations of motion, the guards; and the assembly at the layers' heights.
#include "engine/impedance/side_layers.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "engine/report/report.hpp"
#include "engine/numerics/bessel.hpp"

namespace terva {
namespace {

// The report the routines under test write to: this program's own (the
// engine keeps none; a run's report is in its run context).
Report& Out() {
  static Report report;
  return report;
}

using W = std::complex<long double>;
const std::array<Real, 4> kUnit = {1, 1, 1, 1};
constexpr Real kNu = 0.3f, kD = 0.05f;

SideReactions Homogeneous(Real a0, bool shear = false, bool compression = false,
                          const std::array<Real, 4>& radii = kUnit) {
  return SideLayerReactions(a0, kNu, kD, {}, radii, shear, compression, Out());
}

void ExpectClose(Complex got, Complex want, Real tol, const char* what) {
  EXPECT_LE(std::abs(got - want), tol * std::abs(want)) << what << ": got " << got << ", want " << want;
}

// Unscaled homogeneous vertical reaction 2π(1 + iD)·z·K1(z)/K0(z) at z = i·a/c.
Complex RawVertical(Real a) {
  const Complex z = Complex(0, a) / std::sqrt(Complex(1, kD));
  return 2.0f * std::numbers::pi_v<Real> * Complex(1, kD) * z * BesselK1(z) / BesselK0(z);
}

// −R0·u′/u at the footing (R0 = 1) for the zone's modulus G·(1 + iD)·(1 − ξ²),
// ξ = s·(ρ − r)/(ρ − 1), by Runge–Kutta from the outer solution K_n(k·r) at r = ρ.
// order 0: vertical; 1: rocking; 2: torsion (the same K1 with the twisting law).
W ZoneSlope(int order, Real aOuter, Real mu, Real Dw, Real rho) {
  const W one(1, kD), s = std::sqrt(W(1) - (long double)mu * W(1, Dw) / one);
  const Complex zf = Complex(0, aOuter) / std::sqrt(Complex(1, kD));
  const W z(zf.real(), zf.imag()), k = z / (long double)rho;
  const BesselKPair kk = BesselK(zf);
  const W k0(kk.k0.real(), kk.k0.imag()), k1(kk.k1.real(), kk.k1.imag());
  const long double rl = rho;
  auto g = [&](long double r) { const W xi = s * (rl - r) / (rl - 1.0L); return W(1) - xi * xi; };
  // state (u, p): p = r·g·u′ (vertical, rocking) or r²·g·(u′ − u/r) (torsion)
  auto f = [&](long double r, W u, W p, W& du, W& dp) {
    if (order == 2) { du = u / r + p / (r * r * g(r)); dp = k * k * r * r * u; }
    else { du = p / (r * g(r)); dp = (order == 1 ? g(r) / r + k * k * r : k * k * r) * u; }
  };
  W u = order == 0 ? k0 : k1;
  const W du0 = order == 0 ? -k * k1 : -k * (k0 + k1 / z);
  W p = order == 2 ? rl * rl * (du0 - u / rl) : rl * du0;
  const int n = 4000;
  const long double h = -(rl - 1.0L) / n;
  for (int i = 0; i < n; ++i) {
    const long double r = rl + i * h;
    W a1, b1, a2, b2, a3, b3, a4, b4;
    f(r, u, p, a1, b1);
    f(r + h / 2, u + h / 2 * a1, p + h / 2 * b1, a2, b2);
    f(r + h / 2, u + h / 2 * a2, p + h / 2 * b2, a3, b3);
    f(r + h, u + h * a3, p + h * b3, a4, b4);
    u += h / 6 * (a1 + 2.0L * a2 + 2.0L * a3 + a4);
    p += h / 6 * (b1 + 2.0L * b2 + 2.0L * b3 + b4);
  }
  W du;
  W dp;
  f(1.0L, u, p, du, dp);
  return -du / u;
}

TEST(SideLayers, HomogeneousLowFrequencyAndCutOffRules) {
  const SideReactions at03 = Homogeneous(0.3f), at15 = Homogeneous(0.15f);
  const Real re = at03.Su.real();
  // a0 = 0.15: the real part at 0.3, half of its damping plus half of D·Re Su(0.3)
  ExpectClose(at15.Su, {re, 0.5f * at03.Su.imag() + 0.5f * kD * re}, 1e-6f, "Su(0.15)");
  ExpectClose(Homogeneous(0.15f, true).Su, {re, kD * re}, 1e-6f, "Su(0.15) below the shear cut-off");
  ExpectClose(Homogeneous(0.6f, true).Su, {Homogeneous(0.6f).Su.real(), kD * re}, 1e-6f, "Su(0.6) below it");
  // vertical: the a0/0.3 scaling, then the cut-off, else the blend below 0.1
  ExpectClose(Homogeneous(0.2f).Sw, {RawVertical(0.2f).real(), RawVertical(0.2f).imag() * 0.2f / 0.3f}, 1e-5f, "Sw(0.2)");
  const Real dRe05 = kD * RawVertical(0.05f).real();
  ExpectClose(Homogeneous(0.08f, false, true).Sw, {RawVertical(0.08f).real(), dRe05}, 1e-5f, "Sw(0.08) cut off");
  ExpectClose(Homogeneous(0.5f, false, true).Sw, {RawVertical(0.5f).real(), dRe05}, 1e-5f, "Sw(0.5) cut off");
  ExpectClose(Homogeneous(0.08f).Sw, {RawVertical(0.08f).real(), 0.8f * RawVertical(0.1f).imag() + 0.2f * dRe05}, 1e-5f,
              "Sw(0.08)");
  ExpectClose(Homogeneous(0.02f).Sw, {RawVertical(0.05f).real(), 0.2f * RawVertical(0.1f).imag() + 0.8f * dRe05}, 1e-5f,
              "Sw(0.02), floored at 0.05");
  // rocking and torsion take no rule
  const SideReactions cut = Homogeneous(0.1f, true, true), free = Homogeneous(0.1f);
  EXPECT_EQ(cut.SphiX, free.SphiX);
  EXPECT_EQ(cut.Spsi, free.Spsi);
  // a horizontal spring with positive stiffness whose damping grows with frequency
  Real last = 0;
  for (Real a0 : {0.3f, 0.6f, 1.0f, 2.0f, 4.0f}) {
    const Complex su = SideLayerReactions(a0, kNu, 0.0f, {}, kUnit, false, false, Out()).Su;
    EXPECT_GT(su.real(), 0.0f) << a0;
    EXPECT_GT(su.imag(), last) << a0;
    last = su.imag();
  }
}

TEST(SideLayers, WeakenedZoneSeriesFollowTheZonesEquationsOfMotion) {
  const Real rho = 1.5f;
  const long double pi = std::numbers::pi_v<long double>;
  const std::array<Real, 4> radii = {1.0f, 1.4f, 0.7f, 1.2f};
  for (Real a0 : {0.2f, 0.5f, 2.0f}) {
    const WeakenedZone soft{0.5f, 0.3f, 0.08f, rho - 1}, mild{0.75f, 0.3f, 0.08f, rho - 1};
    const SideReactions r = SideLayerReactions(a0, kNu, kD, soft, radii, false, true, Out());
    const SideReactions m = SideLayerReactions(a0, kNu, kD, mild, radii, false, false, Out());
    const W sw = 2 * pi * 0.5L * W(1, 0.08L) * ZoneSlope(0, a0 * rho, 0.5f, 0.08f, rho);
    const Real scale = a0 < 0.3f ? a0 / 0.3f : 1.0f;  // no compression cut-off with a zone
    ExpectClose(r.Sw, {Real(sw.real()), Real(sw.imag()) * scale}, 1e-4f, "Sw");
    // rocking and torsion sum the slope over twenty terms: the milder zone converges within them
    const W phi = pi * 0.75L * W(1, 0.08L) * ZoneSlope(1, a0 * rho, 0.75f, 0.08f, rho);
    const W psi = 2 * pi * 0.75L * W(1, 0.08L) * (1.0L + ZoneSlope(2, a0 * rho, 0.75f, 0.08f, rho));
    ExpectClose(m.SphiX, {Real(phi.real()), Real(phi.imag())}, 1e-4f, "SphiX");
    EXPECT_EQ(m.SphiX, m.SphiY) << "both rocking values take the translation radius's geometry";
    ExpectClose(m.Spsi, {Real(psi.real()), Real(psi.imag())}, 1e-4f, "Spsi");
  }
}

TEST(SideLayers, ZonesThatChangeNothingAndTheHorizontalLimits) {
  const SideReactions h = Homogeneous(0.8f);
  auto same = [&](const SideReactions& r, Real tol) {
    for (auto [g, w] : {std::pair{r.Su, h.Su}, {r.Sw, h.Sw}, {r.SphiX, h.SphiX}, {r.SphiY, h.SphiY}, {r.Spsi, h.Spsi}})
      ExpectClose(g, w, tol, "reaction");
  };
  same(SideLayerReactions(0.8f, kNu, kD, {0.5f, kNu, 0.2f, 0.0f}, kUnit, false, false, Out()), 0);  // no thickness
  same(SideLayerReactions(0.8f, kNu, kD, {1.0f, kNu, kD, 0.5f}, kUnit, false, false, Out()), 0);    // the layer's modulus
  const SideReactions near = SideLayerReactions(0.8f, kNu, kD, {0.9999f, kNu, kD, 0.5f}, kUnit, false, false, Out());
  ExpectClose(near.Sw, h.Sw, 1e-3f, "Sw, ratio 0.9999");
  ExpectClose(near.SphiX, h.SphiX, 1e-3f, "SphiX, ratio 0.9999");
  ExpectClose(near.Spsi, h.Spsi, 1e-3f, "Spsi, ratio 0.9999");
  // horizontal: Su_out at a0·ρ for ν ≥ 0.5; a very stiff zone leaves Su_out, a soft one lowers it
  const Complex out = SideLayerReactions(1.2f, kNu, kD, {}, kUnit, false, false, Out()).Su;
  ExpectClose(SideLayerReactions(0.8f, 0.5f, kD, {0.5f, 0.5f, kD, 0.5f}, kUnit, false, false, Out()).Su,
              SideLayerReactions(1.2f, 0.5f, kD, {}, kUnit, false, false, Out()).Su, 0, "Su, ν = 0.5");
  ExpectClose(SideLayerReactions(0.8f, kNu, kD, {1e4f, kNu, kD, 0.5f}, kUnit, false, false, Out()).Su, out, 1e-3f,
              "Su, stiff");
  EXPECT_LT(std::abs(SideLayerReactions(0.8f, kNu, kD, {0.05f, kNu, kD, 0.5f}, kUnit, false, false, Out()).Su),
            0.5f * std::abs(out));
}

TEST(SideLayers, NoInputLeavesAnUndefinedReaction) {
  for (Real a0 : {-1.0f, 0.0f, NAN}) EXPECT_EQ(Homogeneous(a0).Su, Complex());
  for (Real a0 : {1e-6f, 0.3f, 3.0f, 40.0f, 1e3f})
    for (Real nu : {-0.5f, 0.0f, 0.49999f, 0.5f, 0.8f})
      for (Real D : {0.0f, 0.5f, -0.1f})
        for (WeakenedZone z : {WeakenedZone{}, {0.1f, nu, D, 0.5f}, {0.0f, nu, D, 0.5f}, {3.0f, nu, D, 0.5f},
                               {0.5f, nu, D, 1e-30f}, {0.5f, nu, D, 1e6f}})
          for (const auto& radii : {kUnit, std::array<Real, 4>{1, 0, 2, 0}}) {
            const SideReactions r = SideLayerReactions(a0, nu, D, z, radii, a0 < 1, a0 < 1, Out());
            for (Complex v : {r.Su, r.Sw, r.SphiX, r.SphiY, r.Spsi})
              ASSERT_TRUE(std::isfinite(v.real()) && std::isfinite(v.imag()))
                  << "a0 " << a0 << " nu " << nu << " D " << D << " ratio " << z.shearRatio << " t " << z.thickness;
          }
}

// A half-space footing with side layers; the centre of gravity at (xcg, ycg, h).
ProblemData Footing(int layers, Real thickness) {
  ProblemData p;
  p.Gravity = 9.8f;
  for (int k = 1; k <= 4; ++k) p.geometry.EquivalentRadius(k) = 1.0f + 0.2f * k;
  p.constants.CentreOfGravityX = 0.4f;
  p.constants.CentreOfGravityY = -0.3f;
  p.constants.CentreOfGravityHeight = 1.5f;
  for (int k = 1; k <= layers; ++k) {
    p.side.SideThickness(k) = thickness;
    p.side.SideShearWaveVelocity(k) = 150.0f;
    p.side.SideUnitWeight(k) = 18.0f;
    p.side.SidePoissonRatio(k) = kNu;
    p.side.SideDamping(k) = p.side.CapDamping(k) = kD;
    p.side.CapShearRatio(k) = 1.0f;
  }
  return p;
}

TEST(SideLayers, AssemblyAtTheLayersHeights) {
  const Real omega = 60.0f, G = 150.0f * 150.0f * 18.0f / 9.8f, h = 1.5f;
  ComplexMatrix6 one, two;
  ProblemData p = Footing(1, 2 * h);
  p.constants.CentreOfGravityX = p.constants.CentreOfGravityY = 0.0f;
  AddSideLayers(p, 1, omega, false, false, one, Out());
  // one layer of thickness 2h: mid-height at the centre of gravity, no coupling, L = h²/3
  const std::array<Real, 4> radii = {1.2f, 1.4f, 1.6f, 1.8f};
  const SideReactions s =
      SideLayerReactions(1.2f * omega / 150.0f, kNu, kD, {1, kNu, kD, 0}, radii, false, false, Out());
  const Real tg = 2 * h * G;
  ExpectClose(one(1, 1), tg * s.Su, 1e-6f, "(1,1)");
  EXPECT_EQ(one(1, 5), Complex());
  EXPECT_EQ(one(2, 4), Complex());
  ExpectClose(one(4, 4), h * h / 3 * tg * s.Su + tg * 1.4f * 1.4f * s.SphiX, 1e-6f, "(4,4)");
  ExpectClose(one(5, 5), h * h / 3 * tg * s.Su + tg * 1.6f * 1.6f * s.SphiY, 1e-6f, "(5,5)");
  // two equal layers of thickness t add up to one of 2t, off the centre of gravity too
  one.Zero();
  AddSideLayers(Footing(1, 1.6f), 1, omega, false, false, one, Out());
  AddSideLayers(Footing(2, 0.8f), 2, omega, false, false, two, Out());
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) EXPECT_LE(std::abs(one(i, j) - two(i, j)), 1e-5f * std::abs(one(1, 1))) << i << j;
  // the cut-off reaches every layer; a layer without shear wave velocity adds nothing
  ProblemData q = Footing(3, 0.5f);
  q.side.SideShearWaveVelocity(2) = 300.0f;
  q.side.SideShearWaveVelocity(3) = 0.0f;
  ComplexMatrix6 cut;
  AddSideLayers(q, 3, omega, true, false, cut, Out());
  Complex want;
  for (Real vs : {150.0f, 300.0f})
    want += 0.5f * vs * vs * 18.0f / 9.8f * SideLayerReactions(1.2f * omega / vs, kNu, kD, {1, kNu, kD, 0}, radii, true, false, Out()).Su;
  ExpectClose(cut(1, 1), want, 1e-6f, "(1,1) below the shear cut-off");
  ComplexMatrix6 none;
  AddSideLayers(q, 99, omega, false, false, none, Out());  // more layers than the table holds
  for (Complex v : none.a) EXPECT_TRUE(std::isfinite(v.real()) && std::isfinite(v.imag()));
}

}  // namespace
}  // namespace terva
