// The mass calculator: the computation against hand-worked cases, then the
// "Mass Data" and "Pile Cap Properties" windows that run it on the mass
// components table.
#include <QLocale>
#include <QMdiArea>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/app/Main.hpp"
#include "gui/forms/MassCalculator.hpp"
#include "gui/forms/Massdata.hpp"
#include "gui/forms/ncPileProperties.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/TestFolder.hpp"
#include "support/MessageRecorder.hpp"

using namespace terva::gui;
using terva::gui::test::TMessageRecorder;

namespace {
bool Near(long double a, long double b) { return std::fabs(double(a - b)) <= 1e-12 * (1 + std::fabs(double(b))); }

void Fill(TGridTable& table, const std::vector<TMassBlock>& blocks) {
  table.SetRowCount(int(blocks.size()));
  for (int row = 0; row < int(blocks.size()); ++row) {
    const TMassBlock& b = blocks[row];
    const long double values[] = {b.m, b.x, b.y, b.z, b.a, b.b, b.c};
    for (int column = 0; column < 7; ++column) table.Cell(column, row).SetReal(values[column]);
  }
}
}  // namespace

class MassCalculatorTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate(QStringLiteral("TERVA-mass-test")));
    QLocale::setDefault(QLocale::c());
  }

  void oneBlock() {
    const TMassProperties r = ComputeMassProperties({{10, 0, 0, 0, 1, 2, 3}}, {5, 5, 5}, {0, 0, 0});
    QVERIFY(Near(r.constants[0], 10));
    QVERIFY(Near(r.cgLocal[0], 0) && Near(r.cgLocal[1], 0) && Near(r.cgLocal[2], 0));
    QVERIFY(Near(r.constants[1], 10.0L * 13 / 12));
    QVERIFY(Near(r.constants[2], 10.0L * 10 / 12));
    QVERIFY(Near(r.constants[3], 10.0L * 5 / 12));
    for (int i = 4; i < 7; ++i) QCOMPARE(double(r.constants[i]), 0.0);
  }

  void twoPointMasses() {
    const TMassProperties r = ComputeMassProperties({{1, -1, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0, 0}}, {}, {});
    QVERIFY(Near(r.cgLocal[0], 0));
    QVERIFY(Near(r.constants[1], 0));
    QVERIFY(Near(r.constants[2], 2));
    QVERIFY(Near(r.constants[3], 2));
  }

  // Off-centre masses: the products and their signs (z changes direction).
  void productsOfInertia() {
    // Two unit masses at (1, 1, 1) and (-1, -1, -1): centre at the origin;
    // Σ m·dx·dy = Σ m·dx·dz = Σ m·dy·dz = 2.
    const TMassProperties r = ComputeMassProperties({{1, 1, 1, 1, 0, 0, 0}, {1, -1, -1, -1, 0, 0, 0}}, {}, {});
    QVERIFY(Near(r.constants[4], 2));
    QVERIFY(Near(r.constants[5], -2));
    QVERIFY(Near(r.constants[6], -2));
    QVERIFY(Near(r.constants[1], 4) && Near(r.constants[2], 4) && Near(r.constants[3], 4));
  }

  void zeroTotalMassKeepsTheCentre() {
    // +1 at x = 1 and -1 at x = 3: M = 0, the centre stays at (2, 0, 0) and
    // the moments are taken about it.
    const TMassProperties r = ComputeMassProperties({{1, 1, 0, 0, 0, 0, 0}, {-1, 3, 0, 0, 0, 0, 0}}, {2, 0, 0}, {});
    QCOMPARE(double(r.constants[0]), 0.0);
    QVERIFY(Near(r.cgLocal[0], 2) && Near(r.cgLocal[1], 0) && Near(r.cgLocal[2], 0));
    QVERIFY(Near(r.constants[2], 1 * 1 - 1 * 1));  // Iyy = 1·1² + (−1)·1²
    // An empty table: nothing but the kept centre.
    const TMassProperties empty = ComputeMassProperties({}, {1, 2, 3}, {1, 2, 3});
    QCOMPARE(double(empty.cgLocal[2]), 3.0);
    QCOMPARE(double(empty.cbGlobal[2]), -0.0);
  }

  void baseBelowTheCentreOfGravity() {
    // Centre of gravity at z = 2, base centre at z = 1 (1 below): ZB = +1.
    const TMassProperties r = ComputeMassProperties({{5, 0.5, -0.25, 2, 1, 1, 1}}, {}, {1.5, 0.75, 1});
    QVERIFY(Near(r.cbGlobal[0], 1));
    QVERIFY(Near(r.cbGlobal[1], 1));
    QVERIFY(Near(r.cbGlobal[2], 1));
  }

  // Through the window: the table, the button, the fields, the calculated
  // flag and the copy into Xc, Yc, Zc when the window is left.
  void massWindowCalculates() {
    TMessageRecorder messages;
    TMainForm main;
    main.Start();
    TProgramData& project = main.Project();
    project.Xc = 7;
    Fill(*main.Tables().MassCal(), {{10, 0, 0, 0, 1, 2, 3}, {10, 2, 0, 0, 1, 2, 3}});

    auto* mass = qobject_cast<TfrmMassdata*>(main.ShowChild(TChildId::MassData));
    QVERIFY(mass);
    // Without a calculation nothing goes into the global coordinates.
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(double(project.Xc), 7.0);

    main.ShowChild(TChildId::MassData);
    mass->Field("zCB")->setText("-1");
    QVERIFY(!mass->Calculated());
    QTest::mouseClick(mass->CalculateButton(), Qt::LeftButton);
    QVERIFY(mass->Calculated());
    QVERIFY(main.Modified());
    QCOMPARE(mass->Field("TotalMass")->text(), QStringLiteral("20"));
    QCOMPARE(mass->Field("xCG")->text(), QStringLiteral("1"));
    QCOMPARE(mass->Field("XCB")->text(), QStringLiteral("-1"));
    QCOMPARE(mass->Field("ZCB")->text(), QStringLiteral("1"));
    QCOMPARE(mass->Field("Iyy")->text(), QStringLiteral("36.666667"));
    QVERIFY(mass->Field("xCG")->isReadOnly());
    QVERIFY(main.DeactivateActiveChild());
    QVERIFY(Near(project.MassConstants[0], 20));
    QVERIFY(Near(project.MassConstants[2], 20.0L * 10 / 12 + 20));  // not the digits shown
    QVERIFY(Near(project.CgLocal[0], 1));
    QVERIFY(Near(project.CbGlobal[2], 1));
    QVERIFY(Near(project.CbLocal[2], -1));
    QCOMPARE(double(project.Xc), -1.0);
    QCOMPARE(double(project.Zc), 1.0);
    QVERIFY(messages.texts.isEmpty());

    // A base centre that does not evaluate: no calculation.
    main.ShowChild(TChildId::MassData);
    mass->Field("xCB")->setText("abc");
    QVERIFY(!mass->Calculate());
    QVERIFY(!messages.texts.isEmpty());
  }

  // The pile cap window: the same calculation and values; its flag starts
  // clear with each new window.
  void pileCapWindowSharesTheValues() {
    TMainForm main;
    main.Start();
    Fill(*main.Tables().MassCal(), {{4, 1, 1, 1, 0, 0, 0}});
    QCoreApplication::processEvents();  // the table's rows: a step before the calculation's
    auto* cap = qobject_cast<TfrmNCPileProperties*>(main.ShowChild(TChildId::PileCapProperties));
    QVERIFY(cap);
    QCOMPARE(cap->windowTitle(), QStringLiteral("Pile Cap Properties"));
    QVERIFY(cap->Calculate());
    // The results go into the project at once, as a step of their own.
    QCOMPARE(double(main.Project().MassConstants[0]), 4.0);
    QCOMPARE(main.Action("EditUndo")->text(), QStringLiteral("&Undo Mass Calculator Results"));
    main.CloseChild(TChildId::PileCapProperties);
    main.Undo();
    QCOMPARE(double(main.Project().MassConstants[0]), 0.0);
    cap = qobject_cast<TfrmNCPileProperties*>(main.ShowChild(TChildId::PileCapProperties));
    QVERIFY(!cap->Calculated());
    QVERIFY(cap->Calculate());
    QVERIFY(main.DeactivateActiveChild());
    QCOMPARE(double(main.Project().MassConstants[0]), 4.0);
    QCOMPARE(double(main.Project().Zc), -0.0 + 1.0);  // -(0 - 1)

    auto* mass = qobject_cast<TfrmMassdata*>(main.ShowChild(TChildId::MassData));
    QCOMPARE(mass->Field("TotalMass")->text(), QStringLiteral("4"));

    // "Input all the mass components" opens the table.
    QTest::mouseClick(mass->InputButton(), Qt::LeftButton);
    QVERIFY(InstallTableWindows().Form(*main.Tables().MassCal()));
  }
};

QTEST_MAIN(MassCalculatorTest)
#include "mass_calculator_test.moc"
