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
