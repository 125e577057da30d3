#include "engine/impedance/half_space.hpp"

#include <cmath>

namespace terva {

HalfSpaceCoefficients HalfSpaceCoefficientsAt(Real a0, Real nu, Real D, const std::array<Real, 4>& radii) {
  // constants of the fitted functions, by Poisson's ratio
  const bool low = nu - 0.4f < 0.0f;
  const Real alpha = low ? 0.65f : 0.6f;
  const Real b1 = low ? 0.5f : 0.4f, b2 = 0.8f, b3 = low ? 0.0f : 0.027f;
  const Real g1 = low ? 0.35f : 0.0f, g2 = low ? 0.8f : 0.0f, g3 = low ? 0.0f : 0.17f, g4 = low ? 0.75f : 0.85f;

  const Real s = std::sqrt(1.0f + D * D);  // damping terms
  const Real p = std::sqrt((s - 1.0f) / 2.0f);
  const Real q = std::sqrt((s + 1.0f) / 2.0f);

  const Real r0 = radii[0];
  const Real ratio = r0 != 0.0f ? a0 / r0 : 0.0f;
  const Real aX = ratio * radii[1], aY = ratio * radii[2], aT = ratio * radii[3];  // a0·R/R0 per mode

  HalfSpaceCoefficients c;
  const Real h = 8.0f / (2.0f - nu);
  c.horizontal = Complex(h * (1.0f - alpha * a0 * p), h * (alpha * a0 * q + D));

  const Real ga = g2 * a0;
  const Real dv = s + 2.0f * g2 * a0 * p + ga * ga;
  const Real v = 4.0f / (1.0f - nu);
  c.vertical = Complex(v * (1.0f - g1 * (g2 * a0 * p + s) * ga * ga / dv - g4 * a0 * p - g3 * a0 * a0),
                       v * (a0 * (g4 * q + g1 * g2 * q * ga * ga / dv) + D));

  const Real r = 8.0f / (3.0f * (1.0f - nu));
  auto rocking = [&](Real a) {
    const Real ba = b2 * a;
    const Real dr = s + 2.0f * b2 * a * p + ba * ba;
    return Complex(r * (1.0f - b1 * (b2 * a * p + s) * ba * ba / dr - b3 * a * a),
                   r * (a * b1 * b2 * q * ba * ba / dr + D));
  };
  c.rockingX = rocking(aX);
  c.rockingY = rocking(aY);

  const Real t = 16.0f / 3.0f;
  const Real ta = 0.687f * aT;
  const Real dt = s + 2.0f * 0.687f * aT * p + ta * ta;
  c.torsion = Complex(t * (1.0f - 0.425f * (0.687f * aT * p + s) * ta * ta / dt),
                      t * (aT * 0.291975f * q * ta * ta / dt + D));  // 0.291975 = 0.425 × 0.687
  return c;
}

StratumImpedances StratumImpedancesAt(Real omega, const StratumSoil& soil, const std::array<Real, 5>& radii) {
  const Real E = soil.embedment, H = soil.depth, nu = soil.nu, D = soil.damping, Vs = soil.velocity;
  const Real beta = D / 2.0f;
  const Real R0 = radii[0], Rv = radii[1], RX = radii[2], RY = radii[3], RT = radii[4];

  const Real rho = soil.unitWeight / soil.gravity;      // mass density
  const Real G = rho * Vs * Vs;                          // shear modulus
  const Real lambda = 2.0f * G * nu / (1.0f - 2.0f * nu);
  const Real Vp = std::sqrt((lambda + 2.0f * G) / rho);  // compression wave velocity

  const Real fs = Vs / (4.0f * H), fp = Vp / (4.0f * H);  // stratum frequencies (Hz)
  const Real f = omega / (2.0f * 3.14159f);
  const Real rs = f / fs, rp = f / fp;

  const Real a0 = omega * R0 / Vs, aX = omega * RX / Vs, aY = omega * RY / Vs, aT = omega * RT / Vs;

  // static stiffnesses
  const Real Kh = 8.0f * G * R0 / (2.0f - nu) * (1.0f + R0 / (2.0f * H)) * (1.0f + 2.0f * E / (3.0f * R0)) *
                  (1.0f + 1.25f * E / H);
  const Real Kv = 4.0f * G * Rv / (1.0f - nu) * (1.0f + 1.28f * Rv / H) * (1.0f + 0.47f * E / Rv) *
                  (1.0f + (0.85f - 0.28f * E / Rv) * (E / H) / (1.0f - E / H));
  auto rockingStiffness = [&](Real R) {
    return 8.0f * G * R * R * R / (3.0f * (1.0f - nu)) * (1.0f + R / (6.0f * H)) * (1.0f + 2.0f * E / R) *
           (1.0f + 0.7f * E / H);
  };
  const Real KrX = rockingStiffness(RX), KrY = rockingStiffness(RY);
  const Real Kt = 16.0f * G * RT * RT * RT / 3.0f * (1.0f + 2.67f * E / RT);
  const Real KcX = (0.4f * E / RX - 0.03f) * RX * Kh;
  const Real KcY = (0.4f * E / RY - 0.03f) * RY * Kh;

  // damping and stiffness factors; later rules overwrite earlier ones
  Real cH = 0, cT = 0, cRX = 0, cRY = 0, cV = 0;
  if (rs <= 1.0f) {
    cH = 0.65f * beta * rs / (1.0f - (1.0f - D) * rs * rs);
    cT = cH * 0.2307692f;  // 3/13
  }
  if (rp <= 1.0f) {
    cRX = 0.5f * beta * rp / (1.0f - (1.0f - D) * rp * rp);
    cRY = cRX;
    cV = 1.34f * cRX;
  }
  if (rs > 1.0f) {
    cH = 0.6f;
    cT = 0.3f * aT * aT / (aT * aT + 2.0f);
  }
  if (rp > 1.0f) {
    cV = 0.85f;
    cRX = 0.3f * aX * aX / (aX * aX + 1.0f);
    cRY = 0.3f * aY * aY / (aY * aY + 1.0f);
  }
  Real kRX = aX < 2.5f ? 1.0f - 0.2f * aX : 0.5f;
  Real kRY = aY < 2.5f ? 1.0f - 0.2f * aY : 0.5f;
  if (nu >= 0.45f) {
    kRX = 1.0f - 0.2f * aX;
    kRY = 1.0f - 0.2f * aY;
  }
  const Real kT = aT < 3.0f ? 1.0f - 0.133f * aT : 0.6f;

  // (x + i·y)(1 + i·D)
  auto material = [D](Real x, Real y) { return Complex(x - D * y, D * x + y); };
  StratumImpedances z;
  z.horizontal = material(Kh, Kh * a0 * cH);
  z.vertical = material(Kv, Kv * a0 * cV);
  z.couplingX = material(KcX, KcX * a0 * cH);
  z.couplingY = material(-KcY, -KcY * a0 * cH);
  z.rockingX = material(KrX * kRX, KrX * aX * cRX);
  z.rockingY = material(KrY * kRY, KrY * aY * cRY);
  z.torsion = material(Kt * kT, Kt * aT * cT);
  return z;
}

}  // namespace terva
