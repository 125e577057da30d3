#include "engine/impedance/pile_group.hpp"

#include <algorithm>
#include <cmath>
#include <complex>
#include <utility>

#include "engine/impedance/transform.hpp"
#include "engine/numerics/invert6.hpp"
#include "engine/report/report_format.hpp"

namespace terva {

namespace {

constexpr Real kStaticLimit = 10.0f;  // rad/s; at and below it the static factors are used

// The flexibility entries one pile contributes to the diagonal of the group problems.
struct PileFlexibility {
  Complex f11, f22, f33, f44, f55, f15, f24;
};

PileFlexibility FlexibilityOf(const ComplexMatrix6& F) {
  return {F(1, 1), F(2, 2), F(3, 3), F(4, 4), F(5, 5), F(1, 5), F(2, 4)};
}

// Everything one frequency of the interaction path needs.
struct GroupFrequency {
  int piles = 0;
  bool fixedHeads = true;
  PileFlexibility single;            // the unrotated pile: off-diagonal blocks
  std::vector<PileFlexibility> own;  // each pile's own: diagonal blocks
};

// The single pile's flexibility and each pile's own (a battered pile's rotated
// matrix inverted). False when one of them cannot be formed.
bool PrepareFrequency(const ProblemData& p, const ComplexMatrix6& E, GroupFrequency& g) {
  g.piles = PileCount(p);
  g.fixedHeads = RoundCount(p.piles.HeadFixity) != 0;
  ComplexMatrix6 F;
  if (!Invert6(E, F)) return false;
  g.single = FlexibilityOf(F);
  g.own.assign(static_cast<size_t>(g.piles), g.single);
  for (int i = 1; i <= g.piles; ++i) {
    if (!IsBattered(p, i)) continue;
    ComplexMatrix6 Fi;
    if (!Invert6(BatteredPileMatrix(E, p.piles.BatterDirectionAngles(i)), Fi)) return false;
    g.own[static_cast<size_t>(i - 1)] = FlexibilityOf(Fi);
  }
  return true;
}

// Fills the three group flexibility matrices of one frequency. Every pair's
// factors are formed once and written into all three problems.
void BuildGroupMatrices(const GroupFrequency& g, Real omega, InteractionTables& t) {
  const int n = g.piles;
  const int orderH = g.fixedHeads ? 2 * n : n;
  t.vertical.Resize(n);
  t.loadX.Resize(orderH);
  t.loadY.Resize(orderH);
  const PileFlexibility& s = g.single;

  for (int i = 0; i < n; ++i) {
    const PileFlexibility& f = g.own[static_cast<size_t>(i)];
    t.vertical.Set(i, i, f.f33);
    if (g.fixedHeads) {
      const int d = 2 * i, r = 2 * i + 1;
      t.loadX.Set(d, d, f.f11), t.loadX.Set(d, r, f.f15), t.loadX.Set(r, d, f.f15), t.loadX.Set(r, r, f.f55);
      t.loadY.Set(d, d, f.f22), t.loadY.Set(d, r, f.f24), t.loadY.Set(r, d, f.f24), t.loadY.Set(r, r, f.f44);
    } else {
      t.loadX.Set(i, i, f.f11);
      t.loadY.Set(i, i, f.f22);
    }
  }

  const bool dynamic = omega > kStaticLimit;
  const DynamicFits fits(dynamic && t.tipVelocity != 0.0f ? omega * t.diameter / t.tipVelocity : 0.0f);
  std::array<Complex, 3> at0{}, at90{}, ax{}, ay{};
  size_t at = 0;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j, ++at) {
      const PairInteraction& q = (*t.pairs)[at];
      Complex av;
      if (dynamic) {
        av = fits.Vertical(q.vertical, q.spacing);
        fits.Horizontal(q.horizontal, q.spacing, at0, at90);
        for (int k = 0; k < 3; ++k) {
          ax[k] = q.sin2X * at90[k] + q.cos2X * at0[k];
          ay[k] = q.sin2Y * at90[k] + q.cos2Y * at0[k];
        }
      } else {
        av = q.vertical;
        for (int k = 0; k < 3; ++k) {
          ax[k] = q.sin2X * q.horizontal.at90[k] + q.cos2X * q.horizontal.at0[k];
          ay[k] = q.sin2Y * q.horizontal.at90[k] + q.cos2Y * q.horizontal.at0[k];
        }
      }
      const Complex v = av * s.f33;
      t.vertical.Set(i, j, v);
      t.vertical.Set(j, i, v);
      if (g.fixedHeads) {
        const Complex x11 = ax[0] * s.f11, x15 = ax[1] * s.f15, x55 = ax[2] * s.f55;
        const Complex y22 = ay[0] * s.f22, y24 = ay[1] * s.f24, y44 = ay[2] * s.f44;
        for (const auto& [a, b] : {std::pair{i, j}, std::pair{j, i}}) {
          const int da = 2 * a, ra = 2 * a + 1, db = 2 * b, rb = 2 * b + 1;
          t.loadX.Set(da, db, x11), t.loadX.Set(da, rb, x15), t.loadX.Set(ra, db, x15), t.loadX.Set(ra, rb, x55);
          t.loadY.Set(da, db, y22), t.loadY.Set(da, rb, y24), t.loadY.Set(ra, db, y24), t.loadY.Set(ra, rb, y44);
        }
      } else {
        const Complex x11 = ax[0] * s.f11, y22 = ay[0] * s.f22;
        t.loadX.Set(i, j, x11), t.loadX.Set(j, i, x11);
        t.loadY.Set(i, j, y22), t.loadY.Set(j, i, y22);
      }
    }
}

// Solves A·U = W for the given real weight vectors and returns, for every
// pair (a, b) asked for, Σ W(:, a)·U(:, b) = W_aᵀ·A⁻¹·W_b.
template <size_t NW, size_t NS>
bool WeightedInverseSums(ComplexSymmetricSystem& system, const std::array<std::vector<Real>, NW>& w,
                         const std::array<std::pair<int, int>, NS>& which, std::array<Complex, NS>& out,
                         std::vector<float>& scratch, GroupSolveCounts& counts) {
  const size_t n = static_cast<size_t>(system.order());
  scratch.assign(2 * n * NW, 0.0f);
  for (size_t c = 0; c < NW; ++c) std::copy(w[c].begin(), w[c].end(), scratch.data() + 2 * n * c);
  system.Factor();
  const bool solved = system.Solve(scratch.data(), static_cast<int>(NW)) == ComplexSymmetricSystem::Status::kSuccess;
  ++(system.pivoted() ? counts.pivoted : counts.symmetric);
  if (!solved) return false;
  for (size_t s = 0; s < NS; ++s) {
    const auto [a, b] = which[s];
    const float* ur = scratch.data() + 2 * n * static_cast<size_t>(b);
    const float* ui = ur + n;
    double sr = 0, si = 0;
    for (size_t i = 0; i < n; ++i) {
      sr += static_cast<double>(w[static_cast<size_t>(a)][i]) * ur[i];
      si += static_cast<double>(w[static_cast<size_t>(a)][i]) * ui[i];
    }
    out[s] = Complex(static_cast<Real>(sr), static_cast<Real>(si));
    if (!Finite(out[s])) return false;
  }
  return true;
}

// The group sums from the three flexibility problems; false when one of them
// cannot be solved.
bool InteractionSums(const ProblemData& p, const GroupFrequency& g, InteractionTables& t, GroupSums& s) {
  const size_t n = static_cast<size_t>(g.piles);
  std::vector<Real> X(n), Y(n), ones(n, 1.0f);
  for (size_t i = 0; i < n; ++i)
    X[i] = p.piles.PileX(static_cast<int>(i) + 1), Y[i] = p.piles.PileY(static_cast<int>(i) + 1);

  // vertical: M = 1ᵀK1, N = 1ᵀKX, O = 1ᵀKY, P = XᵀKY, Q = XᵀKX, R = YᵀKY
  {
    std::array<Complex, 6> r;
    if (!WeightedInverseSums<3, 6>(t.vertical, {ones, X, Y}, {{{0, 0}, {0, 1}, {0, 2}, {1, 2}, {1, 1}, {2, 2}}}, r,
                                   t.rhs, t.solves))
      return false;
    s.M = r[0], s.N = r[1], s.O = r[2], s.P = r[3], s.Q = r[4], s.R = r[5];
  }
  // horizontal: the weight of a lever arm goes with the pile whose head
  // deflection the entry refers to (the motion index)
  auto horizontal = [&](ComplexSymmetricSystem& system, const std::vector<Real>& arm, Complex& direct, Complex& armed,
                        Complex& armed2, Complex& coupling, Complex& couplingArmed, Complex& rocking) {
    if (!g.fixedHeads) {
      std::array<Complex, 3> r;
      if (!WeightedInverseSums<2, 3>(system, {ones, arm}, {{{0, 0}, {0, 1}, {1, 1}}}, r, t.rhs, t.solves)) return false;
      direct = r[0], armed = r[1], armed2 = r[2];
      coupling = couplingArmed = rocking = Complex(0.0f, 0.0f);
      return true;
    }
    std::vector<Real> deflection(2 * n, 0.0f), deflectionArm(2 * n, 0.0f), rotation(2 * n, 0.0f);
    for (size_t i = 0; i < n; ++i) deflection[2 * i] = 1.0f, deflectionArm[2 * i] = arm[i], rotation[2 * i + 1] = 1.0f;
    std::array<Complex, 6> r;
    if (!WeightedInverseSums<3, 6>(system, {deflection, deflectionArm, rotation},
                                   {{{0, 0}, {0, 1}, {1, 1}, {2, 0}, {2, 1}, {2, 2}}}, r, t.rhs, t.solves))
      return false;
    direct = r[0], armed = r[1], armed2 = r[2], coupling = r[3], couplingArmed = r[4], rocking = r[5];
    return true;
  };
  if (!horizontal(t.loadX, Y, s.A, s.C, s.E2, s.G, s.I, s.Kr)) return false;
  if (!horizontal(t.loadY, X, s.B, s.D, s.F2, s.H, s.J, s.L4)) return false;
  return true;
}

// The element matrix of pile i (1-based) in global axes.
ComplexMatrix6 PileMatrix(const ProblemData& p, const ComplexMatrix6& E, int i) {
  return IsBattered(p, i) ? BatteredPileMatrix(E, p.piles.BatterDirectionAngles(i)) : E;
}

// Whether this frequency can take the interaction path at all.
bool InteractionApplies(const ProblemData& p, const InteractionTables& t) {
  const int n = PileCount(p);
  if (!p.status.InteractionOn || n <= 1) return false;
  return t.usable && t.piles == n && t.tipVelocity != 0.0f;
}

}  // namespace

ComplexMatrix6 BatteredPileMatrix(const ComplexMatrix6& E, const std::array<Real, 9>& directionAngles) {
  const double toRadians = std::acos(-1.0) / 180.0;
  RealMatrix6 R;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) {
      const Real v = static_cast<Real>(std::cos(directionAngles[static_cast<size_t>(3 * r + c)] * toRadians));
      R(r + 1, c + 1) = v;
      R(r + 4, c + 4) = v;
    }
  ComplexMatrix6 out;
  TransformImpedance(E, R, out, TransformedEntries::kAll);
  return out;
}

GroupSums SumPiles(const ProblemData& p, const ComplexMatrix6& E) {
  GroupSums s{};
  const int n = PileCount(p);
  for (int i = 1; i <= n; ++i) {
    const ComplexMatrix6 Ei = PileMatrix(p, E, i);
    const Real x = p.piles.PileX(i), y = p.piles.PileY(i);
    s.A += Ei(1, 1);
    s.B += Ei(2, 2);
    s.C += y * Ei(1, 1);
    s.D += x * Ei(2, 2);
    s.E2 += y * y * Ei(1, 1);
    s.F2 += x * x * Ei(2, 2);
    s.G += Ei(1, 5);
    s.H += Ei(2, 4);
    s.I += y * Ei(1, 5);
    s.J += x * Ei(2, 4);
    s.Kr += Ei(5, 5);
    s.L4 += Ei(4, 4);
    s.M += Ei(3, 3);
    s.N += x * Ei(3, 3);
    s.O += y * Ei(3, 3);
    s.P += x * y * Ei(3, 3);
    s.Q += x * x * Ei(3, 3);
    s.R += y * y * Ei(3, 3);
    s.S += Ei(6, 6);
  }
  return s;
}

void FoundationMatrixFromSums(const GroupSums& s, Real h, ComplexMatrix6& A) {
  A.Zero();
  auto put = [&A](int i, int j, Complex v) { A(i, j) = v, A(j, i) = v; };
  put(1, 1, s.A);
  put(2, 2, s.B);
  put(3, 3, s.M);
  put(1, 5, -h * s.A + s.G);
  put(2, 4, h * s.B + s.H);
  put(1, 6, s.C);
  put(2, 6, -s.D);
  put(3, 4, -s.O);
  put(3, 5, s.N);
  put(4, 4, h * h * s.B + 2.0f * h * s.H + s.L4 + s.R);
  put(4, 5, -s.P);
  put(4, 6, -h * s.D - s.J);
  put(5, 5, h * h * s.A - 2.0f * h * s.G + s.Kr + s.Q);
  put(5, 6, -h * s.C + s.I);
  put(6, 6, s.E2 + s.F2 + s.S);
}


bool GroupFlexibility(const ProblemData& p, InteractionTables& t, const ComplexMatrix6& E, Real omega,
                      GroupFlexibilityMatrices& out) {
  out = GroupFlexibilityMatrices{};
  if (!InteractionApplies(p, t)) return false;
  GroupFrequency g;
  if (!PrepareFrequency(p, E, g)) return false;
  BuildGroupMatrices(g, omega, t);
  auto copy = [](const ComplexSymmetricSystem& s, std::vector<Complex>& F) {
    const size_t n = static_cast<size_t>(s.order());
    F.resize(n * n);
    for (size_t j = 0; j < n; ++j)
      for (size_t i = 0; i < n; ++i) F[j * n + i] = s.Get(static_cast<int>(i), static_cast<int>(j));
  };
  out.vertical = t.vertical.order();
  out.horizontal = t.loadX.order();
  copy(t.vertical, out.V);
  copy(t.loadX, out.X);
  copy(t.loadY, out.Y);
  return true;
}

void AssemblePileGroup(const ProblemData& p, InteractionTables& t, const ComplexMatrix6& E, Real omega,
                       ComplexMatrix6& A, Report& report) {
  const Real h = p.constants.CentreOfGravityHeight;
  if (InteractionApplies(p, t)) {
    GroupFrequency g;
    GroupSums s{};
    if (!PrepareFrequency(p, E, g)) {
      report.Line(fmt::Line("*** PILE FLEXIBILITY CANNOT BE FORMED AT ")
                     .PE(omega, 10, 3)
                     .A(" RAD/SEC - INTERACTION IGNORED ***"));
    } else {
      BuildGroupMatrices(g, omega, t);
      if (InteractionSums(p, g, t, s)) {
        for (int i = 1; i <= g.piles; ++i) s.S += PileMatrix(p, E, i)(6, 6);
        FoundationMatrixFromSums(s, h, A);
        return;
      }
      report.Line(fmt::Line("*** PILE GROUP FLEXIBILITY IS SINGULAR AT ")
                     .PE(omega, 10, 3)
                     .A(" RAD/SEC - INTERACTION IGNORED ***"));
    }
  }
  FoundationMatrixFromSums(SumPiles(p, E), h, A);
}

}  // namespace terva
