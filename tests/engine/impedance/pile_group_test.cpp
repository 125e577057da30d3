// Pile groups: the summation against rigid-body transformations of each pile,
// the interaction path against hand-solved and independently inverted group
// flexibility problems, the fitted interaction factors at hand-computed
// points, and the guards for groups that cannot be solved with interaction.
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

const double kPi = std::acos(-1.0);

// A group of piles 0.6 wide and 15 long in five soil layers.
std::unique_ptr<ProblemData> Group(const std::vector<std::pair<Real, Real>>& xy, bool fixed = true,
                                   bool interaction = true) {
  auto p = std::make_unique<ProblemData>();
  p->Gravity = 9.81f;
  p->status.FoundationType = kPile;
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
  SetUpPileInteraction(*p);
  return p;
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

ComplexMatrix6 Assemble(const ProblemData& p, Real omega, const ComplexMatrix6& E = Head()) {
  ComplexMatrix6 A;
  AssemblePileGroup(p, E, omega, A);
  return A;
}

TEST(PileGroup, WithoutInteractionEachPileIsMovedToTheCentreOfGravity) {
  auto p = Group({{1.0f, 2.0f}, {-3.0f, 0.5f}, {0.5f, -1.5f}}, true, false);
  ComplexMatrix6 expected, moved;
  for (int i = 1; i <= 3; ++i) {
    TransformImpedance(Head(), RigidBodyTransformation(p->piles.PileX(i), p->piles.PileY(i), 0.8f, 0.0f), moved);
    for (size_t k = 0; k < 36; ++k) expected.a[k] += moved.a[k];
  }
  const ComplexMatrix6 A = Assemble(*p, 50.0f);
  EXPECT_LT(Difference(expected, A), 1e-6);
  EXPECT_EQ(A(1, 1), 3.0f * Head()(1, 1));
  EXPECT_EQ(A(6, 6), Head()(6, 6) * 3.0f + Head()(1, 1) * 6.5f + Head()(2, 2) * 10.25f);

  // one pile with the interaction option is summed as well
  auto single = Group({{1.0f, 2.0f}});
  TransformImpedance(Head(), RigidBodyTransformation(1.0f, 2.0f, 0.8f, 0.0f), moved);
  EXPECT_LT(Difference(moved, Assemble(*single, 50.0f)), 1e-6);
}

TEST(PileGroup, SymmetricGroupsHaveNoEccentricCoupling) {
  for (bool interaction : {false, true})
    for (Real omega : {5.0f, 80.0f}) {
      auto p = Group({{-0.9f, -1.2f}, {0.9f, -1.2f}, {-0.9f, 1.2f}, {0.9f, 1.2f}}, true, interaction);
      const ComplexMatrix6 A = Assemble(*p, omega);
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
  ASSERT_TRUE(PileInteraction(1, 2, q));
  ASSERT_TRUE(PileInteraction(2, 1, back));
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
  const ComplexMatrix6 A = Assemble(*p, 10.0f, E);
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
  ASSERT_TRUE(PileInteraction(1, 2, q));
  GroupFlexibilityMatrices at10, above;
  ASSERT_TRUE(GroupFlexibility(*p, Head(10.0f), 10.0f, at10));
  ASSERT_TRUE(GroupFlexibility(*p, Head(10.0f), 10.01f, above));
  ASSERT_EQ(at10.vertical, 3);
  ASSERT_EQ(at10.horizontal, 6);
  const Complex f33 = 1.0f / Head(10.0f)(3, 3);
  const Complex staticFactor = at10.V[3] / f33, dynamicFactor = above.V[3] / f33;  // piles 1 and 2
  EXPECT_NEAR(staticFactor.real(), q.vertical, 1e-6);
  EXPECT_NEAR(staticFactor.imag(), 0.0, 1e-9);
  // just above 10 rad/s: a0 = ω·d/Vt is small, the fitted phase at s/d = 3 on
  // the 2-5 line is small, and the shift of 0.0936 dominates
  const double a = 10.01 * 0.6 / 250.0, p2 = 3.786 * a - 5.2 * a * a, p5 = 7.2 * a - 5.54 * a * a;
  EXPECT_NEAR(std::arg(dynamicFactor), -(p2 + (p5 - p2) / 3.0 - 0.0936), 1e-5);
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
  ASSERT_TRUE(PileInteraction(1, 3, q13));
  fits.Horizontal(q13.horizontal, q13.spacing, at0, at90);
  EXPECT_LT(near(above.X[4 * 6 + 0], std::complex<double>(at90[0]) * f11), 1e-5);
  EXPECT_LT(near(above.Y[4 * 6 + 0], std::complex<double>(at0[0]) * f22), 1e-5);
}

TEST(PileGroup, DynamicFactorsAtHandComputedPoints) {
  // a0 → 0: amplitudes 1, fitted phases 0, only the constant shifts remain
  const DynamicFits zero(0.0f);
  EXPECT_NEAR(std::arg(zero.Vertical(1.0f, 4.0f)), 0.0936, 1e-6);
  HorizontalStaticFactors unit;
  unit.at0 = unit.at90 = {1.0f, 1.0f, 1.0f};
  std::array<Complex, 3> at0, at90;
  zero.Horizontal(unit, 3.0f, at0, at90);
  const double shift[3] = {0.0757, 0.05157, 0.02596};
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(std::arg(at0[k]), shift[k], 1e-6);
    EXPECT_NEAR(std::abs(at90[k]), 1.0, 1e-6);
  }
  // s/d = 12: exponential vertical amplitude; horizontal amplitudes taken at 10,
  // α1 with its extra decay, phases extrapolated on the 5-10 line
  const DynamicFits half(0.5f);
  EXPECT_NEAR(std::abs(half.Vertical(1.0f, 12.0f)), std::exp(-0.6 * 0.5), 1e-6);
  EXPECT_NEAR(std::abs(DynamicFits(2.0f).Vertical(1.0f, 12.0f)), std::exp(-0.6) * std::exp(-0.6), 1e-6);
  half.Horizontal(unit, 12.0f, at0, at90);
  const double amp = 1 - 0.876 * 0.5 + 2.23 * 0.25 - 2.13 * 0.125, phi = 2.77 + (2.77 - 1.45) * 0.4 - 0.0757;
  const std::complex<double> want = amp * std::exp(-0.028) * std::complex<double>(std::cos(phi), -std::sin(phi));
  EXPECT_NEAR(at0[0].real(), want.real(), 1e-5);
  EXPECT_NEAR(at0[0].imag(), want.imag(), 1e-5);
  EXPECT_NEAR(std::abs(at0[1]), 1 + 0.53 * 0.5 + 14.99 * 0.25 - 23.69 * 0.125 + 8.22 * 0.0625, 1e-5);
  const double a5 = 1 - 0.84 * 0.5 + 4.725 * 0.25 - 3.125 * 0.125;
  EXPECT_NEAR(std::abs(at90[0]), a5 * std::exp(-0.05 * 0.5 * 2), 1e-5);
}

TEST(PileGroup, StaticFactorFunctionsAtHandComputedPoints) {
  // K = 1000 puts every A at 0; Eb/Es = 1 gives weight 0; rN = r1 and ν = 0.5 drop the corrections
  VerticalFactorRatios r{100.0f, 1000.0f, 1.0f, 0.5f, 1.0f};
  const double l5 = std::log(5.0);
  const double at100 = 0.522 - 0.11 * l5, at50 = 0.638 - 0.154 * l5, at25 = 0.712 - 0.19 * l5, at10 = 0.72 - 0.244 * l5;
  EXPECT_NEAR(StaticVerticalFactor(5.0f, r), at100, 1e-6);
  for (auto [lambda, want] : {std::pair{400.0, at100},
                              {75.0, (at50 + at100) / 2},
                              {50.0, at50},
                              {17.5, (at10 + at25) / 2},
                              {10.0, at10},
                              {2.0, at10}}) {
    r.slenderness = static_cast<Real>(lambda);
    EXPECT_NEAR(StaticVerticalFactor(5.0f, r), want, 1e-6) << "L/d " << lambda;
  }
  r.slenderness = 100.0f;
  EXPECT_NEAR(StaticVerticalFactor(20.0f, r), (4.63 - 19.4 * 0.05) * 0.05, 1e-6) << "far anchor";
  r.baseRatio = 100.0f;  // weight 1: the anchor is α2·C
  EXPECT_NEAR(StaticVerticalFactor(5.0f, r), (0.57 - 0.171 * l5) * (1 - (0.31 - 0.12)), 1e-6);
  r.slenderness = 50.0f;
  for (Real K : {1.0e4f, 3.1e4f}) {  // C·(4 − κ) reaches 0 and is then held at 0
    r.stiffness = K;
    EXPECT_NEAR(StaticVerticalFactor(5.0f, r), 0.0, 1e-6);
  }
  r = {100.0f, 1000.0f, 1.0f, 0.3f, 1.0f};
  EXPECT_NEAR(StaticVerticalFactor(4.0f, r) / StaticVerticalFactor(4.0f, {100.0f, 1000.0f, 1.0f, 0.5f, 1.0f}), 1.032,
              1e-6);
  EXPECT_EQ(StaticVerticalFactor(0.0f, r), 1.0f);
  for (Real bad : {0.0f, -5.0f, NAN}) {
    r.stiffness = r.baseRatio = r.slenderness = bad;
    EXPECT_TRUE(std::isfinite(StaticVerticalFactor(3.0f, r)));
  }

  const HorizontalStaticFactors h4 = StaticHorizontalFactors(4.0f, 1.0f, 0.0f);
  EXPECT_NEAR(h4.at0[0], 0.41 * std::pow(0.25, 0.725), 1e-6);
  EXPECT_NEAR(h4.at90[2], 0.02 * std::pow(0.25, 1.42), 1e-7);
  const HorizontalStaticFactors wide = StaticHorizontalFactors(10.0f, 1.0f, 2.0f);  // d/s < 0.2, hf = 2
  EXPECT_NEAR(wide.at0[0], 0.75 * 0.41 * std::pow(0.2, 0.725) * 0.5, 1e-6);
  EXPECT_NEAR(wide.at90[1], 0.75 * 0.05 * std::pow(0.1, 1.315), 1e-7);
  EXPECT_NEAR(StaticHorizontalFactors(4.0f, 16.0f, 0.0f).at0[1], 0.174 * std::pow(16.0, 0.163) * std::pow(0.25, 1.095),
              1e-6);
  EXPECT_NEAR(BlendHorizontal(h4, static_cast<Real>(kPi / 4))[0], (h4.at0[0] + h4.at90[0]) / 2, 1e-6);
  EXPECT_EQ(StaticHorizontalFactors(0.0f, 5.0f, 1.0f).at90[2], 1.0f);
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
  EXPECT_EQ(Assemble(*p, 50.0f)(3, 3),
            Head()(3, 3) + BatteredPileMatrix(Head(), p->piles.BatterDirectionAngles(2))(3, 3));
  p->status.InteractionOn = true;
  SetUpPileInteraction(*p);
  PairInteraction q;
  ASSERT_TRUE(PileInteraction(1, 2, q));
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
ComplexMatrix6 FromInverses(const ProblemData& p, const ComplexMatrix6& E, Real omega, bool pivot) {
  GroupFlexibilityMatrices m;
  EXPECT_TRUE(GroupFlexibility(p, E, omega, m));
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
    EXPECT_LT(Difference(FromInverses(*p, Head(omega), omega, false), Assemble(*p, omega, Head(omega))), 1e-5) << omega;
  EXPECT_EQ(PileGroupSolveCounts().symmetric, 9);
  EXPECT_EQ(PileGroupSolveCounts().pivoted, 0);

  // without rocking stiffness the flexibility matrix starts with a zero pivot:
  // elimination without pivoting cannot proceed, the pivoted factorization can
  ComplexMatrix6 E = Head();
  E(5, 5) = 0.0f;
  const ComplexMatrix6 A = Assemble(*p, 60.0f, E);
  EXPECT_LT(Difference(FromInverses(*p, E, 60.0f, true), A), 1e-5);
  EXPECT_EQ(PileGroupSolveCounts().pivoted, 1) << "the problem in X";
}

TEST(PileGroup, UnsolvableInteractionIsReportedAndSummed) {
  Out().OpenMemory();
  auto summed = Group({{0, 0}, {2, 0}, {2, 0}, {0, 3}}, true, false);
  const ComplexMatrix6 plain = Assemble(*summed, 50.0f);
  auto coincident = Group({{0, 0}, {2, 0}, {2, 0}, {0, 3}});
  EXPECT_NE(Out().Captured().find(" *** PILES 2 AND 3 COINCIDE - INTERACTION IGNORED ***\n"), std::string::npos);
  EXPECT_EQ(Difference(plain, Assemble(*coincident, 50.0f)), 0.0);
  PairInteraction q;
  EXPECT_FALSE(PileInteraction(1, 2, q));

  auto noTipVelocity = Group({{0, 0}, {2, 0}, {2, 1}, {0, 3}});  // the tip layer carries no shear wave
  noTipVelocity->soil.ShearWaveVelocity(5) = 0.0f;
  const ComplexMatrix6 quiet = Assemble(*noTipVelocity, 50.0f);
  noTipVelocity->status.InteractionOn = false;
  EXPECT_EQ(Difference(quiet, Assemble(*noTipVelocity, 50.0f)), 0.0);

  auto thin = Group({{0, 0}, {2, 0}});
  thin->sections.PileRadiusX(1) = thin->sections.PileRadiusY(1) = 0.0f;
  SetUpPileInteraction(*thin);
  EXPECT_NE(Out().Captured().find("*** PILE DIAMETER IS NOT POSITIVE - INTERACTION IGNORED ***"), std::string::npos);

  auto group = Group({{0, 0}, {2, 0}, {2, 1}});
  const ComplexMatrix6 zero = Assemble(*group, 50.0f, ComplexMatrix6{});
  EXPECT_NE(Out().Captured().find("*** PILE FLEXIBILITY CANNOT BE FORMED AT"), std::string::npos);
  for (const Complex& z : zero.a) EXPECT_EQ(z, Complex(0.0f, 0.0f));
  Out().Close();
}

TEST(PileGroup, FiveHundredPilesFit) {
  std::vector<std::pair<Real, Real>> grid;
  for (int i = 0; i < kMaxPiles; ++i)
    grid.push_back({1.5f * static_cast<Real>(i % 25), 1.5f * static_cast<Real>(i / 25)});
  auto p = Group(grid);
  const ComplexMatrix6 A = Assemble(*p, 120.0f, Head(120.0f));
  for (const Complex& z : A.a) EXPECT_TRUE(std::isfinite(z.real()) && std::isfinite(z.imag()));
  const ComplexMatrix6 alone = Assemble(*Group(grid, true, false), 120.0f, Head(120.0f));
  EXPECT_GT(Difference(A, alone), 1e-3) << "the interaction path was taken";
}

}  // namespace
}  // namespace terva
