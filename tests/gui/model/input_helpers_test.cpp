// The input helpers: a pile section's constants from its shape (a plain
// 0.6 m pile, a tube, a square, an H-section turned either way, and the
// shapes that cannot be), a rectangular group's coordinates, and a soil's
// unit weight from its density in either system's units.
#include "gui/model/InputHelpers.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <QtTest>

#include <cmath>
#include <numbers>

using namespace terva::gui;

namespace {

bool Near(double a, double b) { return std::abs(a - b) <= 1e-12 * std::max(std::abs(a), std::abs(b)); }

TSectionConstants Of(const TSectionShapeInput& in) {
  const TSectionResult r = SectionConstants(in);
  if (!r.ok) qWarning("%s", qPrintable(r.error));
  return r.constants;
}

}  // namespace

class InputHelpersTest : public QObject {
  Q_OBJECT

 private slots:
  void sections() {
    const double pi = std::numbers::pi;
    TSectionShapeInput circle;
    circle.diameter = 0.6;
    const TSectionConstants c = Of(circle);
    QVERIFY(Near(c.area, pi * 0.09));
    QVERIFY(Near(c.inertiaX, pi * std::pow(0.3, 4) / 4));
    QCOMPARE(c.inertiaY, c.inertiaX);
    QVERIFY(Near(c.torsion, pi * std::pow(0.3, 4) / 2));
    QCOMPARE(c.radius.value_or(0), 0.3);

    // a tube whose wall reaches the centre is the solid circle
    TSectionShapeInput tube = circle;
    tube.shape = TSectionShape::HollowCircle;
    tube.wall = 0.3;
    QVERIFY(Near(Of(tube).area, c.area));
    tube.wall = 0.01;
    QVERIFY(Near(Of(tube).area, pi * (0.36 - 0.58 * 0.58) / 4));

    TSectionShapeInput square;
    square.shape = TSectionShape::Square;
    square.width = 0.4;
    const TSectionConstants s = Of(square);
    QVERIFY(Near(s.area, 0.16));
    QVERIFY(Near(s.inertiaX, std::pow(0.4, 4) / 12));
    QVERIFY(Near(s.torsion, 0.1406 * std::pow(0.4, 4)));
    QVERIFY(!s.radius);

    // an H whose web is as wide as its flanges is a solid rectangle b × h
    TSectionShapeInput h;
    h.shape = TSectionShape::HSection;
    h.depth = 0.3;
    h.flangeWidth = 0.2;
    h.flangeThickness = 0.02;
    h.webThickness = 0.2;
    const TSectionConstants r = Of(h);
    QVERIFY(Near(r.area, 0.06));
    QVERIFY(Near(r.inertiaX, 0.2 * std::pow(0.3, 3) / 12));
    QVERIFY(Near(r.inertiaY, 0.3 * std::pow(0.2, 3) / 12));
    // a real H: the strong axis resists bending along its depth
    h.webThickness = 0.012;
    const TSectionConstants along = Of(h);
    h.depthAlongX = false;
    const TSectionConstants across = Of(h);
    QVERIFY(along.inertiaX > along.inertiaY);
    QCOMPARE(across.inertiaX, along.inertiaY);
    QCOMPARE(across.inertiaY, along.inertiaX);
    QVERIFY(Near(along.area, 2 * 0.2 * 0.02 + 0.26 * 0.012));
  }

  void sectionsThatCannotBe() {
    TSectionShapeInput in;
    in.diameter = 0;
    QCOMPARE(SectionConstants(in).error, QStringLiteral("The diameter must be greater than 0."));
    in.diameter = std::nan("");
    QVERIFY(!SectionConstants(in).ok);
    in.shape = TSectionShape::HollowCircle;
    in.diameter = 0.6;
    in.wall = 0.31;
    QCOMPARE(SectionConstants(in).error, QStringLiteral("The wall thickness must be at most half the diameter."));
    in.shape = TSectionShape::HSection;
    in.depth = 0.3;
    in.flangeWidth = 0.2;
    in.flangeThickness = 0.15;
    in.webThickness = 0.01;
    QCOMPARE(SectionConstants(in).error, QStringLiteral("The two flanges must be thinner than the depth."));
  }

  void grids() {
    TGridInput g;
    g.rows = g.columns = 3;
    g.spacingX = g.spacingY = 1.8;
    const TGridResult r = GridCoordinates(g, 200);
    QVERIFY(r.ok);
    QCOMPARE(r.points.size(), size_t(9));
    const double xs[] = {-1.8, 0, 1.8};
    for (int i = 0; i < 9; ++i) {
      QCOMPARE(r.points[size_t(i)].x, xs[i % 3]);
      QCOMPARE(r.points[size_t(i)].y, xs[i / 3]);
    }
    // one row along X about (5, 2); the Y spacing does not matter
    g.rows = 1;
    g.columns = 2;
    g.spacingY = 0;
    g.centreX = 5;
    g.centreY = 2;
    const TGridResult line = GridCoordinates(g, 200);
    QVERIFY(line.ok);
    QCOMPARE(line.points[0].x, 4.1);
    QCOMPARE(line.points[1].x, 5.9);
    QCOMPARE(line.points[1].y, 2.0);
    // refused: too many, none, no spacing
    g.rows = g.columns = 15;
    QCOMPARE(GridCoordinates(g, 200).error, QStringLiteral("15 × 15 piles are more than the 200 the table holds."));
    g.rows = 0;
    QVERIFY(!GridCoordinates(g, 200).ok);
    g.rows = 2;
    g.columns = 2;
    QCOMPARE(GridCoordinates(g, 200).error, QStringLiteral("The spacing must be greater than 0."));
  }

  // Into the tables: the section into the rows asked for, the radius only
  // from a circle; the grid in place of the coordinates or after them.
  void intoTheTables() {
    TProjectTables tables;
    TGridTable& data = *tables.PileData();
    data.SetRowCount(3);
    data.Column(1)->SetReal(2, 0.25L);
    TSectionShapeInput circle;
    circle.diameter = 0.6;
    FillSectionRows(data, SectionConstants(circle).constants, 0, 1);
    QCOMPARE(double(data.Column(1)->GetReal(0)), 0.3);
    QCOMPARE(double(data.Column(2)->GetReal(1)), 0.3);
    QVERIFY(Near(double(data.Column(3)->GetReal(1)), std::numbers::pi * 0.09));
    QCOMPARE(double(data.Column(3)->GetReal(2)), 0.0);  // row 3 not asked for
    TSectionShapeInput square;
    square.shape = TSectionShape::Square;
    square.width = 0.4;
    FillSectionRows(data, SectionConstants(square).constants, 2, 99);
    QCOMPARE(double(data.Column(1)->GetReal(2)), 0.25);  // the radius as entered
    QVERIFY(Near(double(data.Column(3)->GetReal(2)), 0.16));

    TGridTable& coords = *tables.Pilecoord();
    coords.SetRowCount(1);
    coords.Column(2)->SetReal(0, 10.0L);
    TGridInput g;
    g.rows = 1;
    g.columns = 2;
    g.spacingX = 2;
    const std::vector<TGridPoint> two = GridCoordinates(g, 200).points;
    QVERIFY(FillGridRows(coords, two, true));
    QCOMPARE(coords.RowCount(), 3);
    QCOMPARE(double(coords.Column(2)->GetReal(0)), 10.0);  // the row before stays battered
    QCOMPARE(double(coords.Column(0)->GetReal(2)), 1.0);
    QVERIFY(FillGridRows(coords, two, false));
    QCOMPARE(coords.RowCount(), 2);
    QCOMPARE(double(coords.Column(0)->GetReal(0)), -1.0);
    QCOMPARE(double(coords.Column(2)->GetReal(0)), 0.0);
    // past the table's capacity: refused, nothing changed
    QString error;
    const std::vector<TGridPoint> many(size_t(coords.MaxRows()), TGridPoint{});
    QVERIFY(!FillGridRows(coords, many, true, &error));
    QVERIFY(error.contains(QStringLiteral("more than the")));
    QCOMPARE(coords.RowCount(), 2);
  }

  // The unit weight is the density in the table's mass unit times the
  // engine's gravity of that system, so that γ/g gives the density back.
  void unitWeightFromDensity() {
    const auto weight = [](double density, TDensityUnit unit, int units) {
      const TUnitWeightResult r = UnitWeightFromDensity(density, unit, units);
      if (!r.ok) qWarning("%s", qPrintable(r.error));
      return r.unitWeight;
    };
    QVERIFY(Near(weight(1.8, TDensityUnit::MegagramPerCubicMetre, 2), 17.64));
    QVERIFY(Near(weight(1800, TDensityUnit::KilogramPerCubicMetre, 2), 17.64));
    QVERIFY(Near(weight(3.5, TDensityUnit::SlugPerCubicFoot, 1), 3.5 * 32.2));
    QVERIFY(Near(weight(112.0, TDensityUnit::PoundMassPerCubicFoot, 1), 112.0 * 16.01846 / 515.3788 * 32.2));
    QVERIFY(Near(weight(1.8, TDensityUnit::MegagramPerCubicMetre, 1), 1800.0 / 515.3788 * 32.2));
    QVERIFY(Near(weight(1.0, TDensityUnit::SlugPerCubicFoot, 2), 0.5153788 * 9.8));
    // the engine's mass density of the result is the density entered
    QVERIFY(Near(weight(2.1, TDensityUnit::MegagramPerCubicMetre, 2) / SystemGravity(2), 2.1));
    QVERIFY(Near(weight(1.0, TDensityUnit::SlugPerCubicFoot, 1) / SystemGravity(1), 1.0));

    for (double bad : {0.0, -1.8, std::nan(""), HUGE_VAL}) {
      const TUnitWeightResult r = UnitWeightFromDensity(bad, TDensityUnit::MegagramPerCubicMetre, 2);
      QVERIFY(!r.ok);
      QCOMPARE(r.error, QStringLiteral("The density must be greater than 0."));
    }
    QCOMPARE(DensityUnitName(TDensityUnit::PoundMassPerCubicFoot), QStringLiteral("lbm/ft³"));
  }

  // The unit weight goes into the column of that name in each soil table
  // (its case differs between them); a table without one is left alone.
  void unitWeightIntoTheTables() {
    TProjectTables tables;
    for (TGridTable* table : tables.All()) {
      table->SetRowCount(3);
      const int id = table->Identifier();
      const bool soil = id == 1 || id == 4 || id == 5 || id == 11;
      QCOMPARE(UnitWeightColumn(*table) >= 0, soil);
      QCOMPARE(FillUnitWeightRows(*table, 17.64, 1, 99), soil);
      if (!soil) continue;
      const int column = UnitWeightColumn(*table);
      QCOMPARE(column, id == 4 || id == 11 ? 2 : 1);  // after a thickness column or not
      QCOMPARE(double(table->Column(column)->GetReal(0)), 0.0);
      QCOMPARE(double(table->Column(column)->GetReal(1)), 17.64);
      QCOMPARE(double(table->Column(column)->GetReal(2)), 17.64);
      QCOMPARE(double(table->Column(column - 1)->GetReal(1)), 0.0);
    }
  }
};

QTEST_MAIN(InputHelpersTest)
#include "input_helpers_test.moc"
