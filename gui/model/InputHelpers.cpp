#include "gui/model/InputHelpers.hpp"

#include "gui/model/Table.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace terva::gui {

namespace {

constexpr double kPi = std::numbers::pi;

bool Positive(double v) { return std::isfinite(v) && v > 0.0; }

TSectionResult Refused(const QString& why) {
  TSectionResult r;
  r.error = why;
  return r;
}

}  // namespace

TSectionResult SectionConstants(const TSectionShapeInput& in) {
  TSectionResult out;
  TSectionConstants& c = out.constants;
  switch (in.shape) {
    case TSectionShape::SolidCircle: {
      if (!Positive(in.diameter)) return Refused(QStringLiteral("The diameter must be greater than 0."));
      const double d = in.diameter;
      c.area = kPi * d * d / 4.0;
      c.inertiaX = c.inertiaY = kPi * std::pow(d, 4) / 64.0;
      c.torsion = 2.0 * c.inertiaX;
      c.radius = d / 2.0;
      break;
    }
    case TSectionShape::HollowCircle: {
      if (!Positive(in.diameter)) return Refused(QStringLiteral("The diameter must be greater than 0."));
      if (!Positive(in.wall)) return Refused(QStringLiteral("The wall thickness must be greater than 0."));
      if (2.0 * in.wall > in.diameter)
        return Refused(QStringLiteral("The wall thickness must be at most half the diameter."));
      const double d = in.diameter, di = in.diameter - 2.0 * in.wall;
      c.area = kPi * (d * d - di * di) / 4.0;
      c.inertiaX = c.inertiaY = kPi * (std::pow(d, 4) - std::pow(di, 4)) / 64.0;
      c.torsion = 2.0 * c.inertiaX;
      c.radius = d / 2.0;
      break;
    }
    case TSectionShape::Square: {
      if (!Positive(in.width)) return Refused(QStringLiteral("The width must be greater than 0."));
      const double b = in.width;
      c.area = b * b;
      c.inertiaX = c.inertiaY = std::pow(b, 4) / 12.0;
      c.torsion = 0.1406 * std::pow(b, 4);  // St Venant's constant of a square
      break;
    }
    case TSectionShape::HSection: {
      const double h = in.depth, b = in.flangeWidth, tf = in.flangeThickness, tw = in.webThickness;
      if (!Positive(h)) return Refused(QStringLiteral("The depth must be greater than 0."));
      if (!Positive(b)) return Refused(QStringLiteral("The flange width must be greater than 0."));
      if (!Positive(tf)) return Refused(QStringLiteral("The flange thickness must be greater than 0."));
      if (!Positive(tw)) return Refused(QStringLiteral("The web thickness must be greater than 0."));
      if (2.0 * tf >= h) return Refused(QStringLiteral("The two flanges must be thinner than the depth."));
      if (tw > b) return Refused(QStringLiteral("The web must be at most as thick as the flanges are wide."));
      const double web = h - 2.0 * tf;
      c.area = 2.0 * b * tf + web * tw;
      const double strong = (b * std::pow(h, 3) - (b - tw) * std::pow(web, 3)) / 12.0;
      const double weak = (2.0 * tf * std::pow(b, 3) + web * std::pow(tw, 3)) / 12.0;
      // the depth along X resists bending in X with the strong axis
      c.inertiaX = in.depthAlongX ? strong : weak;
      c.inertiaY = in.depthAlongX ? weak : strong;
      // thin-walled open section: the sum of b·t³/3 over its plates
      c.torsion = (2.0 * b * std::pow(tf, 3) + (h - tf) * std::pow(tw, 3)) / 3.0;
      break;
    }
  }
  out.ok = true;
  return out;
}

TGridResult GridCoordinates(const TGridInput& in, int capacity) {
  TGridResult out;
  if (in.rows < 1 || in.columns < 1) {
    out.error = QStringLiteral("There must be at least one row and one column.");
    return out;
  }
  if (static_cast<long long>(in.rows) * in.columns > capacity) {
    out.error = QStringLiteral("%1 × %2 piles are more than the %3 the table holds.")
                    .arg(in.rows)
                    .arg(in.columns)
                    .arg(capacity);
    return out;
  }
  if ((in.columns > 1 && !Positive(in.spacingX)) || (in.rows > 1 && !Positive(in.spacingY))) {
    out.error = QStringLiteral("The spacing must be greater than 0.");
    return out;
  }
  if (!std::isfinite(in.centreX) || !std::isfinite(in.centreY)) {
    out.error = QStringLiteral("The centre must be a number.");
    return out;
  }
  const double x0 = in.centreX - 0.5 * (in.columns - 1) * in.spacingX;
  const double y0 = in.centreY - 0.5 * (in.rows - 1) * in.spacingY;
  for (int r = 0; r < in.rows; ++r)
    for (int c = 0; c < in.columns; ++c)
      out.points.push_back({x0 + c * (in.columns > 1 ? in.spacingX : 0.0), y0 + r * (in.rows > 1 ? in.spacingY : 0.0)});
  out.ok = true;
  return out;
}

namespace {
// The columns of the pile data and the pile coordinates tables.
enum { kRadiusX = 1, kRadiusY = 2, kArea = 3, kInertiaX = 4, kInertiaY = 5, kTorsion = 6 };
enum { kCoordX = 0, kCoordY = 1, kBatter = 2 };
}  // namespace

void FillSectionRows(TGridTable& table, const TSectionConstants& c, int first, int last) {
  first = std::max(first, 0);
  last = std::min(last, table.RowCount() - 1);
  for (int row = first; row <= last; ++row) {
    if (c.radius) {
      table.Column(kRadiusX)->SetReal(row, *c.radius);
      table.Column(kRadiusY)->SetReal(row, *c.radius);
    }
    table.Column(kArea)->SetReal(row, c.area);
    table.Column(kInertiaX)->SetReal(row, c.inertiaX);
    table.Column(kInertiaY)->SetReal(row, c.inertiaY);
    table.Column(kTorsion)->SetReal(row, c.torsion);
  }
}

bool FillGridRows(TGridTable& table, const std::vector<TGridPoint>& points, bool append, QString* error) {
  const int first = append ? table.RowCount() : 0;
  const int rows = first + static_cast<int>(points.size());
  if (table.MaxRows() > 0 && rows > table.MaxRows()) {
    if (error)
      *error = QStringLiteral("%1 piles are more than the %2 the table holds.").arg(rows).arg(table.MaxRows());
    return false;
  }
  table.SetRowCount(rows);
  for (size_t i = 0; i < points.size(); ++i) {
    const int row = first + static_cast<int>(i);
    table.Column(kCoordX)->SetReal(row, points[i].x);
    table.Column(kCoordY)->SetReal(row, points[i].y);
    table.Column(kBatter)->SetReal(row, 0.0L);
  }
  return true;
}

// --- Unit weight from a density ------------------------------------------------

namespace {
// Kilograms per cubic metre in one of each density unit.
constexpr double kKgPerM3[kDensityUnitCount] = {1000.0, 1.0, 515.3788, 16.01846};
// Kilograms per cubic metre in the mass density unit of each system
// (1 slug/ft³, 1 Mg/m³).
constexpr double kSystemKgPerM3[2] = {515.3788, 1000.0};
}  // namespace

QString DensityUnitName(TDensityUnit unit) {
  switch (unit) {
    case TDensityUnit::MegagramPerCubicMetre: return QStringLiteral("Mg/m³");
    case TDensityUnit::KilogramPerCubicMetre: return QStringLiteral("kg/m³");
    case TDensityUnit::SlugPerCubicFoot: return QStringLiteral("slug/ft³");
    case TDensityUnit::PoundMassPerCubicFoot: return QStringLiteral("lbm/ft³");
  }
  return QString();
}

int DensityUnitSystem(TDensityUnit unit) {
  return unit == TDensityUnit::SlugPerCubicFoot || unit == TDensityUnit::PoundMassPerCubicFoot ? 1 : 2;
}

double SystemGravity(int units) { return units == 1 ? 32.2 : 9.8; }

TUnitWeightResult UnitWeightFromDensity(double density, TDensityUnit unit, int units) {
  TUnitWeightResult out;
  if (!Positive(density)) {
    out.error = QStringLiteral("The density must be greater than 0.");
    return out;
  }
  const int index = static_cast<int>(unit);
  if (index < 0 || index >= kDensityUnitCount) {
    out.error = QStringLiteral("Choose a density unit.");
    return out;
  }
  units = units == 1 ? 1 : 2;
  // the density in the system's own mass unit; within one system the plain
  // ratio of the two units, so that 1800 kg/m³ gives exactly 1.8 Mg/m³
  const double inSystem = density * (kKgPerM3[index] / kSystemKgPerM3[units - 1]);
  out.unitWeight = inSystem * SystemGravity(units);
  out.ok = std::isfinite(out.unitWeight);
  if (!out.ok) out.error = QStringLiteral("The density is too large.");
  return out;
}

int UnitWeightColumn(const TGridTable& table) {
  for (int c = 0; c < table.ColumnCount(); ++c) {
    const QString header = table.Column(c)->Header().join(u' ').simplified();
    if (header.compare(QStringLiteral("Unit weight"), Qt::CaseInsensitive) == 0) return c;
  }
  return -1;
}

bool FillUnitWeightRows(TGridTable& table, double unitWeight, int first, int last) {
  const int column = UnitWeightColumn(table);
  if (column < 0) return false;
  first = std::max(first, 0);
  last = std::min(last, table.RowCount() - 1);
  for (int row = first; row <= last; ++row) table.Column(column)->SetReal(row, unitWeight);
  return true;
}

}  // namespace terva::gui
