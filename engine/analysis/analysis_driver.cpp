// The analysis driver: the frequency list, the impedance of the foundation at
// every frequency, the stiffness and damping report, and the hand-over to the
// response phase.
#include "engine/analysis/analysis_driver.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/analysis/progress.hpp"
#include "engine/analysis/records.hpp"
#include "engine/core/matrix6.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/impedance/half_space.hpp"
#include "engine/impedance/pile_group.hpp"
#include "engine/impedance/side_layers.hpp"
#include "engine/impedance/single_pile.hpp"
#include "engine/impedance/transform.hpp"
#include "engine/report/report.hpp"
#include "engine/response/harmonic_response.hpp"
#include "engine/response/random_response.hpp"
#include "engine/response/transient_response.hpp"

namespace terva {

namespace {

void NotExecuted(Report& out) { out.Line("***PROGRAM WILL NOT EXECUTE***"); }

// What the pile models take from the preparation before the loop.
struct PilePreparation {
  Real shearCutOff = 0, compressionCutOff = 0;  // ωs and ωp, 0 unless the piles bear on a stiffer base
  Int piles = 0;
  Int headFixed = 1;
};

// Frequencies of the run, and the running value the response table prints.
struct FrequencyList {
  int count = 0;
  bool tooMany = false;
};

FrequencyList BuildFrequencies(ProblemData& p, ResultStore& r) {
  FrequencyList list;
  LoadDescription& l = p.load;
  if (p.status.LoadType == EngineLoad::Transient) {
    constexpr Real kTransientPi = 3.1415927f;
    const int n = RoundCount(static_cast<Real>(l.PointCount));
    list.count = n / 2 + 1;
    if (list.count > kMaxFrequencies) return list.tooMany = true, list;
    for (int k = 1; k <= list.count; ++k) {
      const Real w = k == 1 ? 0.01f : 2.0f * kTransientPi * static_cast<Real>(k - 1) / (static_cast<Real>(n) * l.TimeStep);
      r.omega(k) = w;
      r.printedOmega(k) = w;
    }
    return list;
  }
  if (l.FreqStep == 0.0f) l.FreqStep = 1.0f;
  list.count = RoundCount((l.FreqMax - l.FreqMin) / l.FreqStep + 1.0f);
  if (list.count > kMaxFrequencies) return list.tooMany = true, list;
  Real running = l.FreqMin - l.FreqStep;
  for (int k = 1; k <= list.count; ++k) {
    running += l.FreqStep;  // accumulated by repeated addition
    r.printedOmega(k) = running;
    r.omega(k) = running > 0.0f ? running : 0.0001f;
  }
  return list;
}

// The eight reported entries: name suffix, (row, column), unit of K and of C.
struct Reported {
  const char* kLabel;
  const char* cLabel;
  int i, j;
  int kind;  // 0 translation, 1 rotation, 2 cross
};
constexpr Reported kReported[8] = {
    {"HORIZONTAL TRANSLATION (KXX) ..", "HORIZONTAL TRANSLATION (CXX) ..", 1, 1, 0},
    {"HORIZONTAL TRANSLATION (KYY) ..", "HORIZONTAL TRANSLATION (CYY) ..", 2, 2, 0},
    {"VERTICAL TRANSLATION (KWW)  ...", "VERTICAL TRANSLATION (CWW)  ...", 3, 3, 0},
    {"ROTATION (KPPX) .............. ", "ROTATION (CPPX)  ..............", 4, 4, 1},
    {"ROTATION (KPPY)  ..............", "ROTATION (CPPY)  ..............", 5, 5, 1},
    {"TORSION (KZT)  ................", "TORSION (CZT)  ................", 6, 6, 1},
    {"CROSS-STIFFNESS (KXP)  ........", "CROSS-STIFFNESS (CXP)  ........", 2, 4, 2},
    {"CROSS-STIFFNESS (KYP) ........ ", "CROSS-STIFFNESS (CYP)  ........", 5, 1, 2},
};

// Damping of the foundation: the imaginary parts of the diagonal, (2,4) and
// (5,1) are taken at 70 per cent; the partners (4,2) and (1,5) are left.
void ApplyDampingFactor(ComplexMatrix6& A) {
  for (const Reported& e : kReported) A(e.i, e.j) = Complex(A(e.i, e.j).real(), 0.7f * A(e.i, e.j).imag());
}

void ReportConstants(const ProblemData& p, Report& out, std::FILE* graphic, const ComplexMatrix6& A, Real omega,
                     int k) {
  Real K[8], C[8];
  for (int e = 0; e < 8; ++e) {
    const Complex a = A(kReported[e].i, kReported[e].j);
    K[e] = a.real();
    C[e] = a.imag() / omega;
    if (e == 3 || e == 4) C[e] = std::fabs(C[e]);  // rocking damping as a magnitude
  }
  if (!p.run.PrintConstants) return;
  if (k == 1) WritePageHeader(out, 2, p.run.Title);
  const UnitLabels& u = p.labels;
  const std::string kUnits[3] = {fmt::A(u.transStiffness, 5), fmt::A(u.rotStiffness, 9), fmt::A(u.crossStiffness, 6)};
  const std::string cUnits[3] = {fmt::A(u.transDamping, 9), fmt::A(u.rotDamping, 12), fmt::A(u.crossDamping, 10)};
  out.Blank(2);
  out.Line(fmt::Line("FREQUENCY  -  ").F(Hz(omega), 8, 4).A(" Hz (").F(omega, 8, 4).A(" rad./sec.)"));
  out.Line(fmt::Line().Stars(9));
  out.Blank();
  out.Line("STIFFNESS CONSTANTS (K)");
  out.Line(fmt::Line().Stars(23));
  out.Blank();
  for (int e = 0; e < 8; ++e) out.Line(fmt::Line(kReported[e].kLabel).PE(K[e], 13, 5).X(1).A(kUnits[kReported[e].kind]));
  out.Blank();
  out.Line("DAMPING CONSTANTS (C)");
  out.Line(fmt::Line().Stars(21));
  out.Blank();
  for (int e = 0; e < 8; ++e) out.Line(fmt::Line(kReported[e].cLabel).PE(C[e], 13, 5).X(1).A(cUnits[kReported[e].kind]));

  if (std::FILE* g = graphic) {
    fmt::Line stiffness, damping;
    stiffness.X(1).E(omega, 10, 3);
    damping.X(1).E(omega, 10, 3);
    for (int e = 0; e < 8; ++e) {
      stiffness.X(1).E(K[e], 10, 3);
      damping.X(1).E(C[e], 10, 3);
    }
    std::fprintf(g, "%s\n%s\n", stiffness.str().c_str(), damping.str().c_str());
  }
}

// The reported terms (KXX ... CYP) of the impedance at the centre of gravity
// that are no finite number, blank-separated, each after a blank; "OTHER
// TERMS" for the entries that are not reported. Empty when all are finite.
std::string NonFiniteTerms(const ComplexMatrix6& A) {
  static const char* const kNames[8] = {"XX", "YY", "WW", "PPX", "PPY", "ZT", "XP", "YP"};
  std::string k, c;
  bool allFinite = true;
  for (int e = 0; e < 8; ++e) {
    const Complex a = A(kReported[e].i, kReported[e].j);
    if (!Finite(a.real())) k.append(" K").append(kNames[e]);
    if (!Finite(a.imag())) c.append(" C").append(kNames[e]);  // Im/ω alone overflowing is only a full field
  }
  for (int i = 1; i <= 6; ++i)
    for (int j = 1; j <= 6; ++j) allFinite = allFinite && Finite(A(i, j));
  std::string terms = k + c;
  if (!allFinite && terms.empty()) terms = " OTHER TERMS";  // coupling terms the report does not show
  return terms;
}

// Half-space footing: the element at the base, moved to the centre of gravity.
bool HalfSpaceImpedance(const ProblemData& p, Report& out, Real omega, const RealMatrix6& base, ComplexMatrix6& A) {
  const BaseSoil& soil = p.base;
  const Real vs = soil.BaseShearWaveVelocity;
  if (!(vs > 0.0f)) {
    out.Blank(2);
    out.Line(fmt::Line("***INADMISSABLE VALUE FOR SHEAR WAVE ").A("VELOCITY OF HALF-SPACE (").PE(vs, 9, 2).A(") ***"));
    NotExecuted(out);
    return false;
  }
  const Rows<Real, 4>& R = p.geometry.EquivalentRadius;
  const Real a0 = R(1) * omega / vs;
  const HalfSpaceCoefficients c =
      HalfSpaceCoefficientsAt(a0, soil.BasePoissonRatio, soil.BaseDamping, {R(1), R(2), R(3), R(4)});
  const Real G = vs * vs * soil.BaseUnitWeight / p.Gravity;  // shear modulus
  ComplexMatrix6 E;
  E(1, 1) = G * R(1) * c.horizontal;
  E(2, 2) = E(1, 1);
  E(3, 3) = G * R(1) * c.vertical;
  E(4, 4) = G * R(2) * R(2) * R(2) * c.rockingX;
  E(5, 5) = G * R(3) * R(3) * R(3) * c.rockingY;
  E(6, 6) = G * R(4) * R(4) * R(4) * c.torsion;
  TransformImpedance(E, base, A);
  return true;
}

// Stratum footing: the seven impedances at the base, moved to the centre of gravity.
void StratumImpedance(const ProblemData& p, Real omega, const RealMatrix6& base, ComplexMatrix6& A) {
  const BaseSoil& b = p.base;
  StratumSoil soil;
  soil.embedment = p.constants.EmbedmentDepth;
  soil.depth = p.constants.StratumDepth;
  soil.nu = b.StratumPoissonRatio;
  soil.damping = b.StratumDamping;
  soil.unitWeight = b.StratumUnitWeight;
  soil.velocity = b.StratumShearWaveVelocity;
  soil.gravity = p.Gravity;
  const Rows<Real, 5>& R = p.geometry.StratumRadius;
  const StratumImpedances z = StratumImpedancesAt(omega, soil, {R(1), R(2), R(3), R(4), R(5)});
  ComplexMatrix6 E;
  E(1, 1) = z.horizontal;
  E(2, 2) = z.horizontal;
  E(3, 3) = z.vertical;
  E(2, 4) = E(4, 2) = z.couplingX;
  E(1, 5) = E(5, 1) = z.couplingY;
  E(4, 4) = z.rockingX;
  E(5, 5) = z.rockingY;
  E(6, 6) = z.torsion;
  TransformImpedance(E, base, A);
}

// Pile and multilayer foundations: cut-off frequencies of the soil column, the
// weakened-zone thickness as a length, and the rounded pile data.
PilePreparation PreparePiles(ProblemData& p, int sideLayers) {
  PilePreparation prep;
  const int layers = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  if (p.status.EndBearing) {
    Real H = 0, S = 0, P = 0;  // Σ thickness, Σ thickness × velocity, Σ thickness × Poisson's ratio
    for (int k = 1; k <= layers; ++k) {
      H += p.sections.LayerThickness(k);
      S += p.sections.LayerThickness(k) * p.soil.ShearWaveVelocity(k);
      P += p.sections.LayerThickness(k) * p.soil.SoilPoissonRatio(k);
    }
    for (int k = 1; k <= sideLayers; ++k) {
      H += p.side.SideThickness(k);
      S += p.side.SideThickness(k) * p.side.SideShearWaveVelocity(k);
      P += p.side.SideThickness(k) * p.side.SidePoissonRatio(k);
    }
    const Real V = S / H;
    Real nu = P / H;
    if (V < p.base.BaseShearWaveVelocity) {
      const Real pi = static_cast<Real>(std::acos(-1.0));
      prep.shearCutOff = pi * V / (2.0f * H);
      if (nu >= 0.5f) nu = 0.499f;
      prep.compressionCutOff = prep.shearCutOff * std::sqrt(2.0f * (1.0f - nu) / (1.0f - 2.0f * nu));
    }
  }
  for (int k = 1; k <= layers; ++k)
    p.weak.WeakThicknessRatio(k) *= (p.sections.PileRadiusX(k) + p.sections.PileRadiusY(k)) / 2.0f;
  if (p.status.FoundationType == EngineFoundation::Multilayer) p.piles.PileCountValue = 1.0f;
  prep.piles = RowsOf(p.piles.PileCountValue, kMaxPiles);
  prep.headFixed = RoundCount(p.piles.HeadFixity);
  return prep;
}

// One pile's element matrix at its head (or the multilayer column's at its
// top) from the three runs of the single-pile computation.
ComplexMatrix6 PileElement(const ProblemData& p, const PilePreparation& prep, Real omega, Report& out) {
  const EngineFoundation type = p.status.FoundationType;
  PileModel model;
  model.soilCode = type == EngineFoundation::Multilayer ? -1 : (p.status.SoilMedia == kLayered ? 1 : 0);
  model.layers = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  model.adjacent = type == EngineFoundation::Multilayer ? RowsOf(p.piles.AdjacentLayerCountValue, kMaxLayers) : 0;
  model.shearCutOff = prep.shearCutOff;
  model.compressionCutOff = prep.compressionCutOff;

  ComplexMatrix6 E;
  const PileHeadImpedances mean = SinglePileImpedances(p, omega, model, PileRun::kMeanRadii, out);
  E(3, 3) = mean.At(HeadMode::kVertical, omega);
  E(6, 6) = mean.At(HeadMode::kTorsion, omega);
  const PileHeadImpedances x = SinglePileImpedances(p, omega, model, PileRun::kRadiiX, out);
  const PileHeadImpedances y = SinglePileImpedances(p, omega, model, PileRun::kRadiiY, out);
  const bool restrained =
      (type == EngineFoundation::Pile && prep.piles > 1 && p.status.InteractionOn) || prep.headFixed == 1;
  if (restrained) {
    E(1, 1) = x.At(HeadMode::kHorizontal, omega);
    E(5, 5) = x.At(HeadMode::kRocking, omega);
    E(1, 5) = E(5, 1) = x.At(HeadMode::kCoupling, omega);
    E(2, 2) = y.At(HeadMode::kHorizontal, omega);
    E(4, 4) = y.At(HeadMode::kRocking, omega);
    E(2, 4) = E(4, 2) = -y.At(HeadMode::kCoupling, omega);
  } else {
    E(1, 1) = x.At(HeadMode::kFreeHead, omega);  // a pinned head turns freely
    E(2, 2) = y.At(HeadMode::kFreeHead, omega);
  }
  return E;
}

}  // namespace

bool RunAnalysis(ProblemData& p, Report& out, std::FILE* graphic) {
  const EngineFoundation type = p.status.FoundationType;

  // 1. the gravitational constant
  if (!(p.Gravity > 0.0f)) {
    out.Blank(2);
    out.Line(fmt::Line("*** INADMISSABLE VALUE FOR GRAVITATIONAL ").A("CONSTANT (").PE(p.Gravity, 10, 3).A(") ***"));
    NotExecuted(out);
    return false;
  }

  // 2. weak-zone thickness of side layers as a length
  const bool scaling = (type == EngineFoundation::HalfSpace && p.status.WeakZoneOn) || p.status.SideCapOn;
  if (!p.status.EmbeddedOn && type != EngineFoundation::HalfSpace) p.side.SideLayerCount = 0;
  const int sideLayers = std::min<Int>(std::max<Int>(p.side.SideLayerCount, 0), kMaxLayers);
  if (sideLayers > 0 && (type == EngineFoundation::Pile || type == EngineFoundation::HalfSpace) && scaling)
    for (int k = 1; k <= sideLayers; ++k) p.side.CapThicknessRatio(k) *= p.geometry.EquivalentRadius(1);

  // 3. pile and multilayer preparation
  const bool piled = type == EngineFoundation::Pile || type == EngineFoundation::Multilayer;
  const PilePreparation prep = piled ? PreparePiles(p, sideLayers) : PilePreparation{};

  // 4. frequency list
  ResultStore& results = Results();
  const FrequencyList list = BuildFrequencies(p, results);
  if (list.tooMany) {
    out.Blank(2);
    out.Line(fmt::Line("*** NUMBER OF FREQUENCIES (").I(list.count, 10).A(") EXCEEDS THE CAPACITY OF 1024 ***"));
    NotExecuted(out);
    return false;
  }
  results.count = std::max(list.count, 0);

  // 5. pile-to-pile interaction, once
  InteractionTables interaction;
  if (type == EngineFoundation::Pile && p.status.InteractionOn && prep.piles > 1)
    interaction = SetUpPileInteraction(p, out);

  // 6. the count line of the graphic data file
  if (std::FILE* g = graphic) std::fprintf(g, "%s\n", fmt::I(list.count, 12).c_str());

  const RealMatrix6 base = RigidBodyTransformation(p.constants.CentreOfGravityX, p.constants.CentreOfGravityY,
                                                   p.constants.CentreOfGravityHeight, 0.0f);
  int failedFrequencies = 0;
  const ProgressScope progress(results.count);  // back to 0 on every way out
  for (int k = 1; k <= results.count; ++k, ProgressScope::FrequencyDone()) {
    const Real omega = results.omega(k);
    ComplexMatrix6 A;
    // 7. impedance at the centre of gravity
    if (type == EngineFoundation::HalfSpace) {
      if (!HalfSpaceImpedance(p, out, omega, base, A)) return false;
    } else if (type == EngineFoundation::Stratum) {
      StratumImpedance(p, omega, base, A);
    } else if (type == EngineFoundation::Multilayer) {
      TransformImpedance(PileElement(p, prep, omega, out), base, A);
    } else if (type == EngineFoundation::Pile) {
      AssemblePileGroup(p, interaction, PileElement(p, prep, omega, out), omega, A, out);
    }
    // side layers of an embedded footing or pile cap (a stratum holds its embedment in its own formulas)
    if (sideLayers > 0 && (type == EngineFoundation::HalfSpace || type == EngineFoundation::Pile)) {
      const bool belowShear = type == EngineFoundation::Pile && omega <= prep.shearCutOff;
      const bool belowCompression = type == EngineFoundation::Pile && omega <= prep.compressionCutOff;
      AddSideLayers(p, sideLayers, omega, belowShear, belowCompression, A, out);
    }
    // 8. damping factor and the constants report
    ApplyDampingFactor(A);
    ReportConstants(p, out, graphic, A, omega, k);
    const std::string notFinite = NonFiniteTerms(A);
    if (!notFinite.empty()) {
      // no response can come of it: the frequency's response is unknown
      ReportNotFinite(out, "IMPEDANCE", k, omega, notFinite);
      results.MarkUnknown(k);
      ++failedFrequencies;
      continue;
    }
    // 9. response
    bool solved = true;
    switch (p.status.LoadType) {
      case EngineLoad::Harmonic: solved = SolveHarmonic(p, A, omega, k, results, out); break;
      case EngineLoad::Transient: solved = SolveTransient(p, A, omega, k, results, out); break;
      case EngineLoad::Random: solved = SolveRandom(p, A, omega, k, results, out); break;
      default: break;
    }
    if (!solved) ++failedFrequencies;
  }
  switch (p.status.LoadType) {
    case EngineLoad::Harmonic: PrintHarmonicResults(p, results, out, graphic); break;
    case EngineLoad::Transient: PrintTransientResults(p, results, out); break;
    case EngineLoad::Random: PrintRandomResults(p, results, out); break;
    default: break;
  }
  if (failedFrequencies > 0) {
    out.Blank(2);
    out.Line("*** ANALYSIS COMPLETED WITH ERRORS AT " + std::to_string(failedFrequencies) + " FREQUENCIES ***");
  }
  return true;
}

}  // namespace terva
