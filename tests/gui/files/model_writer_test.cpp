// Saving a project: the number formats, the exact text of the project and
// geometry files, the flags the save updates, the locale, and saves that
// fail without harming the file already on disk.
#include "gui/model/Table.hpp"
#include "gui/core/WordRead.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/files/ProjectFormat.hpp"
#include "gui/model/ColumnTypes.hpp"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

#include <clocale>
#include <cmath>
#include <limits>

using namespace terva::gui;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QByteArray Crlf(const QStringList& lines) {
  QByteArray text;
  for (const QString& line : lines) text += line.toUtf8() + "\r\n";
  return text;
}

QStringList Lines(const QByteArray& text) {
  QStringList lines = QString::fromUtf8(text).split(QStringLiteral("\r\n"));
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// A save file that refuses every byte: the write fails part-way, as on a
// full disk.
class FailingSaveFile : public QSaveFile {
 public:
  using QSaveFile::QSaveFile;

 protected:
  qint64 writeData(const char*, qint64) override {
    setErrorString(QStringLiteral("No space left on device"));
    return -1;
  }
};

// A small pile project: two layers, two piles.
void FillPile(TProgramData& data, TProjectTables& tables) {
  data.SetFoundation(TFoundationType::Pile);
  data.Length = 4;
  data.Width = 4;
  data.PileLength = 12;
  tables.PileData()->SetRowCount(2);
  tables.Pilecoord()->SetRowCount(2);
  tables.D()->SetRowCount(2);
  for (int r = 0; r < 2; ++r) {
    tables.PileData()->Column(0)->SetReal(r, 6);
    tables.Pilecoord()->Column(0)->SetReal(r, r == 0 ? -1 : 1);
    tables.D()->Column(0)->SetReal(r, 150 + 30 * r);
  }
}

}  // namespace

class ModelWriterTest : public QObject {
  Q_OBJECT

 private:
  TProjectTables* tables_ = nullptr;
  QTemporaryDir dir_;

  QString Path(const QString& name) const { return dir_.filePath(name); }

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");
    QVERIFY(dir_.isValid());
    tables_ = new TProjectTables(this);
  }

  void realFormat_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    // whole numbers up to 15 digits are written whole: no typed digit nor limit is lost
    QTest::newRow("large") << 123456789.0 << "123456789";
    QTest::newRow("static load limit") << 2147483647000.0 << "2147483647000";
    QTest::newRow("fifteen digits") << 999999999999999.0 << "999999999999999";
    QTest::newRow("sixteen digits") << 1234567890123456.0 << "1.2345679E15";
    QTest::newRow("large fraction") << 123456789.5 << "1.2345679E8";
    QTest::newRow("small") << 0.000001 << "1E-6";
    QTest::newRow("plain") << 2.5 << "2.5";
    QTest::newRow("smallest plain") << 0.00001 << "0.00001";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -2.5 << "-2.5";
    QTest::newRow("mantissa") << 0.0000015 << "1.5E-6";
    QTest::newRow("billions") << -1234567890.0 << "-1234567890";
    QTest::newRow("eight digits") << 12345678.0 << "12345678";
    QTest::newRow("rounds up to nine digits") << 99999999.5 << "1E8";
    QTest::newRow("third") << 1.0 / 3.0 << "0.33333333";
    QTest::newRow("whole") << 100.0 << "100";
    QTest::newRow("huge") << 1e20 << "1E20";
    QTest::newRow("tiny negative") << -1.25e-12 << "-1.25E-12";
    QTest::newRow("modulus") << 3e7 << "30000000";
  }

  void realFormat() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatReal(value), text);
  }

  void wideFormat_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("fifteen") << 15.0 << " 1.50000000000000E+0001";
    QTest::newRow("zero") << 0.0 << " 0.00000000000000E+0000";
    QTest::newRow("negative small") << -0.00125 << "-1.25000000000000E-0003";
    QTest::newRow("large exponent") << 1e100 << " 1.00000000000000E+0100";
  }

  void wideFormat() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatWide(value), text);
    QCOMPARE(FormatWide(value).size(), 23);
  }

  void nonFiniteValuesAreRefused() {
    QVERIFY_THROWS_EXCEPTION(TError, FormatReal(std::numeric_limits<long double>::quiet_NaN()));
    QVERIFY_THROWS_EXCEPTION(TError, FormatWide(std::numeric_limits<long double>::infinity()));
  }

  // The file's description and the tables' definitions are kept apart: every
  // row line must take real columns of its table, and the columns the file
  // gives a meaning of their own must be of the kind it reads.
  void rowLinesFitTheirTables() {
    using namespace project_file;
    auto data = NewProject(*tables_);
    const std::pair<const TRowLine*, const TGridTable*> lines[] = {
        {&kPileCoordinates, tables_->Pilecoord()}, {&kPileElements, tables_->PileData()},
        {&kMultilayerElements, tables_->MultiElement()}, {&kHalfSpaceSoil, tables_->D1()},
        {&kHalfSpaceWeakSoil, tables_->D1()}, {&kPileSoil, tables_->D()},
        {&kAdjacentSoil, tables_->D()}, {&kSoilBelow, tables_->Multisoil()},
        {&kSideCapSoil, tables_->pilecapsoil()}, {&kEmbeddedSoil, tables_->pilecapsoil()},
        {&kMassComponent, tables_->MassCal()}};
    for (const auto& [line, table] : lines) {
      QVERIFY2(line->cells <= table->ColumnCount(), qPrintable(table->Caption()));
      for (int c = 0; c < line->cells; ++c) QCOMPARE(table->Column(c)->ClassNumber(), int(kFloatColumn));
    }
    QCOMPARE(tables_->Pilecoord()->Column(kBatterAngleColumn)->ClassNumber(), int(kFloatColumn));
    const auto* plane = dynamic_cast<const TEnumColumn*>(tables_->Pilecoord()->Column(kBatterPlaneColumn));
    QVERIFY(plane != nullptr);
    QCOMPARE(plane->Items().size(), 2);  // 1 XZ, 2 YZ
    for (const TGridTable* loads : {tables_->TLoadtype(), tables_->Trandom()}) {
      QCOMPARE(loads->Column(kLoadDirectionColumn)->ClassNumber(), int(kEnumColumn));
      const TGridTable* history = loads->Column(kLoadHistoryColumn)->NestedTable(0);
      QVERIFY(history != nullptr);
      QCOMPARE(history->Column(kHistoryValueColumn)->ClassNumber(), int(kFloatColumn));
    }
  }

  // The side-layer table keeps one row of zeros, which is no layer.
  void newProjectSavedUnchanged() {
    auto data = NewProject(*tables_);
    data->FileName = Path("new.tvd");
    SaveProject(*data, *tables_);
    const QString wide3 = QStringLiteral(" 0.00000000000000E+0000  0.00000000000000E+0000  0.00000000000000E+0000 ");
    QCOMPARE(ReadAll(Path("new.tvd")),
             Crlf({"TITLE=New Pile", "MATRIX", "GRAVITY=9.8", "FOUNDATION=HALF-SPACE", "RECTANGULAR=0,0", "MASS ",
                   "0 0 0 0 0 0 0", "CONSTANTS ", "0 0 0 ", "SOIL ", "WEAK ", "CONSTANTS=0",
                   "BELOW=0 0 0 0", "LOAD ", "HARMONIC ", "CONSTANTS ", "NONQUADRATIC ", "0 0 0 0 0 0 0 0 0",
                   "RUN ", "0", wide3, wide3, wide3}));
    QCOMPARE(data->GeometryFileName, Path("new.tvt"));
    QCOMPARE(ReadAll(Path("new.tvt")),
             Crlf({"RECTANGULAR ", " 0 0 0", " 0", "SOIL", "HALF-SPACE", " 0", "2", "1 0", "2 0"}));
    QCOMPARE(data->MassCount, 0);
  }

  void harmonicFrequenciesAreWrittenInRadiansPerSecond() {
    auto data = NewProject(*tables_);
    data->FreqMax = 50;
    data->FreqMin = 10;
    data->FreqStep = 0.5;
    data->Quadratic = 1;
    data->HarmonicLoads = {1, 2, 3, 4, 5, 6};
    const QStringList lines = Lines(ProjectFileText(*data, *tables_));
    const qsizetype quadratic = lines.indexOf("QUADRATIC ");
    QVERIFY(quadratic > 0);
    QCOMPARE(lines[quadratic + 1], QString("314 62.8 3.14 1 2 3 4 5 6"));
  }

  // The trailer: the mass rows only when the first mass counts; the three
  // coordinate lines always.
  void massComponentsInTheTrailer() {
    auto data = NewProject(*tables_);
    data->CgLocal = {15, 0, -1};
    tables_->MassCal()->SetRowCount(2);
    tables_->MassCal()->Column(1)->SetReal(1, 2.5);
    QStringList lines = Lines(ProjectFileText(*data, *tables_));
    qsizetype run = lines.indexOf("RUN ");
    QCOMPARE(lines.mid(run + 1).size(), 4);
    QCOMPARE(lines[run + 1], QString("0"));
    QCOMPARE(lines[run + 2], QString(" 1.50000000000000E+0001  0.00000000000000E+0000 -1.00000000000000E+0000 "));

    tables_->MassCal()->Column(0)->SetReal(0, 40);
    lines = Lines(ProjectFileText(*data, *tables_));
    QCOMPARE(data->MassCount, 0);  // the text leaves the project alone; the save sets the count
    ApplyProjectSaveRules(*data, *tables_);
    QCOMPARE(data->MassCount, 2);
    run = lines.indexOf("RUN ");
    QCOMPARE(lines.mid(run + 1, 3), (QStringList{"2", "40 0 0 0 0 0 0 ", "0 2.5 0 0 0 0 0 "}));
    QCOMPARE(lines.mid(run + 1).size(), 6);
  }

  // Side soil of the cap: SIDE-CAP with weak-zone rows once a ratio is set,
  // EMBEDDED with plain rows while the last row has a velocity, else nothing.
  void sideSoilOfThePileCap() {
    auto data = NewProject(*tables_);
    FillPile(*data, *tables_);
    TGridTable* side = tables_->pilecapsoil();
    side->SetRowCount(2);
    side->Column(0)->SetReal(0, 0.6);
    side->Column(1)->SetReal(0, 120);
    QStringList lines = Lines(ProjectFileText(*data, *tables_));
    QVERIFY(!lines.contains("SIDE-CAP") && !lines.contains("EMBEDDED"));
    QCOMPARE(lines[lines.indexOf(QRegularExpression("^BELOW=.*")) + 1], QString("LOAD "));

    side->Column(1)->SetReal(1, 140);
    lines = Lines(ProjectFileText(*data, *tables_));
    qsizetype embedded = lines.indexOf("EMBEDDED");
    QVERIFY(embedded > 0 && !lines.contains("SIDE-CAP"));
    QCOMPARE(lines.mid(embedded + 1, 4), (QStringList{"2 ", "1 0.6 120 0 0 0", "2 0 140 0 0 0", "LOAD "}));

    side->Column(5)->SetReal(1, 0.5);
    side->Column(4)->SetReal(1, 0.05);
    lines = Lines(ProjectFileText(*data, *tables_));
    QVERIFY(!data->SideCap);
    ApplyProjectSaveRules(*data, *tables_);
    QVERIFY(data->SideCap);
    const qsizetype sideCap = lines.indexOf("SIDE-CAP");
    QCOMPARE(lines.mid(sideCap, 5),
             (QStringList{"SIDE-CAP", "EMBEDDED", "2 ", "1 0.6 120 0 0 0 0 0 0 1", "2 0 140 0 0 0.05 0.5 0 0.1 1"}));

    // Once set, the flag stays for the project.
    side->Column(5)->SetReal(1, 0);
    QVERIFY(Lines(ProjectFileText(*data, *tables_)).contains("SIDE-CAP"));
  }

  void batteredSectionOnlyOnceAnAngleWasSet() {
    auto data = NewProject(*tables_);
    FillPile(*data, *tables_);
    QVERIFY(!Lines(ProjectFileText(*data, *tables_)).contains("BATTERED"));
    QVERIFY(!data->Battered);

    tables_->Pilecoord()->Column(2)->SetReal(1, 12.5);
    tables_->Pilecoord()->Column(3)->SetInteger(1, 2);
    QStringList lines = Lines(ProjectFileText(*data, *tables_));
    const qsizetype battered = lines.indexOf("BATTERED");
    QCOMPARE(lines.mid(battered, 6), (QStringList{"BATTERED", "1 XZ  ", "0 ", "2 YZ  ", "12.5 ", "INTERACTION "}));
    QVERIFY(!data->Battered);
    ApplyProjectSaveRules(*data, *tables_);

    tables_->Pilecoord()->Column(2)->SetReal(1, 0);
    QVERIFY(Lines(ProjectFileText(*data, *tables_)).contains("BATTERED"));
    const QStringList geometry = Lines(GeometryFileText(*data, *tables_));
    const qsizetype section = geometry.indexOf("BATTERED");
    QCOMPARE(geometry.mid(section, 3), (QStringList{"BATTERED", "1 0 0 ", "2 90 0 "}));
  }

  // The engine reads one soil row per pile layer: the soil table's rows are
  // written to match the layers, whatever it holds.
  void pileSoilRowsFollowThePileLayers() {
    auto data = NewProject(*tables_);
    FillPile(*data, *tables_);
    tables_->PileData()->SetRowCount(3);
    tables_->D()->SetRowCount(1);
    QStringList lines = Lines(ProjectFileText(*data, *tables_));
    qsizetype soil = lines.indexOf("CONSTANTS", lines.indexOf("WEAK"));
    QCOMPARE(lines.mid(soil + 1, 4),
             (QStringList{"1 150 0 0 0 0 0 0 1", "2 0 0 0 0 0 0 0 1", "3 0 0 0 0 0 0 0 1", "BELOW=0 0 0 0"}));

    tables_->D()->SetRowCount(5);
    lines = Lines(ProjectFileText(*data, *tables_));
    soil = lines.indexOf("CONSTANTS", lines.indexOf("WEAK"));
    QCOMPARE(lines[soil + 4], QString("BELOW=0 0 0 0"));
  }

  // A load history shorter than the number of points is filled with zeros,
  // a longer one cut, so that the counts in the file hold.
  void loadHistoriesHaveTheNumberOfPoints() {
    auto data = NewProject(*tables_);
    data->LoadType = TLoadType::Transient;
    data->PointCount = 3;
    data->TimeStep = 0.01;
    tables_->TLoadtype()->SetRowCount(2);
    tables_->TLoadtype()->Column(0)->SetInteger(0, 3);
    tables_->TLoadtype()->Column(0)->SetInteger(1, 1);
    TGridTable* first = tables_->TLoadtype()->Column(1)->NestedTable(0);
    first->SetRowCount(5);
    for (int r = 0; r < 5; ++r) first->Column(0)->SetReal(r, r + 1);
    const QStringList lines = Lines(ProjectFileText(*data, *tables_));
    const qsizetype start = lines.indexOf("TRANSIENT ") + 2;
    QCOMPARE(lines.mid(start, 12), (QStringList{"3 ", "0.01 ", "2 ", "3 ", "1 ", "2 ", "3 ", "1 ", "0 ", "0 ", "0 ",
                                                "RUN "}));
  }

  void randomLoadSection() {
    auto data = NewProject(*tables_);
    data->LoadType = TLoadType::Random;
    data->RandomFreqMax = 126;
    data->RandomFreqMin = 0;
    data->PointCount = 2;
    data->ObservationPeriod = 60;
    tables_->Trandom()->Column(0)->SetInteger(0, 3);
    TGridTable* spectrum = tables_->Trandom()->Column(1)->NestedTable(0);
    spectrum->SetRowCount(2);
    spectrum->Column(0)->SetReal(0, 0.1);
    spectrum->Column(0)->SetReal(1, 0.25);
    const QStringList lines = Lines(ProjectFileText(*data, *tables_));
    const qsizetype start = lines.indexOf("RANDOM ");
    QCOMPARE(lines.mid(start, 11), (QStringList{"RANDOM ", "CONSTANTS ", "126 ", "0 ", "2 ", "60 ", "1 ", "3 3",
                                                "0.1 ", "0.25 ", "RUN "}));
  }

  void multilayerSoilSections() {
    auto data = NewProject(*tables_);
    data->SetFoundation(TFoundationType::Multilayer);
    tables_->MultiElement()->SetRowCount(3);
    tables_->D()->SetRowCount(1);
    tables_->D()->Column(4)->SetReal(0, 0.99999);
    tables_->Multisoil()->SetRowCount(1);
    tables_->Multisoil()->Column(4)->SetReal(0, 1);
    const QStringList lines = Lines(ProjectFileText(*data, *tables_));
    const qsizetype soil = lines.indexOf("SOIL ");
    // Threshold 0.99999 for this table: the ratio 0.99999 still marks a weak
    // zone. The second layer below is missing from the table: zeros.
    QCOMPARE(lines.mid(soil, 7), (QStringList{"SOIL ", "WEAK ", "CONSTANTS=1", "1 0 0 0 0 0.99999 0 0 1",
                                              "2 0 0 0 0 1 0", "3 0 0 0 0 0 0", "BELOW=0 0 0 0"}));
    QCOMPARE(lines[lines.indexOf("FOUNDATION=MULTILAYER") + 4], QString("LAYER=3"));
  }

  void geometryOfAStratumAndACircularFooting() {
    auto data = NewProject(*tables_);
    data->SetFoundation(TFoundationType::Stratum);
    data->Circular = 1;
    data->Radius = 3;
    data->FileName = Path("stratum.project.tvd");
    tables_->D1()->SetRowCount(2);
    tables_->D1()->Column(0)->SetReal(0, 0.5);
    tables_->D1()->Column(0)->SetReal(1, 0.25);
    const QStringList lines = Lines(GeometryFileText(*data, *tables_));
    QCOMPARE(data->GeometryFileName, QString());
    ApplyGeometrySaveRules(*data, *tables_);
    QCOMPARE(data->GeometryFileName, Path("stratum.project.tvt"));
    QCOMPARE(lines, (QStringList{"CIRCULAR ", " 3 3 0.75", " 0", "SOIL", "STRATUM", "2", "4", "1 0.5 ", "2 0.25 ",
                                 "3 9", "4 1.8"}));
    QCOMPARE(data->Thickness, 0.75L);
    QCOMPARE(data->PileLength, 9.0L);
  }

  // A line of numbers longer than the 80 characters that the engine reads
  // goes on over another line, and the file reads back.
  void longLinesAreContinued() {
    auto data = NewProject(*tables_);
    data->HarmonicLoads = {-1.2345678e-10L, -2.3456789e-11L, -3.4567891e-12L, -4.5678912e-13L, -5.6789123e-14L,
                           -6.7891234e-15L};
    data->FreqMax = 1.1111111e-7L;
    data->FreqMin = 2.2222222e-7L;
    data->FreqStep = 3.3333333e-7L;
    data->FileName = Path("long.tvd");
    SaveProject(*data, *tables_);
    for (const QString& line : Lines(ReadAll(Path("long.tvd")))) QVERIFY2(line.size() <= 80, qPrintable(line));
    const TProgramData saved = *data;
    const TLoadResult loaded = LoadProject(Path("long.tvd"), *tables_);
    QCOMPARE(loaded.status, TLoadResult::kComplete);
    for (size_t i = 0; i < 6; ++i) QCOMPARE(double(loaded.project->HarmonicLoads[i]), double(saved.HarmonicLoads[i]));
    QVERIFY(std::fabs(loaded.project->FreqStep / saved.FreqStep - 1) < 1e-7L);
  }

  // A title is one line: line breaks typed into it become blanks.
  void titleStaysOnOneLine() {
    auto data = NewProject(*tables_);
    data->Title = "Pump foundation\r\nsecond line\nthird";
    const QStringList lines = Lines(ProjectFileText(*data, *tables_));
    QCOMPARE(lines[0], QString("TITLE=Pump foundation  second line third"));
    QCOMPARE(lines[1], QString("MATRIX"));
  }

  // The decimal separator is "." whatever the locale says.
  void localeWithADecimalComma() {
    QLocale::setDefault(QLocale(QLocale::German));
    bool cLocale = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German"}) {
      if (std::setlocale(LC_NUMERIC, name) != nullptr) {
        cLocale = true;
        break;
      }
    }
    if (!cLocale) qInfo("No German C locale on this machine; only the Qt default locale is German.");
    auto data = NewProject(*tables_);
    data->Circular = 1;
    data->Radius = 2.5;
    data->MassConstants[1] = 1234.5678;
    data->CgLocal[0] = 0.125;
    tables_->D1()->Column(3)->SetReal(0, 0.35);
    data->FileName = Path("komma.tvd");
    SaveProject(*data, *tables_);
    const QByteArray text = ReadAll(Path("komma.tvd"));
    const TLoadResult loaded = LoadProject(Path("komma.tvd"), *tables_);
    QLocale::setDefault(QLocale::c());
    std::setlocale(LC_ALL, "C");

    QVERIFY(!text.contains(','));
    QVERIFY(text.contains("CIRCULAR=2.5\r\n"));
    QVERIFY(text.contains("0 1234.5678 0 0 0 0 0\r\n"));
    QVERIFY(text.contains(" 1.25000000000000E-0001 "));
    QCOMPARE(loaded.status, TLoadResult::kComplete);
    QCOMPARE(loaded.project->Radius, 2.5L);
    QCOMPARE(double(tables_->D1()->Column(3)->GetReal(0)), 0.35);
  }

  // A save that cannot create its file reports it, and a save that fails
  // part-way leaves the previous file as it was.
  void failedSaveKeepsThePreviousFile() {
    auto data = NewProject(*tables_);
    WriteAll(Path("plain-file"), "not a folder");
    data->FileName = Path("plain-file/project.tvd");
    try {
      SaveProject(*data, *tables_);
      QFAIL("no error");
    } catch (const TInOutError& error) {
      QVERIFY2(error.Message().contains("project.tvd"), qPrintable(error.Message()));
    }

    data->FileName = Path("kept.tvd");
    SaveProject(*data, *tables_);
    const QByteArray before = ReadAll(Path("kept.tvd"));
    const QStringList entries = QDir(dir_.path()).entryList(QDir::Files);
    data->Title = "Changed";
    tables_->D1()->Column(1)->SetReal(0, 300);
    auto failing = [](const QString& path) { return std::make_unique<FailingSaveFile>(path); };
    QVERIFY_THROWS_EXCEPTION(TInOutError, SaveProject(*data, *tables_, failing));
    QCOMPARE(ReadAll(Path("kept.tvd")), before);
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), entries);  // no temporary file left behind
    QVERIFY(tables_->Modified());

    // A value that cannot be written stops the save before any file changes.
    tables_->D1()->Column(1)->SetReal(0, std::numeric_limits<long double>::infinity());
    QVERIFY_THROWS_EXCEPTION(TError, SaveProject(*data, *tables_));
    QCOMPARE(ReadAll(Path("kept.tvd")), before);
  }

  void successfulSaveClearsTheModifiedFlags() {
    auto data = NewProject(*tables_);
    tables_->TLoadtype()->Column(1)->NestedTable(0)->Column(0)->SetReal(0, 3);
    QVERIFY(tables_->Modified());
    data->FileName = Path("flags.tvd");
    SaveProject(*data, *tables_);
    QVERIFY(!tables_->Modified());
  }
};

QTEST_MAIN(ModelWriterTest)
#include "model_writer_test.moc"
