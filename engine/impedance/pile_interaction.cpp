#include "engine/impedance/pile_interaction.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "engine/core/elementary.hpp"

namespace terva {

namespace {

constexpr Real kNoSoilRatio = 1.0e8f;  // stiffness ratio when the soil modulus is 0

// Position of the pair i < j (0-based) in the packed table of n piles.
size_t PairIndex(int i, int j, int n) {
  const size_t si = static_cast<size_t>(i);
  return si * static_cast<size_t>(2 * n - i - 1) / 2 + static_cast<size_t>(j - i - 1);
}

Real MeanRadius(const ProblemData& p, int k) { return (p.sections.PileRadiusX(k) + p.sections.PileRadiusY(k)) / 2.0f; }

// Shear wave velocity at the pile tip. The parabolic profile keeps only its
// layers' velocities, each Vt·((depth of the layer's middle)/L)^¼; the tip
// value is recovered from the deepest layer.
Real TipVelocity(const ProblemData& p, int layers) {
  if (layers < 1) return 0.0f;
  const Real deepest = p.soil.ShearWaveVelocity(layers);
  if (p.status.SoilMedia != kParabolic) return deepest;
  Real depth = 0;
  for (int k = 1; k <= layers; ++k) depth += p.sections.LayerThickness(k);
  const Real length = p.constants.PileLength;
  const Real relative = length != 0.0f ? (depth - p.sections.LayerThickness(layers) / 2.0f) / length : 0.0f;
  return relative > 0.0f ? deepest / Pow(relative, 0.25f) : deepest;
}

// Young's modulus of a soil from its shear wave velocity: 2(1 + ν)·Vs²·γ/g.
Real SoilModulus(Real nu, Real vs, Real gamma, Real g) {
  return g > 0.0f ? 2.0f * (1.0f + nu) * vs * vs * gamma / g : 0.0f;
}

void Ignored(Report& report, const std::string& why) { report.Line("*** " + why + " - INTERACTION IGNORED ***"); }

}  // namespace

InteractionTables SetUpPileInteraction(const ProblemData& p, Report& report) {
  InteractionTables t;
  const int n = PileCount(p);
  t.piles = n;
  if (!p.status.InteractionOn || n <= 1) return t;

  // ratios of the pile and the soil
  const int layers = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  const Real d = 2.0f * MeanRadius(p, 1);
  if (!(d > 0.0f) || !std::isfinite(d)) {
    Ignored(report, "PILE DIAMETER IS NOT POSITIVE");
    return t;
  }
  const Real L = p.constants.PileLength, g = p.Gravity;
  const Real pi = static_cast<Real>(std::acos(-1.0));
  const Real freeLength = layers >= 1 && p.soil.ShearWaveVelocity(1) == 0.0f ? p.sections.LayerThickness(1) / d : 0.0f;
  const BaseSoil& b = p.base;
  const Real Eb = SoilModulus(b.BasePoissonRatio, b.BaseShearWaveVelocity, b.BaseUnitWeight, g);
  Real sumE = 0, sumNu = 0, sumL = 0;
  for (int k = 1; k <= layers; ++k) {
    const Real Lk = p.sections.LayerThickness(k);
    sumE += SoilModulus(p.soil.SoilPoissonRatio(k), p.soil.ShearWaveVelocity(k), p.soil.SoilUnitWeight(k), g) * Lk;
    sumNu += p.soil.SoilPoissonRatio(k) * Lk;
    sumL += Lk;
  }
  const Real Es = sumL != 0.0f ? sumE / sumL : 0.0f;
  const Real meanNu = sumL != 0.0f ? sumNu / sumL : 0.0f;
  const Real Vt = TipVelocity(p, layers);
  const Real Et =
      layers >= 1 ? SoilModulus(p.soil.SoilPoissonRatio(layers), Vt, p.soil.SoilUnitWeight(layers), g) : 0.0f;
  const Real Ep = p.constants.YoungsModulus;

  VerticalFactorRatios ratios;
  ratios.slenderness = L / d;
  ratios.stiffness = Es != 0.0f ? Ep * p.sections.PileArea(1) / (Es * pi * d * d / 4.0f) : kNoSoilRatio;
  ratios.baseRatio = Es != 0.0f ? Eb / Es : kNoSoilRatio;
  ratios.poisson = meanNu;
  ratios.radiusRatio = layers >= 1 ? MeanRadius(p, layers) / MeanRadius(p, 1) : 1.0f;
  const Real KR = Et != 0.0f ? Ep * (p.sections.PileInertiaX(1) + p.sections.PileInertiaY(1)) / 2.0f /
                                   (Et * pi * d * d * d * d / 64.0f)
                             : kNoSoilRatio;

  // working coordinates: a battered pile is represented one third of its length below the head
  const Real toRadians = pi / 180.0f;
  std::vector<Real> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
  for (int i = 1; i <= n; ++i) {
    Real xi = p.piles.PileX(i), yi = p.piles.PileY(i);
    if (IsBattered(p, i)) {
      const auto& angles = p.piles.BatterDirectionAngles(i);
      xi += Tan(angles[0] * toRadians) * L / 3.0f;
      yi += Tan(angles[4] * toRadians) * L / 3.0f;
    }
    x[static_cast<size_t>(i - 1)] = xi;
    y[static_cast<size_t>(i - 1)] = yi;
  }

  std::vector<PairInteraction> pairs(static_cast<size_t>(n) * static_cast<size_t>(n - 1) / 2);
  size_t at = 0;
  for (int i = 0; i < n; ++i)
    for (int j = i + 1; j < n; ++j, ++at) {
      const Real dx = std::abs(x[static_cast<size_t>(i)] - x[static_cast<size_t>(j)]);
      const Real dy = std::abs(y[static_cast<size_t>(i)] - y[static_cast<size_t>(j)]);
      PairInteraction& q = pairs[at];
      q.spacing = std::sqrt(dx * dx + dy * dy) / d;
      if (!std::isfinite(q.spacing)) {
        Ignored(report, "PILE LOCATIONS ARE NOT FINITE");
        return t;
      }
      if (q.spacing == 0.0f) {
        // equal factors of 1 make two rows of the group flexibility equal
        Ignored(report, "PILES " + std::to_string(i + 1) + " AND " + std::to_string(j + 1) + " COINCIDE");
        return t;
      }
      const Real psiX = dx == 0.0f ? pi / 2.0f : Atan(dy / dx);
      const Real psiY = dy == 0.0f ? pi / 2.0f : Atan(dx / dy);
      const Real sx = Sin(psiX), cx = Cos(psiX), sy = Sin(psiY), cy = Cos(psiY);
      q.sin2X = sx * sx, q.cos2X = cx * cx, q.sin2Y = sy * sy, q.cos2Y = cy * cy;
      q.vertical = StaticVerticalFactor(q.spacing, ratios);
      q.horizontal = StaticHorizontalFactors(q.spacing, KR, freeLength);
    }
  t.diameter = d;
  t.tipVelocity = std::isfinite(Vt) ? Vt : 0.0f;
  t.pairs = std::make_shared<const std::vector<PairInteraction>>(std::move(pairs));
  t.usable = true;
  return t;
}

bool InteractionTables::Pair(int i, int j, PairInteraction& out) const {
  if (!usable || i == j || i < 1 || j < 1 || i > piles || j > piles) return false;
  out = (*pairs)[PairIndex(std::min(i, j) - 1, std::max(i, j) - 1, piles)];
  return true;
}

}  // namespace terva
