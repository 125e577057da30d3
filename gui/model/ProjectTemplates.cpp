#include "gui/model/ProjectTemplates.hpp"

#include "gui/model/InputHelpers.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace terva::gui {

namespace {

// Reinforced concrete and the soil of the examples (SI: kN, Mg, m).
constexpr double kConcreteUnitWeight = 24.0;  // kN/m³
constexpr double kConcreteModulus = 30.0e6;   // kN/m²
constexpr double kConcretePoisson = 0.25;
constexpr double kConcreteDamping = 0.05;
constexpr double kGravity = 9.8;              // m/s², as the engine input gives it in SI
struct TSoil {
  double vs = 200.0;         // m/s
  double unitWeight = 18.0;  // kN/m³
  double poisson = 0.33;
  double damping = 0.05;
};
constexpr TSoil kSoil;

// The block of the half-space and stratum examples: 4 m along X, 3 m along
// Y, 1.2 m thick, its base 1 m below the ground.
constexpr double kBlockLength = 4.0, kBlockWidth = 3.0, kBlockThickness = 1.2;
constexpr double kBlockEmbedment = 1.0;
constexpr double kBedrockDepth = 10.0;

// A solid concrete box resting with its base centre at the origin: the
// mass, its moments of inertia about the centre of gravity, and the one
// mass component the mass calculator would list for it.
struct TBox {
  double length, width, thickness;
  double Mass() const { return length * width * thickness * kConcreteUnitWeight / kGravity; }
};

void SetMass(TProgramData& data, TProjectTables& tables, const TBox& box) {
  const double m = box.Mass();
  const double a = box.length, b = box.width, c = box.thickness;
  data.MassConstants = {m, m * (b * b + c * c) / 12.0, m * (a * a + c * c) / 12.0, m * (a * a + b * b) / 12.0,
                        0.0, 0.0, 0.0};
  // the centre of gravity half the thickness above the base centre
  data.CgLocal = {0.0L, 0.0L, c / 2.0};
  data.CbLocal = {0.0L, 0.0L, 0.0L};
  data.CbGlobal = {0.0L, 0.0L, c / 2.0};
  data.Xc = 0.0L;
  data.Yc = 0.0L;
  data.Zc = c / 2.0;
  TGridTable& mass = *tables.MassCal();
  mass.SetRowCount(1);
  const double row[] = {m, 0.0, 0.0, c / 2.0, a, b, c};
  for (int column = 0; column < 7; ++column) mass.Column(column)->SetReal(0, row[column]);
}

void SetRectangle(TProgramData& data, double length, double width) {
  data.Circular = 0;
  data.Length = length;
  data.Width = width;
}

// The soil below the foundation (the half-space, the stratum, the soil
// below the pile tips).
void SetBelow(TProgramData& data, const TSoil& soil) {
  data.BelowVs = soil.vs;
  data.BelowUnitWeight = soil.unitWeight;
  data.BelowPoisson = soil.poisson;
  data.BelowDamping = soil.damping;
}

// One soil row: [thickness,] Vs, unit weight, Poisson's ratio, damping, and
// a weak-zone shear modulus ratio of 1 (the soil is not weakened).
void SetSoilRow(TGridTable& table, int row, const TSoil& soil, std::optional<double> thickness) {
  std::vector<double> cells;
  if (thickness) cells.push_back(*thickness);
  for (double v : {soil.vs, soil.unitWeight, soil.poisson, soil.damping, 1.0}) cells.push_back(v);
  for (int c = 0; c < static_cast<int>(cells.size()); ++c) table.Column(c)->SetReal(row, cells[size_t(c)]);
}

// Harmonic loads of constant amplitude: 10 kN along X, 20 kN vertical and
// 10 kN·m about Y, from 1 to 50 Hz every 0.5 Hz.
void SetLoads(TProgramData& data) {
  data.LoadType = TLoadType::Harmonic;
  data.Quadratic = 0;
  data.FreqMin = 1.0L;
  data.FreqMax = 50.0L;
  data.FreqStep = 0.5L;
  data.HarmonicLoads = {10.0L, 0.0L, 20.0L, 0.0L, 10.0L, 0.0L};
}

void Block(TProgramData& data, TProjectTables& tables, bool stratum) {
  data.SetFoundation(stratum ? TFoundationType::Stratum : TFoundationType::HalfSpace);
  data.Title = stratum ? QStringLiteral("Block on a stratum (template)") : QStringLiteral("Half-space block (template)");
  SetRectangle(data, kBlockLength, kBlockWidth);
  data.Thickness = kBlockEmbedment;
  SetMass(data, tables, {kBlockLength, kBlockWidth, kBlockThickness});
  SetBelow(data, kSoil);
  // the soil beside the embedded part of the block; the stratum's depths
  // say the same for the stratum
  tables.D1()->SetRowCount(1);
  SetSoilRow(*tables.D1(), 0, kSoil, kBlockEmbedment);
  if (stratum) {
    data.BaseDepth = kBlockEmbedment;
    data.BedrockDepth = kBedrockDepth;
  }
  SetLoads(data);
}

bool Fits(const TPileGroupTemplate& g, int capacity) {
  const auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
  return g.rows >= 1 && g.columns >= 1 && static_cast<long long>(g.rows) * g.columns <= capacity &&
         positive(g.spacing) && positive(g.diameter) && positive(g.length);
}

void PileGroup(TProgramData& data, TProjectTables& tables, TPileGroupTemplate g) {
  const int capacity = tables.Pilecoord()->MaxRows() > 0 ? tables.Pilecoord()->MaxRows() : 200;
  if (!Fits(g, capacity)) g = TPileGroupTemplate{};
  const int piles = g.rows * g.columns;
  data.SetFoundation(TFoundationType::Pile);
  // plain ASCII: the title is a line of the engine input
  data.Title = QStringLiteral("Pile group %1 x %2 (template)").arg(g.rows).arg(g.columns);

  // The cap: its edges one diameter and 0.15 m beyond the outer piles'
  // centres, at least 1 m and two diameters thick, its top level with the
  // ground.
  const double edge = g.diameter + 0.15;
  const TBox cap{(g.columns - 1) * g.spacing + 2.0 * edge, (g.rows - 1) * g.spacing + 2.0 * edge,
                 std::max(1.0, 2.0 * g.diameter)};
  SetRectangle(data, cap.length, cap.width);
  SetMass(data, tables, cap);  // Zc: the centre of gravity above the pile heads

  // The piles: fixed in the cap, floating, interacting through the soil;
  // each carries its share of the cap's weight.
  data.PileHeadFixed = 1;
  data.EndBearing = 0;
  data.Interaction = 1;
  data.PileLength = g.length;
  data.PileUnitWeight = kConcreteUnitWeight;
  data.StaticLoad = cap.Mass() * kGravity / piles;
  data.PilePoisson = kConcretePoisson;
  data.PileDamping = kConcreteDamping;
  // the shear form factor of a solid circle
  data.ShearCoefficient = (7.0 + 6.0 * kConcretePoisson) / (6.0 * (1.0 + kConcretePoisson));
  data.PileModulus = kConcreteModulus;

  TGridInput grid;
  grid.rows = g.rows;
  grid.columns = g.columns;
  grid.spacingX = grid.spacingY = g.spacing;
  FillGridRows(*tables.Pilecoord(), GridCoordinates(grid, capacity).points, false);

  // One pile element over the whole length in one soil layer.
  TSectionShapeInput circle;
  circle.diameter = g.diameter;
  TGridTable& element = *tables.PileData();
  element.SetRowCount(1);
  element.Column(0)->SetReal(0, g.length);
  FillSectionRows(element, SectionConstants(circle).constants, 0, 0);
  tables.D()->SetRowCount(1);
  SetSoilRow(*tables.D(), 0, kSoil, std::nullopt);
  SetBelow(data, kSoil);
  // the soil beside the cap
  tables.pilecapsoil()->SetRowCount(1);
  SetSoilRow(*tables.pilecapsoil(), 0, kSoil, cap.thickness);

  SetLoads(data);
}

}  // namespace

std::unique_ptr<TProgramData> TemplateProject(TProjectTemplate kind, TProjectTables& tables,
                                              const TPileGroupTemplate& group) {
  auto data = NewProject(tables);
  switch (kind) {
    case TProjectTemplate::HalfSpaceBlock: Block(*data, tables, false); break;
    case TProjectTemplate::StratumBlock: Block(*data, tables, true); break;
    case TProjectTemplate::PileGroup: PileGroup(*data, tables, group); break;
  }
  // an example to start from, not yet an edit of the user's
  tables.ClearModified();
  return data;
}

QString TemplateCaption(TProjectTemplate kind) {
  switch (kind) {
    case TProjectTemplate::HalfSpaceBlock: return QStringLiteral("Half-Space Block");
    case TProjectTemplate::StratumBlock: return QStringLiteral("Block on a Stratum");
    case TProjectTemplate::PileGroup: return QStringLiteral("Pile Group n × m...");
  }
  return QString();
}

}  // namespace terva::gui
