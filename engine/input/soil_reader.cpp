// SOIL section: soil constants by foundation type, weakened zone, soil below,
// and the side layers of an embedded pile cap.
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "engine/input/keywords.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"
#include "engine/input/section_readers.hpp"

namespace terva {

using detail::Echo;
using detail::EchoHeading;
using detail::Fatal;
using detail::ReadNumbers;

namespace {

constexpr std::string_view kSoilConstantsError = "ERROR ENCOUNTERED WHILE READING SOIL CONSTANTS";

// A units line: each label right-aligned so that it ends in the given column
// (columns counted after the control column).
fmt::Line UnitsLine(std::initializer_list<std::pair<std::string_view, int>> labels) {
  fmt::Line line;
  int column = 0;
  for (const auto& [label, end] : labels) {
    const int start = end - static_cast<int>(label.size()) + 1;
    line.X(start - 1 - column).A(label);
    column = std::max(column, end);
  }
  return line;
}

void LabelValue(ReaderContext& ctx, std::string_view label, Real value, std::string_view unit = {}) {
  fmt::Line line(label);
  line.F(value, 12, 5);
  if (!unit.empty()) line.X(1).A(unit);
  ctx.report.Line(line);
}

// A heading that carries a count, underlined over its whole length.
void CountedHeading(ReaderContext& ctx, const fmt::Line& heading) {
  ctx.report.Blank(2);
  ctx.report.Line(heading);
  ctx.report.Line(fmt::Line().Stars(static_cast<int>(heading.str().size())));
}

// A weak thickness ratio means nothing where the zone is not weaker.
Real WeakThickness(Real shearRatio, Real thicknessRatio) { return shearRatio > 0.999f ? 0.0f : thicknessRatio; }

// A count of soil rows: fatal when it cannot be read or exceeds the capacity.
bool ReadRowCount(ReaderContext& ctx, std::string_view capacityMessage, int& rows) {
  Real count = 0;
  if (!ctx.ReadNumber(count)) {
    Fatal(ctx, kSoilConstantsError);
    return false;
  }
  if (count > static_cast<Real>(kMaxLayers)) {
    Fatal(ctx, capacityMessage);
    return false;
  }
  rows = RowsOf(count, kMaxLayers);
  return true;
}

// Without weakening a side layer's cap values are its own.
void CapDefaults(SideLayers& s, int k) {
  s.CapShearRatio(k) = 1.0f;
  s.CapPoissonRatio(k) = s.SidePoissonRatio(k);
  s.CapDamping(k) = s.SideDamping(k);
  s.CapThicknessRatio(k) = 0.0f;
}

void BlockA(ReaderContext& ctx, Real velocity, Real unitWeight, Real poisson, Real damping) {
  const UnitLabels& u = ctx.problem.labels;
  EchoHeading(ctx, "SOIL CONSTANTS");
  ctx.report.Blank();
  LabelValue(ctx, "SHEAR WAVE VELOCITY  ...........", velocity, u.velocity);
  LabelValue(ctx, "UNIT WEIGHT  ...................", unitWeight, u.unitWeight);
  LabelValue(ctx, "POISSONS RATIO  ................", poisson);
  LabelValue(ctx, "MATERIAL DAMPING  ..............", damping);
}

// Table C (layered pile soil) and F (adjacent layers of a multilayer system): rows from..to.
void SoilRows(ReaderContext& ctx, int from, int to) {
  const SoilProfile& s = ctx.problem.soil;
  for (int k = from; k <= to; ++k)
    ctx.report.Line(fmt::Line().I(k, 3).X(4).F(s.ShearWaveVelocity(k), 9, 3).X(1).F(s.SoilUnitWeight(k), 11, 3).X(3)
                   .F(s.SoilPoissonRatio(k), 5, 3).X(3).F(s.SoilDamping(k), 7, 3));
}

void SoilUnits(ReaderContext& ctx) {
  const UnitLabels& u = ctx.problem.labels;
  ctx.report.Line(fmt::Line().X(11).A(u.velocity).X(6).A(u.unitWeight));
}

// Table D: the shear modulus ratios of the weakened zone.
void TableD(ReaderContext& ctx, int n, const Rows<Real, kMaxLayers>& ratio) {
  EchoHeading(ctx, "NONLINEARITY OF SOIL (WEAKENED ZONE)");
  ctx.report.Blank();
  ctx.report.Line("LAYER  SHEAR MODULUS");
  ctx.report.Line(" NO.   RATIO");
  ctx.report.Blank();
  for (int k = 1; k <= n; ++k) ctx.report.Line(fmt::Line().I(k, 3).X(5).F(ratio(k), 7, 3));
}

// Rows 1..n of the layered soil: layer number, four soil values and, with
// WEAK, four weak-zone values.
bool ReadLayeredRows(ReaderContext& ctx, int n) {
  ProblemData& p = ctx.problem;
  SoilProfile& s = p.soil;
  WeakZone& w = p.weak;
  for (int k = 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers(ctx, {&layer, &s.ShearWaveVelocity(k), &s.SoilUnitWeight(k), &s.SoilPoissonRatio(k),
                      &s.SoilDamping(k)}))
      return false;
    if (p.status.WeakZoneOn) {
      if (!ReadNumbers(ctx,
                       {&w.WeakShearRatio(k), &w.WeakPoissonRatio(k), &w.WeakDamping(k), &w.WeakThicknessRatio(k)}))
        return false;
      w.WeakThicknessRatio(k) = WeakThickness(w.WeakShearRatio(k), w.WeakThicknessRatio(k));
    } else {
      w.WeakShearRatio(k) = 1.0f;
      w.WeakPoissonRatio(k) = s.SoilPoissonRatio(k);
      w.WeakDamping(k) = s.SoilDamping(k);
      w.WeakThicknessRatio(k) = 0.0f;
    }
  }
  return true;
}

void SolcstStratum(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  BaseSoil& b = p.base;
  if (!ReadNumbers(ctx,
                   {&b.StratumShearWaveVelocity, &b.StratumUnitWeight, &b.StratumPoissonRatio, &b.StratumDamping})) {
    Fatal(ctx, kSoilConstantsError);
    return;
  }
  if (Echo(ctx)) BlockA(ctx, b.StratumShearWaveVelocity, b.StratumUnitWeight, b.StratumPoissonRatio, b.StratumDamping);
}

void SolcstParabolic(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  Real vt = 0, gamma = 0, nu = 0, d = 0;
  if (!ReadNumbers(ctx, {&vt, &gamma, &nu, &d})) {
    Fatal(ctx, kSoilConstantsError);
    return;
  }
  if (Echo(ctx)) BlockA(ctx, vt, gamma, nu, d);
  GenerateParabolicProfile(p, vt, gamma, nu, d);
  Real ratio = 0, weakNu = nu, weakD = d, thickness = 0;
  if (p.status.WeakZoneOn) {
    if (!ReadNumbers(ctx, {&ratio, &weakNu, &weakD, &thickness})) {
      Fatal(ctx, kSoilConstantsError);
      return;
    }
    if (Echo(ctx)) {
      LabelValue(ctx, "WEAK SHEAR RATIO  ..............", ratio);
      LabelValue(ctx, "WEAKPOISSONS RATIO  ..........", weakNu);
      LabelValue(ctx, "WEAK MATERIAL DAMPING  .........", weakD);
      LabelValue(ctx, "WEAK THICKNESS RATIO  ..........", thickness);
    }
  }
  for (int k = 1; k <= kMaxLayers; ++k) {
    p.weak.WeakShearRatio(k) = ratio;
    p.weak.WeakPoissonRatio(k) = weakNu;
    p.weak.WeakDamping(k) = weakD;
    p.weak.WeakThicknessRatio(k) = thickness;
  }
}

void SolcstLayeredPile(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  const int n = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  if (!ReadLayeredRows(ctx, n)) {
    Fatal(ctx, kSoilConstantsError);
    return;
  }
  if (!Echo(ctx)) return;
  EchoHeading(ctx, "SOIL CONSTANTS");
  ctx.report.Blank();
  ctx.report.Line("LAYER  SHEAR WAVE    UNIT   POISSONS  MATERIAL");
  ctx.report.Line(" NO.    VELOCITY    WEIGHT    RATIO    DAMPING");
  SoilUnits(ctx);
  SoilRows(ctx, 1, n);
  if (p.status.WeakZoneOn) TableD(ctx, n, p.weak.WeakShearRatio);
}

void SolcstHalfSpace(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  SideLayers& s = p.side;
  int n = 0;
  if (!ReadRowCount(ctx, "ERROR - NUMBER OF SIDE LAYERS EXCEEDS 30", n)) return;
  s.SideLayerCount = n;
  for (int k = 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers(ctx, {&layer, &s.SideLayerDepth(k), &s.SideShearWaveVelocity(k), &s.SideUnitWeight(k),
                      &s.SidePoissonRatio(k), &s.SideDamping(k)})) {
      Fatal(ctx, kSoilConstantsError);
      return;
    }
    if (p.status.WeakZoneOn) {
      // the weakened zone of a half-space lies around its side layers
      if (!ReadNumbers(ctx, {&s.CapShearRatio(k), &s.CapPoissonRatio(k), &s.CapDamping(k), &s.CapThicknessRatio(k)})) {
        Fatal(ctx, kSoilConstantsError);
        return;
      }
      s.CapThicknessRatio(k) = WeakThickness(s.CapShearRatio(k), s.CapThicknessRatio(k));
    } else {
      CapDefaults(s, k);
    }
  }
  if (!Echo(ctx)) return;
  const UnitLabels& u = p.labels;
  CountedHeading(ctx, fmt::Line("SOIL CONSTANTS  NUMBER OF SIDE LAYERS - ").I(n, 3));
  ctx.report.Blank();
  ctx.report.Line("LAYER  LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL");
  ctx.report.Line(" NO.   DEPTH   VELOCITY   WEIGHT    RATIO     DAMPING");
  ctx.report.Line(UnitsLine({{u.length, 12}, {u.velocity, 22}, {u.unitWeight, 33}}));
  for (int k = 1; k <= n; ++k)
    ctx.report.Line(fmt::Line().I(k, 3).X(1).F(s.SideLayerDepth(k), 9, 3).X(2).F(s.SideShearWaveVelocity(k), 7, 3).X(1)
                   .F(s.SideUnitWeight(k), 10, 3).X(2).F(s.SidePoissonRatio(k), 7, 3).X(3)
                   .F(s.SideDamping(k), 7, 3));
  if (p.status.WeakZoneOn) TableD(ctx, n, s.CapShearRatio);
}

void SolcstMultilayer(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  SoilProfile& s = p.soil;
  int na = 0;
  if (!ReadRowCount(ctx, "ERROR - NUMBER OF ADJACENT LAYERS EXCEEDS 30", na)) return;
  p.piles.AdjacentLayerCountValue = static_cast<Real>(na);
  const int n = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  if (!ReadLayeredRows(ctx, na)) {
    Fatal(ctx, kSoilConstantsError);
    return;
  }
  for (int k = na + 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers(ctx, {&layer, &s.ShearWaveVelocity(k), &s.SoilUnitWeight(k), &s.SoilPoissonRatio(k),
                      &s.SoilDamping(k), &s.ShearModulusRatio(k), &s.DampingRatio(k)})) {
      Fatal(ctx, kSoilConstantsError);
      return;
    }
  }
  if (!Echo(ctx)) return;
  const UnitLabels& u = p.labels;
  CountedHeading(ctx, fmt::Line("SOIL CONSTANTS").X(6).A("NUMBER OF ADJACENT LAYERS -  ").I(na, 3));
  ctx.report.Blank();
  ctx.report.Line("LAYER  SHEAR WAVE   UNIT    POISSONS  MATERIAL");
  ctx.report.Line(" NO.    VELOCITY   WEIGHT    RATIO     DAMPING");
  SoilUnits(ctx);
  SoilRows(ctx, 1, na);
  if (p.status.WeakZoneOn) TableD(ctx, na, p.weak.WeakShearRatio);
  EchoHeading(ctx, "SOIL PROPERTIES BELOW FOUNDATION");
  ctx.report.Blank();
  ctx.report.Line("LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL  SHEAR MODULUS  DAMPING RATIO");
  ctx.report.Line(" NO.    VELOCITY   WEIGHT    RATIO     DAMPING  RATIO(IN/OUT)      (IN/OUT)");
  ctx.report.Line(UnitsLine({{u.velocity, 15}, {u.unitWeight, 26}}));
  for (int k = na + 1; k <= n; ++k)
    ctx.report.Line(fmt::Line().I(k, 3).X(5).F(s.ShearWaveVelocity(k), 7, 3).X(2).F(s.SoilUnitWeight(k), 9, 3).X(1)
                   .F(s.SoilPoissonRatio(k), 7, 3).X(3).F(s.SoilDamping(k), 7, 3).X(6)
                   .F(s.ShearModulusRatio(k), 7, 3).X(8).F(s.DampingRatio(k), 7, 3));
}

}  // namespace

void ReadSoil(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  KeywordRecord kw;
  auto finish = [&] {
    if (p.status.SideCapOn && !p.status.EmbeddedOn) {
      ctx.report.Blank(2);
      ctx.report.Line("SIDE-CAP KEYWORD WAS INPUT WITHOUT THE EMBEDDED KEYWORD - THE SIDE-CAP OPTION WILL BE IGNORED");
      p.status.SideCapOn = false;
    }
  };

  ctx.ReadKeyword(kw);
  int index = LookupKeyword(kw.Key(), &ctx.report);
  while (index == kWeakKey) {
    if (p.status.FoundationType == EngineFoundation::Stratum) {
      Fatal(ctx, "WEAK IS AN IMPROPER KEYWORD FOR THIS FOUNDATION TYPE");
      return finish();
    }
    p.status.WeakZoneOn = true;
    ctx.ReadKeyword(kw);
    index = LookupKeyword(kw.Key(), &ctx.report);
  }
  if (index != kConstantsKey) {
    Fatal(ctx, "WEAK OR CONSTANT SUBKEYWORDS ARE EXPECTED TO FOLLOW SOIL KEYWORD");
    return finish();
  }
  SOLCST(ctx);
  if (p.status.FoundationType == EngineFoundation::Stratum) return finish();

  ctx.ReadKeyword(kw);
  if (LookupKeyword(kw.Key(), &ctx.report) != kBelowKey) {
    Fatal(ctx, "BELOW SUBKEYWORD IS EXPECTED TO FOLLOW SOIL CONSTANT DATA");
    return finish();
  }
  ReadBaseSoil(ctx);

  if (p.status.FoundationType == EngineFoundation::Pile) {
    for (;;) {
      ctx.ReadKeyword(kw);
      const int next = LookupKeyword(kw.Key(), &ctx.report);
      if (next == kSideCapKey) {
        p.status.SideCapOn = true;
      } else if (next == kEmbeddedKey) {
        p.status.EmbeddedOn = true;
        ReadSideLayers(ctx);
        break;
      } else {
        ctx.PushBack();
        break;
      }
    }
  }
  finish();
}

void SOLCST(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  switch (p.status.FoundationType) {
    case EngineFoundation::Stratum: return SolcstStratum(ctx);
    case EngineFoundation::Pile:
      return p.status.SoilMedia == kParabolic ? SolcstParabolic(ctx) : SolcstLayeredPile(ctx);
    case EngineFoundation::HalfSpace: return SolcstHalfSpace(ctx);
    case EngineFoundation::Multilayer: return SolcstMultilayer(ctx);
    default:
      p.run.InputErrorIndicator = true;
      ctx.report.Blank(2);
      ctx.report.Line("THE FOUNDATION TYPE HAS NOT BEEN ESTABLISHED");
      ctx.report.Line(fmt::Line().X(3).A("THE PROGRAM SHOULD NEVER ENCOUNTER THIS ERROR (SOLCST)"));
  }
}

void ReadBaseSoil(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  BaseSoil& b = p.base;
  if (!ReadNumbers(ctx, {&b.BaseShearWaveVelocity, &b.BaseUnitWeight, &b.BasePoissonRatio, &b.BaseDamping})) {
    p.run.InputErrorIndicator = true;
    ctx.report.Blank();
    ctx.report.Line("*** BAD DATA IN SOIL DESCRIPTION BELOW PILE ***");
    ctx.report.Line("     - WILL CONTINUE TO PROCESS DATA");
    ctx.report.Line("     - CANNOT EXECUTE THIS PROBLEM SET");
    return;
  }
  if (!Echo(ctx)) return;
  const UnitLabels& u = p.labels;
  const EngineFoundation type = p.status.FoundationType;
  EchoHeading(ctx, type == EngineFoundation::HalfSpace    ? "HALF-SPACE SOIL"
              : type == EngineFoundation::Multilayer ? "SOIL BELOW MULTILAYER SYSTEM"
                                                     : "SOIL BELOW PILE");
  ctx.report.Blank();
  ctx.report.Line("SHEAR WAVE    UNIT    POISSON'S   MATERIAL");
  ctx.report.Line(" VELOCITY    WEIGHT     RATIO     DAMPING");
  ctx.report.Line(fmt::Line().X(4).A(u.velocity).X(6).A(u.unitWeight));
  ctx.report.Line(fmt::Line().E(b.BaseShearWaveVelocity, 9, 2).X(1).F(b.BaseUnitWeight, 11, 4).X(3)
                 .F(b.BasePoissonRatio, 5, 3).X(3).F(b.BaseDamping, 7, 3));
}

void ReadSideLayers(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  SideLayers& s = p.side;
  auto ignore = [&](std::string_view message) {
    ctx.report.Blank(2);
    ctx.report.Line(message);
    ctx.report.Line("PROGRAM WILL IGNORE THESE OPTIONS");
    p.status.EmbeddedOn = false;
    p.status.SideCapOn = false;
  };
  Real count = 0;
  if (!ctx.ReadNumber(count)) return ignore("ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISOLATION DATA");
  if (count > static_cast<Real>(kMaxLayers)) return ignore("ERROR - NUMBER OF SIDE LAYERS EXCEEDS 30");
  const int n = RowsOf(count, kMaxLayers);
  s.SideLayerCount = n;
  for (int k = 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers(ctx, {&layer, &s.SideThickness(k), &s.SideShearWaveVelocity(k), &s.SideUnitWeight(k),
                      &s.SidePoissonRatio(k), &s.SideDamping(k)}))
      return ignore("ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISOLATION DATA");
    if (p.status.SideCapOn) {
      if (!ReadNumbers(ctx, {&s.CapShearRatio(k), &s.CapPoissonRatio(k), &s.CapDamping(k), &s.CapThicknessRatio(k)}))
        return ignore("ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISOLATION DATA");
    } else {
      CapDefaults(s, k);
    }
  }
  if (!Echo(ctx)) return;
  const UnitLabels& u = p.labels;
  EchoHeading(ctx, "EMBEDDED OPTION");
  ctx.report.Blank();
  ctx.report.Line(fmt::Line("NUMBER OF SIDE LAYERS  -  ").I(n, 3));
  ctx.report.Blank();
  ctx.report.Line("LAYER  THICKNESS  SHEAR WAVE   UNIT    POISSONS  MATERIAL");
  ctx.report.Line(" NO.    OF LAYER   VELOCITY   WEIHT    RATIO     DAMPING");
  ctx.report.Line(UnitsLine({{u.length, 14}, {u.velocity, 24}, {u.unitWeight, 36}}));
  for (int k = 1; k <= n; ++k)
    ctx.report.Line(fmt::Line().I(k, 3).X(4).F(s.SideThickness(k), 7, 3).X(3).F(s.SideShearWaveVelocity(k), 7, 2).X(3)
                   .F(s.SideUnitWeight(k), 9, 3).X(2).F(s.SidePoissonRatio(k), 7, 3).X(3)
                   .F(s.SideDamping(k), 7, 3));
  if (p.status.SideCapOn) {
    EchoHeading(ctx, "SIDE-CAP (WEAKENING) OF SIDE LAYERS");
    ctx.report.Blank();
    ctx.report.Line("LAYER  SHEAR MODULUS");
    ctx.report.Line(" NO.       RATIO");
    ctx.report.Blank();
    for (int k = 1; k <= n; ++k) ctx.report.Line(fmt::Line().I(k, 3).X(5).F(s.CapShearRatio(k), 7, 3));
  }
}

}  // namespace terva
