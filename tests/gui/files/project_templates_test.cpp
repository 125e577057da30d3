// The example projects: each one saved as the program saves it runs through
// the engine without an input error, to positive stiffnesses and finite
// motions at every frequency; the pile group has its piles at the spacing
// and the section of its diameter, and a layout that cannot be is replaced
// by the default one.
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/InputHelpers.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/ProjectTemplates.hpp"
#include "gui/model/ResultsFile.hpp"
#include "gui/model/Table.hpp"

#include "tests/support/engine_run.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace terva::gui;

Q_DECLARE_METATYPE(TProjectTemplate)

class ProjectTemplatesTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  // Saves the project into the test's folder, runs the engine on the file
  // and reads the results back; false (the report shown) when the run met an
  // input error or left no results.
  bool SaveAndRun(TProgramData& project, TProjectTables& tables, const QString& name, TEngineResults& results) {
    project.FileName = dir_.filePath(name + QStringLiteral(".tvd"));
    SaveProject(project, tables);
    QFile file(project.FileName);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const terva::test::EngineRun run = terva::test::RunEngine(file.readAll().toStdString());
    const QString report = QString::fromStdString(run.report);
    const QString resultsPath = dir_.filePath(name + QStringLiteral(".tvj"));
    QFile out(resultsPath);
    if (!out.open(QIODevice::WriteOnly)) return false;
    out.write(QByteArray::fromStdString(run.results));
    out.close();
    QString error;
    if (run.code != 0 || report.contains(QStringLiteral("WILL NOT EXECUTE")) ||
        report.contains(QStringLiteral("CANNOT EXECUTE")) || !ReadEngineResults(resultsPath, results, &error)) {
      qWarning("code %d %s\n%s", run.code, qPrintable(error), qPrintable(report));
      return false;
    }
    return true;
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void eachRunsToResults_data() {
    QTest::addColumn<TProjectTemplate>("kind");
    QTest::addColumn<QString>("foundation");
    QTest::newRow("half-space") << TProjectTemplate::HalfSpaceBlock << QStringLiteral("HALF-SPACE");
    QTest::newRow("stratum") << TProjectTemplate::StratumBlock << QStringLiteral("STRATUM");
    QTest::newRow("pile group") << TProjectTemplate::PileGroup << QStringLiteral("PILE");
  }
  void eachRunsToResults() {
    QFETCH(TProjectTemplate, kind);
    QFETCH(QString, foundation);
    TProjectTables tables;
    auto project = TemplateProject(kind, tables);
    QCOMPARE(project->Units, 2);
    QCOMPARE(tables.D1()->Units(), 2);
    QCOMPARE(project->Foundation, foundation);
    QVERIFY(project->Title.endsWith(QStringLiteral("(template)")));
    QVERIFY(!TemplateCaption(kind).isEmpty());
    TEngineResults r;
    QVERIFY(SaveAndRun(*project, tables, QString::fromLatin1(QTest::currentDataTag()).remove(u' '), r));
    QCOMPARE(r.omega.size(), size_t(99));  // 1 to 50 Hz every 0.5 Hz
    QVERIFY(std::abs(r.omega.front() - 6.28f) < 1e-3f);
    for (int term : {0, 1, 2, 3, 4, 5}) {  // Kxx, Kyy, Kww, the rockings, torsion
      QVERIFY2(r.stiffness[size_t(term)].front() > 0.0f, qPrintable(QString::number(term)));
      for (float c : r.damping[size_t(term)]) QVERIFY(std::isfinite(c) && c > 0.0f);
    }
    QVERIFY(r.Harmonic());
    for (const auto& motion : r.motion)
      for (const std::complex<float>& m : motion) QVERIFY(std::isfinite(m.real()) && std::isfinite(m.imag()));
    // the horizontal load moves the block
    QVERIFY(r.amplitude[0].front() > 0.0f);
  }

  // The block's mass and inertias follow from 24 kN/m³ concrete and the
  // gravity of the engine input; the template is a new project's tables,
  // not the previous project's.
  void blockMass() {
    TProjectTables tables;
    tables.PileData()->SetRowCount(5);
    auto project = TemplateProject(TProjectTemplate::HalfSpaceBlock, tables);
    const double m = 4.0 * 3.0 * 1.2 * 24.0 / 9.8;
    QCOMPARE(double(project->MassConstants[0]), m);
    QCOMPARE(double(project->MassConstants[1]), m * (9.0 + 1.44) / 12.0);
    QCOMPARE(double(project->MassConstants[3]), m * 25.0 / 12.0);
    QCOMPARE(double(project->Zc), 0.6);
    QCOMPARE(tables.PileData()->RowCount(), 1);
    QVERIFY(!tables.Modified());
  }

  void pileGroupLayout() {
    TProjectTables tables;
    TPileGroupTemplate group;
    group.rows = 2;
    group.columns = 4;
    group.spacing = 2.0;
    group.diameter = 0.8;
    group.length = 15.0;
    auto project = TemplateProject(TProjectTemplate::PileGroup, tables, group);
    TGridTable& coords = *tables.Pilecoord();
    QCOMPARE(coords.RowCount(), 8);
    QCOMPARE(double(coords.Column(0)->GetReal(0)), -3.0);
    QCOMPARE(double(coords.Column(0)->GetReal(1)), -1.0);
    QCOMPARE(double(coords.Column(1)->GetReal(0)), -1.0);
    QCOMPARE(double(coords.Column(1)->GetReal(7)), 1.0);
    TSectionShapeInput circle;
    circle.diameter = 0.8;
    const TSectionConstants c = SectionConstants(circle).constants;
    TGridTable& element = *tables.PileData();
    QCOMPARE(element.RowCount(), 1);
    QCOMPARE(double(element.Column(0)->GetReal(0)), 15.0);
    QCOMPARE(double(element.Column(1)->GetReal(0)), 0.4);
    QCOMPARE(double(element.Column(3)->GetReal(0)), c.area);
    QCOMPARE(double(element.Column(4)->GetReal(0)), c.inertiaX);
    QCOMPARE(double(element.Column(6)->GetReal(0)), c.torsion);
    QCOMPARE(double(project->PileLength), 15.0);
    QCOMPARE(tables.D()->RowCount(), element.RowCount());
    // the cap covers the piles
    QVERIFY(project->Length > 3 * 2.0 + 0.8 && project->Width > 2.0 + 0.8);
    QVERIFY(project->Title.contains(QStringLiteral("2 x 4")));

    // a group the coordinates table cannot hold: the default 3 × 3
    group.rows = 100;
    project = TemplateProject(TProjectTemplate::PileGroup, tables, group);
    QCOMPARE(coords.RowCount(), 9);
    group = {};
    group.spacing = 0;
    project = TemplateProject(TProjectTemplate::PileGroup, tables, group);
    QCOMPARE(double(coords.Column(0)->GetReal(0)), -1.8);
  }
};

QTEST_MAIN(ProjectTemplatesTest)
#include "project_templates_test.moc"
