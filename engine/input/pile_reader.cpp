// FOUNDATION section, pile side: soil media and layer count, pile head and
// coordinates, elements and battered piles.
#include <algorithm>

#include "engine/input/keywords.hpp"
#include "engine/core/problem_data.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"
#include "engine/input/section_readers.hpp"

namespace terva {

using detail::Echo;
using detail::EchoHeading;
using detail::Fatal;
using detail::InvalidKeyword;
using detail::ReadNumbers;

namespace {

void LabelLine(std::string_view label, Real value) { Out().Line(fmt::Line(label).F(value, 12, 5)); }

}  // namespace

bool ReadSoilMedia() {
  ProblemData& p = Problem();
  KeywordRecord kw;
  ReadKeyword(kw);
  switch (LookupKeyword(kw.Key())) {
    case kLayersKey: {
      Real count = 0;
      if (!ReadNumber(count)) {
        Fatal("ERROR ENCOUNTERED WHILE READING NUMBER OF LAYERS");
        return false;
      }
      if (count > static_cast<Real>(kMaxLayers)) {
        Fatal("ERROR - NUMBER OF LAYERS EXCEEDS 30");
        return false;
      }
      p.piles.LayerCountValue = count;
      p.status.SoilMedia = kLayered;
      if (Echo()) {
        Out().Blank(2);
        Out().Line(fmt::Line("NUMBER OF LAYERS OR ELEMENTS - ").I(RoundCount(count), 3));
        Out().Line(fmt::Line().Stars(28));
      }
      return true;
    }
    case kParabolicKey:
      if (p.status.FoundationType == EngineFoundation::Multilayer) {
        Fatal("MULTILAYER FOUNDATION IS NOT ALLOWED A PARABOLIC SOIL MEDIA");
        return false;
      }
      p.status.SoilMedia = kParabolic;
      if (Echo()) EchoHeading("SOIL MEDIA IS PARABOLIC");
      return true;
    default:
      InvalidKeyword(kw.Key(), " FOR SOIL MEDIA TYPE");
      return false;
  }
}

bool ReadPileCoordinates() {
  ProblemData& p = Problem();
  PileGroup& g = p.piles;
  KeywordRecord kw;
  ReadKeyword(kw);
  switch (LookupKeyword(kw.Key())) {
    case kFixedKey:
      g.PileHeadFixed = true;
      g.HeadFixity = 1.0f;
      break;
    case kPinnedKey:
      g.PileHeadFixed = false;
      g.HeadFixity = 0.0f;
      if (Echo()) EchoHeading("PILES ARE PINNED AT BUTT");
      break;
    default:
      InvalidKeyword(kw.Key(), " FOR FIXED OR PINNED INFORMATION");
      return false;
  }

  Real count = 0;
  if (!ReadNumber(count)) {
    Fatal("ERROR ENCOUNTERED WHILE READING NUMBER OF PILES");
    return false;
  }
  if (count > static_cast<Real>(kMaxPiles)) {
    Fatal("ERROR - NUMBER OF PILES EXCEEDS 500");
    return false;
  }
  g.PileCountValue = count;
  const int n = RowsOf(count, kMaxPiles);
  for (int i = 1; i <= n; ++i) {
    if (!ReadNumber(g.PileNumber(i))) {
      Fatal("ERROR ENCOUNTERED WHILE READING PILE NUMBER");
      return false;
    }
    if (!ReadNumber(g.PileX(i))) {
      Fatal("ERROR ENCOUNTERED WHILE READING PILE X-LOCATOR");
      return false;
    }
    if (!ReadNumber(g.PileY(i))) {
      Fatal("ERROR ENCOUNTERED WHILE READING PILE Y-LOCATOR");
      return false;
    }
  }
  if (Echo()) {
    const std::string& len = p.labels.length;
    EchoHeading("LOCATION OF PILES");
    Out().Blank();
    Out().Line("PILE       X           Y");
    Out().Line(" NO.     LOCATION    LOCATION");
    Out().Line(fmt::Line().X(14).A(len).X(10).A(len));
    for (int i = 1; i <= n; ++i) Out().Line(fmt::Line().I(i, 3).X(6).F(g.PileX(i), 7, 3).X(5).F(g.PileY(i), 7, 3));
  }
  return true;
}

bool ReadElements() {
  ProblemData& p = Problem();
  PileSections& s = p.sections;
  if (p.status.SoilMedia == kParabolic) {
    if (!ReadNumbers({&s.PileRadiusX(1), &s.PileRadiusY(1), &s.PileArea(1), &s.PileInertiaX(1), &s.PileInertiaY(1),
                      &s.PileTorsion(1)})) {
      Fatal("ERROR ENCOUNTERED WHILE READING ELEMENT DATA");
      return false;
    }
    if (Echo()) {
      EchoHeading("ELEMENT");
      Out().Blank();
      LabelLine("RADIUS OF PILE (X)  ............", s.PileRadiusX(1));
      LabelLine("RADIUS OF PILE (Y)  ............", s.PileRadiusY(1));
      LabelLine("CROSS SECTIONAL AREA  ..........", s.PileArea(1));
      LabelLine("MOMENT OF INERTIA (X)  .........", s.PileInertiaX(1));
      LabelLine("MOMENT OF INERTIA (Y)  .........", s.PileInertiaY(1));
      LabelLine("TORSIONAL STIFFNESS  ...........", s.PileTorsion(1));
    }
    return true;
  }

  const int n = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  for (int k = 1; k <= n; ++k) {
    Real layerNumber = 0;
    if (!ReadNumbers({&layerNumber, &s.LayerThickness(k), &s.PileRadiusX(k), &s.PileRadiusY(k), &s.PileArea(k),
                      &s.PileInertiaX(k), &s.PileInertiaY(k), &s.PileTorsion(k)})) {
      Fatal("ERROR ENCOUNTERED WHILE READING ELEMENT DATA");
      return false;
    }
  }
  if (Echo()) {
    const UnitLabels& u = p.labels;
    EchoHeading("ELEMENT");
    Out().Blank();
    Out().Line("LAYER  LAYER   PILE    PILE     CROSS    MOMENT OF  MOMENT OF  TORSIONAL");
    Out().Line(" NO.   DEPTH  RADIUS  RADIUS  SECTIONAL   INERTIA    INERTIA   STIFFNESS");
    Out().Line("                (X)     (Y)      AREA       '(X)      (Y)");
    // each unit right-aligned in the column of its value
    Out().Line(fmt::Line().X(10).A(u.length).X(5).A(u.length).X(6).A(u.length).X(7).A(u.area).X(6)
                   .A(u.secondMoment).X(6).A(u.secondMoment).X(6).A(u.secondMoment));
    for (int k = 1; k <= n; ++k) {
      Out().Line(fmt::Line().I(k, 3).X(2).F(s.LayerThickness(k), 7, 3).X(1).F(s.PileRadiusX(k), 6, 3).X(1)
                     .F(s.PileRadiusY(k), 7, 3).X(3).E(s.PileArea(k), 9, 3).X(2).E(s.PileInertiaX(k), 9, 3).X(2)
                     .E(s.PileInertiaY(k), 9, 3).X(2).E(s.PileTorsion(k), 9, 2));
    }
  }
  return true;
}

void ReadBatteredPiles() {
  ProblemData& p = Problem();
  PileGroup& g = p.piles;
  auto ignore = [&](std::string_view message) {
    Out().Blank(2);
    if (!message.empty()) Out().Line(message);
    Out().Line("BATTERED OPTION WILL BE IGNORED.");
    p.status.BatteredOn = false;
  };
  const int n = RowsOf(g.PileCountValue, kMaxPiles);
  for (int i = 1; i <= n; ++i) {
    Real pileNumber = 0, angle = 0;
    KeywordRecord plane;
    if (!ReadNumber(pileNumber)) {
      ignore("ERROR ENCOUNTERED WHILE READING BATTERED PILE DATA");
      return;
    }
    ReadKeyword(plane);
    if (!ReadNumber(angle)) {
      ignore("ERROR ENCOUNTERED WHILE READING BATTERED PILE DATA");
      return;
    }
    if (n == 1 && angle == 0.0f) {
      Out().Blank(2);
      Out().Line("ANGLE BETWEEN PILE AND VERTICAL IS ZERO, THEREFORE THE PILE IS NOT BATTERED.");
      Out().Line("BATTERED OPTION WILL BE IGNORED.");
      p.status.BatteredOn = false;
      return;
    }
    const std::string_view key = plane.Key();
    const bool xz = key == "XZ  ";
    const bool yz = key == "YZ  ";
    if (!xz && !yz) {
      ignore("UNRECOGNIZED PLANE" + std::string(key) + "FOR BATTERED PILES");
      return;
    }
    const Real t = angle;
    g.BatterPlane(i) = xz ? "XZ" : "YZ";
    g.BatterAngle(i) = t;
    // angles (degrees) between the local axes x', y', z' and the global X, Y, Z
    g.BatterDirectionAngles(i) = xz ? std::array<Real, 9>{t, 90, t + 90, 90, 0, 90, 90 - t, 90, t}
                                    : std::array<Real, 9>{0, 90, 90, 90, t, t + 90, 90, 90 - t, t};
    if (Echo()) {
      if (i == 1) {
        EchoHeading("BATTERED PILES");
        Out().Blank();
      }
      Out().Line(fmt::Line("PILE NO.").I(i, 3).A(xz ? " BATTERED IN XZ PLANE" : " BATTERED IN YZ PLANE"));
      Out().Line(fmt::Line("ANGLE BETWEEN PILE AND VERTICAL = ").F(t, 7, 2).X(1).A("deg."));
    }
  }
}

}  // namespace terva
