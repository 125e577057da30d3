// Single pile: the element stiffnesses against static and classical dynamic
// solutions, the chain against hand condensation and against a beam on an
// elastic foundation, the cut-off rules at the tip, and the reported faults.
#include "engine/impedance/single_pile.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <memory>
#include <random>
#include <string>
#include <tuple>

#include "engine/numerics/banded_solver.hpp"
#include "engine/impedance/half_space.hpp"
#include "engine/impedance/side_layers.hpp"
#include "engine/report/report.hpp"

namespace terva {
namespace {

// The report the routines under test write to: this program's own (the
// engine keeps none; a run's report is in its run context).
Report& Out() {
  static Report report;
  return report;
}

using cd = std::complex<double>;

void ExpectMatrixNear(const ElementMatrix4& K, const cd (&ref)[4][4], double EI, double L, double tol) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      const double scale = std::max(1.0, std::abs(ref[i][j]) * std::pow(L, 3 - i % 2 - j % 2) / EI);
      EXPECT_LE(std::abs(cd(K[i][j]) - ref[i][j]) * std::pow(L, 3 - i % 2 - j % 2) / EI, tol * scale)
          << "entry " << i << "," << j << ": " << K[i][j] << " vs " << ref[i][j];
    }
}

// The classical Euler-Bernoulli dynamic stiffness (x down the element, slope
// θ = dw/dx) with βL = b, turned to the element's rotation sign (θ = −dw/dx).
void EulerBernoulli(cd EI, double L, cd b, cd (&k)[4][4]) {
  const cd c = std::cos(b), s = std::sin(b), ch = std::cosh(b), sh = std::sinh(b);
  const cd den = 1.0 - c * ch, beta = b / L;
  const cd k11 = EI * beta * beta * beta * (c * sh + s * ch) / den, k12 = EI * beta * beta * s * sh / den;
  const cd k13 = -EI * beta * beta * beta * (s + sh) / den, k14 = EI * beta * beta * (ch - c) / den;
  const cd k22 = EI * beta * (s * ch - c * sh) / den, k24 = EI * beta * (sh - s) / den;
  const cd slope[4][4] = {{k11, k12, k13, k14}, {k12, k22, -k14, k24}, {k13, -k14, k11, -k12}, {k14, k24, -k12, k22}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) k[i][j] = slope[i][j] * ((i % 2) == (j % 2) ? 1.0 : -1.0);
}

TEST(SinglePile, BendingElementStaticLimits) {
  const double EI = 2.0e5, L = 3.0;
  BendingSegment seg;
  seg.length = static_cast<Real>(L);
  seg.rigidity = Complex(static_cast<Real>(EI), 0.0f);
  seg.netInertia = Complex(1e-8f, 0.0f);  // a whisper of mass keeps the segment dynamic
  ElementMatrix4 K{};
  ASSERT_TRUE(BendingElementStiffness(seg, K));
  const double e3 = EI / (L * L * L), e2 = EI / (L * L), e1 = EI / L;
  const cd ref[4][4] = {{12 * e3, -6 * e2, -12 * e3, -6 * e2},
                        {-6 * e2, 4 * e1, 6 * e2, 2 * e1},
                        {-12 * e3, 6 * e2, 12 * e3, 6 * e2},
                        {-6 * e2, 2 * e1, 6 * e2, 4 * e1}};
  ExpectMatrixNear(K, ref, EI, L, 1e-5);

  // shear flexibility: the static Timoshenko element with φ = 12·EI·s/L²
  seg.shearFlexibility = Complex(2.0e-6f, 0.0f);
  ASSERT_TRUE(BendingElementStiffness(seg, K));
  const double phi = 12 * EI * 2.0e-6 / (L * L), d = 1 + phi;
  const cd tim[4][4] = {{12 * e3 / d, -6 * e2 / d, -12 * e3 / d, -6 * e2 / d},
                        {-6 * e2 / d, (4 + phi) * e1 / d, 6 * e2 / d, (2 - phi) * e1 / d},
                        {-12 * e3 / d, 6 * e2 / d, 12 * e3 / d, 6 * e2 / d},
                        {-6 * e2 / d, (2 - phi) * e1 / d, 6 * e2 / d, (4 + phi) * e1 / d}};
  ExpectMatrixNear(K, tim, EI, L, 1e-5);
}

TEST(SinglePile, BendingElementReducesToEulerBernoulli) {
  // s = 0, P = 0, no rotary terms: ρ1 = ρ2 = L·(q/EI)^¼, for a free segment
  // (q > 0) and for one on a damped foundation (q complex, mostly negative);
  // βL below 1 takes the transfer matrix, above it the closed form.
  const Complex EI(5.0e4f, 1.0e3f);
  const double L = 2.0;
  for (const cd q : {cd(2.0e2, 0), cd(6.0e4, 0), cd(1.5e6, 0), cd(-8.0e3, -4.0e2), cd(-4.0e5, -2.0e4)}) {
    BendingSegment seg;
    seg.length = static_cast<Real>(L);
    seg.rigidity = EI;
    seg.netInertia = Complex(q);
    ElementMatrix4 K{};
    ASSERT_TRUE(BendingElementStiffness(seg, K));
    cd ref[4][4];
    EulerBernoulli(cd(EI), L, L * std::pow(q / cd(EI), 0.25), ref);
    SCOPED_TRACE(q);
    ExpectMatrixNear(K, ref, std::abs(cd(EI)), L, 2e-5);
  }
}

TEST(SinglePile, ClosedFormAndTransferMatrixAgree) {
  // a Timoshenko beam-column with every term present, at wave numbers of a few
  // units where both evaluations are accurate
  const double L = 1.5;
  const Complex EI(3.0e4f, 600.0f);
  for (const auto& [q, rot, P] : {std::tuple{Complex(4.0e4f, 2.0e3f), Complex(-300.0f, -20.0f), 2.0e3f},
                                  std::tuple{Complex(-2.0e5f, -1.0e4f), Complex(50.0f, 0.0f), -5.0e3f},
                                  std::tuple{Complex(9.0e4f, 0.0f), Complex(800.0f, 30.0f), 1.2e4f}}) {
    BendingSegment seg;
    seg.length = static_cast<Real>(L);
    seg.rigidity = EI;
    seg.shearFlexibility = Complex(4.0e-6f, 0.0f);
    seg.axialLoad = P;
    seg.netInertia = q;
    seg.netRotaryInertia = rot;
    ElementMatrix4 closed{}, transfer{};
    ASSERT_TRUE(BendingElementStiffness(seg, closed, BendingForm::kClosedForm));
    ASSERT_TRUE(BendingElementStiffness(seg, transfer, BendingForm::kTransferMatrix));
    cd ref[4][4];
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) ref[i][j] = cd(transfer[i][j]);
    SCOPED_TRACE(P);
    ExpectMatrixNear(closed, ref, std::abs(cd(EI)), L, 2e-5);
    EXPECT_EQ(closed[0][1], closed[1][0]);
    EXPECT_NEAR(std::abs(closed[0][3] - closed[3][0]), 0.0, 1e-5 * std::abs(closed[0][3]));
  }
}

TEST(SinglePile, RigidTranslationUnderAxialLoadCostsNoForce) {
  // a segment without mass or support, under axial load and with shear
  // flexibility (s·P = 0.05): moving it sideways as a whole needs no forces
  const double L = 2.0, EI = 1.0e4;
  BendingSegment seg;
  seg.length = static_cast<Real>(L);
  seg.rigidity = Complex(static_cast<Real>(EI), 0.0f);
  seg.axialLoad = 1.0e4f;                         // P·L²/EI = 4
  seg.shearFlexibility = Complex(5.0e-6f, 0.0f);  // s·P = 0.05
  seg.netInertia = Complex(1e-6f, 0.0f);
  for (const BendingForm form : {BendingForm::kClosedForm, BendingForm::kTransferMatrix}) {
    ElementMatrix4 K{};
    ASSERT_TRUE(BendingElementStiffness(seg, K, form));
    for (int i = 0; i < 4; ++i)
      EXPECT_LE(std::abs(K[i][0] + K[i][2]) * std::pow(L, 3 - i % 2) / EI, 1e-4) << "row " << i;
  }
}

TEST(SinglePile, RodElement) {
  RodStiffness k{};
  const Complex EA(8.0e6f, 0.0f);
  ASSERT_TRUE(RodElementStiffness(EA, Complex(0.0f), 2.5f, k));  // static: EA/L
  EXPECT_FLOAT_EQ(k.k11.real(), 8.0e6f / 2.5f);
  EXPECT_FLOAT_EQ(k.k12.real(), -8.0e6f / 2.5f);

  // on a foundation of stiffness kf: k11 = EA·α·coth(αL), k12 = −EA·α/sinh(αL)
  const double kf = 3.0e5, alpha = std::sqrt(kf / 8.0e6);
  for (const double L : {0.5, 4.0, 40.0, 4000.0}) {  // αL up to 775: no overflow
    ASSERT_TRUE(RodElementStiffness(EA, Complex(static_cast<Real>(-kf)), static_cast<Real>(L), k));
    const double aL = alpha * L;
    EXPECT_NEAR(k.k11.real() / (8.0e6 * alpha / std::tanh(aL)), 1.0, 1e-5) << L;
    EXPECT_NEAR(k.k12.real() * std::sinh(std::min(aL, 80.0)) / (-8.0e6 * alpha), aL > 80 ? 0.0 : 1.0, 1e-5) << L;
  }
  // an undamped free segment at λL = π is at a resonance
  const double lam = 3.14159265 / 2.0;
  EXPECT_FALSE(RodElementStiffness(EA, Complex(static_cast<Real>(lam * lam * 8.0e6)), 2.0f, k));
  EXPECT_FALSE(RodElementStiffness(EA, Complex(1.0f), 0.0f, k));
}

TEST(SinglePile, BandSolverPivotsAndRefusesSingularSystems) {
  const int n = 10;
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  ComplexBandMatrix a;
  ASSERT_TRUE(a.Reset(n, 3, 3));
  double dense[n][n][2] = {};
  for (int i = 0; i < n; ++i)
    for (int j = std::max(0, i - 3); j <= std::min(n - 1, i + 3); ++j) {
      const Complex v = i == j ? Complex(0.0f) : Complex(u(rng), u(rng));  // zero diagonal: needs pivoting
      a.At(i, j) = v;
      dense[i][j][0] = v.real();
      dense[i][j][1] = v.imag();
    }
  Complex b[2 * n];
  for (auto& v : b) v = Complex(u(rng), u(rng));
  const ComplexBandMatrix original = a;
  Complex x[2 * n];
  std::copy(b, b + 2 * n, x);
  ASSERT_TRUE(SolveBand(a, x, 2));
  for (int k = 0; k < 2; ++k)
    for (int i = 0; i < n; ++i) {  // residual of the original system
      cd r = cd(b[k * n + i]);
      for (int j = 0; j < n; ++j) r -= cd(dense[i][j][0], dense[i][j][1]) * cd(x[k * n + j]);
      EXPECT_LT(std::abs(r), 1e-5);
    }
  a = original;
  for (int i = 0; i < n; ++i)
    if (a.InBand(i, 4)) a.At(i, 4) = Complex(0.0f);  // a zero column
  std::copy(b, b + 2 * n, x);
  EXPECT_FALSE(SolveBand(a, x, 2));
  EXPECT_EQ(x[3], b[3]) << "right-hand sides are left alone";
}

// ---------------------------------------------------------------------------
// Piles

std::unique_ptr<ProblemData> Pile(int layers, Real thickness) {
  auto p = std::make_unique<ProblemData>();
  p->Gravity = 9.8f;
  FoundationConstants& c = p->constants;
  c.YoungsModulus = 3.0e7f;
  c.PilePoissonRatio = 0.25f;
  c.PileUnitWeight = 24.0f;
  c.PileDamping = 0.02f;
  c.RigidityCoefficient = 1.2f;
  c.StaticLoad = 500.0f;
  for (int k = 1; k <= layers; ++k) {
    p->sections.LayerThickness(k) = thickness;
    p->sections.PileRadiusX(k) = p->sections.PileRadiusY(k) = 0.3f;
    p->sections.PileArea(k) = 0.2827f;
    p->sections.PileInertiaX(k) = p->sections.PileInertiaY(k) = 6.36e-3f;
    p->sections.PileTorsion(k) = 1.27e-2f;
    p->soil.ShearWaveVelocity(k) = 150.0f;
    p->soil.SoilUnitWeight(k) = 18.0f;
    p->soil.SoilPoissonRatio(k) = 0.35f;
    p->soil.SoilDamping(k) = 0.05f;
    p->weak.WeakShearRatio(k) = 1.0f;
  }
  p->base.BaseShearWaveVelocity = 300.0f;
  p->base.BaseUnitWeight = 19.0f;
  p->base.BasePoissonRatio = 0.3f;
  p->base.BaseDamping = 0.03f;
  return p;
}

PileModel Model(int layers) {
  PileModel m;
  m.layers = layers;
  return m;
}

Complex Z(const PileHeadImpedances& h, HeadMode m, Real omega) { return h.At(m, omega); }

// Head impedance of one free rod element on a tip impedance: k11 − k12²/(k22 + tip).
cd RodOnTip(cd rigidity, double netInertia, double L, cd tip) {
  const cd lam = std::sqrt(cd(netInertia) / rigidity), s = std::sin(lam * L);
  const cd k11 = rigidity * lam * std::cos(lam * L) / s, k12 = -rigidity * lam / s;
  return k11 - k12 * k12 / (k11 + tip);
}

TEST(SinglePile, OneElementByHand) {
  // a layer without soil: the head sees the element and the tip only
  auto p = Pile(1, 6.0f);
  p->soil.ShearWaveVelocity(1) = 0.0f;
  p->constants.RigidityCoefficient = 0.0f;
  const Real w = 40.0f;
  const auto h = SinglePileImpedances(*p, w, Model(1), PileRun::kRadiiX, Out());

  const double g = 9.8, r = 0.3, Gb = 300.0 * 300.0 * 19.0 / g, m = 24.0 * 0.2827 / g, Gp = 3.0e7 / 2.5;
  const auto tip = HalfSpaceCoefficientsAt(w * 0.3f / 300.0f, 0.3f, 0.03f, {0.3f, 0.3f, 0.3f, 0.3f});
  const cd vertical = RodOnTip(cd(3.0e7 * 0.2827, 3.0e7 * 0.2827 * 0.02), w * w * m, 6.0, Gb * r * cd(tip.vertical));
  const cd torsion = RodOnTip(cd(Gp * 1.27e-2, Gp * 1.27e-2 * 0.02), w * w * 24.0 * 1.27e-2 / g, 6.0,
                              Gb * r * r * r * cd(tip.torsion));
  EXPECT_NEAR(std::abs(cd(Z(h, HeadMode::kVertical, w)) / vertical - 1.0), 0.0, 2e-5);
  EXPECT_NEAR(std::abs(cd(Z(h, HeadMode::kTorsion, w)) / torsion - 1.0), 0.0, 2e-5);

  // bending: condense the element's lower node with the tip terms on it
  BendingSegment seg;
  seg.length = 6.0f;
  seg.rigidity = Complex(3.0e7f * 6.36e-3f, 3.0e7f * 6.36e-3f * 0.02f);
  seg.axialLoad = 500.0f;
  seg.netInertia = Complex(static_cast<Real>(w * w * m));
  seg.netRotaryInertia = Complex(static_cast<Real>(w * w * m * 6.36e-3 / 0.2827));
  ElementMatrix4 K{};
  ASSERT_TRUE(BendingElementStiffness(seg, K));
  const cd a11 = cd(K[2][2]) + Gb * r * cd(tip.horizontal), a12 = cd(K[2][3]),
           a22 = cd(K[3][3]) + Gb * r * r * r * cd(tip.rockingX);
  const cd det = a11 * a22 - a12 * a12;
  auto head = [&](int i, int j) {  // K_ij − K_i,low · A⁻¹ · K_low,j
    const cd x1 = (a22 * cd(K[2][j]) - a12 * cd(K[3][j])) / det, x2 = (a11 * cd(K[3][j]) - a12 * cd(K[2][j])) / det;
    return cd(K[i][j]) - cd(K[i][2]) * x1 - cd(K[i][3]) * x2;
  };
  EXPECT_NEAR(std::abs(cd(Z(h, HeadMode::kHorizontal, w)) / head(0, 0) - 1.0), 0.0, 2e-5);  // horizontal
  EXPECT_NEAR(std::abs(cd(Z(h, HeadMode::kRocking, w)) / head(1, 1) - 1.0), 0.0, 2e-5);  // rocking
  EXPECT_NEAR(std::abs(cd(Z(h, HeadMode::kCoupling, w)) / head(1, 0) - 1.0), 0.0, 2e-5);  // coupling
  const cd free = head(0, 0) - head(0, 1) * head(1, 0) / head(1, 1);
  EXPECT_NEAR(std::abs(cd(Z(h, HeadMode::kFreeHead, w)) / free - 1.0), 0.0, 2e-5);
}

TEST(SinglePile, ChainOfElementsEqualsOneLongElement) {
  // the element stiffnesses are exact, so a uniform pile in uniform soil gives
  // the same head impedances however it is divided; without side soil the tip
  // carries the pile, and the head impedances are small differences of the
  // elements' stiffnesses, good to a few parts in ten thousand
  const Real w = 25.0f;
  for (const Real vs : {150.0f, 0.0f}) {
    auto one = Pile(1, 12.0f);
    one->soil.ShearWaveVelocity(1) = vs;
    const auto h1 = SinglePileImpedances(*one, w, Model(1), PileRun::kMeanRadii, Out());
    const Real tol = vs > 0.0f ? 2e-4f : 2e-3f;
    for (const int n : {3, 8}) {
      auto many = Pile(n, 12.0f / static_cast<Real>(n));
      for (int k = 1; k <= n; ++k) many->soil.ShearWaveVelocity(k) = vs;
      const auto hn = SinglePileImpedances(*many, w, Model(n), PileRun::kMeanRadii, Out());
      for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(hn.k[k], h1.k[k], tol * std::abs(h1.k[k])) << n << " elements, vs " << vs << ", output " << k;
        EXPECT_NEAR(hn.c[k], h1.c[k], tol * std::abs(h1.c[k])) << n << " elements, vs " << vs << ", output " << k;
      }
      // the free head is the fixed head less coupling²/rocking
      const Complex coupling = Z(hn, HeadMode::kCoupling, w);
      const Complex free = Z(hn, HeadMode::kHorizontal, w) - coupling * coupling / Z(hn, HeadMode::kRocking, w);
      EXPECT_NEAR(std::abs(Z(hn, HeadMode::kFreeHead, w) / free - 1.0f), 0.0f, 1e-5f);
    }
  }
}

TEST(SinglePile, CircularPileIsTheSameInTheThreeRuns) {
  auto p = Pile(4, 2.5f);
  p->soil.ShearWaveVelocity(3) = 260.0f;
  const PileModel m = Model(4);
  const auto mean = SinglePileImpedances(*p, 30.0f, m, PileRun::kMeanRadii, Out());
  for (const PileRun run : {PileRun::kRadiiX, PileRun::kRadiiY}) {
    const auto h = SinglePileImpedances(*p, 30.0f, m, run, Out());
    EXPECT_EQ(h.k, mean.k);
    EXPECT_EQ(h.c, mean.c);
  }
  // a rectangular section bends about its own axes
  p->sections.PileInertiaY(2) = 2.0e-2f;
  EXPECT_NE(SinglePileImpedances(*p, 30.0f, m, PileRun::kRadiiY, Out()).K(HeadMode::kHorizontal), mean.K(HeadMode::kHorizontal));
  EXPECT_EQ(SinglePileImpedances(*p, 30.0f, m, PileRun::kRadiiX, Out()).K(HeadMode::kHorizontal), mean.K(HeadMode::kHorizontal));
}

TEST(SinglePile, CutOffsReduceTheTipDampingOnly) {
  auto p = Pile(1, 3.0f);
  p->soil.ShearWaveVelocity(1) = 0.0f;  // no side soil: only the tip sees the flags
  const Real w = 50.0f;
  const auto open = SinglePileImpedances(*p, w, Model(1), PileRun::kMeanRadii, Out());

  PileModel m = Model(1);
  m.shearCutOff = 40.0f;        // ω > ωs
  m.compressionCutOff = 60.0f;  // ω ≤ ωp
  const auto cut = SinglePileImpedances(*p, w, m, PileRun::kMeanRadii, Out());
  for (int k = 1; k < 6; ++k) {
    EXPECT_EQ(cut.k[k], open.k[k]) << k;
    EXPECT_EQ(cut.c[k], open.c[k]) << k;
  }
  // the vertical head impedance is that of the tip with material damping only
  const std::array<Real, 4> radii{0.3f, 0.3f, 0.3f, 0.3f};
  const auto st = HalfSpaceCoefficientsAt(0.0001f, 0.3f, 0.03f, radii);
  const auto dyn = HalfSpaceCoefficientsAt(w * 0.3f / 300.0f, 0.3f, 0.03f, radii);
  ASSERT_LT(0.03f * st.vertical.real(), dyn.vertical.imag());
  const double Gb = 300.0 * 300.0 * 19.0 / 9.8, EA = 3.0e7 * 0.2827, m2 = w * w * 24.0 * 0.2827 / 9.8;
  const cd expected =
      RodOnTip(cd(EA, EA * 0.02), m2, 3.0, Gb * 0.3 * cd(dyn.vertical.real(), 0.03 * st.vertical.real()));
  EXPECT_NEAR(std::abs(cd(Z(cut, HeadMode::kVertical, w)) / expected - 1.0), 0.0, 2e-5);
  EXPECT_LT(cut.C(HeadMode::kVertical), open.C(HeadMode::kVertical));

  m.shearCutOff = 50.0f;  // ω ≤ ωs as well: the horizontal damping drops too
  const auto both = SinglePileImpedances(*p, w, m, PileRun::kMeanRadii, Out());
  EXPECT_EQ(both.C(HeadMode::kVertical), cut.C(HeadMode::kVertical));
  EXPECT_EQ(both.C(HeadMode::kTorsion), open.C(HeadMode::kTorsion));
  EXPECT_LT(both.C(HeadMode::kHorizontal), open.C(HeadMode::kHorizontal));
}

TEST(SinglePile, MultilayerSoilElementsOfPileMaterialActAsPile) {
  // soil elements (below the one adjacent layer) whose modulus, Poisson's
  // ratio, unit weight and damping equal the pile's: the column is the pile
  auto p = Pile(3, 4.0f);
  p->constants.RigidityCoefficient = 0.0f;  // the pile's s is real, the soil's complex
  const Real Gp = 3.0e7f / 2.5f;
  for (int k = 2; k <= 3; ++k) {
    p->soil.SoilPoissonRatio(k) = 0.25f;
    p->soil.SoilUnitWeight(k) = 24.0f;
    p->soil.ShearModulusRatio(k) = Gp / (150.0f * 150.0f * 24.0f / 9.8f);
    p->soil.DampingRatio(k) = 0.02f / p->soil.SoilDamping(k);
  }
  PileModel m = Model(3);
  m.soilCode = -1;
  m.adjacent = 1;
  const Real w = 35.0f;
  const auto column = SinglePileImpedances(*p, w, m, PileRun::kRadiiX, Out());
  const auto pile = SinglePileImpedances(*p, w, Model(3), PileRun::kRadiiX, Out());
  for (int k = 0; k < 6; ++k) {
    EXPECT_NEAR(column.k[k], pile.k[k], 1e-4f * std::abs(pile.k[k])) << k;
    EXPECT_NEAR(column.c[k], pile.c[k], 1e-4f * std::abs(pile.c[k])) << k;
  }
  p->soil.ShearModulusRatio(3) *= 0.5f;
  EXPECT_LT(SinglePileImpedances(*p, w, m, PileRun::kRadiiX, Out()).K(HeadMode::kVertical), 0.999f * pile.K(HeadMode::kVertical));
}

TEST(SinglePile, LongPileInUniformSoilIsABeamOnAnElasticFoundation) {
  // A semi-infinite Euler-Bernoulli beam on a Winkler foundation of modulus
  // ks per length, EI·w'''' + ks·w = 0, has the decaying solution
  // w = e^(−βx)·(a·cos βx + b·sin βx) with β = (ks/(4EI))^¼. Its head
  // flexibility (Hetényi) is w0 = (2β/ks)·(H + β·M), θ0 = (2β²/ks)·(H + 2β·M);
  // inverted, with ks = 4EIβ⁴: horizontal 4EIβ³ (rotation held), rocking
  // 2EIβ, coupling 2EIβ² (negative in the element's rotation sign), and with
  // the head free to rotate 2EIβ³. Here ks = Gs·Re Su; a slender section keeps
  // the soil's rotational reaction r²·Gs·Sφ negligible, βL ≈ 10 makes the tip
  // irrelevant, and a low frequency without damping keeps inertia and the
  // imaginary parts out of the real parts.
  const int n = 10;
  auto p = Pile(n, 1.5f);
  p->constants.PileDamping = 0.0f;
  p->constants.RigidityCoefficient = 0.0f;
  p->constants.StaticLoad = 0.0f;
  for (int k = 1; k <= n; ++k) {
    p->sections.PileRadiusX(k) = p->sections.PileRadiusY(k) = 0.03f;
    p->soil.SoilDamping(k) = 0.0f;
  }
  const Real w = 0.01f;
  const auto h = SinglePileImpedances(*p, w, Model(n), PileRun::kMeanRadii, Out());

  const SideReactions s = SideLayerReactions(w * 0.03f / 150.0f, 0.35f, 0.0f, WeakenedZone{1.0f, 0.35f, 0.0f, 0.0f},
                                             {0.03f, 0.03f, 0.03f, 0.03f}, false, false, Out());
  const double ks = 150.0 * 150.0 * 18.0 / 9.8 * s.Su.real(), EI = 3.0e7 * 6.36e-3;
  ASSERT_GT(ks, 0.0);
  const double beta = std::pow(ks / (4 * EI), 0.25);
  ASSERT_GT(beta * 15.0, 6.0);
  EXPECT_NEAR(h.K(HeadMode::kHorizontal) / (4 * EI * beta * beta * beta), 1.0, 0.02);
  EXPECT_NEAR(h.K(HeadMode::kRocking) / (2 * EI * beta), 1.0, 0.02);
  EXPECT_NEAR(h.K(HeadMode::kCoupling) / (-2 * EI * beta * beta), 1.0, 0.02);
  EXPECT_NEAR(h.K(HeadMode::kFreeHead) / (2 * EI * beta * beta * beta), 1.0, 0.02);
}

TEST(SinglePile, FaultsAreReportedAndLeaveZeros) {
  Out().OpenMemory();
  auto p = Pile(3, 2.0f);
  p->sections.LayerThickness(2) = 0.0f;
  auto h = SinglePileImpedances(*p, 10.0f, Model(3), PileRun::kMeanRadii, Out());
  for (int k = 0; k < 6; ++k) EXPECT_EQ(h.k[k], 0.0f);
  EXPECT_EQ(Out().Captured(), " *** PILE ELEMENT 2 HAS NO LENGTH - PILE IMPEDANCE SET TO ZERO ***\n");

  Out().OpenMemory();
  p = Pile(3, 2.0f);
  p->sections.PileTorsion(3) = 0.0f;
  h = SinglePileImpedances(*p, 10.0f, Model(3), PileRun::kMeanRadii, Out());
  EXPECT_EQ(h.K(HeadMode::kTorsion), 0.0f);
  EXPECT_EQ(h.C(HeadMode::kTorsion), 0.0f);
  EXPECT_GT(h.K(HeadMode::kVertical), 0.0f);
  EXPECT_GT(h.K(HeadMode::kHorizontal), 0.0f);
  EXPECT_EQ(Out().Captured(),
            " *** PILE ELEMENT 3 HAS NO TORSION CONSTANT - TORSIONAL PILE IMPEDANCE SET TO ZERO ***\n");

  Out().OpenMemory();
  p = Pile(3, 2.0f);
  p->sections.PileArea(1) = 0.0f;
  h = SinglePileImpedances(*p, 10.0f, Model(3), PileRun::kMeanRadii, Out());
  EXPECT_EQ(h.K(HeadMode::kVertical), 0.0f);
  EXPECT_EQ(h.K(HeadMode::kHorizontal), 0.0f);
  EXPECT_EQ(h.K(HeadMode::kFreeHead), 0.0f);
  EXPECT_GT(h.K(HeadMode::kTorsion), 0.0f);
  EXPECT_NE(Out().Captured().find("PILE ELEMENT 1 HAS NO AREA - VERTICAL AND HORIZONTAL"), std::string::npos);

  Out().OpenMemory();
  h = SinglePileImpedances(*p, 10.0f, Model(0), PileRun::kMeanRadii, Out());
  EXPECT_EQ(Out().Captured(), " *** PILE HAS NO ELEMENTS - PILE IMPEDANCE SET TO ZERO ***\n");

  // an undamped element without soil at λL = π: the vertical chain cannot be formed
  Out().OpenMemory();
  p = Pile(1, 2.0f);
  p->constants.PileDamping = 0.0f;
  p->soil.ShearWaveVelocity(1) = 0.0f;
  const double c = std::sqrt(3.0e7 * 9.8 / 24.0);  // bar velocity
  const Real w = static_cast<Real>(3.14159265 * c / 2.0);
  h = SinglePileImpedances(*p, w, Model(1), PileRun::kMeanRadii, Out());
  EXPECT_EQ(h.K(HeadMode::kVertical), 0.0f);
  EXPECT_EQ(h.C(HeadMode::kVertical), 0.0f);
  EXPECT_NE(Out().Captured().find("VERTICAL PILE ELEMENT 1 CANNOT BE FORMED AT"), std::string::npos)
      << Out().Captured();
  for (int k = 0; k < 6; ++k) EXPECT_TRUE(std::isfinite(h.k[k]) && std::isfinite(h.c[k]));
  Out().Close();
}

}  // namespace
}  // namespace terva
