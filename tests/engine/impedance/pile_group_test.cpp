// Pile groups: the summation against rigid-body transformations of each pile,
// the interaction path against hand-solved and independently inverted group
// flexibility problems, the fitted interaction factors against their limits
// and documented form, and the guards for groups that cannot be solved with
// interaction.
#include "engine/impedance/pile_group.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "engine/impedance/transform.hpp"
#include "engine/report/report.hpp"

namespace terva {
namespace {

// The report the routines under test write to: this program's own (the
// engine keeps none; a run's report is in its run context).
Report& Out() {
  static Report report;
  return report;
}

const double kPi = std::acos(-1.0);

// A problem record with the interaction tables made from it.
struct GroupCase {
  std::unique_ptr<ProblemData> data = std::make_unique<ProblemData>();
  InteractionTables tables;
  ProblemData& operator*() { return *data; }
  ProblemData* operator->() { return data.get(); }
  // The tables again, after the record has changed.
  void SetUp() { tables = SetUpPileInteraction(*data, Out()); }
};

// A group of piles 0.6 wide and 15 long in five soil layers.
GroupCase Group(const std::vector<std::pair<Real, Real>>& xy, bool fixed = true, bool interaction = true) {
  GroupCase g;
  ProblemData* p = g.data.get();
  p->Gravity = 9.81f;
  p->status.FoundationType = EngineFoundation::Pile;
  p->status.InteractionOn = interaction;
  p->piles.HeadFixity = fixed ? 1.0f : 0.0f;
  p->piles.PileCountValue = static_cast<Real>(xy.size());
  for (size_t i = 0; i < xy.size(); ++i) {
    p->piles.PileX(static_cast<int>(i) + 1) = xy[i].first;
    p->piles.PileY(static_cast<int>(i) + 1) = xy[i].second;
  }
  p->constants.PileLength = 15.0f;
  p->constants.YoungsModulus = 3.0e7f;
  p->constants.CentreOfGravityHeight = 0.8f;
  p->piles.LayerCountValue = 5;
  for (int k = 1; k <= 5; ++k) {
    p->sections.LayerThickness(k) = 3.0f;
    p->sections.PileRadiusX(k) = p->sections.PileRadiusY(k) = 0.3f;
    p->sections.PileArea(k) = 0.2827f;
    p->sections.PileInertiaX(k) = p->sections.PileInertiaY(k) = 0.00636f;
    p->soil.ShearWaveVelocity(k) = 150.0f + 20.0f * static_cast<Real>(k);
    p->soil.SoilUnitWeight(k) = 18.0f;
    p->soil.SoilPoissonRatio(k) = 0.35f;
  }
  p->base = BaseSoil{320.0f, 19.0f, 0.3f, 0.05f};
  g.SetUp();
  return g;
}

// A pile head matrix with every entry a single pile has, all distinct.
ComplexMatrix6 Head(Real omega = 50.0f) {
  ComplexMatrix6 E;
  const Real d = 0.002f * omega;
  E(1, 1) = Complex(1.2e5f, 1.2e5f * d), E(2, 2) = Complex(1.1e5f, 1.0e5f * d);
  E(3, 3) = Complex(6.0e5f, 3.0e5f * d), E(6, 6) = Complex(2.0e4f, 2.0e4f * d);
  E(4, 4) = Complex(8.0e4f, 4.0e4f * d), E(5, 5) = Complex(9.0e4f, 5.0e4f * d);
  E(1, 5) = E(5, 1) = Complex(-6.0e4f, -3.0e4f * d);
  E(2, 4) = E(4, 2) = Complex(5.5e4f, 2.5e4f * d);
  return E;
}

// Largest entry difference, each scaled by the geometric mean of its two diagonal entries.
double Difference(const ComplexMatrix6& a, const ComplexMatrix6& b) {
  double worst = 0;
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j)
      worst = std::max(
          worst, std::abs(std::complex<double>(a(i, j) - b(i, j))) / std::sqrt(std::abs(a(i, i)) * std::abs(a(j, j))));
  return worst;
}

ComplexMatrix6 Assemble(GroupCase& g, Real omega, const ComplexMatrix6& E = Head()) {
  ComplexMatrix6 A;
  AssemblePileGroup(*g, g.tables, E, omega, A, Out());
  return A;
}

TEST(PileGroup, WithoutInteractionEachPileIsMovedToTheCentreOfGravity) {
  auto p = Group({{1.0f, 2.0f}, {-3.0f, 0.5f}, {0.5f, -1.5f}}, true, false);
  ComplexMatrix6 expected, moved;
  for (int i = 1; i <= 3; ++i) {
    TransformImpedance(Head(), RigidBodyTransformation(p->piles.PileX(i), p->piles.PileY(i), 0.8f, 0.0f), moved);
    for (size_t k = 0; k < 36; ++k) expected.a[k] += moved.a[k];
  }
  const ComplexMatrix6 A = Assemble(p, 50.0f);
  EXPECT_LT(Difference(expected, A), 1e-6);
  EXPECT_EQ(A(1, 1), 3.0f * Head()(1, 1));
  EXPECT_EQ(A(6, 6), Head()(6, 6) * 3.0f + Head()(1, 1) * 6.5f + Head()(2, 2) * 10.25f);

  // one pile with the interaction option is summed as well
  auto single = Group({{1.0f, 2.0f}});
  TransformImpedance(Head(), RigidBodyTransformation(1.0f, 2.0f, 0.8f, 0.0f), moved);
  EXPECT_LT(Difference(moved, Assemble(single, 50.0f)), 1e-6);
}

TEST(PileGroup, SymmetricGroupsHaveNoEccentricCoupling) {
  for (bool interaction : {false, true})
    for (Real omega : {5.0f, 80.0f}) {
      auto p = Group({{-0.9f, -1.2f}, {0.9f, -1.2f}, {-0.9f, 1.2f}, {0.9f, 1.2f}}, true, interaction);
      const ComplexMatrix6 A = Assemble(p, omega);
      for (auto [i, j] : {std::pair{1, 6}, {2, 6}, {3, 4}, {3, 5}, {4, 5}, {4, 6}, {5, 6}})
        EXPECT_LT(std::abs(A(i, j)) / std::sqrt(std::abs(A(i, i)) * std::abs(A(j, j))), 1e-5)
            << "(" << i << "," << j << ") interaction " << interaction << " at " << omega;
      for (int i = 1; i <= 6; ++i)
        for (int j = 1; j <= 6; ++j) EXPECT_EQ(A(i, j), A(j, i));
    }
}

TEST(PileGroup, TwoPilesSolveTheirTwoByTwoFlexibilityProblem) {
  // pinned heads on a line parallel to X: in X the pair line lies along the
  // load (ψx = 0), in Y across it (ψy = 90°)
  auto p = Group({{0.0f, 0.5f}, {1.8f, 0.5f}}, false);
  PairInteraction q, back;
  ASSERT_TRUE(p.tables.Pair(1, 2, q));
  ASSERT_TRUE(p.tables.Pair(2, 1, back));
  EXPECT_FLOAT_EQ(q.spacing, 3.0f);
  EXPECT_EQ(q.sin2X, 0.0f);
  EXPECT_EQ(q.cos2X, 1.0f);
  EXPECT_EQ(q.sin2Y, 1.0f);
  EXPECT_LT(q.cos2Y, 1e-12f);
  EXPECT_EQ(back.vertical, q.vertical);

  const ComplexMatrix6 E = Head();
  const std::complex<double> e11 = E(1, 1), e15 = E(1, 5), e55 = E(5, 5), e22 = E(2, 2), e24 = E(2, 4), e44 = E(4, 4),
                             e33 = E(3, 3);
  const std::complex<double> f11 = e55 / (e11 * e55 - e15 * e15), f22 = e44 / (e22 * e44 - e24 * e24), f33 = 1.0 / e33;
  // [f, a·f; a·f, f]⁻¹ sums to 2/(f(1 + a)); the X-weighted forms follow
  const double av = q.vertical, ax = q.horizontal.at0[0], ay = q.horizontal.at90[0];
  const ComplexMatrix6 A = Assemble(p, 10.0f, E);
  auto near = [](Complex got, std::complex<double> want) {
    return std::abs(std::complex<double>(got) - want) / std::abs(want);
  };
  EXPECT_LT(near(A(3, 3), 2.0 / (f33 * (1.0 + av))), 1e-5);
  EXPECT_LT(near(A(3, 5), 1.8 / (f33 * (1.0 + av))), 1e-5);  // N = (X1 + X2)/(f(1 + a))
  EXPECT_LT(near(A(1, 1), 2.0 / (f11 * (1.0 + ax))), 1e-5);
  EXPECT_LT(near(A(2, 2), 2.0 / (f22 * (1.0 + ay))), 1e-5);
  // Q = (X1² + X2² − 2a·X1·X2)/(f(1 − a²)) in (5,5) with R in (4,4); pinned heads have no rotations
  EXPECT_LT(near(A(5, 5), 0.64 * 2.0 / (f11 * (1.0 + ax)) + 1.8 * 1.8 / (f33 * (1.0 - av * av))), 1e-5);
  EXPECT_LT(near(A(4, 4), 0.64 * 2.0 / (f22 * (1.0 + ay)) + 0.25 * 2.0 / (f33 * (1.0 + av))), 1e-5);
  EXPECT_LT(near(A(6, 6), 0.25 * 2.0 / (f11 * (1.0 + ax)) + 1.8 * 1.8 / (f22 * (1.0 - ay * ay)) +
                              2.0 * std::complex<double>(E(6, 6))),
            1e-5);
}

TEST(PileGroup, StaticFactorsUpToTenRadiansPerSecondComplexAbove) {
  auto p = Group({{0.0f, 0.0f}, {1.8f, 0.0f}, {0.0f, 2.4f}});
  PairInteraction q;
  ASSERT_TRUE(p.tables.Pair(1, 2, q));
  GroupFlexibilityMatrices at10, above;
  ASSERT_TRUE(GroupFlexibility(*p, p.tables, Head(10.0f), 10.0f, at10));
  ASSERT_TRUE(GroupFlexibility(*p, p.tables, Head(10.0f), 10.01f, above));
  ASSERT_EQ(at10.vertical, 3);
  ASSERT_EQ(at10.horizontal, 6);
  const Complex f33 = 1.0f / Head(10.0f)(3, 3);
  const Complex staticFactor = at10.V[3] / f33, dynamicFactor = above.V[3] / f33;  // piles 1 and 2
  EXPECT_NEAR(staticFactor.real(), q.vertical, 1e-6);
  EXPECT_NEAR(staticFactor.imag(), 0.0, 1e-9);
  // just above 10 rad/s the fits take over, at a0 = ω·d/Vt
  const Complex fitted = DynamicFits(10.01f * 0.6f / 250.0f).Vertical(q.vertical, q.spacing);
  EXPECT_NEAR(dynamicFactor.real(), fitted.real(), 1e-5);
  EXPECT_NEAR(dynamicFactor.imag(), fitted.imag(), 1e-5);
  EXPECT_GT(std::abs(dynamicFactor.imag()), 1e-3) << "the factor is complex above 10 rad/s";
  EXPECT_EQ(at10.V[1], at10.V[3]);
  EXPECT_EQ(above.X[2 * 6 + 1], above.X[1 * 6 + 2]) << "the flexibility matrices stay symmetric";

  // piles 1 and 2 lie on a line parallel to X: loading in X takes their ψ = 0
  // factors, loading in Y the ψ = 90° ones; piles 1 and 3 the other way round
  const ComplexMatrix6 E = Head(10.0f);
  const std::complex<double> det = std::complex<double>(E(1, 1)) * std::complex<double>(E(5, 5)) -
                                   std::complex<double>(E(1, 5)) * std::complex<double>(E(1, 5));
  const std::complex<double> f11 = std::complex<double>(E(5, 5)) / det, f15 = -std::complex<double>(E(1, 5)) / det,
                             f55 = std::complex<double>(E(1, 1)) / det;
  const std::complex<double> f22 =
      1.0 / (std::complex<double>(E(2, 2)) -
             std::complex<double>(E(2, 4)) * std::complex<double>(E(2, 4)) / std::complex<double>(E(4, 4)));
  const DynamicFits fits(10.01f * 0.6f / 250.0f);
  std::array<Complex, 3> at0, at90;
  auto near = [](Complex got, std::complex<double> want) {
    return std::abs(std::complex<double>(got) - want) / std::abs(want);
  };
  fits.Horizontal(q.horizontal, q.spacing, at0, at90);
  EXPECT_LT(near(above.X[2 * 6 + 0], std::complex<double>(at0[0]) * f11), 1e-5);
  EXPECT_LT(near(above.X[3 * 6 + 0], std::complex<double>(at0[1]) * f15), 1e-5);
  EXPECT_LT(near(above.X[3 * 6 + 1], std::complex<double>(at0[2]) * f55), 1e-5);
  EXPECT_LT(near(above.Y[2 * 6 + 0], std::complex<double>(at90[0]) * f22), 1e-5);
  PairInteraction q13;
  ASSERT_TRUE(p.tables.Pair(1, 3, q13));
  fits.Horizontal(q13.horizontal, q13.spacing, at0, at90);
  EXPECT_LT(near(above.X[4 * 6 + 0], std::complex<double>(at90[0]) * f11), 1e-5);
  EXPECT_LT(near(above.Y[4 * 6 + 0], std::complex<double>(at0[0]) * f22), 1e-5);
}

// The fitted factors are checked for what holds whatever the fitted
// coefficients: the static limit, continuity where the pieces of a fit meet,
// the decay with spacing and the documented corrections. Their values
// themselves are checked end to end by the reference reports of the pile-group
// examples.
TEST(PileGroup, DynamicFitsMeetTheStaticLimitAndJoinContinuously) {
  HorizontalStaticFactors unit;
  unit.at0 = unit.at90 = {1.0f, 1.0f, 1.0f};
  std::array<Complex, 3> at0, at90, near0, near90;
  // a0 → 0: every amplitude is the static factor, and the phase a constant
  // shift that does not depend on the spacing
  const DynamicFits zero(0.0f);
  for (Real x : {2.0f, 3.5f, 7.0f, 10.0f, 14.0f}) {
    EXPECT_NEAR(std::abs(zero.Vertical(0.4f, x)), 0.4, 1e-6) << x;
    EXPECT_NEAR(std::arg(zero.Vertical(0.4f, x)), std::arg(zero.Vertical(0.4f, 2.0f)), 1e-6) << x;
    zero.Horizontal(unit, x, at0, at90);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(std::abs(at0[k]), 1.0, 1e-6) << x;
      EXPECT_NEAR(std::abs(at90[k]), 1.0, 1e-6) << x;
    }
  }
  // continuous in a0 where the pieces of the fits meet, and at a0 = 1 where the
  // excess over 1 starts to act
  auto close = [](Complex a, Complex b) { return std::abs(a - b) <= 2e-3f * (std::abs(a) + std::abs(b)); };
  for (Real a0 : {0.25f, 0.5f, 0.6f, 0.9f, 1.0f})
    for (Real x : {2.0f, 4.0f, 7.5f, 10.0f, 12.0f}) {
      const DynamicFits below(a0 - 1e-4f), above(a0 + 1e-4f);
      EXPECT_TRUE(close(below.Vertical(1.0f, x), above.Vertical(1.0f, x))) << "a0 " << a0 << " s/d " << x;
      below.Horizontal(unit, x, at0, at90);
      above.Horizontal(unit, x, near0, near90);
      for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(close(at0[k], near0[k])) << "a0 " << a0 << " s/d " << x << " α" << k + 1 << " at 0";
        EXPECT_TRUE(close(at90[k], near90[k])) << "a0 " << a0 << " s/d " << x << " α" << k + 1 << " at 90";
      }
    }
  // continuous in the spacing where the fits leave the tabulated range
  for (Real a0 : {0.3f, 0.8f, 1.5f}) {
    const DynamicFits fits(a0);
    EXPECT_TRUE(close(fits.Vertical(1.0f, 9.999f), fits.Vertical(1.0f, 10.001f))) << a0;
    fits.Horizontal(unit, 9.999f, at0, at90);
    fits.Horizontal(unit, 10.001f, near0, near90);
    for (int k = 0; k < 3; ++k)
      EXPECT_TRUE(close(at0[k], near0[k]) && close(at90[k], near90[k])) << a0 << " α" << k + 1;
  }
  // far apart the vertical factor decays, and the faster the higher the frequency
  EXPECT_LT(std::abs(DynamicFits(0.5f).Vertical(1.0f, 20.0f)), std::abs(DynamicFits(0.5f).Vertical(1.0f, 12.0f)));
  EXPECT_LT(std::abs(DynamicFits(2.0f).Vertical(1.0f, 12.0f)), std::abs(DynamicFits(0.5f).Vertical(1.0f, 12.0f)));
}

TEST(PileGroup, StaticFactorsFollowTheirDocumentedForm) {
  VerticalFactorRatios r{100.0f, 1000.0f, 1.0f, 0.5f, 1.0f};
  EXPECT_EQ(StaticVerticalFactor(0.0f, r), 1.0f);
  EXPECT_EQ(StaticVerticalFactor(-1.0f, r), 1.0f);
  // between 0 and 1 and falling with the spacing
  Real previous = 1.0f;
  for (Real x : {1.5f, 2.0f, 3.0f, 5.0f, 8.0f, 12.0f}) {
    const Real alpha = StaticVerticalFactor(x, r);
    EXPECT_GT(alpha, 0.0f) << x;
    EXPECT_LT(alpha, previous) << x;
    previous = alpha;
  }
  // linear in L/d between the anchors 10, 25, 50, 100, the nearest anchor outside
  auto at = [&r](Real slenderness) {
    VerticalFactorRatios q = r;
    q.slenderness = slenderness;
    return StaticVerticalFactor(5.0f, q);
  };
  EXPECT_NEAR(at(75.0f), (at(50.0f) + at(100.0f)) / 2, 1e-6);
  EXPECT_NEAR(at(17.5f), (at(10.0f) + at(25.0f)) / 2, 1e-6);
  EXPECT_NEAR(at(40.0f), (3 * at(50.0f) + 2 * at(25.0f)) / 5, 1e-6);
  EXPECT_EQ(at(400.0f), at(100.0f));
  EXPECT_EQ(at(2.0f), at(10.0f));
  // a pile stiff beyond the fits' range is held at 0, never negative
  r.slenderness = 50.0f;
  r.baseRatio = 100.0f;
  for (Real K : {1.0e4f, 3.1e4f, 1.0e6f}) {
    r.stiffness = K;
    EXPECT_GE(StaticVerticalFactor(5.0f, r), 0.0f) << K;
  }
  for (Real bad : {0.0f, -5.0f, NAN}) {
    r.stiffness = r.baseRatio = r.slenderness = bad;
    EXPECT_TRUE(std::isfinite(StaticVerticalFactor(3.0f, r)));
  }

  // horizontal: 1 at s/d = 0, falling with the spacing, all three factors
  // times (1 − 0.125·hf) with a free length, ψ blended as sin²ψ·α90 + cos²ψ·α0
  const HorizontalStaticFactors h0 = StaticHorizontalFactors(0.0f, 5.0f, 1.0f);
  const HorizontalStaticFactors h4 = StaticHorizontalFactors(4.0f, 1.0f, 0.0f);
  const HorizontalStaticFactors h8 = StaticHorizontalFactors(8.0f, 1.0f, 0.0f);
  const HorizontalStaticFactors free = StaticHorizontalFactors(4.0f, 1.0f, 2.0f);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(h0.at0[k], 1.0f);
    EXPECT_EQ(h0.at90[k], 1.0f);
    EXPECT_GT(h4.at0[k], h8.at0[k]) << k;
    EXPECT_GT(h4.at90[k], h8.at90[k]) << k;
    EXPECT_NEAR(free.at0[k], 0.75f * h4.at0[k], 1e-7) << k;
    EXPECT_NEAR(free.at90[k], 0.75f * h4.at90[k], 1e-7) << k;
    EXPECT_NEAR(BlendHorizontal(h4, static_cast<Real>(kPi / 4))[k], (h4.at0[k] + h4.at90[k]) / 2, 1e-6);
    EXPECT_NEAR(BlendHorizontal(h4, 0.0f)[k], h4.at0[k], 1e-7);
    EXPECT_NEAR(BlendHorizontal(h4, static_cast<Real>(kPi / 2))[k], h4.at90[k], 1e-6);
  }
}

TEST(PileGroup, BatteredPileIsRotatedAsRTransposedERInTheGivenOrder) {
  const double t = 30.0 * kPi / 180.0;
  ComplexMatrix6 E;
  const Real kx = 1.0e5f, kz = 7.0e5f;
  E(1, 1) = kx, E(2, 2) = 2.0e5f, E(3, 3) = kz, E(4, 4) = 3.0e4f, E(5, 5) = 4.0e4f, E(6, 6) = 1.0e4f;
  const ComplexMatrix6 B = BatteredPileMatrix(E, {30, 90, 120, 90, 0, 90, 60, 90, 30});  // battered in XZ
  EXPECT_NEAR(B(1, 1).real(), std::cos(t) * std::cos(t) * kx + std::sin(t) * std::sin(t) * kz, 1.0);
  EXPECT_NEAR(B(1, 3).real(), std::sin(t) * std::cos(t) * (kz - kx), 1.0) << "R·E·Rᵀ would flip this sign";
  EXPECT_NEAR(B(2, 2).real(), 2.0e5, 1e-2);
  EXPECT_NEAR(B(4, 6).real(), std::sin(t) * std::cos(t) * (1.0e4 - 3.0e4), 1e-2);

  // the summation uses the rotated matrix; interaction places the pile L/3 lower
  auto p = Group({{0.0f, 0.0f}, {3.0f, 0.0f}}, true, false);
  p->status.BatteredOn = true;
  p->piles.BatterAngle(2) = 30.0f;
  p->piles.BatterDirectionAngles(2) = {30, 90, 120, 90, 0, 90, 60, 90, 30};
  EXPECT_EQ(Assemble(p, 50.0f)(3, 3),
            Head()(3, 3) + BatteredPileMatrix(Head(), p->piles.BatterDirectionAngles(2))(3, 3));
  p->status.InteractionOn = true;
  p.SetUp();
  PairInteraction q;
  ASSERT_TRUE(p.tables.Pair(1, 2, q));
  EXPECT_NEAR(q.spacing, (3.0 + std::tan(t) * 5.0) / 0.6, 1e-4);
}

// Reference: Gauss-Jordan inversion in double, literal (no pivoting) or with row pivoting.
std::vector<std::complex<double>> Inverse(const std::vector<Complex>& F, int n, bool pivot) {
  const size_t N = static_cast<size_t>(n);
  std::vector<std::complex<double>> a(F.begin(), F.end()), inv(N * N);
  for (size_t i = 0; i < N; ++i) inv[i * N + i] = 1.0;
  for (size_t k = 0; k < N; ++k) {
    size_t p = k;
    for (size_t i = k + 1; pivot && i < N; ++i)
      if (std::abs(a[k * N + i]) > std::abs(a[k * N + p])) p = i;
    for (size_t j = 0; j < N; ++j) std::swap(a[j * N + k], a[j * N + p]), std::swap(inv[j * N + k], inv[j * N + p]);
    const std::complex<double> d = 1.0 / a[k * N + k];
    for (size_t j = 0; j < N; ++j) a[j * N + k] *= d, inv[j * N + k] *= d;
    for (size_t i = 0; i < N; ++i) {
      const std::complex<double> f = a[k * N + i];
      if (i == k || f == 0.0) continue;
      for (size_t j = 0; j < N; ++j) a[j * N + i] -= f * a[j * N + k], inv[j * N + i] -= f * inv[j * N + k];
    }
  }
  return inv;
}

// The foundation matrix of a fixed-head group from explicitly inverted flexibility matrices.
ComplexMatrix6 FromInverses(GroupCase& g, const ComplexMatrix6& E, Real omega, bool pivot) {
  const ProblemData& p = *g;
  GroupFlexibilityMatrices m;
  EXPECT_TRUE(GroupFlexibility(p, g.tables, E, omega, m));
  const auto V = Inverse(m.V, m.vertical, pivot), X = Inverse(m.X, m.horizontal, pivot),
             Y = Inverse(m.Y, m.horizontal, pivot);
  const size_t n = static_cast<size_t>(m.vertical), nh = 2 * n;
  auto x = [&](size_t i) { return static_cast<double>(p.piles.PileX(static_cast<int>(i) + 1)); };
  auto y = [&](size_t i) { return static_cast<double>(p.piles.PileY(static_cast<int>(i) + 1)); };
  std::complex<double> s[19];  // A B C D E2 F2 G H I J Kr L4 M N O P Q R S
  for (size_t j = 0; j < n; ++j)
    for (size_t i = 0; i < n; ++i) {
      const auto v = V[j * n + i], xdd = X[2 * j * nh + 2 * i], xrd = X[2 * j * nh + 2 * i + 1],
                 xrr = X[(2 * j + 1) * nh + 2 * i + 1], ydd = Y[2 * j * nh + 2 * i], yrd = Y[2 * j * nh + 2 * i + 1],
                 yrr = Y[(2 * j + 1) * nh + 2 * i + 1];
      s[0] += xdd, s[1] += ydd, s[2] += y(j) * xdd, s[3] += x(j) * ydd, s[4] += y(i) * y(j) * xdd;
      s[5] += x(i) * x(j) * ydd, s[6] += xrd, s[7] += yrd, s[8] += y(j) * xrd, s[9] += x(j) * yrd;
      s[10] += xrr, s[11] += yrr, s[12] += v, s[13] += x(j) * v, s[14] += y(j) * v, s[15] += x(i) * y(j) * v;
      s[16] += x(i) * x(j) * v, s[17] += y(i) * y(j) * v;
    }
  s[18] = std::complex<double>(E(6, 6)) * static_cast<double>(n);
  Complex c[19];
  for (int k = 0; k < 19; ++k) c[k] = Complex(static_cast<Real>(s[k].real()), static_cast<Real>(s[k].imag()));
  ComplexMatrix6 A;
  FoundationMatrixFromSums({c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11], c[12], c[13],
                            c[14], c[15], c[16], c[17], c[18]},
                           p.constants.CentreOfGravityHeight, A);
  return A;
}

TEST(PileGroup, FactoredSolveAgreesWithExplicitInversion) {
  std::vector<std::pair<Real, Real>> grid;  // 60 unknowns in X and Y: more than one panel
  for (int i = 0; i < 30; ++i)
    grid.push_back({1.8f * static_cast<Real>(i % 6) - 2.0f, 2.1f * static_cast<Real>(i / 6) + 0.3f});
  auto p = Group(grid);
  for (Real omega : {8.0f, 60.0f, 400.0f})
    EXPECT_LT(Difference(FromInverses(p, Head(omega), omega, false), Assemble(p, omega, Head(omega))), 1e-5) << omega;
  EXPECT_EQ(p.tables.solves.symmetric, 9);
  EXPECT_EQ(p.tables.solves.pivoted, 0);

  // without rocking stiffness the flexibility matrix starts with a zero pivot:
  // elimination without pivoting cannot proceed, the pivoted factorization can
  ComplexMatrix6 E = Head();
  E(5, 5) = 0.0f;
  const ComplexMatrix6 A = Assemble(p, 60.0f, E);
  EXPECT_LT(Difference(FromInverses(p, E, 60.0f, true), A), 1e-5);
  EXPECT_EQ(p.tables.solves.pivoted, 1) << "the problem in X";
}

TEST(PileGroup, UnsolvableInteractionIsReportedAndSummed) {
  Out().OpenMemory();
  auto summed = Group({{0, 0}, {2, 0}, {2, 0}, {0, 3}}, true, false);
  const ComplexMatrix6 plain = Assemble(summed, 50.0f);
  auto coincident = Group({{0, 0}, {2, 0}, {2, 0}, {0, 3}});
  EXPECT_NE(Out().Captured().find(" *** PILES 2 AND 3 COINCIDE - INTERACTION IGNORED ***\n"), std::string::npos);
  EXPECT_EQ(Difference(plain, Assemble(coincident, 50.0f)), 0.0);
  PairInteraction q;
  EXPECT_FALSE(coincident.tables.Pair(1, 2, q));

  auto noTipVelocity = Group({{0, 0}, {2, 0}, {2, 1}, {0, 3}});  // the tip layer carries no shear wave
  noTipVelocity->soil.ShearWaveVelocity(5) = 0.0f;
  noTipVelocity.SetUp();
  const ComplexMatrix6 quiet = Assemble(noTipVelocity, 50.0f);
  noTipVelocity->status.InteractionOn = false;
  EXPECT_EQ(Difference(quiet, Assemble(noTipVelocity, 50.0f)), 0.0);

  auto thin = Group({{0, 0}, {2, 0}});
  thin->sections.PileRadiusX(1) = thin->sections.PileRadiusY(1) = 0.0f;
  thin.SetUp();
  EXPECT_NE(Out().Captured().find("*** PILE DIAMETER IS NOT POSITIVE - INTERACTION IGNORED ***"), std::string::npos);

  auto group = Group({{0, 0}, {2, 0}, {2, 1}});
  const ComplexMatrix6 zero = Assemble(group, 50.0f, ComplexMatrix6{});
  EXPECT_NE(Out().Captured().find("*** PILE FLEXIBILITY CANNOT BE FORMED AT"), std::string::npos);
  for (const Complex& z : zero.a) EXPECT_EQ(z, Complex(0.0f, 0.0f));
  Out().Close();
}

TEST(PileGroup, FiveHundredPilesFit) {
  std::vector<std::pair<Real, Real>> grid;
  for (int i = 0; i < kMaxPiles; ++i)
    grid.push_back({1.5f * static_cast<Real>(i % 25), 1.5f * static_cast<Real>(i / 25)});
  auto p = Group(grid);
  const ComplexMatrix6 A = Assemble(p, 120.0f, Head(120.0f));
  for (const Complex& z : A.a) EXPECT_TRUE(std::isfinite(z.real()) && std::isfinite(z.imag()));
  auto summed = Group(grid, true, false);
  const ComplexMatrix6 alone = Assemble(summed, 120.0f, Head(120.0f));
  EXPECT_GT(Difference(A, alone), 1e-3) << "the interaction path was taken";
}

}  // namespace
}  // namespace terva
