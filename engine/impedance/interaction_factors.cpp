#include "engine/impedance/interaction_factors.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/core/elementary.hpp"

namespace terva {

namespace {

constexpr Real kTiny = std::numeric_limits<Real>::min();

Real Clamp(Real v, Real lo, Real hi) { return std::min(std::max(v, lo), hi); }

// log10 of a ratio that should be positive; non-positive or NaN values are
// taken as the smallest positive float so that the anchors stay finite.
Real SafeLog10(Real v) { return Log10(v > kTiny ? v : kTiny); }

// What every anchor of the vertical factor shares.
struct VerticalTerms {
  Real x, u, w, l, kappa, m, beta, f, fPrime, rho;
  bool far;
};

Real Anchor(Real alphaPrime, Real alpha2, Real C, Real weight) {
  C = std::max(C, 0.0f);
  const Real alphaSecond = alpha2 * C;
  return alphaPrime - (alphaPrime - alphaSecond) * weight;
}

Real Anchor100(const VerticalTerms& t) {
  const Real A = Clamp(3.0f - t.kappa, -1.3f, 1.0f);
  const Real B = Clamp(t.kappa - 2.0f, -0.3f, 1.0f);
  Real C = t.far ? 1.0f - 0.07f * B : 1.0f - (0.31f - 0.024f * t.x) * B;
  if (t.kappa > 3.0f) C *= (4.2f - t.kappa) / 1.2f;
  Real a1, a2;
  if (t.far) {
    a1 = (1.0f - ((0.658f - 2.46f * t.u) - (0.84f * t.u + 0.076f) * A) * A) * (4.63f - 19.4f * t.u) * t.u;
    a2 = (2.04f - 2.8f * t.u) * t.u;
  } else {
    a1 = (1.0f - ((0.032f * t.x + 0.092f) - (0.195f - 0.0035f * t.x) * A) * A) * (0.522f - 0.11f * t.l);
    a2 = 0.57f - 0.171f * t.l;
  }
  const Real Z = Clamp(0.58f * (t.kappa - 1.75f), 0.0f, 1.0f);
  const Real aPrime = ((0.37f - (1.51f - 2.81f * t.w) * t.w) * t.fPrime * Z + 1.0f) * a1;
  return Anchor(aPrime, a2, C, t.m);
}

Real Anchor50(const VerticalTerms& t) {
  const Real A = Clamp(3.0f - t.kappa, -1.32f, 1.27f);
  const Real B = Clamp(t.kappa - 2.0f, -0.14f, 1.0f);
  Real C = t.far ? 1.0f - 0.5f * B : 1.0f - (0.65f - 0.015f * t.x) * B;
  if (t.kappa > 3.0f) C *= 4.0f - t.kappa;
  Real a1, a2;
  if (t.far) {
    a1 = (1.0f - (0.47f - 1.4f * t.u) * A) * (4.4f - 15.6f * t.u) * t.u;
    a2 = (1.88f - 3.2f * t.u) * t.u;
  } else {
    a1 = (1.0f - (0.019f * t.x + 0.14f) * A) * (0.638f - 0.154f * t.l);
    a2 = 0.511f - 0.154f * t.l;
  }
  const Real Z = Clamp(0.58f * (t.kappa - 1.75f), 0.0f, 1.0f);
  const Real aPrime = ((0.37f - (1.51f - 2.81f * t.w) * t.w) * t.fPrime * Z + 1.0f) * a1;
  return Anchor(aPrime, a2, C, t.m);
}

Real Anchor25(const VerticalTerms& t) {
  const Real A = Clamp(3.0f - t.kappa, -0.28f, 1.73f);
  const Real B = std::max(t.kappa - 2.0f, -0.3f);
  const Real C = 1.0f - 0.72f * B;
  Real a1, a2;
  if (t.far) {
    a1 = (1.0f - 0.38f * A) * (3.765f - 10.2f * t.u) * t.u;
    a2 = (3.8f * t.u + 0.29f) * t.u;
  } else {
    a1 = (1.0f - (0.0125f * t.x + 0.255f) * A) * (0.712f - 0.19f * t.l);
    a2 = 0.32f - 0.11f * t.l;
  }
  const Real Z = Clamp(0.45f * (t.kappa - 1.0f), 0.0f, 1.0f);
  const Real aPrime = ((0.78f - (3.78f - 6.57f * t.w) * t.w) * t.fPrime * Z + 1.0f) * a1;
  return Anchor(aPrime, a2, C, t.m);
}

Real Anchor10(const VerticalTerms& t) {
  const Real A = Clamp(3.0f - t.kappa, 0.0f, 2.0f);
  const Real B = std::max(t.kappa - 2.0f, -1.0f);
  const Real C = 1.0f - 0.9f * B;
  Real a1, a2;
  if (t.far) {
    a1 = (1.0f - (0.465f - 2.7f * t.u) * A) * (1.8f - 2.0f * t.u) * t.u;
    a2 = 0.0327f * t.u;
  } else {
    a1 = (1.0f - ((0.005f * t.x + 0.06f) - (0.002f * t.x - 0.105f) * A) * A) * (0.72f - 0.244f * t.l);
    a2 = 0.123f - 0.052f * t.l;
  }
  const Real Z = Clamp(0.2f * t.kappa + 0.4f, 0.0f, 1.0f);
  const Real g = t.rho > 3.0f ? 2.0f : t.f;
  const Real aPrime = ((1.0f - (3.28f - 5.53f * t.w) * t.w) * g * Z + 1.0f) * a1;
  return Anchor(aPrime, a2, C, std::min(0.4f * t.beta, 1.0f));
}

Real Lerp(Real lambda, Real lo, Real hi, Real vLo, Real vHi) { return vLo + (vHi - vLo) * (lambda - lo) / (hi - lo); }

// Linear interpolation in the spacing ratio on the two lines through the
// values at 2 and 5 (spacings up to 5, extrapolated below 2) and at 5 and 10
// (above 5, extrapolated beyond 10).
Real OnSpacingLines(const std::array<Real, 3>& v, Real x) {
  return x <= 5.0f ? v[0] + (v[1] - v[0]) * (x - 2.0f) / 3.0f : v[1] + (v[2] - v[1]) * (x - 5.0f) / 5.0f;
}

Complex Phasor(Real alpha, Real amplitude, Real phi) {
  const Real m = alpha * amplitude;
  return Complex(m * Cos(phi), -m * Sin(phi));
}

// Horizontal fit constants, by factor k = 1..3.
constexpr std::array<Real, 3> kC1{0.41f, 0.174f, 0.067f}, kE1{0.095f, 0.163f, 0.202f}, kE2{0.725f, 1.095f, 1.24f};
constexpr std::array<Real, 3> kC2{0.203f, 0.05f, 0.02f}, kE3{0.134f, 0.25f, 0.271f}, kE4{0.838f, 1.315f, 1.42f};
constexpr std::array<Real, 3> kDelta{0.0757f, 0.05157f, 0.02596f};  // phase shift of α1, α2, α3

}  // namespace

Real StaticVerticalFactor(Real spacing, const VerticalFactorRatios& r) {
  const Real x = spacing;
  if (!(x > 0.0f)) return 1.0f;
  VerticalTerms t;
  t.x = x;
  t.u = 1.0f / x;
  t.w = std::min(t.u, 0.3f);
  t.l = Log(x);
  t.kappa = SafeLog10(r.stiffness);
  t.beta = std::max(SafeLog10(r.baseRatio), 0.0f);
  t.m = std::min(0.5f * t.beta, 1.0f);
  t.rho = r.radiusRatio;
  t.f = std::max(t.rho - 1.0f, 0.0f);
  t.fPrime = t.rho > 2.0f ? 1.0f : t.f;
  t.far = x > 10.0f;

  const Real lambda = r.slenderness;
  Real alpha;
  if (lambda >= 100.0f)
    alpha = Anchor100(t);
  else if (lambda > 50.0f)
    alpha = Lerp(lambda, 50.0f, 100.0f, Anchor50(t), Anchor100(t));
  else if (lambda > 25.0f)
    alpha = Lerp(lambda, 25.0f, 50.0f, Anchor25(t), Anchor50(t));
  else if (lambda > 10.0f)
    alpha = Lerp(lambda, 10.0f, 25.0f, Anchor10(t), Anchor25(t));
  else
    alpha = Anchor10(t);  // also a NaN slenderness
  return alpha * (1.0f + 0.16f * (0.5f - r.poisson) * (std::sqrt(x) - 1.0f));
}

HorizontalStaticFactors StaticHorizontalFactors(Real spacing, Real flexuralRatio, Real freeLength) {
  HorizontalStaticFactors f;
  if (!(spacing > 0.0f)) {
    f.at0.fill(1.0f);
    f.at90.fill(1.0f);
    return f;
  }
  const Real KR = flexuralRatio > 0.0f ? flexuralRatio : 0.0f;  // a power of a negative ratio has no value
  const Real ds = 1.0f / spacing;
  for (int k = 0; k < 3; ++k) {
    if (k == 0 && ds < 0.2f) {  // wide spacing: α1 falls off linearly in d/s
      f.at0[0] = kC1[0] * Pow(KR, kE1[0]) * Pow(0.2f, kE2[0]) * ds / 0.2f;
      f.at90[0] = kC2[0] * Pow(KR, kE3[0]) * Pow(0.2f, kE4[0]) * ds / 0.2f;
    } else {
      f.at0[k] = kC1[k] * Pow(KR, kE1[k]) * Pow(ds, kE2[k]);
      f.at90[k] = kC2[k] * Pow(KR, kE3[k]) * Pow(ds, kE4[k]);
    }
    if (freeLength != 0.0f) {
      f.at0[k] *= 1.0f - 0.125f * freeLength;
      f.at90[k] *= 1.0f - 0.125f * freeLength;
    }
  }
  return f;
}

std::array<Real, 3> BlendHorizontal(const HorizontalStaticFactors& f, Real psi) {
  const Real s = Sin(psi), c = Cos(psi);
  std::array<Real, 3> a{};
  for (int k = 0; k < 3; ++k) a[k] = s * s * f.at90[k] + c * c * f.at0[k];
  return a;
}

DynamicFits::DynamicFits(Real a0) : a0_(a0), a_(std::min(a0, 1.0f)) {
  const Real a = a_, a2 = a * a, a3 = a2 * a, a4 = a3 * a;
  const bool low = a <= 0.25f;
  const Real b = a - 0.25f;  // beyond the quadratic part of the phase fits

  // vertical
  amp_[0] = {Exp(-0.42f * a + 0.24f * a2), Exp(-0.74f * a + 0.35f * a2), Exp(-0.5f * a)};
  phase_[0] = low ? std::array<Real, 3>{3.786f * a - 5.2f * a2, 7.2f * a - 5.54f * a2, 12.29f * a - 3.31f * a2}
                  : std::array<Real, 3>{1.7f * b + 0.6215f, 4.7f * b + 1.45375f, 9.78f * b + 2.865625f};

  // α1, ψ = 0
  amp_[1] = {1 + 0.424f * a - 0.362f * a2, 1 + 0.135f * a + 0.495f * a2 - 0.878f * a3,
             1 - 0.876f * a + 2.23f * a2 - 2.13f * a3};
  const Real p10 = a < 0.6f ? 5.54f * a : (a <= 0.9f ? 6.571f * (a - 0.6f) + 3.324f : 0.867f * (a - 0.9f) + 5.2953f);
  phase_[1] = {1.082f * a, 2.9f * a, p10};
  // α2, ψ = 0
  amp_[2] = {1 + 0.16f * a + 5.45f * a2 - 10.54f * a3 + 5.35f * a4, 1 - 0.11f * a + 11.55f * a2 - 20.84f * a3 + 10 * a4,
             1 + 0.53f * a + 14.99f * a2 - 23.69f * a3 + 8.22f * a4};
  phase_[2] = {0.078f * a + 1.554f * a2 - 0.57f * a3, 0.565f * a + 4.203f * a2 - 1.92f * a3,
               1.798f * a + 6.913f * a2 - 3.027f * a3};
  // α3, ψ = 0
  amp_[3] = {1 - 0.055f * a + 4.995f * a2 - 8.835f * a3 + 4.22f * a4,
             1 - 0.19f * a + 12.48f * a2 - 22.9f * a3 + 11.19f * a4, 1 + 1.785f * a + 4.16f * a2 - 5.21f * a3};
  phase_[3] = {-0.037f * a + 1.846f * a2 - 0.77f * a3, 0.112f * a + 5.025f * a2 - 2.481f * a3,
               0.352f * a + 8.583f * a2 - 3.72f * a3};

  // α1, ψ = 90°
  const Real a5 = 1 - 0.84f * a + 4.725f * a2 - 3.125f * a3;
  amp_[4] = {1 + 0.442f * a - 0.144f * a2, a5, a5};
  phase_[4] = {1.976f * a, 4.886f * a, a <= 0.5f ? 9.934f * a : 9.244f * (a - 0.5f) + 4.967f};
  // α2, ψ = 90°
  amp_[5] = {1 + 0.098f * a + 7.95f * a2 - 13.95f * a3 + 6.71f * a4, 1 + 1.47f * a + 8.73f * a2 - 6.89f * a3,
             1 - 1.56f * a + 27.63f * a2 - 20.57f * a3};
  phase_[5] = low ? std::array<Real, 3>{0.12f * a + 2.62f * a2, 0.83f * a + 9.56f * a2, 0.85f * a + 28.4f * a2}
                  : std::array<Real, 3>{2.21f * b + 0.19375f, 5.5f * b + 0.805f, 9.77f * b + 1.9875f};
  // α3, ψ = 90°
  amp_[6] = {1 + 0.69f * a + 5.48f * a2 - 9.82f * a3 + 4.42f * a4,
             1 + 0.572f * a + 13.12f * a2 - 12.82f * a3 + 2.46f * a4, 1 - 2.14f * a + 25.3f * a2 - 17.35f * a3};
  phase_[6] = low ? std::array<Real, 3>{2.67f * a2, 0.34f * a + 8.03f * a2, -0.52f * a + 27.24f * a2}
                  : std::array<Real, 3>{2.29f * b + 0.166875f, 5.69f * b + 0.586875f, 10.17f * b + 1.5725f};
}

Complex DynamicFits::Vertical(Real alpha, Real spacing) const {
  const Real x = spacing, excess = a0_ - a_;  // excess: 0 up to a0 = 1
  Real amplitude = x > 10.0f ? Exp(-0.05f * x * a_) : OnSpacingLines(amp_[0], x);
  Real phi = OnSpacingLines(phase_[0], x) - 0.0936f;
  if (excess > 0.0f) {
    amplitude *= Exp(-0.05f * x * excess);
    phi += x * excess;
  }
  return Phasor(alpha, amplitude, phi);
}

void DynamicFits::Horizontal(const HorizontalStaticFactors& alpha, Real spacing, std::array<Complex, 3>& at0,
                             std::array<Complex, 3>& at90) const {
  const Real x = spacing, xc = std::min(x, 10.0f), excess = a0_ - a_;
  // decay beyond a0 = 1 (c = 0.028 at ψ = 0, 0.05 at 90°), and the extra fall-off of α1 beyond s/d = 10
  const Real decay0 = excess > 0.0f ? Exp(-0.028f * x * excess) : 1.0f;
  const Real decay90 = excess > 0.0f ? Exp(-0.05f * x * excess) : 1.0f;
  const Real beyond0 = x > xc ? Exp(-0.028f * a_ * (x - xc)) : 1.0f;
  const Real beyond90 = x > xc ? Exp(-0.05f * a_ * (x - xc)) : 1.0f;
  for (int k = 0; k < 3; ++k) {
    const Real amp0 = OnSpacingLines(amp_[1 + k], xc) * decay0 * (k == 0 ? beyond0 : 1.0f);
    const Real amp90 = OnSpacingLines(amp_[4 + k], xc) * decay90 * (k == 0 ? beyond90 : 1.0f);
    const Real phi0 = OnSpacingLines(phase_[1 + k], x) - kDelta[k] + 0.554f * x * excess;
    const Real phi90 = OnSpacingLines(phase_[4 + k], x) - kDelta[k] + x * excess;
    at0[k] = Phasor(alpha.at0[k], amp0, phi0);
    at90[k] = Phasor(alpha.at90[k], amp90, phi90);
  }
}

}  // namespace terva
