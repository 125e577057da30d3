// Helpers for entering a project: the section constants of a pile from its
// shape, the coordinates of a rectangular pile group, and a soil's unit
// weight from its density. Lengths in any one unit; the results are in that
// unit's powers.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace terva::gui {

class TGridTable;

enum class TSectionShape { SolidCircle, HollowCircle, Square, HSection };

// A section by its dimensions:
//   solid circle   diameter
//   hollow circle  diameter (outer) and wall thickness
//   square         width (side)
//   H-section      depth, flange width, flange thickness, web thickness;
//                  the depth lies along X when depthAlongX, else along Y
struct TSectionShapeInput {
  TSectionShape shape = TSectionShape::SolidCircle;
  double diameter = 0.0;
  double wall = 0.0;
  double width = 0.0;
  double depth = 0.0, flangeWidth = 0.0, flangeThickness = 0.0, webThickness = 0.0;
  bool depthAlongX = true;
};

// The constants of a pile section as the pile tables hold them.
struct TSectionConstants {
  double area = 0.0;
  double inertiaX = 0.0;  // against bending in the X direction (about the Y axis)
  double inertiaY = 0.0;  // against bending in the Y direction (about the X axis)
  double torsion = 0.0;   // the torsion constant: the polar moment for a circle, St Venant's for the others
  // The pile's radius for the soil's reaction: half the diameter of a
  // circle; none for the other shapes (the radius stays as entered).
  std::optional<double> radius;
};

// The constants of a section; an error (what is wrong with which dimension)
// when a dimension is not positive, the wall reaches the centre, or the
// flanges and web do not fit the depth and width.
struct TSectionResult {
  bool ok = false;
  QString error;
  TSectionConstants constants;
};
TSectionResult SectionConstants(const TSectionShapeInput& input);

// A rectangular group: `rows` lines of `columns` piles, `spacingX` apart
// along X and `spacingY` along Y, centred on (centreX, centreY); numbered
// row by row from the lowest Y, each row from the lowest X.
struct TGridInput {
  int rows = 0, columns = 0;
  double spacingX = 0.0, spacingY = 0.0;
  double centreX = 0.0, centreY = 0.0;
};
struct TGridPoint {
  double x = 0.0, y = 0.0;
};
struct TGridResult {
  bool ok = false;
  QString error;
  std::vector<TGridPoint> points;
};
// Refused when there are no piles, more than `capacity`, or a spacing that
// is not positive where piles lie side by side.
TGridResult GridCoordinates(const TGridInput& input, int capacity);

// Writes the constants into rows first..last of a pile section table (the
// pile data: radius in X and Y, area, inertias in X and Y, torsion), the
// radius only when the shape has one.
void FillSectionRows(TGridTable& table, const TSectionConstants& constants, int first, int last);

// Writes the points as the coordinates of a pile coordinates table, in place
// of its rows or after them; a new row stands plumb (no batter). False, with
// the reason, when the table would hold more rows than it may.
bool FillGridRows(TGridTable& table, const std::vector<TGridPoint>& points, bool append, QString* error = nullptr);

// The density units a unit weight may be computed from: two of each system.
enum class TDensityUnit { MegagramPerCubicMetre, KilogramPerCubicMetre, SlugPerCubicFoot, PoundMassPerCubicFoot };
inline constexpr int kDensityUnitCount = 4;
// "Mg/m³", "kg/m³", "slug/ft³", "lbm/ft³".
QString DensityUnitName(TDensityUnit unit);
// The unit system (1 English, 2 SI) a density unit belongs to.
int DensityUnitSystem(TDensityUnit unit);

// The gravity of a unit system as the engine input gives it (32.2 ft/s²,
// 9.8 m/s²), and so the one the engine divides a unit weight by to get the
// soil's mass density back.
double SystemGravity(int units);

struct TUnitWeightResult {
  bool ok = false;
  QString error;
  double unitWeight = 0.0;  // lb/ft³ (units 1) or kN/m³ (units 2)
};
// The unit weight in unit system `units` (1 English, 2 SI) of a soil of
// this density: the density in the system's mass unit (slug/ft³, Mg/m³),
// converted first when given in the other system's units, times the
// system's gravity. Refused when the density is not a positive number.
TUnitWeightResult UnitWeightFromDensity(double density, TDensityUnit unit, int units);

// The table's "Unit weight" column, found by its header whatever its case;
// -1 when the table has none.
int UnitWeightColumn(const TGridTable& table);
// Writes the unit weight into rows first..last of the table's unit weight
// column; false (nothing written) when the table has none.
bool FillUnitWeightRows(TGridTable& table, double unitWeight, int first, int last);

}  // namespace terva::gui
