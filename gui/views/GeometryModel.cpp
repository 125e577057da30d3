#include "gui/views/GeometryModel.hpp"

#include "gui/files/ProjectWriter.hpp"
#include "gui/model/GeometryFile.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace terva::gui {
namespace {

// Columns of the tables the views read.
constexpr int kThickness = 0;       // D1, pilecapsoil; element length in PileData, MultiElement
constexpr int kElementRadiusX = 1;  // PileData, MultiElement
constexpr int kElementRadiusY = 2;
constexpr int kPileX = 0, kPileY = 1, kBatterAngle = 2, kBatterPlane = 3;  // Pilecoord

int Rows(const TGridTable* t) { return t ? t->RowCount() : 0; }
double Cell(const TGridTable* t, int column, int row) {
  if (!t || row < 0 || row >= t->RowCount() || column >= t->ColumnCount()) return 0.0;
  return static_cast<double>(t->Column(column)->GetReal(row));
}
int Choice(const TGridTable* t, int column, int row) {
  if (!t || row < 0 || row >= t->RowCount() || column >= t->ColumnCount()) return 0;
  return t->Column(column)->GetInteger(row);
}

QString Number(double v) { return QString::number(v, 'g', 5); }
QString SoilLabel(double vs, double gamma) {
  return QStringLiteral("Vs = %1, \u03b3 = %2").arg(Number(vs), Number(gamma));
}

// Layers of the given thicknesses stacked from `top` down.
void Stack(TFoundationModel& m, double top, const TGridTable* table, int thicknessColumn, int rows,
           const TGridTable* soil, int vsColumn, int gammaColumn) {
  double depth = top;
  for (int r = 0; r < rows; ++r) {
    const double h = std::max(0.0, Cell(table, thicknessColumn, r));
    m.layers.push_back({depth, depth + h, SoilLabel(Cell(soil, vsColumn, r), Cell(soil, gammaColumn, r))});
    depth += h;
  }
}

double LayersBottom(const TFoundationModel& m, double fallback) {
  return m.layers.empty() ? fallback : std::max(fallback, m.layers.back().bottom);
}

// The soil is drawn to the deepest thing shown and a fifth of that again.
void FinishDepths(TFoundationModel& m) {
  double deepest = std::max({m.base, m.belowTop, LayersBottom(m, 0.0)});
  for (const TFoundationModel::Pile& p : m.piles) deepest = std::max(deepest, p.Tip().z);
  if (!m.column.empty()) deepest = std::max(deepest, m.column.back().bottom);
  if (m.rockDepth) deepest = std::max(deepest, *m.rockDepth);
  if (deepest <= 0) deepest = 1.0;
  // Room below for what lies there: a fifth of the depth, at least half the plan's size.
  const QRectF plan = m.PlanExtent();
  m.soilDepth = std::max({m.soilDepth, 1.2 * deepest, deepest + 0.5 * std::max(plan.width(), plan.height())});
}

}  // namespace

TPoint3 TFoundationModel::Pile::At(double s) const {
  const double a = angle * std::numbers::pi / 180.0;
  const double sideways = s * std::sin(a);
  return {head.x + (plane == 2 ? 0.0 : sideways), head.y + (plane == 2 ? sideways : 0.0), head.z + s * std::cos(a)};
}

QRectF TFoundationModel::PlanExtent() const {
  const double hx = circular ? radius : length / 2, hy = circular ? radius : width / 2;
  double x0 = centreX - hx, x1 = centreX + hx, y0 = centreY - hy, y1 = centreY + hy;
  for (const Pile& p : piles)
    for (const TPoint3& q : {p.head, p.Tip()}) {
      x0 = std::min(x0, q.x - p.radius);
      x1 = std::max(x1, q.x + p.radius);
      y0 = std::min(y0, q.y - p.radius);
      y1 = std::max(y1, q.y + p.radius);
    }
  for (const ColumnElement& e : column) {
    x0 = std::min(x0, centreX - e.radiusX);
    x1 = std::max(x1, centreX + e.radiusX);
    y0 = std::min(y0, centreY - e.radiusY);
    y1 = std::max(y1, centreY + e.radiusY);
  }
  return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

TFoundationModel ModelOfProject(const TProgramData& project, const TProjectTables& tables) {
  TProgramData data = project;
  ApplyGeometrySaveRules(data, tables);  // thickness and pile length as saved
  TFoundationModel m;
  const std::optional<TFoundationType> type = FoundationTypeOf(data.Foundation);
  m.foundation = data.Foundation;
  m.circular = data.Circular != 0;
  m.radius = static_cast<double>(data.Radius);
  m.length = static_cast<double>(data.Length);
  m.width = static_cast<double>(data.Width);
  m.top = 0.0;
  m.base = static_cast<double>(data.Thickness);
  const QString below = SoilLabel(static_cast<double>(data.BelowVs), static_cast<double>(data.BelowUnitWeight));
  const double cgDx = static_cast<double>(data.CgLocal[0] - data.CbLocal[0]);
  const double cgDy = static_cast<double>(data.CgLocal[1] - data.CbLocal[1]);

  if (type == TFoundationType::Multilayer) {
    // Xc, Yc here are the distances from the base centre to the centre of gravity.
    m.centreOfGravity = QPointF(static_cast<double>(data.Xc), static_cast<double>(data.Yc));
    const TGridTable* elements = tables.MultiElement();
    const int embedded = std::min(Rows(tables.D()), Rows(elements));
    double depth = 0.0;
    for (int r = 0; r < Rows(elements); ++r) {
      const double h = std::max(0.0, Cell(elements, kThickness, r));
      m.column.push_back({depth, depth + h, Cell(elements, kElementRadiusX, r), Cell(elements, kElementRadiusY, r)});
      depth += h;
    }
    Stack(m, 0.0, elements, kThickness, embedded, tables.D(), 0, 1);
    // The layers below the embedded part: the rows of MultiElement beyond those of D.
    double d = LayersBottom(m, 0.0);
    for (int r = embedded; r < Rows(elements); ++r) {
      const double h = std::max(0.0, Cell(elements, kThickness, r));
      const int k = r - embedded;
      m.layers.push_back({d, d + h, SoilLabel(Cell(tables.Multisoil(), 0, k), Cell(tables.Multisoil(), 1, k))});
      d += h;
    }
    m.belowTop = d;
    m.belowLabel = QStringLiteral("Half-space: ") + below;
    m.legend << QStringLiteral("Multilayer column: elements drawn with their radii, centred under the footing")
             << QStringLiteral("Soil layers: lateral extent schematic");
  } else {
    m.centreX = static_cast<double>(data.Xc);
    m.centreY = static_cast<double>(data.Yc);
    m.centreOfGravity = QPointF(m.centreX + cgDx, m.centreY + cgDy);
    if (type == TFoundationType::Pile) {
      Stack(m, 0.0, tables.pilecapsoil(), kThickness, Rows(tables.pilecapsoil()), tables.pilecapsoil(), 1, 2);
      const TGridTable* elements = tables.PileData();
      std::vector<double> divisions;
      double s = 0.0;
      for (int r = 0; r < Rows(elements); ++r) divisions.push_back(s += std::max(0.0, Cell(elements, kThickness, r)));
      const double headRadius = Cell(elements, kElementRadiusX, 0);
      const TGridTable* coords = tables.Pilecoord();
      for (int r = 0; r < Rows(coords); ++r) {
        TFoundationModel::Pile p;
        p.number = r + 1;
        p.head = {m.centreX + Cell(coords, kPileX, r), m.centreY + Cell(coords, kPileY, r), m.base};
        p.radius = headRadius;
        p.length = static_cast<double>(data.PileLength);
        p.angle = Cell(coords, kBatterAngle, r);
        p.plane = Choice(coords, kBatterPlane, r) == 2 ? 2 : 1;
        p.divisions = divisions;
        m.piles.push_back(p);
      }
      // The soil along the piles: one layer per pile element, from the cap's base.
      const int layersBefore = static_cast<int>(m.layers.size());
      Stack(m, m.base, elements, kThickness, Rows(elements), tables.D(), 0, 1);
      m.belowTop = LayersBottom(m, m.base);
      if (static_cast<int>(m.layers.size()) == layersBefore) m.belowTop = m.base;
      m.belowLabel = QStringLiteral("Soil below the pile tips: ") + below;
      m.legend << QStringLiteral("Pile cap: side layers beside it; soil layers along the piles by pile element")
               << QStringLiteral("Soil layers: lateral extent schematic");
    } else {
      Stack(m, 0.0, tables.D1(), kThickness, Rows(tables.D1()), tables.D1(), 1, 2);
      if (type == TFoundationType::Stratum) {
        if (data.BaseDepth > 0) m.base = static_cast<double>(data.BaseDepth);
        m.belowTop = std::max(m.base, LayersBottom(m, 0.0));
        m.belowLabel = QStringLiteral("Stratum");
        if (data.BedrockDepth > 0) m.rockDepth = static_cast<double>(data.BedrockDepth);
        m.legend << QStringLiteral("Bed rock below the stratum; lateral extent schematic");
      } else {
        m.belowTop = std::max(m.base, LayersBottom(m, 0.0));
        m.belowLabel = QStringLiteral("Half-space: ") + below;
        m.legend << QStringLiteral("Side layers and half-space: lateral extent schematic");
      }
    }
  }
  FinishDepths(m);
  return m;
}

TFoundationModel ModelOfGeometryFile(const TGeometryFile& file) {
  TFoundationModel m;
  m.foundation = file.foundation;
  m.circular = file.circular;
  m.radius = file.length;
  m.length = file.length;
  m.width = file.width;
  m.base = file.thickness;
  std::vector<double> divisions;
  double s = 0.0;
  for (const TGeometryFile::Element& e : file.elements) divisions.push_back(s += std::max(0.0, e.length));
  for (const TGeometryFile::Pile& p : file.piles) {
    TFoundationModel::Pile pile;
    pile.number = p.number;
    pile.head = {p.x, p.y, m.base};
    pile.radius = file.elements.empty() ? 0.0 : file.elements.front().radiusX;
    pile.length = file.pileLength;
    pile.angle = p.angle;
    pile.plane = p.planeDegrees == 90 ? 2 : 1;
    pile.divisions = divisions;
    m.piles.push_back(pile);
  }
  double depth = 0.0;
  for (double h : file.layers) {
    m.layers.push_back({depth, depth + h, QString()});
    depth += h;
  }
  if (!file.piles.empty()) {
    // The layers beside the cap; the soil along the piles continues below.
    m.belowTop = std::max(depth, m.base);
  } else {
    m.belowTop = std::max(depth, m.base);
  }
  m.soilDepth = m.belowTop + std::max(0.0, file.soilDepth);
  FinishDepths(m);
  return m;
}

void TViewTransform::Fit(const QRectF& world, const QSizeF& pixels, double margin) {
  const double w = std::max(world.width(), 1e-9), h = std::max(world.height(), 1e-9);
  const double aw = std::max(1.0, pixels.width() - 2 * margin), ah = std::max(1.0, pixels.height() - 2 * margin);
  scale_ = std::min(aw / w, ah / h);
  // The centre of `world` (v up) at the centre of the pixels.
  const QPointF c = world.center();
  offset_ = QPointF(pixels.width() / 2 - c.x() * scale_, pixels.height() / 2 + c.y() * scale_);
}

void TViewTransform::ZoomAbout(const QPointF& pixel, double factor) {
  if (!(factor > 0) || !std::isfinite(factor)) return;
  const QPointF plane = ToPlane(pixel);
  scale_ = std::clamp(scale_ * factor, 1e-9, 1e12);
  offset_ = QPointF(pixel.x() - plane.x() * scale_, pixel.y() + plane.y() * scale_);
}

double RoundLength(double target) {
  if (!(target > 0) || !std::isfinite(target)) return 1.0;
  const double p = std::pow(10.0, std::floor(std::log10(target)));
  for (double m : {5.0, 2.0, 1.0})
    if (m * p <= target) return m * p;
  return p;
}

}  // namespace terva::gui
