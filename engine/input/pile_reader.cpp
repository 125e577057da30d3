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

void LabelLine(ReaderContext& ctx, std::string_view label, Real value) {
  ctx.report.Line(fmt::Line(label).F(value, 12, 5));
}

}  // namespace

bool ReadSoilMedia(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  KeywordRecord kw;
  ctx.ReadKeyword(kw);
  switch (LookupKeyword(kw.Key(), &ctx.report)) {
    case kLayersKey: {
      Real count = 0;
      if (!ctx.ReadNumber(count)) {
        Fatal(ctx, "ERROR ENCOUNTERED WHILE READING NUMBER OF LAYERS");
        return false;
      }
      if (count > static_cast<Real>(kMaxLayers)) {
        Fatal(ctx, "ERROR - NUMBER OF LAYERS EXCEEDS 30");
        return false;
      }
      p.piles.LayerCountValue = count;
      p.status.SoilMedia = kLayered;
      if (Echo(ctx)) {
        ctx.report.Blank(2);
        ctx.report.Line(fmt::Line("NUMBER OF LAYERS OR ELEMENTS - ").I(RoundCount(count), 3));
        ctx.report.Line(fmt::Line().Stars(28));
      }
      return true;
    }
    case kParabolicKey:
      if (p.status.FoundationType == EngineFoundation::Multilayer) {
        Fatal(ctx, "MULTILAYER FOUNDATION IS NOT ALLOWED A PARABOLIC SOIL MEDIA");
        return false;
      }
      p.status.SoilMedia = kParabolic;
      if (Echo(ctx)) EchoHeading(ctx, "SOIL MEDIA IS PARABOLIC");
      return true;
    default:
      InvalidKeyword(ctx, kw.Key(), " FOR SOIL MEDIA TYPE");
      return false;
  }
}

bool ReadPileCoordinates(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  PileGroup& g = p.piles;
  KeywordRecord kw;
  ctx.ReadKeyword(kw);
  switch (LookupKeyword(kw.Key(), &ctx.report)) {
    case kFixedKey:
      g.PileHeadFixed = true;
      g.HeadFixity = 1.0f;
      break;
    case kPinnedKey:
      g.PileHeadFixed = false;
      g.HeadFixity = 0.0f;
      if (Echo(ctx)) EchoHeading(ctx, "PILES ARE PINNED AT BUTT");
      break;
    default:
      InvalidKeyword(ctx, kw.Key(), " FOR FIXED OR PINNED INFORMATION");
      return false;
  }

  Real count = 0;
  if (!ctx.ReadNumber(count)) {
    Fatal(ctx, "ERROR ENCOUNTERED WHILE READING NUMBER OF PILES");
    return false;
  }
  if (count > static_cast<Real>(kMaxPiles)) {
    Fatal(ctx, "ERROR - NUMBER OF PILES EXCEEDS 500");
    return false;
  }
  g.PileCountValue = count;
  const int n = RowsOf(count, kMaxPiles);
  for (int i = 1; i <= n; ++i) {
    if (!ctx.ReadNumber(g.PileNumber(i))) {
      Fatal(ctx, "ERROR ENCOUNTERED WHILE READING PILE NUMBER");
      return false;
    }
    if (!ctx.ReadNumber(g.PileX(i))) {
      Fatal(ctx, "ERROR ENCOUNTERED WHILE READING PILE X-LOCATOR");
      return false;
    }
    if (!ctx.ReadNumber(g.PileY(i))) {
      Fatal(ctx, "ERROR ENCOUNTERED WHILE READING PILE Y-LOCATOR");
      return false;
    }
  }
  if (Echo(ctx)) {
    const std::string& len = p.labels.length;
    EchoHeading(ctx, "LOCATION OF PILES");
    ctx.report.Blank();
    ctx.report.Line("PILE       X           Y");
    ctx.report.Line(" NO.     LOCATION    LOCATION");
    ctx.report.Line(fmt::Line().X(14).A(len).X(10).A(len));
    for (int i = 1; i <= n; ++i) ctx.report.Line(fmt::Line().I(i, 3).X(6).F(g.PileX(i), 7, 3).X(5).F(g.PileY(i), 7, 3));
  }
  return true;
}

bool ReadElements(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  PileSections& s = p.sections;
  if (p.status.SoilMedia == kParabolic) {
    if (!ReadNumbers(ctx, {&s.PileRadiusX(1), &s.PileRadiusY(1), &s.PileArea(1), &s.PileInertiaX(1), &s.PileInertiaY(1),
                      &s.PileTorsion(1)})) {
      Fatal(ctx, "ERROR ENCOUNTERED WHILE READING ELEMENT DATA");
      return false;
    }
    if (Echo(ctx)) {
      EchoHeading(ctx, "ELEMENT");
      ctx.report.Blank();
      LabelLine(ctx, "RADIUS OF PILE (X)  ............", s.PileRadiusX(1));
      LabelLine(ctx, "RADIUS OF PILE (Y)  ............", s.PileRadiusY(1));
      LabelLine(ctx, "CROSS SECTIONAL AREA  ..........", s.PileArea(1));
      LabelLine(ctx, "MOMENT OF INERTIA (X)  .........", s.PileInertiaX(1));
      LabelLine(ctx, "MOMENT OF INERTIA (Y)  .........", s.PileInertiaY(1));
      LabelLine(ctx, "TORSIONAL STIFFNESS  ...........", s.PileTorsion(1));
    }
    return true;
  }

  const int n = RowsOf(p.piles.LayerCountValue, kMaxLayers);
  for (int k = 1; k <= n; ++k) {
    Real layerNumber = 0;
    if (!ReadNumbers(ctx, {&layerNumber, &s.LayerThickness(k), &s.PileRadiusX(k), &s.PileRadiusY(k), &s.PileArea(k),
                      &s.PileInertiaX(k), &s.PileInertiaY(k), &s.PileTorsion(k)})) {
      Fatal(ctx, "ERROR ENCOUNTERED WHILE READING ELEMENT DATA");
      return false;
    }
  }
  if (Echo(ctx)) {
    const UnitLabels& u = p.labels;
    EchoHeading(ctx, "ELEMENT");
    ctx.report.Blank();
    ctx.report.Line("LAYER  LAYER   PILE    PILE     CROSS    MOMENT OF  MOMENT OF  TORSIONAL");
    ctx.report.Line(" NO.   DEPTH  RADIUS  RADIUS  SECTIONAL   INERTIA    INERTIA   STIFFNESS");
    ctx.report.Line("                (X)     (Y)      AREA       '(X)      (Y)");
    // each unit right-aligned in the column of its value
    ctx.report.Line(fmt::Line().X(10).A(u.length).X(5).A(u.length).X(6).A(u.length).X(7).A(u.area).X(6)
                   .A(u.secondMoment).X(6).A(u.secondMoment).X(6).A(u.secondMoment));
    for (int k = 1; k <= n; ++k) {
      ctx.report.Line(fmt::Line().I(k, 3).X(2).F(s.LayerThickness(k), 7, 3).X(1).F(s.PileRadiusX(k), 6, 3).X(1)
                     .F(s.PileRadiusY(k), 7, 3).X(3).E(s.PileArea(k), 9, 3).X(2).E(s.PileInertiaX(k), 9, 3).X(2)
                     .E(s.PileInertiaY(k), 9, 3).X(2).E(s.PileTorsion(k), 9, 2));
    }
  }
  return true;
}

void ReadBatteredPiles(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  PileGroup& g = p.piles;
  auto ignore = [&](std::string_view message) {
    ctx.report.Blank(2);
    if (!message.empty()) ctx.report.Line(message);
    ctx.report.Line("BATTERED OPTION WILL BE IGNORED.");
    p.status.BatteredOn = false;
  };
  const int n = RowsOf(g.PileCountValue, kMaxPiles);
  for (int i = 1; i <= n; ++i) {
    Real pileNumber = 0, angle = 0;
    KeywordRecord plane;
    if (!ctx.ReadNumber(pileNumber)) {
      ignore("ERROR ENCOUNTERED WHILE READING BATTERED PILE DATA");
      return;
    }
    ctx.ReadKeyword(plane);
    if (!ctx.ReadNumber(angle)) {
      ignore("ERROR ENCOUNTERED WHILE READING BATTERED PILE DATA");
      return;
    }
    if (n == 1 && angle == 0.0f) {
      ctx.report.Blank(2);
      ctx.report.Line("ANGLE BETWEEN PILE AND VERTICAL IS ZERO, THEREFORE THE PILE IS NOT BATTERED.");
      ctx.report.Line("BATTERED OPTION WILL BE IGNORED.");
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
    if (Echo(ctx)) {
      if (i == 1) {
        EchoHeading(ctx, "BATTERED PILES");
        ctx.report.Blank();
      }
      ctx.report.Line(fmt::Line("PILE NO.").I(i, 3).A(xz ? " BATTERED IN XZ PLANE" : " BATTERED IN YZ PLANE"));
      ctx.report.Line(fmt::Line("ANGLE BETWEEN PILE AND VERTICAL = ").F(t, 7, 2).X(1).A("deg."));
    }
  }
}

}  // namespace terva
