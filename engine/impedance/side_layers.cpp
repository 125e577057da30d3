#include "engine/impedance/side_layers.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/elementary.hpp"
#include "engine/numerics/bessel.hpp"
#include "engine/impedance/transform.hpp"
#include "engine/numerics/solvers.hpp"

namespace terva {
namespace {

constexpr Real kPi = std::numbers::pi_v<Real>;
constexpr Real kHorizontalFloor = 0.3f;  // a0 below which Su keeps its value at 0.3
constexpr Real kVerticalFloor = 0.05f;   // smallest a0 at which Sw is evaluated
constexpr Real kVerticalBlend = 0.1f;    // below it Sw's damping blends towards D·Re Sw(0.05)
constexpr Real kZoneStiffness = 3.769912f;  // 1.2π
constexpr int kSeriesTerms = 100;        // S of all three series modes, S′ of the vertical mode
constexpr int kRotationSlopeTerms = 20;  // S′ of rocking and torsion
constexpr Real kSameModulus = 1e-6f;     // |s²| at or below which the zone has the layer's modulus

// K values as BesselK or ScaledBesselK gave them, with the report's line where
// their argument's phase is outside the asymptotic expansion's range.
BesselKPair Reported(const BesselKPair& k, Report& report) {
  if (k.phaseError) report.Line("ERROR (ABS(PHI).GT.3PI/2)");
  return k;
}

// z(a) = i·a/c: the dimensionless argument of the layer's shear wave.
Complex ShearArgument(Real a, Complex c) { return Complex(0.0f, a) / c; }

// z·K0(z)/K1(z) and z·K1(z)/K0(z), with their limits 0 at z = 0.
Complex ZK0OverK1(Complex z, Report& report) {
  if (z == Complex(0.0f, 0.0f)) return {};
  const BesselKPair k = Reported(ScaledBesselK(z), report);
  return k.k1 == Complex(0.0f, 0.0f) ? Complex() : z * k.k0 / k.k1;
}
Complex ZK1OverK0(Complex z, Report& report) {
  if (z == Complex(0.0f, 0.0f)) return {};
  const BesselKPair k = Reported(ScaledBesselK(z), report);
  return k.k0 == Complex(0.0f, 0.0f) ? Complex() : z * k.k1 / k.k0;
}

Real Eta(Real nu) { return std::sqrt(2.0f * (1.0f - nu) / (1.0f - 2.0f * nu)); }

// Horizontal reaction of the homogeneous layer at the dimensionless frequency a.
Complex HorizontalAt(Real a, Real nu, Complex c, Report& report) {
  const Complex s = ShearArgument(a, c);
  const BesselKPair ks = Reported(ScaledBesselK(s), report);  // the scale factors cancel in every ratio below
  Complex num, den;
  if (nu < 0.5f) {
    const Complex q = s / Eta(nu);
    const BesselKPair kq = Reported(ScaledBesselK(q), report);
    num = 4.0f * kq.k1 * ks.k1 + s * ks.k0 * kq.k1 + q * kq.k0 * ks.k1;
    den = q * kq.k0 * ks.k1 + s * kq.k1 * ks.k0 + q * s * kq.k0 * ks.k0;
  } else {  // incompressible: only the shear wave
    num = 4.0f * ks.k1 + s * ks.k0;
    den = s * ks.k0;
  }
  if (den == Complex(0.0f, 0.0f)) return {};
  return -kPi * a * a * num / den;
}

struct Horizontal {
  Complex su;
  Complex shearArg;  // the shear argument of the last evaluation
};

// Su with the low-frequency and shear cut-off rules.
Horizontal HorizontalReaction(Real a0, Real nu, Real D, Complex c, bool belowShearCutOff, Report& report) {
  const Real a = std::max(a0, kHorizontalFloor);
  const Complex su = HorizontalAt(a, nu, c, report);
  if (belowShearCutOff) {
    const Complex low = HorizontalAt(kHorizontalFloor, nu, c, report);
    return {Complex(su.real(), D * low.real()), ShearArgument(kHorizontalFloor, c)};
  }
  if (a0 < kHorizontalFloor) {  // su is Su(0.3) here
    const Real w = a0 / kHorizontalFloor;
    return {Complex(su.real(), w * su.imag() + (1.0f - w) * D * su.real()), ShearArgument(a, c)};
  }
  return {su, ShearArgument(a, c)};
}

Complex VerticalAt(Real a, Real D, Complex c, Report& report) {
  return 2.0f * kPi * Complex(1.0f, D) * ZK1OverK0(ShearArgument(a, c), report);
}

Complex VerticalReaction(Real a0, Real D, Complex c, bool belowCompressionCutOff, Report& report) {
  Complex sw = VerticalAt(std::max(a0, kVerticalFloor), D, c, report);
  if (a0 < kHorizontalFloor) sw.imag(sw.imag() * a0 / kHorizontalFloor);
  if (belowCompressionCutOff) {
    sw.imag(D * VerticalAt(kVerticalFloor, D, c, report).real());
  } else if (a0 < kVerticalBlend) {  // a0 itself weighs the unscaled values at 0.1 and 0.05
    const Real w = a0 / kVerticalBlend;
    sw.imag(w * VerticalAt(kVerticalBlend, D, c, report).imag() +
            (1.0f - w) * D * VerticalAt(kVerticalFloor, D, c, report).real());
  }
  return sw;
}

// ---- weakened zone ----------------------------------------------------------

struct Zone {
  Real mu, Dw;
  Real rho;      // (R0 + t)/R0
  Real rhoM1;    // ρ − 1 = t/R0
  Real kappa;    // (ρ − 1)/ρ = t/(R0 + t)
  Complex s, s2; // s = √(1 − μ(1 + i·Dw)/(1 + i·D)), s²
  Complex modulus() const { return mu * Complex(1.0f, Dw); }
};

enum class Mode { kVertical, kRocking, kTorsion };

// (s/(ρ − 1))·S′/S of a series mode, from the outer solution at argument z.
//
// The displacement of the zone is a power series Σ x_n·ξ^n, evaluated at the
// footing (ξ = s). The coefficients are carried as y_n = x_n·s^n, which turns
// the recurrences into ones in s², κ = (ρ − 1)/ρ and z² alone (h = ρs/(ρ − 1) and
// b·h² = z²): nothing divides by s, and the terms stay bounded when s is small,
// where x_n itself would overflow. Then S = Σ y_n and
// (s/(ρ − 1))·S′ = Σ n·y_n/(ρ − 1). False when the sum is unusable.
bool SeriesSlope(Mode mode, const Zone& zone, Complex z, Complex& slope, Report& report) {
  const BesselKPair k = Reported(ScaledBesselK(z), report);  // a common scale of all y_n
  const Complex s2 = zone.s2, z2 = z * z;
  const Real kp = zone.kappa, kp2 = kp * kp, kp3 = kp2 * kp, kp4 = kp3 * kp;
  const int slopeTerms = mode == Mode::kVertical ? kSeriesTerms : kRotationSlopeTerms;

  Complex y[kSeriesTerms + 1];
  if (mode == Mode::kVertical) {  // started from K0
    y[0] = k.k0;
    y[1] = k.k1 * z * kp;
    y[2] = (kp * y[1] + z2 * kp2 * y[0]) / 2.0f;
    for (int n = 3; n <= kSeriesTerms; ++n) {
      const Real fn = static_cast<Real>(n);
      y[n] = ((fn - 1) * (fn - 1) * kp * y[n - 1] + ((fn - 2) * (fn - 1) * s2 + z2 * kp2) * y[n - 2] -
              ((fn - 3) * (fn - 1) * s2 * kp + z2 * kp3) * y[n - 3]) /
             (fn * (fn - 1));
    }
  } else {  // started from K1
    const Real shift = mode == Mode::kTorsion ? 1.0f : 0.0f;  // torsion: b − 1 and 2b − 2 in place of b and 2b
    y[0] = k.k1;
    y[1] = kp * (k.k1 + z * k.k0);
    y[2] = ((1.0f + z2) * kp2 * y[0] + kp * y[1]) / 2.0f;
    y[3] = kp * y[2] + (2.0f * s2 + z2 * kp2) * y[1] / 6.0f - (z2 * kp3 - shift * s2 * kp) * y[0] / 3.0f;
    for (int n = 4; n <= kSeriesTerms; ++n) {
      const Real fn = static_cast<Real>(n);
      const Complex c1 = (fn - 1) * (2 * fn - 3) * kp;
      const Complex c2 = -((fn - 2) * (fn - 2) - 1) * kp2 + (fn - 2) * (fn - 1) * s2 + z2 * kp2;
      const Complex c3 = -(((fn - 3) * (2 * fn - 3) - 2 * shift) * s2 * kp + 2.0f * z2 * kp3);
      const Complex c4 = ((fn - 4) * (fn - 2) - 1 - 2 * shift) * s2 * kp2 + z2 * kp4;
      y[n] = (c1 * y[n - 1] + c2 * y[n - 2] + c3 * y[n - 3] + c4 * y[n - 4]) / (fn * (fn - 1));
    }
  }
  Complex sum, moment;
  for (int n = 0; n <= kSeriesTerms; ++n) sum += y[n];
  for (int n = 1; n <= slopeTerms; ++n) moment += static_cast<Real>(n) * y[n];
  if (sum == Complex(0.0f, 0.0f) || !Finite(sum) || !Finite(moment)) return false;
  slope = moment / (zone.rhoM1 * sum);
  return Finite(slope);
}

// Su of a layer with a weakened zone: the zone, a homogeneous annulus of the
// modulus μ·G·(1 + i·Dw) held at its outer edge, in series with the outer
// medium. Falls back to Su_out where the zone's stiffness cannot be formed.
Complex WeakHorizontal(Real a0, Real nu, Real D, Complex c, const Zone& zone, bool belowShearCutOff, Report& report) {
  const Horizontal out = HorizontalReaction(a0 * zone.rho, nu, D, c, belowShearCutOff, report);
  if (!(nu < 0.5f)) return out.su;  // η and m undefined
  const Real eta = Eta(nu);
  const Complex root = Sqrt(zone.modulus() / Complex(1.0f, D));
  const Complex d = out.shearArg / (eta * root), e = eta * d;  // at the zone's outer radius
  const Complex d1 = d / zone.rho, e1 = e / zone.rho;          // at the footing

  const Complex i0d1 = BesselI0(d1), i1d1 = BesselI1(d1), i0e1 = BesselI0(e1), i1e1 = BesselI1(e1);
  const Complex i0d = BesselI0(d), i1d = BesselI1(d), i0e = BesselI0(e), i1e = BesselI1(e);
  const BesselKPair kd1 = Reported(BesselK(d1), report), ke1 = Reported(BesselK(e1), report);
  const BesselKPair kd = Reported(BesselK(d), report), ke = Reported(BesselK(e), report);

  const Complex rows[4][4] = {
      {d1 * i0d1 - i1d1, -d1 * kd1.k0 - kd1.k1, -i1e1, -ke1.k1},
      {i1d1, kd1.k1, i1e1 - e1 * i0e1, ke1.k1 + e1 * ke1.k0},
      {(i1d - d * i0d) / zone.rho, (kd.k1 + d * kd.k0) / zone.rho, i1e / zone.rho, ke.k1 / zone.rho},
      {i1d / zone.rho, kd.k1 / zone.rho, (i1e - e * i0e) / zone.rho, (ke.k1 + e * ke.k0) / zone.rho}};
  Complex A[16];  // by columns
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      if (!Finite(rows[i][j])) return out.su;
      A[i + 4 * j] = rows[i][j];
    }
  Complex C[4] = {{1.0f, 0.0f}, {1.0f, 0.0f}, {}, {}};
  Complex wa[4 * 4 + 4];
  Real wk[4];
  int ier = 0;
  LEQ2C(A, 4, 4, C, 1, 4, 0, wa, wk, ier, report);
  if (ier == 129) return out.su;

  const Complex t1 = C[0] * ((d1 * d1 + 2.0f) * i1d1 - d1 * i0d1) + C[1] * ((d1 * d1 + 2.0f) * kd1.k1 + d1 * kd1.k0) +
                     C[2] * (2.0f * i1e1 - e1 * i0e1) + C[3] * (2.0f * ke1.k1 + e1 * ke1.k0);
  const Complex t2 = C[0] * (2.0f * i1d1 - d1 * i0d1) + C[1] * (2.0f * kd1.k1 + d1 * kd1.k0) +
                     C[2] * ((e1 * e1 + 2.0f) * i1e1 - e1 * i0e1) + C[3] * ((e1 * e1 + 2.0f) * ke1.k1 + e1 * ke1.k0);
  const Complex t3 = C[0] * (d1 * i0d1 - 2.0f * i1d1) - C[1] * (2.0f * kd1.k1 + d1 * kd1.k0) -
                     C[2] * (2.0f * i1e1 - e1 * i0e1) - C[3] * (2.0f * ke1.k1 + e1 * ke1.k0);
  const Real m = std::trunc(2.0f * nu / (1.0f - 2.0f * nu));  // ν = 0.3 gives 1, not 1.5
  const Complex kz = kZoneStiffness * zone.modulus() * (t2 - eta * eta * t1 - (m + 1.0f) * t3);
  if (!Finite(kz)) return out.su;
  if (kz == Complex(0.0f, 0.0f)) return {};  // a zone without stiffness carries nothing
  const Complex den = 1.0f + out.su / kz;
  if (den == Complex(0.0f, 0.0f)) return out.su;
  const Complex su = out.su / den;
  return Finite(su) ? su : out.su;
}

}  // namespace

SideReactions SideLayerReactions(Real a0, Real nu, Real D, const WeakenedZone& zone, const std::array<Real, 4>& radii,
                                 bool belowShearCutOff, bool belowCompressionCutOff, Report& report) {
  SideReactions r{};
  const Real R0 = radii[0];
  if (!(a0 > 0.0f) || !std::isfinite(a0) || !std::isfinite(nu) || !std::isfinite(D) || !(R0 > 0.0f)) return r;
  for (Real radius : radii)
    if (!std::isfinite(radius)) return r;

  const Complex c = Sqrt(Complex(1.0f, D));
  const Complex one(1.0f, D);
  r.Su = HorizontalReaction(a0, nu, D, c, belowShearCutOff, report).su;
  r.Sw = VerticalReaction(a0, D, c, belowCompressionCutOff, report);
  r.SphiX = kPi * one * (1.0f + ZK0OverK1(ShearArgument(a0 * radii[1] / R0, c), report));
  r.SphiY = kPi * one * (1.0f + ZK0OverK1(ShearArgument(a0 * radii[2] / R0, c), report));
  r.Spsi = 2.0f * kPi * one * (2.0f + ZK0OverK1(ShearArgument(a0 * radii[3] / R0, c), report));

  // The weakened zone, where there is one: thickness, and a modulus other than the layer's.
  const Real tr = zone.thickness / R0;
  const bool hasZone = zone.thickness > 0.0f && std::isfinite(tr) && tr > 0.0f && std::isfinite(zone.shearRatio) &&
                       std::isfinite(zone.damping);
  if (hasZone) {
    Zone z{zone.shearRatio, zone.damping, 1.0f + tr, tr, zone.thickness / (R0 + zone.thickness), {}, {}};
    z.s2 = 1.0f - z.modulus() / one;
    if (Abs(z.s2) > kSameModulus) {
      if (!(z.mu > 0.0f)) return SideReactions{};  // a zone without stiffness: the footing is loose
      z.s = Sqrt(z.s2);
      r.Su = WeakHorizontal(a0, nu, D, c, z, belowShearCutOff, report);
      // The series converge only inside |ξ| < 1, where the zone's modulus vanishes:
      // a zone more than about twice as stiff as the layer keeps the homogeneous forms.
      if (Abs(z.s) < 1.0f) {
        Complex slope;
        if (SeriesSlope(Mode::kVertical, z, ShearArgument(std::max(a0 * z.rho, kVerticalFloor), c), slope, report)) {
          r.Sw = 2.0f * kPi * z.modulus() * slope;
          if (a0 < kHorizontalFloor) r.Sw.imag(r.Sw.imag() * a0 / kHorizontalFloor);
        }
        const Complex outer = ShearArgument(a0 * z.rho, c);
        if (SeriesSlope(Mode::kRocking, z, outer, slope, report)) r.SphiX = r.SphiY = kPi * z.modulus() * slope;
        if (SeriesSlope(Mode::kTorsion, z, outer, slope, report)) r.Spsi = 2.0f * kPi * z.modulus() * (1.0f + slope);
      }
    }
  }
  // nothing undefined leaves here
  for (Complex* v : {&r.Su, &r.Sw, &r.SphiX, &r.SphiY, &r.Spsi})
    if (!Finite(*v)) *v = {};
  return r;
}

void AddSideLayers(const ProblemData& p, int layers, Real omega, bool belowShearCutOff, bool belowCompressionCutOff,
                   ComplexMatrix6& A, Report& report) {
  const SideLayers& side = p.side;
  const std::array<Real, 4> radii = {p.geometry.EquivalentRadius(1), p.geometry.EquivalentRadius(2),
                                     p.geometry.EquivalentRadius(3), p.geometry.EquivalentRadius(4)};
  const Real xcg = p.constants.CentreOfGravityX, ycg = p.constants.CentreOfGravityY;
  const Real h = p.constants.CentreOfGravityHeight;
  const Real g = p.Gravity;
  const int n = std::clamp(layers, 0, kMaxLayers);

  Real bottom = 0.0f;  // z_i: the layer's bottom above the footing base
  for (int i = 1; i <= n; ++i) {
    const Real t = side.SideThickness(i), vs = side.SideShearWaveVelocity(i);
    const Real G = g > 0.0f ? vs * vs * side.SideUnitWeight(i) / g : 0.0f;
    const Real a0 = vs != 0.0f ? radii[0] * omega / vs : 0.0f;
    const WeakenedZone zone{side.CapShearRatio(i), side.CapPoissonRatio(i), side.CapDamping(i),
                            side.CapThicknessRatio(i)};
    const SideReactions s = SideLayerReactions(a0, side.SidePoissonRatio(i), side.SideDamping(i), zone, radii,
                                               belowShearCutOff, belowCompressionCutOff, report);

    const Real tg = t * G;
    ComplexMatrix6 element;
    element(1, 1) = element(2, 2) = tg * s.Su;
    element(3, 3) = tg * s.Sw;
    element(4, 4) = tg * radii[1] * radii[1] * s.SphiX;
    element(5, 5) = tg * radii[2] * radii[2] * s.SphiY;
    element(6, 6) = tg * radii[3] * radii[3] * s.Spsi;

    const RealMatrix6 T = RigidBodyTransformation(xcg, ycg, h, bottom + t / 2.0f);
    ComplexMatrix6 work;
    TransformImpedance(element, T, work);
    // rocking over the layer's height: L is the mean of (z − h)² across the layer
    const Real d = h - bottom;
    const Real L = t * t / 3.0f + d * d - t * d;
    work(4, 4) = L * element(2, 2) + ycg * ycg * element(3, 3) + element(4, 4);
    work(5, 5) = L * element(1, 1) + xcg * xcg * element(3, 3) + element(5, 5);

    for (int j = 1; j <= 6; ++j)
      for (int k = 1; k <= 6; ++k) A(k, j) += work(k, j);
    bottom += t;
  }
}

}  // namespace terva
