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

void LabelValue(std::string_view label, Real value, std::string_view unit = {}) {
  fmt::Line line(label);
  line.F(value, 12, 5);
  if (!unit.empty()) line.X(1).A(unit);
  Out().Line(line);
}

// A heading that carries a count, underlined over its whole length.
void CountedHeading(const fmt::Line& heading) {
  Out().Blank(2);
  Out().Line(heading);
  Out().Line(fmt::Line().Stars(static_cast<int>(heading.str().size())));
}

// A weak thickness ratio means nothing where the zone is not weaker.
Real WeakThickness(Real shearRatio, Real thicknessRatio) { return shearRatio > 0.999f ? 0.0f : thicknessRatio; }

// A count of soil rows: fatal when it cannot be read or exceeds the capacity.
bool ReadRowCount(std::string_view capacityMessage, int& rows) {
  Real count = 0;
  if (!ReadNumber(count)) {
    Fatal(kSoilConstantsError);
    return false;
  }
  if (count > static_cast<Real>(kMaxLayers)) {
    Fatal(capacityMessage);
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

void BlockA(Real velocity, Real unitWeight, Real poisson, Real damping) {
  const UnitLabels& u = Problem().labels;
  EchoHeading("SOIL CONSTANTS");
  Out().Blank();
  LabelValue("SHEAR WAVE VELOCITY  ...........", velocity, u.velocity);
  LabelValue("UNIT WEIGHT  ...................", unitWeight, u.unitWeight);
  LabelValue("POISSONS RATIO  ................", poisson);
  LabelValue("MATERIAL DAMPING  ..............", damping);
}

// Table C (layered pile soil) and F (adjacent layers of a multilayer system): rows from..to.
void SoilRows(int from, int to) {
  const SoilProfile& s = Problem().soil;
  for (int k = from; k <= to; ++k)
    Out().Line(fmt::Line().I(k, 3).X(4).F(s.ShearWaveVelocity(k), 9, 3).X(1).F(s.SoilUnitWeight(k), 11, 3).X(3)
                   .F(s.SoilPoissonRatio(k), 5, 3).X(3).F(s.SoilDamping(k), 7, 3));
}

void SoilUnits() {
  const UnitLabels& u = Problem().labels;
  Out().Line(fmt::Line().X(11).A(u.velocity).X(6).A(u.unitWeight));
}

// Table D: the shear modulus ratios of the weakened zone.
void TableD(int n, const Rows<Real, kMaxLayers>& ratio) {
  EchoHeading("NONLINEARITY OF SOIL (WEAKENED ZONE)");
  Out().Blank();
  Out().Line("LAYER  SHEAR MODULUS");
  Out().Line(" NO.   RATIO");
  Out().Blank();
  for (int k = 1; k <= n; ++k) Out().Line(fmt::Line().I(k, 3).X(5).F(ratio(k), 7, 3));
}

// Rows 1..n of the layered soil: layer number, four soil values and, with
// WEAK, four weak-zone values.
bool ReadLayeredRows(int n) {
  ProblemData& p = Problem();
  SoilProfile& s = p.soil;
  WeakZone& w = p.weak;
  for (int k = 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers({&layer, &s.ShearWaveVelocity(k), &s.SoilUnitWeight(k), &s.SoilPoissonRatio(k),
                      &s.SoilDamping(k)}))
      return false;
    if (p.status.WeakZoneOn) {
      if (!ReadNumbers({&w.WeakShearRatio(k), &w.WeakPoissonRatio(k), &w.WeakDamping(k), &w.WeakThicknessRatio(k)}))
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

void SolcstStratum() {
  ProblemData& p = Problem();
  BaseSoil& b = p.base;
  if (!ReadNumbers({&b.StratumShearWaveVelocity, &b.StratumUnitWeight, &b.StratumPoissonRatio, &b.StratumDamping})) {
    Fatal(kSoilConstantsError);
    return;
  }
  if (Echo()) BlockA(b.StratumShearWaveVelocity, b.StratumUnitWeight, b.StratumPoissonRatio, b.StratumDamping);
}

void SolcstParabolic() {
  ProblemData& p = Problem();
  Real vt = 0, gamma = 0, nu = 0, d = 0;
  if (!ReadNumbers({&vt, &gamma, &nu, &d})) {
    Fatal(kSoilConstantsError);
    return;
  }
  if (Echo()) BlockA(vt, gamma, nu, d);
  GenerateParabolicProfile(p, vt, gamma, nu, d);
  Real ratio = 0, weakNu = nu, weakD = d, thickness = 0;
  if (p.status.WeakZoneOn) {
    if (!ReadNumbers({&ratio, &weakNu, &weakD, &thickness})) {
      Fatal(kSoilConstantsError);
      return;
    }
    if (Echo()) {
      LabelValue("WEAK SHEAR RATIO  ..............", ratio);
      LabelValue("WEAKPOISSONS RATIO  ..........", weakNu);
      LabelValue("WEAK MATERIAL DAMPING  .........", weakD);
      LabelValue("WEAK THICKNESS RATIO  ..........", thickness);
    }
  }
  for (int k = 1; k <= kMaxLayers; ++k) {
    p.weak.WeakShearRatio(k) = ratio;
    p.weak.WeakPoissonRatio(k) = weakNu;
    p.weak.WeakDamping(k) = weakD;
    p.weak.WeakThicknessRatio(k) = thickness;
  }
}

void SolcstLayeredPile() {
  ProblemData& p = Problem();
  const int n = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  if (!ReadLayeredRows(n)) {
    Fatal(kSoilConstantsError);
    return;
  }
  if (!Echo()) return;
  EchoHeading("SOIL CONSTANTS");
  Out().Blank();
  Out().Line("LAYER  SHEAR WAVE    UNIT   POISSONS  MATERIAL");
  Out().Line(" NO.    VELOCITY    WEIGHT    RATIO    DAMPING");
  SoilUnits();
  SoilRows(1, n);
  if (p.status.WeakZoneOn) TableD(n, p.weak.WeakShearRatio);
}

void SolcstHalfSpace() {
  ProblemData& p = Problem();
  SideLayers& s = p.side;
  int n = 0;
  if (!ReadRowCount("ERROR - NUMBER OF SIDE LAYERS EXCEEDS 30", n)) return;
  s.SideLayerCount = n;
  for (int k = 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers({&layer, &s.SideLayerDepth(k), &s.SideShearWaveVelocity(k), &s.SideUnitWeight(k),
                      &s.SidePoissonRatio(k), &s.SideDamping(k)})) {
      Fatal(kSoilConstantsError);
      return;
    }
    if (p.status.WeakZoneOn) {
      // the weakened zone of a half-space lies around its side layers
      if (!ReadNumbers({&s.CapShearRatio(k), &s.CapPoissonRatio(k), &s.CapDamping(k), &s.CapThicknessRatio(k)})) {
        Fatal(kSoilConstantsError);
        return;
      }
      s.CapThicknessRatio(k) = WeakThickness(s.CapShearRatio(k), s.CapThicknessRatio(k));
    } else {
      CapDefaults(s, k);
    }
  }
  if (!Echo()) return;
  const UnitLabels& u = p.labels;
  CountedHeading(fmt::Line("SOIL CONSTANTS  NUMBER OF SIDE LAYERS - ").I(n, 3));
  Out().Blank();
  Out().Line("LAYER  LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL");
  Out().Line(" NO.   DEPTH   VELOCITY   WEIGHT    RATIO     DAMPING");
  Out().Line(UnitsLine({{u.length, 12}, {u.velocity, 22}, {u.unitWeight, 33}}));
  for (int k = 1; k <= n; ++k)
    Out().Line(fmt::Line().I(k, 3).X(1).F(s.SideLayerDepth(k), 9, 3).X(2).F(s.SideShearWaveVelocity(k), 7, 3).X(1)
                   .F(s.SideUnitWeight(k), 10, 3).X(2).F(s.SidePoissonRatio(k), 7, 3).X(3)
                   .F(s.SideDamping(k), 7, 3));
  if (p.status.WeakZoneOn) TableD(n, s.CapShearRatio);
}

void SolcstMultilayer() {
  ProblemData& p = Problem();
  SoilProfile& s = p.soil;
  int na = 0;
  if (!ReadRowCount("ERROR - NUMBER OF ADJACENT LAYERS EXCEEDS 30", na)) return;
  p.piles.AdjacentLayerCountValue = static_cast<Real>(na);
  const int n = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  if (!ReadLayeredRows(na)) {
    Fatal(kSoilConstantsError);
    return;
  }
  for (int k = na + 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers({&layer, &s.ShearWaveVelocity(k), &s.SoilUnitWeight(k), &s.SoilPoissonRatio(k),
                      &s.SoilDamping(k), &s.ShearModulusRatio(k), &s.DampingRatio(k)})) {
      Fatal(kSoilConstantsError);
      return;
    }
  }
  if (!Echo()) return;
  const UnitLabels& u = p.labels;
  CountedHeading(fmt::Line("SOIL CONSTANTS").X(6).A("NUMBER OF ADJACENT LAYERS -  ").I(na, 3));
  Out().Blank();
  Out().Line("LAYER  SHEAR WAVE   UNIT    POISSONS  MATERIAL");
  Out().Line(" NO.    VELOCITY   WEIGHT    RATIO     DAMPING");
  SoilUnits();
  SoilRows(1, na);
  if (p.status.WeakZoneOn) TableD(na, p.weak.WeakShearRatio);
  EchoHeading("SOIL PROPERTIES BELOW FOUNDATION");
  Out().Blank();
  Out().Line("LAYER  SHEAR WAVE   UNIT   POISSON'S  MATERIAL  SHEAR MODULUS  DAMPING RATIO");
  Out().Line(" NO.    VELOCITY   WEIGHT    RATIO     DAMPING  RATIO(IN/OUT)      (IN/OUT)");
  Out().Line(UnitsLine({{u.velocity, 15}, {u.unitWeight, 26}}));
  for (int k = na + 1; k <= n; ++k)
    Out().Line(fmt::Line().I(k, 3).X(5).F(s.ShearWaveVelocity(k), 7, 3).X(2).F(s.SoilUnitWeight(k), 9, 3).X(1)
                   .F(s.SoilPoissonRatio(k), 7, 3).X(3).F(s.SoilDamping(k), 7, 3).X(6)
                   .F(s.ShearModulusRatio(k), 7, 3).X(8).F(s.DampingRatio(k), 7, 3));
}

}  // namespace

void ReadSoil() {
  ProblemData& p = Problem();
  KeywordRecord kw;
  auto finish = [&] {
    if (p.status.SideCapOn && !p.status.EmbeddedOn) {
      Out().Blank(2);
      Out().Line("SIDE-CAP KEYWORD WAS INPUT WITHOUT THE EMBEDDED KEYWORD - THE SIDE-CAP OPTION WILL BE IGNORED");
      p.status.SideCapOn = false;
    }
  };

  ReadKeyword(kw);
  int index = LookupKeyword(kw.Key());
  while (index == kWeakKey) {
    if (p.status.FoundationType == EngineFoundation::Stratum) {
      Fatal("WEAK IS AN IMPROPER KEYWORD FOR THIS FOUNDATION TYPE");
      return finish();
    }
    p.status.WeakZoneOn = true;
    ReadKeyword(kw);
    index = LookupKeyword(kw.Key());
  }
  if (index != kConstantsKey) {
    Fatal("WEAK OR CONSTANT SUBKEYWORDS ARE EXPECTED TO FOLLOW SOIL KEYWORD");
    return finish();
  }
  SOLCST();
  if (p.status.FoundationType == EngineFoundation::Stratum) return finish();

  ReadKeyword(kw);
  if (LookupKeyword(kw.Key()) != kBelowKey) {
    Fatal("BELOW SUBKEYWORD IS EXPECTED TO FOLLOW SOIL CONSTANT DATA");
    return finish();
  }
  ReadBaseSoil();

  if (p.status.FoundationType == EngineFoundation::Pile) {
    for (;;) {
      ReadKeyword(kw);
      const int next = LookupKeyword(kw.Key());
      if (next == kSideCapKey) {
        p.status.SideCapOn = true;
      } else if (next == kEmbeddedKey) {
        p.status.EmbeddedOn = true;
        ReadSideLayers();
        break;
      } else {
        PushBack();
        break;
      }
    }
  }
  finish();
}

void SOLCST() {
  ProblemData& p = Problem();
  switch (p.status.FoundationType) {
    case EngineFoundation::Stratum: return SolcstStratum();
    case EngineFoundation::Pile: return p.status.SoilMedia == kParabolic ? SolcstParabolic() : SolcstLayeredPile();
    case EngineFoundation::HalfSpace: return SolcstHalfSpace();
    case EngineFoundation::Multilayer: return SolcstMultilayer();
    default:
      p.run.InputErrorIndicator = true;
      Out().Blank(2);
      Out().Line("THE FOUNDATION TYPE HAS NOT BEEN ESTABLISHED");
      Out().Line(fmt::Line().X(3).A("THE PROGRAM SHOULD NEVER ENCOUNTER THIS ERROR (SOLCST)"));
  }
}

void ReadBaseSoil() {
  ProblemData& p = Problem();
  BaseSoil& b = p.base;
  if (!ReadNumbers({&b.BaseShearWaveVelocity, &b.BaseUnitWeight, &b.BasePoissonRatio, &b.BaseDamping})) {
    p.run.InputErrorIndicator = true;
    Out().Blank();
    Out().Line("*** BAD DATA IN SOIL DESCRIPTION BELOW PILE ***");
    Out().Line("     - WILL CONTINUE TO PROCESS DATA");
    Out().Line("     - CANNOT EXECUTE THIS PROBLEM SET");
    return;
  }
  if (!Echo()) return;
  const UnitLabels& u = p.labels;
  const EngineFoundation type = p.status.FoundationType;
  EchoHeading(type == EngineFoundation::HalfSpace    ? "HALF-SPACE SOIL"
              : type == EngineFoundation::Multilayer ? "SOIL BELOW MULTILAYER SYSTEM"
                                                     : "SOIL BELOW PILE");
  Out().Blank();
  Out().Line("SHEAR WAVE    UNIT    POISSON'S   MATERIAL");
  Out().Line(" VELOCITY    WEIGHT     RATIO     DAMPING");
  Out().Line(fmt::Line().X(4).A(u.velocity).X(6).A(u.unitWeight));
  Out().Line(fmt::Line().E(b.BaseShearWaveVelocity, 9, 2).X(1).F(b.BaseUnitWeight, 11, 4).X(3)
                 .F(b.BasePoissonRatio, 5, 3).X(3).F(b.BaseDamping, 7, 3));
}

void ReadSideLayers() {
  ProblemData& p = Problem();
  SideLayers& s = p.side;
  auto ignore = [&](std::string_view message) {
    Out().Blank(2);
    Out().Line(message);
    Out().Line("PROGRAM WILL IGNORE THESE OPTIONS");
    p.status.EmbeddedOn = false;
    p.status.SideCapOn = false;
  };
  Real count = 0;
  if (!ReadNumber(count)) return ignore("ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISOLATION DATA");
  if (count > static_cast<Real>(kMaxLayers)) return ignore("ERROR - NUMBER OF SIDE LAYERS EXCEEDS 30");
  const int n = RowsOf(count, kMaxLayers);
  s.SideLayerCount = n;
  for (int k = 1; k <= n; ++k) {
    Real layer = 0;
    if (!ReadNumbers({&layer, &s.SideThickness(k), &s.SideShearWaveVelocity(k), &s.SideUnitWeight(k),
                      &s.SidePoissonRatio(k), &s.SideDamping(k)}))
      return ignore("ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISOLATION DATA");
    if (p.status.SideCapOn) {
      if (!ReadNumbers({&s.CapShearRatio(k), &s.CapPoissonRatio(k), &s.CapDamping(k), &s.CapThicknessRatio(k)}))
        return ignore("ERROR ENCOUNTERED WHILE READING EMBEDDED OR ISOLATION DATA");
    } else {
      CapDefaults(s, k);
    }
  }
  if (!Echo()) return;
  const UnitLabels& u = p.labels;
  EchoHeading("EMBEDDED OPTION");
  Out().Blank();
  Out().Line(fmt::Line("NUMBER OF SIDE LAYERS  -  ").I(n, 3));
  Out().Blank();
  Out().Line("LAYER  THICKNESS  SHEAR WAVE   UNIT    POISSONS  MATERIAL");
  Out().Line(" NO.    OF LAYER   VELOCITY   WEIHT    RATIO     DAMPING");
  Out().Line(UnitsLine({{u.length, 14}, {u.velocity, 24}, {u.unitWeight, 36}}));
  for (int k = 1; k <= n; ++k)
    Out().Line(fmt::Line().I(k, 3).X(4).F(s.SideThickness(k), 7, 3).X(3).F(s.SideShearWaveVelocity(k), 7, 2).X(3)
                   .F(s.SideUnitWeight(k), 9, 3).X(2).F(s.SidePoissonRatio(k), 7, 3).X(3)
                   .F(s.SideDamping(k), 7, 3));
  if (p.status.SideCapOn) {
    EchoHeading("SIDE-CAP (WEAKENING) OF SIDE LAYERS");
    Out().Blank();
    Out().Line("LAYER  SHEAR MODULUS");
    Out().Line(" NO.       RATIO");
    Out().Blank();
    for (int k = 1; k <= n; ++k) Out().Line(fmt::Line().I(k, 3).X(5).F(s.CapShearRatio(k), 7, 3));
  }
}

}  // namespace terva
