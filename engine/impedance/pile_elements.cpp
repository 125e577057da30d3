// The pile's element stiffnesses: the axial and torsional rod and the bending
// element with shear flexibility, axial load and rotary inertia, each by its
// closed form in the wave numbers, the bending element also by the transfer
// matrix of its first-order equations where the closed form loses accuracy.
#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

#include "engine/core/elementary.hpp"
#include "engine/impedance/single_pile.hpp"

namespace terva {

namespace {


constexpr Complex kZero(0.0f, 0.0f);
constexpr Complex kI(0.0f, 1.0f);

// cos z and sin z divided by e^|Im z|, with that exponent: bounded for every z,
// so that ratios of products of circular and hyperbolic functions never
// overflow.
struct ScaledTrig {
  Complex c, s;
  Real decay;  // e^-|Im z|
};

ScaledTrig Trig(Complex z) {
  const Real x = z.real(), y = z.imag();
  const Real m = Expm1(-2.0f * Abs(y));  // e^-2|y| − 1, exact also for small y
  const Real ch = 1.0f + 0.5f * m;                 // cosh y / e^|y|
  const Real sh = std::copysign(-0.5f * m, y);     // sinh y / e^|y|
  const Real cx = Cos(x), sx = Sin(x);
  return {Complex(cx * ch, -sx * sh), Complex(sx * ch, cx * sh), Exp(-Abs(y))};
}

// ---------------------------------------------------------------------------
// Bending: the closed form in the wave numbers.

bool ClosedFormBending(const BendingSegment& g, Complex rho1, Complex rho2, Complex Q, Complex sp1, ElementMatrix4& K) {
  const Real L = g.length;
  const Complex EI = g.rigidity, s = g.shearFlexibility;

  // circular functions of ρ1, hyperbolic functions of ρ2 (cos(iρ2), −i·sin(iρ2)),
  // each scaled by its growth; inv1, inv2 are the reciprocal growths.
  const ScaledTrig t1 = Trig(rho1), t2 = Trig(kI * rho2);
  const Complex C = t1.c, S = t1.s, Ch = t2.c, Sh = -kI * t2.s;
  const Real inv1 = t1.decay, inv2 = t2.decay, invBoth = inv1 * inv2;

  const Complex g1 = EI * s * rho2 * rho2 / (L * L * Q), g2 = EI * s * rho1 * rho1 / (L * L * Q);
  const Complex a1 = (Complex(1.0f) - g1) * rho1 / sp1, a2 = (Complex(1.0f) + g2) * rho2 / sp1;
  const Complex r12Q = rho1 * rho2 / Q;
  const Complex cc1 = C * Ch - invBoth;  // (cos ρ1·cosh ρ2 − 1), scaled
  const Complex first = S * Sh * (a1 * a1 - a2 * a2), second = 2.0f * r12Q * cc1;
  const Complex D0 = first + second;
  // a segment held at both ends at one of its natural frequencies: D0 vanishes
  if (Abs(D0) <= 8.0f * FLT_EPSILON * (Abs(first) + Abs(second)) || !Finite(D0)) return false;

  // F carries the factor 1/(1 + s·P) that makes the matrix the segment's exact
  // stiffness also under axial load with shear flexibility: without it a rigid
  // translation of an unsupported segment would produce end moments.
  const Complex F = (EI / L) * (rho1 * rho1 + rho2 * rho2) / (D0 * sp1);
  const Complex G = F * r12Q;
  const Complex K0 = -(C * Sh * a2 + S * Ch * a1) * G;
  const Complex Km1 = (S * a1 * inv2 + Sh * a2 * inv1) * G;
  const Complex K1 = (EI / L) * r12Q * (S * Sh * (a1 * rho2 + a2 * rho1) + (a2 * rho2 - a1 * rho1) * cc1) / D0;
  const Complex K2 = (C * inv2 - Ch * inv1) * G;
  const Complex K3 = (C * Sh * a1 - S * Ch * a2) * F;
  const Complex K4 = (S * a2 * inv2 - Sh * a1 * inv1) * F;

  const Real L2 = L * L;
  const ElementMatrix4 k = {{{K0 / L2, K1 / L, Km1 / L2, -K2 / L},
                             {K1 / L, K3, K2 / L, K4},
                             {Km1 / L2, K2 / L, K0 / L2, -K1 / L},
                             {-K2 / L, K4, -K1 / L, K3}}};
  for (const auto& row : k)
    for (const Complex& v : row)
      if (!Finite(v)) return false;
  K = k;
  return true;
}

// ---------------------------------------------------------------------------
// Bending: the transfer matrix of the segment's first-order equations.
//
// With the deflection w, the section rotation ψ, the transverse force V and the
// moment M (V and M the forces that the part below a section exerts on the part
// above it), the segment obeys
//   w' = (1 + s·P)·ψ + s·V,   ψ' = M/EI,   V' = −q·w,
//   M' = −(1 + s·P)·V − (P·(1 + s·P) + Jr)·ψ,
// whose wave numbers are those of the closed form. In the dimensionless state
// (w/L, ψ, V·L²/EI, M·L/EI) over ξ = x/L the matrix of the system has no
// division by s, so it also serves s = 0.

using Matrix4 = std::array<std::array<Complex, 4>, 4>;

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
  Matrix4 c{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      Complex sum = kZero;
      for (int k = 0; k < 4; ++k) sum += a[i][k] * b[k][j];
      c[i][j] = sum;
    }
  return c;
}

// exp(A) by scaling and squaring with a Taylor polynomial.
Matrix4 Exponential(Matrix4 a) {
  Real norm = 0.0f;
  for (const auto& row : a) {
    Real sum = 0.0f;
    for (const Complex& v : row) sum += Abs(v);
    norm = std::max(norm, sum);
  }
  int squarings = 0;
  while (norm > 0.5f && squarings < 100) {
    norm *= 0.5f;
    ++squarings;
  }
  const Real scale = std::ldexp(1.0f, -squarings);
  for (auto& row : a)
    for (Complex& v : row) v *= scale;

  Matrix4 result{}, term{};
  for (int i = 0; i < 4; ++i) result[i][i] = term[i][i] = Complex(1.0f);
  for (int n = 1; n <= 12; ++n) {
    term = Multiply(term, a);
    for (auto& row : term)
      for (Complex& v : row) v /= static_cast<Real>(n);
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) result[i][j] += term[i][j];
  }
  for (int k = 0; k < squarings; ++k) result = Multiply(result, result);
  return result;
}

bool TransferBending(const BendingSegment& g, Complex sp1, ElementMatrix4& K) {
  const Real L = g.length;
  const Complex EI = g.rigidity;
  const Complex sigma = g.shearFlexibility * EI / (L * L);
  const Complex kappa = g.netInertia * (L * L * L * L) / EI;
  const Complex rot = (g.axialLoad * sp1 + g.netRotaryInertia) * (L * L) / EI;

  Matrix4 a{};
  a[0][1] = sp1;
  a[0][2] = sigma;
  a[1][3] = Complex(1.0f);
  a[2][0] = -kappa;
  a[3][1] = -rot;
  a[3][2] = -sp1;
  for (const auto& row : a)
    for (const Complex& v : row)
      if (!Finite(v)) return false;
  const Matrix4 phi = Exponential(a);

  // end forces from end motions: f0 = Φ12⁻¹·(dL − Φ11·d0), fL = Φ21·d0 + Φ22·f0
  const Complex det = phi[0][2] * phi[1][3] - phi[0][3] * phi[1][2];
  if (det == kZero || !Finite(det)) return false;
  const Complex inv[2][2] = {{phi[1][3] / det, -phi[0][3] / det}, {-phi[1][2] / det, phi[0][2] / det}};
  Complex x0[2][2], x1[2][2];  // f0 = X0·d0 + X1·dL
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) {
      x1[i][j] = inv[i][j];
      x0[i][j] = -(inv[i][0] * phi[0][j] + inv[i][1] * phi[1][j]);
    }
  Complex hat[4][4];  // nodal forces: −f0 at the upper node, fL at the lower node
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) {
      hat[i][j] = -x0[i][j];
      hat[i][j + 2] = -x1[i][j];
      hat[i + 2][j] = phi[2 + i][j] + phi[2 + i][2] * x0[0][j] + phi[2 + i][3] * x0[1][j];
      hat[i + 2][j + 2] = phi[2 + i][2] * x1[0][j] + phi[2 + i][3] * x1[1][j];
    }
  // back to dimensions; the element's rotation is counted opposite to ψ
  const Real force[4] = {1.0f / (L * L), 1.0f / L, 1.0f / (L * L), 1.0f / L};
  const Real motion[4] = {1.0f / L, 1.0f, 1.0f / L, 1.0f};
  const Real sign[4] = {1.0f, -1.0f, 1.0f, -1.0f};
  ElementMatrix4 k{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      k[i][j] = EI * hat[i][j] * (force[i] * motion[j] * sign[i] * sign[j]);
      if (!Finite(k[i][j])) return false;
    }
  K = k;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------

bool RodElementStiffness(Complex rigidity, Complex netInertia, Real length, RodStiffness& k) {
  if (!(length > 0.0f) || !Finite(length) || rigidity == kZero || !Finite(rigidity) || !Finite(netInertia))
    return false;
  const Complex lambda = Sqrt(netInertia / rigidity);
  const Complex z = lambda * length;
  Complex lamCot, lamCsc;  // λ·cot(λL), λ/sin(λL)
  if (Abs(z) < 0.1f) {
    const Complex z2 = z * z;
    lamCot = (Complex(1.0f) - z2 / 3.0f - z2 * z2 / 45.0f) / length;
    lamCsc = (Complex(1.0f) + z2 / 6.0f + 7.0f * z2 * z2 / 360.0f) / length;
  } else {
    const ScaledTrig t = Trig(z);
    if (Abs(t.s) <= 2.0f * FLT_EPSILON * (1.0f + Abs(z))) return false;  // sin(λL) = 0
    lamCot = lambda * t.c / t.s;
    lamCsc = lambda * t.decay / t.s;
  }
  const RodStiffness r{rigidity * lamCot, -rigidity * lamCsc};
  if (!Finite(r.k11) || !Finite(r.k12)) return false;
  k = r;
  return true;
}

bool BendingElementStiffness(const BendingSegment& g, ElementMatrix4& K, BendingForm form) {
  const Real L = g.length;
  if (!(L > 0.0f) || !Finite(L) || g.rigidity == kZero || !Finite(g.rigidity) || !Finite(g.shearFlexibility) ||
      !Finite(g.axialLoad) || !Finite(g.netInertia) || !Finite(g.netRotaryInertia))
    return false;
  const Complex EI = g.rigidity, s = g.shearFlexibility, q = g.netInertia, P = g.axialLoad;
  const Complex sp1 = Complex(1.0f) + s * P;
  if (form == BendingForm::kTransferMatrix) return TransferBending(g, sp1, K);

  // wave numbers: ρ1² and −ρ2² are the roots of x² − T·x − U/4; the smaller of
  // (W ± T)/2 follows from their product U/4 without cancellation
  const Complex B = g.netRotaryInertia + P * (Complex(1.0f) + P * s);
  const Complex Q = Complex(1.0f) - (g.netRotaryInertia - P) * s;
  const Complex T = L * L * (B / EI + q * s);
  const Complex U = 4.0f * L * L * L * L * Q * q / EI;
  const Complex W = Sqrt(T * T + U);
  const Complex wp = W + T, wm = W - T;
  Complex r1sq, r2sq;
  if (Abs(wp) >= Abs(wm)) {
    r1sq = 0.5f * wp;
    r2sq = wp == kZero ? kZero : 0.5f * U / wp;
  } else {
    r2sq = 0.5f * wm;
    r1sq = 0.5f * U / wm;
  }
  const Complex rho1 = Sqrt(r1sq), rho2 = Sqrt(r2sq);
  const bool closedFormUsable = Finite(rho1) && Finite(rho2) && Abs(Q) > 1e-2f && Abs(sp1) > 1e-2f;
  if (form == BendingForm::kClosedForm) return closedFormUsable && ClosedFormBending(g, rho1, rho2, Q, sp1, K);
  // the closed form loses its accuracy to cancellation when both wave numbers
  // are small, and is indeterminate when one of them vanishes (no mass and no
  // support); the transfer matrix is accurate up to wave numbers of a few units
  const Real largest = std::max(Abs(rho1), Abs(rho2));
  if (!closedFormUsable || largest < 1.0f) return TransferBending(g, sp1, K);
  if (ClosedFormBending(g, rho1, rho2, Q, sp1, K)) return true;
  return largest <= 6.0f && TransferBending(g, sp1, K);
}
}  // namespace terva
