// FOUNDATION section: type, shape, mass and constants; the pile-side steps
// are in pile_reader.cpp.
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

// One echo line: a 32-character label, the value and, after a blank, its unit.
void ValueLine(ReaderContext& ctx, std::string_view label, Real value, bool exponent, std::string_view unit = {}) {
  fmt::Line line(label);
  if (exponent) line.PE(value, 12, 5); else line.F(value, 12, 5);
  if (!unit.empty()) line.X(1).A(unit);
  ctx.report.Line(line);
}

bool IsPileOrMultilayer(EngineFoundation type) {
  return type == EngineFoundation::Pile || type == EngineFoundation::Multilayer;
}

}  // namespace

void ReadFoundation(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  KeywordRecord kw;

  // 1. foundation type
  ctx.ReadKeyword(kw);
  switch (LookupKeyword(kw.Key(), &ctx.report)) {
    case kPileKey: p.status.FoundationType = EngineFoundation::Pile; break;
    case kHalfKey: p.status.FoundationType = EngineFoundation::HalfSpace; break;
    case kStratumKey: p.status.FoundationType = EngineFoundation::Stratum; break;
    case kMultilayerKey: p.status.FoundationType = EngineFoundation::Multilayer; break;
    default: InvalidKeyword(ctx, kw.Key(), " FOR FOUNDATION TYPE"); return;
  }
  const EngineFoundation type = p.status.FoundationType;
  if (Echo(ctx)) {
    static constexpr std::string_view kNames[] = {"", "PILE", "HALF-SPACE", "STRATUM", "MULTILAYER"};
    ctx.report.Blank(2);
    ctx.report.Line("FOUNDATION TYPE - " + std::string(kNames[static_cast<size_t>(type)]));
    ctx.report.Line(fmt::Line().Stars(15));
  }

  // 2. footing shape
  ctx.ReadKeyword(kw);
  switch (LookupKeyword(kw.Key(), &ctx.report)) {
    case kCircularKey: p.status.FootingShape = kCircular; break;
    case kRectangularKey: p.status.FootingShape = kRectangular; break;
    default: InvalidKeyword(ctx, kw.Key(), " FOR GEOMETRY TYPE"); return;
  }
  ReadGeometry(ctx);  // its errors do not end the section
  if (type == EngineFoundation::HalfSpace || type == EngineFoundation::Stratum) p.status.SoilMedia = kLayered;

  // 3. mass
  ctx.ReadKeyword(kw);
  if (LookupKeyword(kw.Key(), &ctx.report) != kMassKey) {
    InvalidKeyword(ctx, kw.Key(), " FOR MASS INFORMATION");
    return;
  }
  if (!ReadMass(ctx)) return;

  // 4. soil media, layer count, pile head and coordinates
  if (IsPileOrMultilayer(type)) {
    if (!ReadSoilMedia(ctx)) return;
    if (type == EngineFoundation::Multilayer) {
      p.piles.PileHeadFixed = true;
      p.piles.HeadFixity = 1.0f;
    } else if (!ReadPileCoordinates(ctx)) {
      return;
    }
  }

  // 5. foundation constants
  ctx.ReadKeyword(kw);
  if (LookupKeyword(kw.Key(), &ctx.report) != kConstantsKey) {
    InvalidKeyword(ctx, kw.Key(), " FOR CONSTANT INFORMATION");
    return;
  }
  if (!ReadFoundationConstants(ctx)) return;

  // 6. half-space and stratum sections end here
  if (!IsPileOrMultilayer(type)) return;

  // 7. pile elements
  ctx.ReadKeyword(kw);
  if (LookupKeyword(kw.Key(), &ctx.report) != kElementKey) {
    InvalidKeyword(ctx, kw.Key(), " FOR ELEMENT INFORMATION");
    return;
  }
  if (!ReadElements(ctx)) return;

  // 8. tip condition (optional)
  ctx.ReadKeyword(kw);
  const int tip = LookupKeyword(kw.Key(), &ctx.report);
  if (tip == kEndBearingKey) {
    p.status.EndBearing = true;
    if (Echo(ctx)) EchoHeading(ctx, "PILE TIP CONDITION : END-BEARING");
  } else if (tip != kFloatingKey) {
    ctx.PushBack();
  }
  if (type == EngineFoundation::Multilayer) return;

  // 9. battered piles and interaction, in either order (optional)
  bool battered = false;
  bool interaction = false;
  while (!(battered && interaction)) {
    ctx.ReadKeyword(kw);
    const int index = LookupKeyword(kw.Key(), &ctx.report);
    if (index == kBatteredKey && !battered) {
      battered = true;
      p.status.BatteredOn = true;
      ReadBatteredPiles(ctx);
    } else if (index == kInteractionKey && !interaction) {
      interaction = true;
      p.status.InteractionOn = true;
      // a tip condition directly after INTERACTION is read and has no effect
      ctx.ReadKeyword(kw);
      const int next = LookupKeyword(kw.Key(), &ctx.report);
      if (next != kFloatingKey && next != kEndBearingKey) ctx.PushBack();
    } else {
      ctx.PushBack();
      return;
    }
  }
}

bool ReadGeometry(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  FootingGeometry& g = p.geometry;
  const bool stratum = p.status.FoundationType == EngineFoundation::Stratum;
  bool ok = true;
  if (p.status.FootingShape == kCircular) {
    Real radius = 0;
    ok = ReadNumbers(ctx, {&radius});
    if (ok) {
      g.NominalRadius = radius;
      if (stratum) std::fill(g.StratumRadius.v.begin(), g.StratumRadius.v.end(), radius);
      else std::fill(g.EquivalentRadius.v.begin(), g.EquivalentRadius.v.end(), radius);
    }
  } else {
    Real a = g.FootingDim1, b = g.FootingDim2;
    ok = ReadNumbers(ctx, {&g.FootingDim1, &g.FootingDim2});
    if (ok) {
      a = g.FootingDim1;
      b = g.FootingDim2;
      const auto r = RectangularEquivalentRadii(a, b);
      if (stratum) {
        g.StratumRadius(1) = r[0];
        g.StratumRadius(2) = r[0];
        g.StratumRadius(3) = r[1];
        g.StratumRadius(4) = r[2];
        g.StratumRadius(5) = r[3];
        Real sum = 0;
        for (Real v : g.StratumRadius.v) sum += v;
        g.NominalRadius = sum / 5.0f;
      } else {
        for (int k = 1; k <= 4; ++k) g.EquivalentRadius(k) = r[static_cast<size_t>(k - 1)];
      }
    }
  }
  // a footing needs a positive size: the equivalent radii are roots of it
  if (ok && p.status.FootingShape == kCircular && !(g.NominalRadius > 0.0f)) ok = false;
  if (ok && p.status.FootingShape == kRectangular && !(g.FootingDim1 > 0.0f && g.FootingDim2 > 0.0f)) ok = false;
  if (!ok) {
    p.run.InputErrorIndicator = true;
    ctx.report.Blank(2);
    ctx.report.Line(" *** BAD DATA IN GEOMETRY DESCRIPTION ***");
    ctx.report.Line("        - WILL CONTINUE TO PROCESS DATA");
    ctx.report.Line("     - CANNOT EXECUTE THIS PROBLEM SET");
  }
  if (Echo(ctx)) {
    const std::string& len = p.labels.length;
    ctx.report.Blank(2);
    if (p.status.FootingShape == kCircular) {
      ctx.report.Line(fmt::Line("CIRCULAR FOUNDATION  -  RADIUS = ").F(g.NominalRadius, 8, 3).X(1).A(len));
      ctx.report.Line(fmt::Line().Stars(19));
    } else {
      ctx.report.Line(fmt::Line("RECTANGULAR FOUNDATION  -  ")
                     .F(g.FootingDim1, 8, 3).X(1).A(len).X(2).A("BY ")
                     .F(g.FootingDim2, 8, 3).X(1).A(len));
      ctx.report.Line(fmt::Line().Stars(22));
    }
  }
  return ok;
}

bool ReadMass(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  MassConstants& m = p.mass;
  const bool ok = ReadNumbers(ctx, {&m.FootingMass, &m.MassMomentX, &m.MassMomentY, &m.MassMomentZ, &m.ProductXY,
                                    &m.ProductXZ, &m.ProductYZ});
  if (!ok) Fatal(ctx, "ERROR ENCOUNTERED IN FOUNDATION MASS DESCRIPTION");
  if (Echo(ctx)) {
    EchoHeading(ctx, "MASS CONSTANTS");
    ctx.report.Blank();
    const std::string& mm = p.labels.massMoment;
    ValueLine(ctx, "TOTAL MASS OF FOOTING  .........", m.FootingMass, true, p.labels.mass);
    ValueLine(ctx, "MASS MOMENT ABOUT X-AXIS  ......", m.MassMomentX, true, mm);
    ValueLine(ctx, "MASS MOMENT ABOUT Y-AXIS  ......", m.MassMomentY, true, mm);
    ValueLine(ctx, "MASS MOMENT ABOUT Z-AXIS  ......", m.MassMomentZ, true, mm);
    ValueLine(ctx, "CROSS PRODUCT X-Y  .............", m.ProductXY, true, mm);
    ValueLine(ctx, "CROSS PRODUCT X-Z  .............", m.ProductXZ, true, mm);
    ValueLine(ctx, "CROSS PRODUCT Y-Z  .............", m.ProductYZ, true, mm);
  }
  return ok;
}

bool ReadFoundationConstants(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  FoundationConstants& c = p.constants;
  const EngineFoundation type = p.status.FoundationType;
  bool ok = ReadNumbers(ctx, {&c.CentreOfGravityX, &c.CentreOfGravityY, &c.CentreOfGravityHeight});
  if (!ok) {
    Fatal(ctx, "ERROR ENCOUNTERED WHILE READING CENTRE OF GRAVITY VARIABLES");
  } else if (type == EngineFoundation::Stratum) {
    ok = ReadNumbers(ctx, {&c.EmbedmentDepth, &c.StratumDepth});
    if (ok) {
      const Real e = c.EmbedmentDepth, h = c.StratumDepth, r = p.geometry.NominalRadius;
      c.EmbedmentRatio = e / r;
      c.EmbedmentDepthRatio = e / h;
      c.RadiusDepthRatio = r / h;
      // the stratum formulas hold only for E/R <= 1.5 and E/H <= 0.75 (a 0/0 ratio is refused too)
      if (!(c.EmbedmentRatio <= 1.5f) || !(c.EmbedmentDepthRatio <= 0.75f)) {
        p.run.InputErrorIndicator = true;
        ctx.report.Blank(2);
        ctx.report.Line("THE STRATUM OPTION IS NOT GOOD FOR THIS CASE");
        ctx.report.Line("CHECK YOUR E/R,E/H,R/H VALUES");
      }
    }
    if (!ok) Fatal(ctx, "ERROR ENCOUNTERED WHILE READING FOUNDATION CONSTANTS");
  } else if (IsPileOrMultilayer(type)) {
    ok = ReadNumbers(ctx, {&c.PileLength, &c.PileUnitWeight, &c.StaticLoad, &c.PilePoissonRatio, &c.PileDamping,
                      &c.RigidityCoefficient, &c.YoungsModulus});
    if (!ok) Fatal(ctx, "ERROR ENCOUNTERED WHILE READING FOUNDATION CONSTANTS");
  }
  if (Echo(ctx)) {
    const UnitLabels& u = p.labels;
    static constexpr std::string_view kHeadings[] = {"", "PILE PROPERTIES", "HALF-SPACE FOUNDATION",
                                                     "STRATUM PROPERTIES", "FOUNDATION PROPERTIES"};
    EchoHeading(ctx, type >= EngineFoundation::Pile && type <= EngineFoundation::Multilayer
                    ? kHeadings[static_cast<size_t>(type)]
                    : "FOUNDATION PROPERTIES");
    ctx.report.Blank();
    if (IsPileOrMultilayer(type)) {
      ValueLine(ctx, "X-LOCATION CENTRE OF GRAV.  ....", c.CentreOfGravityX, false, u.length);
      ValueLine(ctx, "Y-LOCATION CENTRE OF GRAV.  ....", c.CentreOfGravityY, false, u.length);
      ValueLine(ctx, "HEIGHT OF CENTRE OF GRAV.  .....", c.CentreOfGravityHeight, false, u.length);
      ValueLine(ctx, "TOTAL LENGTH  ..................", c.PileLength, false, u.length);
      ValueLine(ctx, "UNIT WEIGHT  ...................", c.PileUnitWeight, false, u.unitWeight);
      ValueLine(ctx, "STATIC LOAD ON BODY  ...........", c.StaticLoad, true, u.force);
      ValueLine(ctx, "POISSONS RATIO  ............... ", c.PilePoissonRatio, false);
      ValueLine(ctx, "MATERIAL DAMPING  ..............", c.PileDamping, false);
      ValueLine(ctx, "COEFF. OF RIGIDITY  ............", c.RigidityCoefficient, false);
      ValueLine(ctx, "YOUNGS MODULUS  ............... ", c.YoungsModulus, true, u.modulus);
    } else {
      ValueLine(ctx, "X-LOCATION CENTRE OF GRAV  .....", c.CentreOfGravityX, false, u.length);
      ValueLine(ctx, "Y-LOCATION CENTRE OF GRAV  .....", c.CentreOfGravityY, false, u.length);
      ValueLine(ctx, "HEIGHT OF CENTRE OF GRAV  ......", c.CentreOfGravityHeight, false, u.length);
      if (type == EngineFoundation::Stratum) {
        ValueLine(ctx, "DEPTH OF EMBEDMENT  ............", c.EmbedmentDepth, false, u.length);
        ValueLine(ctx, "DEPTH OF LAYER  ................", c.StratumDepth, false, u.length);
      }
    }
  }
  return ok;
}

}  // namespace terva
