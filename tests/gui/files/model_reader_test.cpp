// Opening a project file: the reader's messages with line and item, files
// that end early, counts too large to hold, values of keyword lines that do
// not convert (the current project is kept), and the details of the format.
#include "gui/model/Table.hpp"
#include "gui/core/WordRead.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/files/ProjectWriter.hpp"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>

using namespace terva::gui;

namespace {

const QString kIncomplete = QStringLiteral("This file either invalid or incomplete.");

bool EveryTableHasARow(const TProjectTables& tables) {
  for (const TGridTable* table : tables.AllWithNested())
    if (table->RowCount() < 1) return false;
  return true;
}

}  // namespace

class ModelReaderTest : public QObject {
  Q_OBJECT

 private:
  TProjectTables* tables_ = nullptr;
  QTemporaryDir dir_;

  // The text of a new project with one side layer (half-space) or one layer
  // beside the foundation (multilayer) of velocity 1, saved unchanged.
  QStringList NewProjectLines(TFoundationType foundation = TFoundationType::HalfSpace) {
    auto data = NewProject(*tables_);
    data->SetFoundation(foundation);
    tables_->D1()->Column(0)->SetReal(0, 1.0L);
    tables_->D()->Column(0)->SetReal(0, 1.0L);
    return QString::fromUtf8(ProjectFileText(*data, *tables_)).split("\r\n");
  }

  TLoadResult Load(const QStringList& lines) {
    TWordReader reader = TWordReader::FromText(lines.join("\r\n"));
    return LoadProject(reader, QStringLiteral("test.tvd"), *tables_);
  }

  // A pile project with `piles` piles, the last one battered.
  QStringList PileLines(int piles) {
    auto data = NewProject(*tables_);
    data->SetFoundation(TFoundationType::Pile);
    data->Length = data->Width = 10;
    tables_->PileData()->SetRowCount(2);
    tables_->D()->SetRowCount(2);
    TGridTable* coordinates = tables_->Pilecoord();
    coordinates->SetRowCount(piles);
    for (int r = 0; r < piles; ++r) {
      coordinates->Column(0)->SetReal(r, r);
      coordinates->Column(3)->SetInteger(r, r % 2 == 0 ? 1 : 2);
    }
    coordinates->Column(2)->SetReal(piles - 1, 7.5);
    return QString::fromUtf8(ProjectFileText(*data, *tables_)).split("\r\n");
  }

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
    QVERIFY(dir_.isValid());
    tables_ = new TProjectTables(this);
  }

  // The messages name the line and the position of the word on it, and the
  // project keeps what was read before.
  void wordsThatAreNotTheNumberExpected_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("message");
    const QString real = "A floating point number was expected but not found.";
    const QString integer = "An integer was expected but not found.";
    QTest::newRow("mass, third value") << 7 << 3 << "abc" << "Error on Line 7 Item 3\r" + real;
    QTest::newRow("soil row number") << 13 << 1 << "1.5" << "Error on Line 13 Item 1\r" + integer;
    QTest::newRow("soil row number too large") << 13 << 1 << "3e9" << "Error on Line 13 Item 1\r" + integer;
    QTest::newRow("harmonic load") << 19 << 9 << "1,5" << "Error on Line 19 Item 9\r" + real;
    QTest::newRow("mass count") << 21 << 1 << "x" << "Error on Line 21 Item 1\r" + integer;
  }

  void wordsThatAreNotTheNumberExpected() {
    QFETCH(int, line);
    QFETCH(int, item);
    QFETCH(QString, word);
    QFETCH(QString, message);
    QStringList lines = NewProjectLines();
    lines[0] = "TITLE=Kept";
    QStringList words = lines[line - 1].split(' ');
    words[item - 1] = word;
    lines[line - 1] = words.join(' ');
    const TLoadResult result = Load(lines);
    QCOMPARE(result.status, TLoadResult::kStopped);
    QCOMPARE(result.message, message);
    QCOMPARE(result.project->Title, QString("Kept"));
    QVERIFY(EveryTableHasARow(*tables_));
  }

  void numbersInExponentFormRead() {
    QStringList lines = NewProjectLines();
    lines[6] = "0 0 1.5E+01 0 0 0 0";
    lines[18] = "3.0 1E2 62.8 0 0 0 0 0 0";
    const TLoadResult result = Load(lines);
    QCOMPARE(result.status, TLoadResult::kComplete);
    QCOMPARE(result.project->MassConstants[2], 15.0L);
    QCOMPARE(double(result.project->FreqMin), double(100 / 6.28L));
    QCOMPARE(double(result.project->FreqStep), double(62.8L / 6.28L));
  }

  // A file cut after any line before the RUN line stops the load with the
  // same message and leaves a complete project.
  void truncatedFilesStopTheLoad() {
    const QStringList lines = PileLines(3);
    const qsizetype run = lines.indexOf("RUN ");
    QVERIFY(run > 0);
    for (qsizetype keep = 0; keep <= run; ++keep) {
      const TLoadResult result = Load(lines.mid(0, keep));
      QVERIFY2(result.status == TLoadResult::kStopped, qPrintable(QString::number(keep)));
      QCOMPARE(result.message, kIncomplete);
      QVERIFY(result.project != nullptr);
      QVERIFY(EveryTableHasARow(*tables_));
      QVERIFY(!tables_->Modified());
    }
    // Without its trailer the file is complete: the engine input alone.
    const TLoadResult whole = Load(lines.mid(0, run + 1));
    QCOMPARE(whole.status, TLoadResult::kComplete);
    QCOMPARE(whole.project->MassCount, 0);
  }

  // A count larger than a project file holds stops the load before any row
  // is made for it.
  void countsTooLargeAreNotAllocated_data() {
    QTest::addColumn<QString>("foundation");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");
    QTest::newRow("pile layers") << "PILE" << "LAYERS=2" << "LAYERS=2000000000"
                                 << "Error on Line 8\r2000000000 rows were given for the table \"Pile Data\"; a "
                                    "project file holds at most 10000.";
    QTest::newRow("piles") << "PILE" << "FIXED=3" << "FIXED=10001"
                           << "Error on Line 9\r10001 rows were given for the table \"Pile Coordinations\"; a "
                              "project file holds at most 10000.";
    QTest::newRow("soil layers") << "HALF-SPACE" << "CONSTANTS=1" << "CONSTANTS=99999999"
                                 << "Error on Line 12\r99999999 rows were given for the table \"Soil Layer Data\"; "
                                    "a project file holds at most 10000.";
    QTest::newRow("layers below") << "MULTILAYER" << "CONSTANTS=1" << "CONSTANTS=-2147483648"
                                  << "Error on Line 16\r2147483649 rows were given for the table \"Soil Layers Below "
                                     "the Foundation\"; a project file holds at most 10000.";
  }

  void countsTooLargeAreNotAllocated() {
    QFETCH(QString, foundation);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, message);
    QStringList lines = foundation == "PILE" ? PileLines(3) : NewProjectLines(*FoundationTypeOf(foundation));
    const qsizetype at = lines.indexOf(from);
    QVERIFY(at > 0);
    lines[at] = to;
    const TLoadResult result = Load(lines);
    QCOMPARE(result.status, TLoadResult::kStopped);
    QCOMPARE(result.message, message);
    for (const TGridTable* table : tables_->AllWithNested()) QVERIFY(table->RowCount() <= 3);
  }

  void loadCountsTooLargeAreNotAllocated() {
    auto data = NewProject(*tables_);
    data->LoadType = TLoadType::Transient;
    data->PointCount = 1;
    QStringList lines = QString::fromUtf8(ProjectFileText(*data, *tables_)).split("\r\n");
    const qsizetype points = lines.indexOf("TRANSIENT ") + 2;
    lines[points] = "2000000000 ";
    TLoadResult result = Load(lines);
    QCOMPARE(result.status, TLoadResult::kStopped);
    QCOMPARE(result.message,
             QString("Error on Line %1\r2000000000 points were given; a project file holds at most 100000.")
                 .arg(points + 1));
    lines[points] = "1 ";
    lines[points + 2] = "5000 ";
    result = Load(lines);
    QCOMPARE(result.status, TLoadResult::kStopped);
    QVERIFY(result.message.contains("\"Transient Loading Data\""));
    QCOMPARE(tables_->TLoadtype()->RowCount(), 1);
  }

  // A value of a keyword line that does not convert is not an input/output
  // error: the load fails, and the tables hold the previous project again.
  void conversionErrorsKeepThePreviousProject_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("message");
    QTest::newRow("gravity") << "GRAVITY=9.8" << "GRAVITY=nine" << "'nine' is not a valid floating point value";
    QTest::newRow("shape") << "RECTANGULAR=0,0" << "RECTANGULAR=0;0" << "'0;0' is not a valid floating point value";
    QTest::newRow("count") << "CONSTANTS=1" << "CONSTANTS=one" << "'one' is not a valid integer value";
    QTest::newRow("below") << "BELOW=0 0 0 0" << "BELOW=0 0 0" << "'' is not a valid floating point value";
  }

  void conversionErrorsKeepThePreviousProject() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, message);
    QStringList lines = NewProjectLines();
    lines[lines.indexOf(from)] = to;

    auto previous = NewProject(*tables_);
    SetUnitSystem(*previous, *tables_, 1);
    tables_->D1()->SetRowCount(3);
    tables_->D1()->Column(1)->SetReal(2, 650);
    tables_->TLoadtype()->Column(1)->NestedTable(0)->SetRowCount(4);
    const TLoadResult result = Load(lines);
    QCOMPARE(result.status, TLoadResult::kFailed);
    QCOMPARE(result.message, message);
    QVERIFY(result.project == nullptr);
    QCOMPARE(tables_->D1()->RowCount(), 3);
    QCOMPARE(tables_->D1()->Column(1)->GetReal(2), 650.0L);
    QCOMPARE(tables_->D1()->Units(), 1);
    QCOMPARE(tables_->TLoadtype()->Column(1)->NestedTable(0)->RowCount(), 4);
    QVERIFY(tables_->Modified());
  }

  void missingFileKeepsThePreviousProject() {
    auto previous = NewProject(*tables_);
    tables_->PileData()->SetRowCount(5);
    const TLoadResult result = LoadProject(dir_.filePath("missing.tvd"), *tables_);
    QCOMPARE(result.status, TLoadResult::kFailed);
    QVERIFY(result.message.contains("missing.tvd"));
    QCOMPARE(tables_->PileData()->RowCount(), 5);
  }

  // The gravity sets the unit system of the project and the tables before
  // any value is read: the values stay as written.
  void gravitySetsTheUnitSystem() {
    QStringList lines = NewProjectLines();
    lines[2] = "GRAVITY=32.2";
    lines[12] = "1 2 600 110 0.35 0.05 0 0.35 0.1 1";
    const TLoadResult result = Load(lines);
    QCOMPARE(result.status, TLoadResult::kComplete);
    QCOMPARE(result.project->Units, 1);
    for (const TGridTable* table : tables_->AllWithNested()) QCOMPARE(table->Units(), 1);
    QCOMPARE(tables_->D1()->Column(1)->GetReal(0), 600.0L);
    QCOMPARE(tables_->D1()->Column(0)->GetReal(0), 2.0L);
  }

  void stratumSoilLayersAreNotStored() {
    auto data = NewProject(*tables_);
    data->SetFoundation(TFoundationType::Stratum);
    tables_->D1()->SetRowCount(3);
    tables_->D1()->Column(1)->SetReal(1, 200);
    data->FileName = dir_.filePath("stratum.tvd");
    SaveProject(*data, *tables_);
    const TLoadResult result = LoadProject(data->FileName, *tables_);
    QCOMPARE(result.status, TLoadResult::kComplete);
    QCOMPARE(result.project->FoundationCode, TFoundationType::Stratum);
    QCOMPARE(tables_->D1()->RowCount(), 1);
    QCOMPARE(tables_->D1()->Column(1)->GetReal(0), 0.0L);
  }

  void longTitlesAreCut() {
    QStringList lines = NewProjectLines();
    lines[0] = "TITLE=" + QString(300, 'x');
    const TLoadResult result = Load(lines);
    QCOMPARE(result.project->Title, QString(248, 'x'));
  }

  // The plane follows the pile number and its blank, whatever its length.
  void batterPlaneOfPile150() {
    const TLoadResult result = Load(PileLines(150));
    QCOMPARE(result.status, TLoadResult::kComplete);
    TGridTable* coordinates = tables_->Pilecoord();
    QCOMPARE(coordinates->RowCount(), 150);
    for (int r : {0, 8, 9, 98, 99, 148, 149}) QCOMPARE(coordinates->Column(3)->GetInteger(r), r % 2 == 0 ? 1 : 2);
    QCOMPARE(coordinates->Column(2)->GetReal(149), 7.5L);
    QCOMPARE(coordinates->Column(0)->GetReal(149), 149.0L);
    QCOMPARE(tables_->D()->RowCount(), 2);
  }

  // Blank lines at the end of a file, and a foundation word that is none of
  // the four, are taken without harm.
  void oddButHarmlessFiles() {
    QStringList lines = NewProjectLines();
    const TLoadResult blank = Load(lines.mid(0, lines.indexOf("RUN ") + 1) + QStringList{"", "   ", ""});
    QCOMPARE(blank.status, TLoadResult::kComplete);

    lines[3] = "FOUNDATION=CAISSON";
    const TLoadResult unknown = Load(lines);
    QVERIFY(unknown.status != TLoadResult::kComplete);
    QVERIFY(!unknown.message.isEmpty());
    if (unknown.project) QCOMPARE(unknown.project->Foundation, QString("HALF-SPACE"));
  }
};

QTEST_MAIN(ModelReaderTest)
#include "model_reader_test.moc"
