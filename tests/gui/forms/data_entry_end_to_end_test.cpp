// A user enters whole projects only through the data windows and the table
// windows of the Data menu, saves them, and runs the engine through the main
// window: the saved engine input equals the program-written examples that
// hold the same values, and the report is an analysed one.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/app/Main.hpp"
#include "gui/forms/DataForm.hpp"
#include "gui/forms/Layout.hpp"
#include "gui/forms/cPileProperties.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/TableForm.hpp"
#include "gui/widgets/TableModel.hpp"
#include "gui/widgets/TableWindows.hpp"
#include "support/TestFolder.hpp"
#include "support/MessageRecorder.hpp"

using namespace terva::gui;
using terva::gui::test::TMessageRecorder;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The engine input of a project file: its lines up to RUN.
QStringList EngineInput(const QString& path) {
  QStringList lines;
  for (const QString& line : QString::fromLatin1(ReadAll(path)).split(QLatin1Char('\n'))) {
    lines << line.trimmed();
    if (line.trimmed() == QStringLiteral("RUN")) break;
  }
  return lines;
}

// Types values into the active data window's fields, by object name.
void Enter(TMainForm& main, TChildId id, const QList<QPair<const char*, const char*>>& values) {
  auto* form = qobject_cast<TDataForm*>(main.ShowChild(id));
  QVERIFY(form);
  for (const auto& [name, text] : values) {
    TDataEdit* field = form->Field(QString::fromLatin1(name));
    QVERIFY2(field, name);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QString::fromLatin1(text));
    QTest::keyClick(field, Qt::Key_Tab);
  }
  QVERIFY(main.DeactivateActiveChild());
}

// Opens a table through its menu command and types its rows into the grid.
void EnterTable(TMainForm& main, const char* command, TGridTable* table, const QList<QStringList>& rows) {
  main.Action(QString::fromLatin1(command))->trigger();
  TTableForm* form = InstallTableWindows().Form(*table);
  QVERIFY2(form, command);
  while (table->RowCount() < rows.size()) form->AddButton()->click();
  QCOMPARE(table->RowCount(), rows.size());
  for (int row = 0; row < rows.size(); ++row)
    for (int column = 0; column < rows[row].size(); ++column)
      QVERIFY2(form->Model()->setData(form->Model()->index(row, column), rows[row][column]), command);
  QVERIFY(main.DeactivateActiveChild());
}

void ChooseType(TMainForm& main, const QString& type) {
  auto* layout = qobject_cast<TfrmLayout*>(main.ShowChild(TChildId::FoundationOptions));
  QVERIFY(layout);
  layout->FootingType()->setCurrentText(type);
  QVERIFY(main.DeactivateActiveChild());
  main.UpdateDataMenu();
}

}  // namespace

class DataEntryEndToEndTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;
  QString saveAs_;

  // Saves under `name`, runs the engine, and returns the report.
  QByteArray SaveAndRun(TMainForm& main, const QString& name) {
    saveAs_ = folder_.Path(name);
    main.SetModified();
    main.Action(QStringLiteral("RunAnalysis"))->trigger();
    return ReadAll(QFileInfo(saveAs_).path() + QLatin1Char('/') + QFileInfo(saveAs_).completeBaseName() + ".tvo");
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate(QStringLiteral("TERVA-entry-test")));
    QLocale::setDefault(QLocale::c());
    TMainForm::SetFileDialogHook([this](bool, const QString&, const QString&) { return saveAs_; });
  }

  void halfSpaceProject() {
    TMessageRecorder messages;
    TMainForm main;
    main.Start();
    main.Project().Title = QStringLiteral("Compressor block on a half-space");
    ChooseType(main, QStringLiteral("HALF-SPACE"));
    Enter(main, TChildId::FoundationShape, {{"Length", "6"}, {"Width", "4"}, {"Thickness", "1"}});
    Enter(main, TChildId::MassData, {{"TotalMass", "120"}, {"Ixx", "300"}, {"Iyy", "500"}, {"Izz", "650"}});
    main.Action(QStringLiteral("DataFoundationDimension"))->trigger();
    Enter(main, TChildId::FoundationData, {{"Zc", "1"}});
    EnterTable(main, "DataSideSoil", main.Tables().D1(),
               {{"0.5", "150", "18", "0.35", "0.05"}, {"0.7", "180", "18.5", "0.35", "0.05"}});
    Enter(main, TChildId::SoilBelow,
          {{"BelowVs", "250"}, {"BelowUnitWeight", "19"}, {"BelowPoisson", "0.33"}, {"BelowDamping", "0.05"}});
    main.Action(QStringLiteral("HarmonicNonQuadratic"))->trigger();
    Enter(main, TChildId::NonQuadratic,
          {{"FreqMax", "50"}, {"FreqMin", "2"}, {"FreqStep", "2"}, {"LoadX", "10"}, {"LoadZ", "50"},
           {"MomentY", "20"}, {"MomentZ", "5"}});

    const QByteArray report = SaveAndRun(main, QStringLiteral("half-space.tvd"));
    // The example's input, except that a new project writes its soil layers
    // with the weak-zone columns (their defaults: no weak zone).
    QStringList expected = EngineInput(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/compressor-half-space.tvd"));
    const int soil = expected.indexOf(QStringLiteral("SOIL"));
    QVERIFY(soil > 0);
    expected.insert(soil + 1, QStringLiteral("WEAK"));
    expected[soil + 3] += QStringLiteral(" 0 0.35 0.1 1");
    expected[soil + 4] += QStringLiteral(" 0 0.35 0.1 1");
    QCOMPARE(EngineInput(saveAs_), expected);
    QVERIFY(report.contains("Compressor block on a half-space"));
    QVERIFY(report.contains("FOOTING RESPONSE AMPLITUDES"));
    QVERIFY(!main.Modified());
  }

  void pileGroupProject() {
    TMessageRecorder messages;
    TMainForm main;
    main.Start();
    main.Project().Title = QStringLiteral("Turbine pedestal on four piles");
    ChooseType(main, QStringLiteral("PILE"));
    QVERIFY(main.Action(QStringLiteral("DataPileProperties"))->isEnabled());
    main.Action(QStringLiteral("DataPileCapShape"))->trigger();
    Enter(main, TChildId::FoundationShape, {{"Length", "4"}, {"Width", "4"}, {"Thickness", "0.8"}});
    main.Action(QStringLiteral("DataPileCapMass"))->trigger();
    Enter(main, TChildId::PileCapProperties, {{"TotalMass", "60"}, {"Ixx", "80"}, {"Iyy", "80"}, {"Izz", "150"}});
    main.Action(QStringLiteral("DataPileProperties"))->trigger();
    Enter(main, TChildId::PileProperties,
          {{"Zc", "0.8"}, {"PileUnitWeight", "24"}, {"PilePoisson", "0.25"}, {"PileDamping", "0.02"},
           {"PileModulus", "30000000"}, {"PileLength", "12"}, {"ShearCoefficient", "1.2"}, {"StaticLoad", "600"}});
    EnterTable(main, "DataPileCoordinates", main.Tables().Pilecoord(),
               {{"-1", "-1"}, {"1", "-1"}, {"-1", "1"}, {"1", "1"}});
    EnterTable(main, "DataPileElements", main.Tables().PileData(),
               {{"6", "0.2", "0.2", "0.12566371", "0.0012566371", "0.0012566371", "0.0025132741"},
                {"6", "0.2", "0.2", "0.12566371", "0.0012566371", "0.0012566371", "0.0025132741"}});
    EnterTable(main, "DataSoilLayer", main.Tables().D(),
               {{"150", "18", "0.35", "0.05"}, {"180", "18.5", "0.35", "0.05"}});
    Enter(main, TChildId::SoilBelow,
          {{"BelowVs", "600"}, {"BelowUnitWeight", "21"}, {"BelowPoisson", "0.3"}, {"BelowDamping", "0.03"}});
    main.Action(QStringLiteral("HarmonicNonQuadratic"))->trigger();
    Enter(main, TChildId::NonQuadratic,
          {{"FreqMax", "25"}, {"FreqMin", "1"}, {"FreqStep", "1"}, {"LoadX", "10"}, {"LoadZ", "50"},
           {"MomentY", "20"}, {"MomentZ", "5"}});

    const QByteArray report = SaveAndRun(main, QStringLiteral("pile-group.tvd"));
    QCOMPARE(EngineInput(saveAs_), EngineInput(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/pile-group-4.tvd")));
    QVERIFY(report.contains("Turbine pedestal on four piles"));
    QVERIFY(report.contains("FOOTING RESPONSE AMPLITUDES"));
  }
};

QTEST_MAIN(DataEntryEndToEndTest)
#include "data_entry_end_to_end_test.moc"
