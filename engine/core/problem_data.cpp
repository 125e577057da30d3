#include "engine/core/problem_data.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/core/elementary.hpp"
#include "terva/version.h"

namespace terva {

namespace {
constexpr Real kPi = 3.14159f;  // the engine's stored value for the equivalent radii
}

UnitLabels UnitLabels::English() {
  UnitLabels u;
  u.length = "ft";
  u.moment = "lb-ft";
  u.force = "lb ";
  u.modulus = "psf";
  u.unitWeight = "lb/ft**3";
  u.acceleration = "ft/s**2";
  u.area = "ft**2";
  u.velocity = "ft/s";
  u.secondMoment = "ft**4";
  u.mass = "slug";
  u.massMoment = "slug-ft**2";
  u.transStiffness = "lb/ft";
  u.rotStiffness = "lb-ft/rad";
  u.transDamping = "lb/ft/sec";
  u.rotDamping = "lb-ft/rad/se";  // the field holds 12 characters
  u.crossStiffness = "lb/rad";
  u.crossDamping = "lb/rad/sec";
  u.massLength = "slug-ft";
  return u;
}

UnitLabels UnitLabels::SI() {
  UnitLabels u;
  u.length = "m ";
  u.moment = "kN-m ";
  u.force = "kN.";
  u.modulus = "kPa";
  u.unitWeight = "kN/m**3 ";
  u.acceleration = "m/s**2 ";
  u.area = "m**2 ";
  u.velocity = "m/s ";
  u.secondMoment = "m**4 ";
  u.mass = "Mg  ";
  u.massMoment = "Mg-m**2   ";
  u.transStiffness = "kN/m ";
  u.rotStiffness = "kN-m/rad ";
  u.transDamping = "kN/m/sec ";
  u.rotDamping = "kN-m/rad/sec";
  u.crossStiffness = "kN/rad";
  u.crossDamping = "kN/rad/sec";
  u.massLength = "Mg-m   ";
  return u;
}

void ProblemData::ResetRunState() {
  run.EchoInput = true;
  run.WidePrintout = false;
  run.PrintConstants = false;
  run.DimensionlessResponse = false;
  run.InputErrorIndicator = false;
  run.StopIndicator = false;
  run.Title = DefaultTitle();
  status = ProblemStatus{};
}

const std::string& DefaultTitle() {
  static const std::string title = [] {
    std::string t = "TERVA " TERVA_VERSION " - SOIL-FOUNDATION DYNAMIC ANALYSIS - UNTITLED PROBLEM";
    t.resize(kTitleLength, ' ');
    return t;
  }();
  return title;
}

Int RoundCount(Real value) {
  if (!(value == value)) return 0;  // NaN counts as nothing
  constexpr double kLimit = 1.0e9;
  double v = static_cast<double>(value);
  if (v > kLimit) v = kLimit;
  if (v < -kLimit) v = -kLimit;
  return static_cast<Int>(std::lround(v));  // halves away from zero
}

Int RowsOf(Real countValue, int capacity) { return std::clamp<Int>(RoundCount(countValue), 0, capacity); }

std::array<Real, 4> RectangularEquivalentRadii(Real a, Real b) {
  std::array<Real, 4> r{};
  r[0] = std::sqrt(a * b / kPi);                                      // translation
  r[1] = Pow(b * b * b * a / (3.0f * kPi), 0.25f);               // rocking (first)
  r[2] = Pow(a * a * a * b / (3.0f * kPi), 0.25f);               // rocking (second)
  r[3] = Pow((a * a + b * b) * a * b / (6.0f * kPi), 0.25f);     // torsion
  return r;
}

void GenerateParabolicProfile(ProblemData& p, Real tipVelocity, Real unitWeight, Real poisson, Real damping) {
  const Real length = p.constants.PileLength;
  p.piles.LayerCountValue = static_cast<Real>(kMaxLayers);
  const Real t = length / 40.0f;
  Real depth = 0;
  for (int k = 1; k <= kMaxLayers; ++k) {
    const Real thickness = k <= 20 ? t : 2.0f * t;
    p.sections.LayerThickness(k) = thickness;
    depth += thickness;
    // velocity grows with the fourth root of the depth of the layer's middle
    const Real relative = length != 0 ? (depth - thickness / 2.0f) / length : 0.0f;
    p.soil.ShearWaveVelocity(k) = relative > 0 ? tipVelocity * Pow(relative, 0.25f) : 0.0f;
    p.soil.SoilUnitWeight(k) = unitWeight;
    p.soil.SoilPoissonRatio(k) = poisson;
    p.soil.SoilDamping(k) = damping;
    if (k > 1) {
      p.sections.PileRadiusX(k) = p.sections.PileRadiusX(1);
      p.sections.PileRadiusY(k) = p.sections.PileRadiusY(1);
      p.sections.PileArea(k) = p.sections.PileArea(1);
      p.sections.PileInertiaX(k) = p.sections.PileInertiaX(1);
      p.sections.PileInertiaY(k) = p.sections.PileInertiaY(1);
      p.sections.PileTorsion(k) = p.sections.PileTorsion(1);
    }
  }
}

}  // namespace terva
