#include "engine/impedance/single_pile.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

#include "engine/numerics/banded_solver.hpp"
#include "engine/impedance/half_space.hpp"
#include "engine/impedance/side_layers.hpp"
#include "engine/report/report.hpp"
#include "engine/report/report_format.hpp"

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
  const Real m = std::expm1(-2.0f * std::abs(y));  // e^-2|y| − 1, exact also for small y
  const Real ch = 1.0f + 0.5f * m;                 // cosh y / e^|y|
  const Real sh = std::copysign(-0.5f * m, y);     // sinh y / e^|y|
  const Real cx = std::cos(x), sx = std::sin(x);
  return {Complex(cx * ch, -sx * sh), Complex(sx * ch, cx * sh), std::exp(-std::abs(y))};
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
  if (std::abs(D0) <= 8.0f * FLT_EPSILON * (std::abs(first) + std::abs(second)) || !Finite(D0)) return false;

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
    for (const Complex& v : row) sum += std::abs(v);
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

// ---------------------------------------------------------------------------
// The chain.

// Groups of head modes that break down together, as bits of Faults::failed.
enum ModeGroup : int { kAxialGroup = 1, kTorsionGroup = 2, kBendingGroup = 4, kAllGroups = 7, kFreeHeadGroup = 8 };

struct Faults {
  Report& report;
  int failed = 0;  // mode groups that broke down
  void Fail(int groups, const std::string& text) {
    if ((failed & groups) == groups) return;  // already reported for these modes
    failed |= groups;
    report.Line(text);
  }
};

std::string ModesText(int groups) {
  switch (groups) {
    case kAxialGroup:
      return "VERTICAL PILE IMPEDANCE";
    case kTorsionGroup:
      return "TORSIONAL PILE IMPEDANCE";
    case kBendingGroup:
      return "HORIZONTAL PILE IMPEDANCES";
    case kAxialGroup | kBendingGroup:
      return "VERTICAL AND HORIZONTAL PILE IMPEDANCES";
    case kFreeHeadGroup:
      return "FREE-HEAD HORIZONTAL PILE IMPEDANCE";
    default:
      return "PILE IMPEDANCE";
  }
}

std::string ElementFault(int element, const char* what, int modes) {
  return "*** PILE ELEMENT " + std::to_string(element) + " " + what + " - " + ModesText(modes) + " SET TO ZERO ***";
}

std::string FrequencyFault(const std::string& what, Real omega, int modes) {
  return fmt::Line("*** ")
      .A(what)
      .A(" AT ")
      .PE(omega, 10, 3)
      .A(" RAD/SEC - ")
      .A(ModesText(modes))
      .A(" SET TO ZERO ***")
      .str();
}

// Axial or torsional chain: head impedance for a unit head motion.
bool SolveRodChain(const RodStiffness* e, int n, Complex tip, Complex& head) {
  if (n == 1) {
    const Complex d = e[0].k11 + tip;
    if (d == kZero) return false;
    const Complex u = -e[0].k12 / d;
    head = e[0].k11 + e[0].k12 * u;
    return Finite(head);
  }
  ComplexBandMatrix a;
  if (!a.Reset(n, 1, 1)) return false;
  for (int j = 0; j < n; ++j) {  // node j + 2
    a.At(j, j) = e[j].k11 + (j + 1 < n ? e[j + 1].k11 : tip);
    if (j + 1 < n) a.At(j, j + 1) = a.At(j + 1, j) = e[j + 1].k12;
  }
  std::array<Complex, ComplexBandMatrix::kMaxOrder> b{};
  b[0] = e[0].k12;  // coupling of node 2 to the unit head motion
  if (!SolveBand(a, b.data(), 1)) return false;
  head = e[0].k11 - e[0].k12 * b[0];  // displacements are the negated solutions
  return Finite(head);
}

struct BendingHead {
  Complex horizontal, rocking, coupling, free;
};

// Bending chain: (w, θ) per node below the head; the head is moved by a unit
// deflection (rotation held) and by a unit rotation (deflection held).
bool SolveBendingChain(const ElementMatrix4* e, int n, Complex tipH, Complex tipR, BendingHead& head,
                       bool& freeHeadFailed) {
  std::array<Complex, 2 * ComplexBandMatrix::kMaxOrder> x{};  // two right-hand sides of order 2n
  const int order = 2 * n;
  const ElementMatrix4& k = e[0];
  if (n == 1) {
    const Complex a11 = k[2][2] + tipH, a12 = k[2][3], a21 = k[3][2], a22 = k[3][3] + tipR;
    const Complex det = a11 * a22 - a12 * a21;
    if (det == kZero || !Finite(det)) return false;
    for (int c = 0; c < 2; ++c) {
      const Complex b1 = k[2][c], b2 = k[3][c];
      x[static_cast<size_t>(c * order)] = (a22 * b1 - a12 * b2) / det;
      x[static_cast<size_t>(c * order + 1)] = (a11 * b2 - a21 * b1) / det;
    }
  } else {
    ComplexBandMatrix a;
    if (!a.Reset(order, 3, 3)) return false;
    for (int el = 0; el < n; ++el)
      for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
          const int row = 2 * (el - 1) + r, col = 2 * (el - 1) + c;  // unknowns start at node 2
          if (row >= 0 && col >= 0) a.At(row, col) += e[el][r][c];
        }
    a.At(order - 2, order - 2) += tipH;
    a.At(order - 1, order - 1) += tipR;
    for (int c = 0; c < 2; ++c) {
      x[static_cast<size_t>(c * order)] = k[2][c];
      x[static_cast<size_t>(c * order + 1)] = k[3][c];
    }
    if (!SolveBand(a, x.data(), 2)) return false;
  }
  // head forces with the negated solutions at node 2
  auto force = [&](int row, int c) {
    return k[row][c] - k[row][2] * x[static_cast<size_t>(c * order)] -
           k[row][3] * x[static_cast<size_t>(c * order + 1)];
  };
  head.horizontal = force(0, 0);
  head.coupling = force(1, 0);
  head.rocking = force(1, 1);
  const Complex shearOfRotation = force(0, 1);
  freeHeadFailed = head.rocking == kZero;
  head.free = freeHeadFailed ? kZero : head.horizontal - shearOfRotation / head.rocking * shearOfRotation;
  return Finite(head.horizontal) && Finite(head.coupling) && Finite(head.rocking) && Finite(head.free);
}

// ---------------------------------------------------------------------------
// One run of the single-pile computation, step by step.

// The elements of one run: axial, torsional and bending stiffness per layer,
// and the radius of the lowest element, which stands on the tip soil.
struct ChainElements {
  std::array<RodStiffness, kMaxLayers> axial{}, torsion{};
  std::array<ElementMatrix4, kMaxLayers> bending{};
  Real tipRadius = 0.0f;
};

// The soil around element i: its reactions and its shear modulus (0 for a
// layer without one, which then gives no reaction).
struct ElementSoil {
  SideReactions reactions{kZero, kZero, kZero, kZero, kZero};
  Real G = 0.0f;
};

ElementSoil SoilAround(const ProblemData& p, int i, Real omega, Real r, bool pileElement, bool belowShear,
                       bool belowCompression, Report& report) {
  ElementSoil soil;
  const Real vs = p.soil.ShearWaveVelocity(i), nu = p.soil.SoilPoissonRatio(i), D = p.soil.SoilDamping(i);
  const Real Gs = vs * vs * p.soil.SoilUnitWeight(i) / p.Gravity;
  if (Gs > 0.0f && Finite(Gs)) {
    const Real a0 = omega * r / vs;
    WeakenedZone zone;  // soil elements of a multilayer foundation have none
    if (pileElement) {
      zone.shearRatio = p.weak.WeakShearRatio(i);
      zone.poisson = p.weak.WeakPoissonRatio(i);
      zone.damping = p.weak.WeakDamping(i);
      zone.thickness = p.weak.WeakThicknessRatio(i);
    }
    soil.reactions = SideLayerReactions(a0, nu, D, zone, {r, r, r, r}, belowShear, belowCompression, report);
    soil.G = Gs;
  }
  return soil;
}

// The material of element i: the pile's, or the layer's soil below a
// multilayer foundation. A is the element's area, soilG the layer's shear
// modulus. False, with the fault reported, when it has no elastic modulus.
struct ElementMaterial {
  Real E = 0.0f, G = 0.0f, unitWeight = 0.0f;
  Complex factor;  // 1 + i·D
  Complex s;       // shear flexibility f/(G·A)
};

bool MaterialOf(const ProblemData& p, int i, bool pileElement, Real soilG, Real A, Faults& faults,
                ElementMaterial& m) {
  const FoundationConstants& fc = p.constants;
  if (pileElement) {
    m.E = fc.YoungsModulus;
    m.G = m.E / (2.0f * (1.0f + fc.PilePoissonRatio));
    m.unitWeight = fc.PileUnitWeight;
    m.factor = Complex(1.0f, fc.PileDamping);
    if (!(m.E > 0.0f) || !(m.G > 0.0f) || !Finite(m.E) || !Finite(m.G)) {
      faults.Fail(kAllGroups, "*** PILE MATERIAL HAS NO ELASTIC MODULUS - PILE IMPEDANCE SET TO ZERO ***");
      return false;
    }
    m.s = A > 0.0f ? Complex(fc.RigidityCoefficient / (m.G * A)) : kZero;
  } else {
    m.G = p.soil.ShearModulusRatio(i) * soilG;
    m.E = 2.0f * m.G * (1.0f + p.soil.SoilPoissonRatio(i));
    m.unitWeight = p.soil.SoilUnitWeight(i);
    m.factor = Complex(1.0f, p.soil.SoilDamping(i) * p.soil.DampingRatio(i));
    if (!(m.E > 0.0f) || !(m.G > 0.0f) || !Finite(m.E) || !Finite(m.G)) {
      faults.Fail(kAllGroups, ElementFault(i, "HAS NO SHEAR MODULUS", kAllGroups));
      return false;
    }
    m.s = A > 0.0f ? fc.RigidityCoefficient / (m.G * A * m.factor) : kZero;
  }
  return true;
}

// Every element of the chain. A mode whose element cannot be formed is
// reported and marked failed; false when the whole pile fails (no elements,
// no gravity, an element without length, radius or modulus).
bool FormElements(const ProblemData& p, Real omega, const PileModel& model, PileRun run, Faults& faults,
                  ChainElements& e) {
  const int n = model.layers;
  if (n < 1) {
    faults.Fail(kAllGroups, "*** PILE HAS NO ELEMENTS - PILE IMPEDANCE SET TO ZERO ***");
    return false;
  }
  if (n > kMaxLayers) {
    faults.Fail(kAllGroups,
                "*** MORE THAN " + std::to_string(kMaxLayers) + " PILE ELEMENTS - PILE IMPEDANCE SET TO ZERO ***");
    return false;
  }
  const Real g = p.Gravity;
  if (!(g > 0.0f) || !Finite(g)) {
    faults.Fail(kAllGroups, "*** NO GRAVITATIONAL CONSTANT - PILE IMPEDANCE SET TO ZERO ***");
    return false;
  }

  const bool multilayer = model.soilCode == -1;
  const int pileElements = multilayer ? std::clamp(model.adjacent, 0, n) : n;
  const bool belowShear = omega <= model.shearCutOff, belowCompression = omega <= model.compressionCutOff;
  const Real w2 = omega * omega;
  const PileSections& sec = p.sections;

  for (int i = 1; i <= n; ++i) {
    const Real L = sec.LayerThickness(i);
    const Real r = run == PileRun::kMeanRadii ? 0.5f * (sec.PileRadiusX(i) + sec.PileRadiusY(i))
                   : run == PileRun::kRadiiX  ? sec.PileRadiusX(i)
                                              : sec.PileRadiusY(i);
    const Real A = sec.PileArea(i), J = sec.PileTorsion(i);
    const Real I = run == PileRun::kRadiiY ? sec.PileInertiaY(i) : sec.PileInertiaX(i);
    e.tipRadius = r;

    if (!(L > 0.0f) || !Finite(L)) {
      faults.Fail(kAllGroups, ElementFault(i, "HAS NO LENGTH", kAllGroups));
      return false;
    }
    if (!(r >= 0.0f) || !Finite(r)) {
      faults.Fail(kAllGroups, ElementFault(i, "HAS A NEGATIVE RADIUS", kAllGroups));
      return false;
    }

    const bool pileElement = i <= pileElements;
    const ElementSoil soil = SoilAround(p, i, omega, r, pileElement, belowShear, belowCompression, faults.report);
    ElementMaterial mat;
    if (!MaterialOf(p, i, pileElement, soil.G, A, faults, mat)) return false;
    const SideReactions& S = soil.reactions;
    const Real m = mat.unitWeight * A / g, jm = mat.unitWeight * J / g;
    const size_t at = static_cast<size_t>(i - 1);

    if (!(A > 0.0f) || !Finite(A)) {
      faults.Fail(kAxialGroup | kBendingGroup, ElementFault(i, "HAS NO AREA", kAxialGroup | kBendingGroup));
    } else if (!(faults.failed & kAxialGroup) &&
               !RodElementStiffness(mat.E * A * mat.factor, w2 * m - soil.G * S.Sw, L, e.axial[at])) {
      faults.Fail(kAxialGroup, FrequencyFault("VERTICAL PILE ELEMENT " + std::to_string(i) + " CANNOT BE FORMED",
                                              omega, kAxialGroup));
    }
    if (!(J > 0.0f) || !Finite(J)) {
      faults.Fail(kTorsionGroup, ElementFault(i, "HAS NO TORSION CONSTANT", kTorsionGroup));
    } else if (!(faults.failed & kTorsionGroup) &&
               !RodElementStiffness(mat.G * J * mat.factor, w2 * jm - r * r * soil.G * S.Spsi, L, e.torsion[at])) {
      faults.Fail(kTorsionGroup, FrequencyFault("TORSIONAL PILE ELEMENT " + std::to_string(i) + " CANNOT BE FORMED",
                                                omega, kTorsionGroup));
    }
    if (!(I > 0.0f) || !Finite(I)) {
      faults.Fail(kBendingGroup, ElementFault(i, "HAS NO MOMENT OF INERTIA", kBendingGroup));
    } else if (!(faults.failed & kBendingGroup)) {
      BendingSegment seg;
      seg.length = L;
      seg.rigidity = mat.E * I * mat.factor;
      seg.shearFlexibility = mat.s;
      seg.axialLoad = p.constants.StaticLoad;
      seg.netInertia = w2 * m - soil.G * S.Su;
      seg.netRotaryInertia = w2 * m * I / A - r * r * soil.G * S.SphiX;
      if (!BendingElementStiffness(seg, e.bending[at]))
        faults.Fail(kBendingGroup, FrequencyFault("BENDING PILE ELEMENT " + std::to_string(i) + " CANNOT BE FORMED",
                                                  omega, kBendingGroup));
    }
  }
  return true;
}

// The soil below the tip: a rigid disc of the tip's radius on the half-space.
struct TipImpedances {
  Complex vertical = kZero, torsion = kZero, horizontal = kZero, rocking = kZero;
};

TipImpedances TipSoil(const BaseSoil& b, Real g, Real omega, Real tipRadius, bool belowShear, bool belowCompression) {
  TipImpedances tip;
  const Real Gb = b.BaseShearWaveVelocity * b.BaseShearWaveVelocity * b.BaseUnitWeight / g;
  if (!(b.BaseShearWaveVelocity > 0.0f && Gb > 0.0f && Finite(Gb))) return tip;
  const std::array<Real, 4> radii{tipRadius, tipRadius, tipRadius, tipRadius};
  const Real a0 = omega > 0.0f ? omega * tipRadius / b.BaseShearWaveVelocity : 0.0f;
  HalfSpaceCoefficients c = HalfSpaceCoefficientsAt(a0, b.BasePoissonRatio, b.BaseDamping, radii);
  if (belowCompression) {  // no radiation below the soil column's cut-off: material damping only
    const HalfSpaceCoefficients st = HalfSpaceCoefficientsAt(0.0001f, b.BasePoissonRatio, b.BaseDamping, radii);
    c.vertical.imag(b.BaseDamping * st.vertical.real());
    if (belowShear) c.horizontal.imag(b.BaseDamping * st.horizontal.real());
  }
  const Real r3 = tipRadius * tipRadius * tipRadius;
  tip.vertical = Gb * tipRadius * c.vertical;
  tip.torsion = Gb * r3 * c.torsion;
  tip.horizontal = Gb * tipRadius * c.horizontal;
  tip.rocking = Gb * r3 * c.rockingX;
  return tip;
}

using HeadValues = std::array<Complex, kHeadModes>;

Complex& Mode(HeadValues& z, HeadMode m) { return z[static_cast<size_t>(m)]; }

// The chains on the tip soil, solved for the complex head impedances; the
// modes that failed, here or while their elements were formed, are zero.
HeadValues SolveChains(const ChainElements& e, int n, const TipImpedances& tip, Real omega, Faults& faults) {
  HeadValues z{};
  if (!(faults.failed & kAxialGroup) && !SolveRodChain(e.axial.data(), n, tip.vertical, Mode(z, HeadMode::kVertical)))
    faults.Fail(kAxialGroup, FrequencyFault("SINGULAR VERTICAL PILE EQUATIONS", omega, kAxialGroup));
  if (!(faults.failed & kTorsionGroup) &&
      !SolveRodChain(e.torsion.data(), n, tip.torsion, Mode(z, HeadMode::kTorsion)))
    faults.Fail(kTorsionGroup, FrequencyFault("SINGULAR TORSIONAL PILE EQUATIONS", omega, kTorsionGroup));
  if (!(faults.failed & kBendingGroup)) {
    BendingHead h;
    bool freeHeadFailed = false;
    if (!SolveBendingChain(e.bending.data(), n, tip.horizontal, tip.rocking, h, freeHeadFailed)) {
      faults.Fail(kBendingGroup, FrequencyFault("SINGULAR HORIZONTAL PILE EQUATIONS", omega, kBendingGroup));
    } else {
      Mode(z, HeadMode::kHorizontal) = h.horizontal;
      Mode(z, HeadMode::kRocking) = h.rocking;
      Mode(z, HeadMode::kCoupling) = h.coupling;
      Mode(z, HeadMode::kFreeHead) = h.free;
      if (freeHeadFailed)
        faults.report.Line(FrequencyFault("NO ROCKING IMPEDANCE AT THE PILE HEAD", omega, kFreeHeadGroup));
    }
  }
  if (faults.failed & kAxialGroup) Mode(z, HeadMode::kVertical) = kZero;
  if (faults.failed & kTorsionGroup) Mode(z, HeadMode::kTorsion) = kZero;
  if (faults.failed & kBendingGroup)
    for (HeadMode m : {HeadMode::kHorizontal, HeadMode::kRocking, HeadMode::kCoupling, HeadMode::kFreeHead})
      Mode(z, m) = kZero;
  return z;
}

// The group of modes each head mode breaks down with.
constexpr int GroupOf(HeadMode m) {
  return m == HeadMode::kVertical ? kAxialGroup : m == HeadMode::kTorsion ? kTorsionGroup : kBendingGroup;
}

// Stiffness and damping constants from the complex head impedances. The
// damping constants of a nearly static frequency may still overflow: such a
// group of modes is reported and set to zero.
PileHeadImpedances HeadImpedances(const HeadValues& z, Real omega, Report& report) {
  PileHeadImpedances out{};
  for (size_t k = 0; k < kHeadModes; ++k) {
    out.k[k] = z[k].real();
    out.c[k] = omega > 0.0f ? z[k].imag() / omega : 0.0f;
  }
  int overflow = 0;
  for (size_t k = 0; k < kHeadModes; ++k)
    if (!Finite(out.k[k]) || !Finite(out.c[k])) overflow |= GroupOf(static_cast<HeadMode>(k));
  for (const int group : {kAxialGroup, kTorsionGroup, kBendingGroup}) {
    if (!(overflow & group)) continue;
    report.Line(FrequencyFault("PILE IMPEDANCE TOO LARGE", omega, group));
    for (size_t k = 0; k < kHeadModes; ++k)
      if (GroupOf(static_cast<HeadMode>(k)) == group) out.k[k] = out.c[k] = 0.0f;
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------

bool RodElementStiffness(Complex rigidity, Complex netInertia, Real length, RodStiffness& k) {
  if (!(length > 0.0f) || !Finite(length) || rigidity == kZero || !Finite(rigidity) || !Finite(netInertia))
    return false;
  const Complex lambda = std::sqrt(netInertia / rigidity);
  const Complex z = lambda * length;
  Complex lamCot, lamCsc;  // λ·cot(λL), λ/sin(λL)
  if (std::abs(z) < 0.1f) {
    const Complex z2 = z * z;
    lamCot = (Complex(1.0f) - z2 / 3.0f - z2 * z2 / 45.0f) / length;
    lamCsc = (Complex(1.0f) + z2 / 6.0f + 7.0f * z2 * z2 / 360.0f) / length;
  } else {
    const ScaledTrig t = Trig(z);
    if (std::abs(t.s) <= 2.0f * FLT_EPSILON * (1.0f + std::abs(z))) return false;  // sin(λL) = 0
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
  const Complex W = std::sqrt(T * T + U);
  const Complex wp = W + T, wm = W - T;
  Complex r1sq, r2sq;
  if (std::abs(wp) >= std::abs(wm)) {
    r1sq = 0.5f * wp;
    r2sq = wp == kZero ? kZero : 0.5f * U / wp;
  } else {
    r2sq = 0.5f * wm;
    r1sq = 0.5f * U / wm;
  }
  const Complex rho1 = std::sqrt(r1sq), rho2 = std::sqrt(r2sq);
  const bool closedFormUsable = Finite(rho1) && Finite(rho2) && std::abs(Q) > 1e-2f && std::abs(sp1) > 1e-2f;
  if (form == BendingForm::kClosedForm) return closedFormUsable && ClosedFormBending(g, rho1, rho2, Q, sp1, K);
  // the closed form loses its accuracy to cancellation when both wave numbers
  // are small, and is indeterminate when one of them vanishes (no mass and no
  // support); the transfer matrix is accurate up to wave numbers of a few units
  const Real largest = std::max(std::abs(rho1), std::abs(rho2));
  if (!closedFormUsable || largest < 1.0f) return TransferBending(g, sp1, K);
  if (ClosedFormBending(g, rho1, rho2, Q, sp1, K)) return true;
  return largest <= 6.0f && TransferBending(g, sp1, K);
}

PileHeadImpedances SinglePileImpedances(const ProblemData& p, Real omega, const PileModel& model, PileRun run,
                                        Report& report) {
  Faults faults{report};
  ChainElements elements;
  if (!FormElements(p, omega, model, run, faults, elements)) return PileHeadImpedances{};
  const TipImpedances tip = TipSoil(p.base, p.Gravity, omega, elements.tipRadius, omega <= model.shearCutOff,
                                    omega <= model.compressionCutOff);
  return HeadImpedances(SolveChains(elements, model.layers, tip, omega, faults), omega, report);
}

}  // namespace terva
