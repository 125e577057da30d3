// Machine-readable results and the springs and dashpots at a frequency, from
// the reference graphic data files of the examples: every number read back
// from the CSV and JSON texts is the file's float; K and C at, between and
// outside the computed frequencies; the operating frequency as typed.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "gui/model/ResultsExport.hpp"
#include "gui/model/ResultsFile.hpp"
#include "gui/model/SpringsDashpots.hpp"

using namespace terva::gui;

namespace {

const QString kReference = QStringLiteral(TERVA_TEST_DATA_DIR "/reference/");
const QString kExamples = QStringLiteral(TERVA_EXAMPLES_DIR "/");

// The numbers of a graphic data file's line (1-based), as floats.
QList<float> Row(const QString& graphic, int line) {
  QFile file(graphic);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QList<QByteArray> lines = file.readAll().split('\n');
  QList<float> numbers;
  for (const QByteArray& word : lines.value(line - 1).simplified().split(' '))
    if (!word.isEmpty()) numbers << word.toFloat();
  return numbers;
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

// Three frequencies with easy numbers: K grows, C falls, Kww goes negative.
const QByteArray kSmall =
    "           3\n"
    "  0.100E+02  0.100E+03  0.100E+03  0.100E+03  0.100E+04  0.100E+04  0.100E+04  0.500E+01 -0.500E+01\n"
    "  0.100E+02  0.200E+01  0.200E+01  0.200E+01  0.300E+01  0.300E+01  0.300E+01  0.100E+00 -0.100E+00\n"
    "  0.200E+02  0.200E+03  0.200E+03 -0.100E+03  0.200E+04  0.200E+04  0.200E+04  0.500E+01 -0.500E+01\n"
    "  0.200E+02  0.100E+01  0.100E+01  0.100E+01  0.200E+01  0.200E+01  0.200E+01  0.100E+00 -0.100E+00\n"
    "  0.400E+02  0.400E+03  0.400E+03 -0.300E+03  0.400E+04  0.400E+04  0.400E+04  0.500E+01 -0.500E+01\n"
    "  0.400E+02  0.100E+01  0.100E+01  0.100E+01  0.200E+01  0.200E+01  0.200E+01  0.100E+00 -0.100E+00\n";

}  // namespace

class ResultsExportTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  // The layout of the file decides what is read: pairs and response
  // (half-space), pairs only (a MATRIX run under a transient load), response
  // only (pile group), neither (transient without MATRIX).
  void readsWhatTheFileHolds() {
    TResultsData data;
    QString error;
    QVERIFY2(ReadResults(kReference + "half-space.tvp", data, &error), qPrintable(error));
    QCOMPARE(data.omega.size(), size_t(30));
    QCOMPARE(data.responseOmega.size(), size_t(30));
    const QList<float> first = Row(kReference + "half-space.tvp", 2), firstDamping = Row(kReference + "half-space.tvp", 3);
    QCOMPARE(data.omega[0], first[0]);
    for (int t = 0; t < TResultsData::kTerms; ++t) {
      QCOMPARE(data.stiffness[t][0], first[t + 1]);
      QCOMPARE(data.damping[t][0], firstDamping[t + 1]);
    }
    const QList<float> last = Row(kReference + "half-space.tvp", 91);
    QCOMPARE(data.responseOmega.back(), last[0]);
    for (int a = 0; a < TResultsData::kAmplitudes; ++a) QCOMPARE(data.amplitude[a].back(), last[a + 1]);

    QVERIFY(ReadResults(kReference + "pile-group.tvp", data, &error));
    QVERIFY(!data.HasImpedance());
    QCOMPARE(data.responseOmega.size(), size_t(20));

    const QString pairsOnly = dir_.filePath("pairs.tvp");
    Write(pairsOnly, kSmall);
    QVERIFY(ReadResults(pairsOnly, data, &error));
    QCOMPARE(data.omega, (std::vector<float>{10, 20, 40}));
    QVERIFY(!data.HasResponse());

    // A run without curves reads as empty, so that its JSON still describes it.
    QVERIFY(ReadResults(kReference + "transient.tvp", data, &error));
    QVERIFY(!data.HasImpedance() && !data.HasResponse());
  }

  void refusesDamagedFiles_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("why");
    QTest::newRow("missing") << QByteArray() << "";
    QTest::newRow("one frequency") << QByteArray("  1\n  0.1E+02 1 2 3 4 5 6\n") << "fewer than two";
    QTest::newRow("not numbers") << QByteArray("abc\n") << "";
    QTest::newRow("five words") << QByteArray("  2\n 1 2 3 4 5\n 1 2 3 4 5\n") << "no graphic data file";
    QTest::newRow("cut short") << kSmall.left(kSmall.size() - 60) << "";
    QTest::newRow("overflowed field") << QByteArray(kSmall).replace("0.400E+04", "*********") << "";
  }

  void refusesDamagedFiles() {
    QFETCH(QByteArray, text);
    QFETCH(QString, why);
    const QString path = dir_.filePath("damaged.tvp");
    QFile::remove(path);
    if (!text.isEmpty()) Write(path, text);
    TResultsData data;
    QString error;
    QVERIFY(!ReadResults(path, data, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY2(error.contains(why), qPrintable(error));
    QVERIFY(!data.HasImpedance() && !data.HasResponse());
  }

  // Every number of the CSV and JSON texts reads back to the file's float.
  void textsReadBackToTheFilesFloats() {
    TResultsData data;
    QVERIFY(ReadResults(kReference + "half-space.tvp", data, nullptr));
    const TResultsInfo info = DescribeProject(kExamples + "half-space.tvd");

    const QStringList impedance = ImpedanceCsv(data, info).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(impedance.size(), 31);
    QCOMPARE(impedance[0].section(',', 0, 3), QStringLiteral("frequency (Hz),frequency (rad/s),Kxx (lb/ft),Kyy (lb/ft)"));
    QVERIFY(impedance[0].endsWith("Cxp (lb-s/rad),Cyp (lb-s/rad)"));
    for (int i = 0; i < 30; ++i) {
      const QStringList cells = impedance[i + 1].split(',');
      QCOMPARE(cells.size(), 18);
      QCOMPARE(cells[0].toFloat(), HzOf(data.omega[i]));
      QCOMPARE(cells[1].toFloat(), data.omega[i]);
      for (int t = 0; t < 8; ++t) {
        QCOMPARE(cells[2 + t].toFloat(), data.stiffness[t][i]);
        QCOMPARE(cells[10 + t].toFloat(), data.damping[t][i]);
      }
    }
    const QStringList response = ResponseCsv(data, info).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(response[0], QStringLiteral("frequency (Hz),frequency (rad/s),UOX (ft),UOY (ft),UOZ (ft),EPOX (rad),"
                                         "EPOY (rad),EPOZ (rad)"));
    QCOMPARE(response[5].split(',')[4].toFloat(), data.amplitude[2][4]);

    QJsonParseError parse;
    const QJsonObject json = QJsonDocument::fromJson(ResultsJson(data, info).toUtf8(), &parse).object();
    QCOMPARE(parse.error, QJsonParseError::NoError);
    QCOMPARE(json["format"].toString(), QStringLiteral("terva-results"));
    QCOMPARE(json["version"].toInt(), 2);
    QCOMPARE(json["unit_system"].toString(), QStringLiteral("English"));
    QCOMPARE(json["foundation"].toObject()["name"].toString(), QStringLiteral("HALF-SPACE"));
    QCOMPARE(json["load"].toObject()["name"].toString(), QStringLiteral("harmonic"));
    QCOMPARE(json["title"].toString(), QStringLiteral("BLOCK FOUNDATION OF A RECIPROCATING COMPRESSOR ON A HALF-SPACE"));
    QCOMPARE(json["units"].toObject()["Kppx"].toString(), QStringLiteral("lb-ft/rad"));
    QCOMPARE(json["units"].toObject()["Czt"].toString(), QStringLiteral("lb-ft-s/rad"));
    const QJsonArray kyp = json["stiffness"].toObject()["Kyp"].toArray();
    const QJsonArray epoz = json["response"].toObject()["amplitudes"].toObject()["EPOZ"].toArray();
    QCOMPARE(kyp.size(), 30);
    for (int i = 0; i < 30; ++i) {
      QCOMPARE(static_cast<float>(kyp[i].toDouble()), data.stiffness[7][i]);
      QCOMPARE(static_cast<float>(epoz[i].toDouble()), data.amplitude[5][i]);
      QCOMPARE(static_cast<float>(json["frequency_rad_s"].toArray()[i].toDouble()), data.omega[i]);
    }
  }

  void jsonWithoutImpedanceAndWithAnOddTitle() {
    TResultsData data;
    QVERIFY(ReadResults(kReference + "pile-group.tvp", data, nullptr));
    TResultsInfo info = DescribeProject(kExamples + "pile-group.tvd");
    QCOMPARE(info.foundationCode, 2);
    info.title = QStringLiteral("a \"quoted\" \\ title\twith a tab");
    const QJsonObject json = QJsonDocument::fromJson(ResultsJson(data, info).toUtf8()).object();
    QCOMPARE(json["title"].toString(), info.title);
    QVERIFY(!json.contains("stiffness") && !json.contains("damping"));
    // one frequency list, the response's, and none inside the response
    QCOMPARE(json["frequency_hz"].toArray().size(), 20);
    QCOMPARE(json["frequency_rad_s"].toArray().size(), 20);
    QVERIFY(!json["response"].toObject().contains("frequency_rad_s"));
    QCOMPARE(json["response"].toObject()["amplitudes"].toObject()["UOX"].toArray().size(), 20);
    QCOMPARE(json["precision"].toString(), QStringLiteral("graphic data (3 to 5 digits)"));
    QVERIFY(json["results_file"].isNull());
    QVERIFY(!json["units"].toObject().contains("Kxx"));
    QCOMPARE(json["units"].toObject()["UOX"].toString(), QStringLiteral("ft"));
  }

  void describesInputsAsTheEngineReadsThem() {
    const TResultsInfo random = DescribeProject(kExamples + "random.tvd");
    QCOMPARE(random.loadCode, 3);
    const TResultsInfo project = DescribeProject(kExamples + "projects/pile-group-4.tvd");
    QCOMPARE(project.title, QStringLiteral("Turbine pedestal on four piles"));
    QCOMPARE(project.unitSystem, 2);
    QCOMPARE(project.foundationCode, 2);
    QCOMPARE(UnitOf("Cxx", project), QStringLiteral("kN-s/m"));
    QCOMPARE(UnitOf("EPOY", project), QStringLiteral("rad"));

    const QString odd = dir_.filePath("odd.tvd");
    Write(odd, "title $ a comment\r\nPUMP ON SOFT CLAY\r\ngrav, 9.81\nDIMENSIONLESS\nFOUNDATION\nstratum\n"
               "LOAD\nTRANSIENT\nRUN\nLOAD=HARMONIC\n");
    const TResultsInfo info = DescribeProject(odd);
    QCOMPARE(info.title, QStringLiteral("PUMP ON SOFT CLAY"));
    QCOMPARE(info.unitSystem, 2);
    QCOMPARE(info.foundationCode, 3);
    QCOMPARE(info.loadCode, 2);  // nothing after RUN counts
    QVERIFY(info.dimensionless);
    QCOMPARE(UnitOf("UOX", info), QString());
    QCOMPARE(info.graphic, dir_.filePath("odd.tvp"));
    const TResultsInfo none = DescribeProject(dir_.filePath("no-such.tvd"));
    QCOMPARE(none.unitSystem, 0);
    QCOMPARE(UnitOf("Kxx", none), QString());
  }

  void exportWritesBesideTheProjectAndDropsStaleFiles() {
    const QString project = dir_.filePath("pump.tvd");
    Write(project, "TITLE=pump\nGRAVITY=9.8\nRUN\n");
    QVERIFY(QFile::copy(kReference + "pile-group.tvp", dir_.filePath("pump.tvp")));
    Write(dir_.filePath("pump.impedance.csv"), "of an earlier run\n");
    QStringList written;
    QString error;
    QVERIFY2(ExportResults(DescribeProject(project), TExportFormat::Csv, &written, &error), qPrintable(error));
    QCOMPARE(written, QStringList{dir_.filePath("pump.response.csv")});
    QVERIFY(!QFile::exists(dir_.filePath("pump.impedance.csv")));
    QVERIFY(ExportResults(DescribeProject(project), TExportFormat::Json, &written, &error));
    QCOMPARE(written, QStringList{dir_.filePath("pump.results.json")});
    QVERIFY(!ExportResults(DescribeProject(dir_.filePath("none.tvd")), TExportFormat::Json, &written, &error));
    QVERIFY(written.isEmpty());
    QVERIFY(!QFile::exists(dir_.filePath("none.results.json")));
  }

  // --- springs and dashpots ---

  void operatingFrequencyAsTyped_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("omega");  // 0: refused
    QTest::newRow("rpm") << "1500rpm" << 1500.0 / 60.0 * 6.28;
    QTest::newRow("RPM, blank") << " 1500 RPM " << 1500.0 / 60.0 * 6.28;
    QTest::newRow("Hz") << "25Hz" << 25.0 * 6.28;
    QTest::newRow("hz, exponent") << "2.5e1 hz" << 25.0 * 6.28;
    QTest::newRow("rad/s") << "157.08 rad/s" << 157.08;
    QTest::newRow("bare number: rad/s") << "157" << 157.0;
    QTest::newRow("leading point") << ".5Hz" << 0.5 * 6.28;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blank") << "   " << 0.0;
    QTest::newRow("word") << "fast" << 0.0;
    QTest::newRow("unit alone") << "Hz" << 0.0;
    QTest::newRow("unknown unit") << "25 kHz" << 0.0;
    QTest::newRow("decimal comma") << "25,5 Hz" << 0.0;
    QTest::newRow("negative") << "-25 Hz" << 0.0;
    QTest::newRow("zero") << "0 rpm" << 0.0;
    QTest::newRow("two numbers") << "25 30 Hz" << 0.0;
    QTest::newRow("overflow") << "1e999 Hz" << 0.0;
  }

  void operatingFrequencyAsTyped() {
    QFETCH(QString, text);
    QFETCH(double, omega);
    const TOperatingFrequency f = ParseOperatingFrequency(text);
    if (omega == 0.0) {
      QVERIFY(!f.ok);
      QVERIFY(!f.error.isEmpty());
    } else {
      QVERIFY2(f.ok, qPrintable(f.error));
      QVERIFY(std::fabs(f.omega - omega) < 1e-9 * omega);
    }
  }

  // A results file beside the graphic data file gives every number when it
  // is whole and belongs to the run; anything else (cut short, another
  // version, lists of the wrong length, a value that is no number, another
  // run's frequencies) is passed over for the graphic data file's numbers.
  void resultsFileWhenItBelongs() {
    const QString path = dir_.filePath("tvj.tvp");
    Write(path, kSmall);
    auto lists = [](const QString& value) {
      QStringList k, c;
      for (const char* name : TResultsData::kStiffnessNames) k << QStringLiteral("\"%1\": [%2]").arg(name, value);
      for (const char* name : TResultsData::kDampingNames) c << QStringLiteral("\"%1\": [%2]").arg(name, value);
      return QStringLiteral("\"stiffness\": {%1}, \"damping\": {%2}").arg(k.join(", "), c.join(", "));
    };
    auto file = [&](const QString& version, const QString& omega, const QString& values) {
      return QStringLiteral("{\"format\": \"terva-engine-results\", \"version\": %1, \"load\": \"random\", "
                            "\"count\": 3, \"omega\": [%2], %3}")
          .arg(version, omega, lists(values))
          .toUtf8();
    };
    const QByteArray good = file("1", "10.0000019, 20, 40.0001", "123.456789, null, 1e-7");
    Write(ResultsFileOf(path), good);
    TResultsData data;
    QVERIFY(ReadResults(path, data, nullptr));
    QVERIFY(data.fullPrecision);
    QCOMPARE(data.omega[0], 10.0000019f);
    QCOMPARE(data.stiffness[4][0], 123.456789f);
    QVERIFY(std::isnan(data.damping[7][1]));
    QVERIFY(!data.HasPhases());

    for (const QByteArray& bad : {good.left(good.size() - 10), file("2", "10, 20, 40", "1, 2, 3"),
                                  file("1", "10, 20", "1, 2, 3"), file("1", "10, 20, 40", "1, 2"),
                                  file("1", "10, 20, 40", "1, \"2\", 3"), file("1", "10, 20, 50", "1, 2, 3"),
                                  QByteArray("[]"), QByteArray()}) {
      Write(ResultsFileOf(path), bad);
      TEngineResults full;
      QString error;
      const bool read = ReadEngineResults(ResultsFileOf(path), full, &error);
      QVERIFY(read || !error.isEmpty());
      QVERIFY2(ReadResults(path, data, nullptr), bad.constData());
      QVERIFY2(!data.fullPrecision, bad.constData());
      QCOMPARE(data.stiffness[4][0], 1000.0f);
    }
  }

  // Every computed frequency, typed as the report prints it (in Hz or rad/s,
  // four decimals), is that frequency: its row as it is, both ends of the
  // range included, although the running frequency is not the float of the
  // typed text (12.56 + 12.56 + ... accumulates).
  void atEveryComputedFrequencyAsTheReportPrintsIt() {
    TResultsData data;
    float running = 0.0f;
    for (int k = 1; k <= 25; ++k) {
      running += 12.56f;
      data.omega.push_back(running);
      for (int t = 0; t < TResultsData::kTerms; ++t) {
        data.stiffness[t].push_back(1000.0f * k + t);
        data.damping[t].push_back(10.0f * k + t);
      }
    }
    QVERIFY(data.omega[4] != 62.8f);  // 62.800003: what the report prints as 62.8000 and 10.0000 Hz
    for (int k = 1; k <= 25; ++k) {
      const double omega = data.omega[size_t(k - 1)];
      for (const QString& typed : {QString::number(omega, 'f', 4) + "rad/s", QString::number(HzOf(float(omega)), 'f', 4) + "Hz",
                                   QString::number(2 * k) + "Hz"}) {
        const TOperatingFrequency f = ParseOperatingFrequency(typed);
        QVERIFY2(f.ok, qPrintable(typed));
        const TSpringsDashpots at = SpringsDashpotsAt(data, f.omega);
        QVERIFY2(at.ok, qPrintable(typed + ": " + at.error));
        QVERIFY2(at.below == at.above, qPrintable(typed));
        QCOMPARE(at.omega, omega);
        QCOMPARE(at.stiffness[2], 1000.0 * k + 2);
        QCOMPARE(at.damping[5], 10.0 * k + 5);
      }
    }
    // just beyond the printed precision: between two rows, or outside the range
    QVERIFY(SpringsDashpotsAt(data, 12.56 + 0.01).below != SpringsDashpotsAt(data, 12.56 + 0.01).above);
    QVERIFY(!SpringsDashpotsAt(data, 12.55).ok);
    QVERIFY(!SpringsDashpotsAt(data, 314.01).ok);
  }

  void atBetweenAndOutsideTheComputedFrequencies() {
    const QString path = dir_.filePath("small.tvp");
    Write(path, kSmall);
    TResultsData data;
    QVERIFY(ReadResults(path, data, nullptr));

    // at a computed frequency: its row
    TSpringsDashpots at = SpringsDashpotsAt(data, 20.0);
    QVERIFY(at.ok);
    QCOMPARE(at.below, 20.0);
    QCOMPARE(at.above, 20.0);
    QCOMPARE(at.stiffness[0], 200.0);
    QCOMPARE(at.damping[0], 1.0);
    QCOMPARE(at.ratio[0], 1.0 * 20.0 / (2.0 * 200.0));
    QVERIFY(std::isnan(at.ratio[2]));  // Kww negative: no damping ratio
    QCOMPARE(at.stiffness[7], -5.0);

    // a quarter of the way from 20 to 40: linear in the frequency
    TSpringsDashpots between = SpringsDashpotsAt(data, 25.0);
    QVERIFY(between.ok);
    QCOMPARE(between.below, 20.0);
    QCOMPARE(between.above, 40.0);
    QCOMPARE(between.stiffness[0], 250.0);
    QCOMPARE(between.stiffness[2], -150.0);
    QCOMPARE(between.damping[3], 2.0);
    QCOMPARE(between.ratio[3], 2.0 * 25.0 / (2.0 * 2500.0));
    between = SpringsDashpotsAt(data, 15.0);
    QCOMPARE(between.stiffness[0], 150.0);
    QCOMPARE(between.damping[0], 1.5);

    // the ends of the range are inside it, anything beyond is refused
    QVERIFY(SpringsDashpotsAt(data, 10.0).ok);
    QVERIFY(SpringsDashpotsAt(data, 40.0).ok);
    for (const double outside : {9.99, 40.01, 1000.0}) {
      const TSpringsDashpots refused = SpringsDashpotsAt(data, outside);
      QVERIFY(!refused.ok);
      QVERIFY2(refused.error.contains("outside the computed range 10 to 40 rad/s"), qPrintable(refused.error));
    }

    // the text: heading, units, D, and the refusal as it is
    const TResultsInfo info = DescribeProject(kExamples + "half-space.tvd");
    const QString table = SpringsDashpotsTable(SpringsDashpotsAt(data, 25.0), info);
    QVERIFY2(table.startsWith("Springs and dashpots at 25 rad/s (3.98089 Hz, 238.854 rpm)\n"
                              "interpolated between the computed frequencies 20 and 40 rad/s\n"),
             qPrintable(table));
    QVERIFY2(table.contains(QRegularExpression("xx  horizontal +2\\.50000E\\+02 lb/ft +1\\.00000E\\+00 lb-s/ft +0\\.0500\n")),
             qPrintable(table));
    QVERIFY(table.contains(QRegularExpression("ww  vertical +-1\\.50000E\\+02 lb/ft +1\\.00000E\\+00 lb-s/ft +-\n")));
    QVERIFY(table.contains(QRegularExpression("yp  cross +-5\\.00000E\\+00 lb/rad +-1\\.00000E-01 lb-s/rad\n")));
    QVERIFY(SpringsDashpotsTable(SpringsDashpotsAt(data, 50.0), info).contains("outside the computed range"));
  }

  void noImpedanceRows() {
    TResultsData data;
    QVERIFY(ReadResults(kReference + "pile-group.tvp", data, nullptr));
    const TSpringsDashpots none = SpringsDashpotsAt(data, 100.0);
    QVERIFY(!none.ok);
    QVERIFY(none.error.contains("MATRIX"));
  }

  // A frequency typed in Hz as the exported file prints it takes that row.
  void hzAsExportedGivesTheRow() {
    TResultsData data;
    QVERIFY(ReadResults(kReference + "half-space.tvp", data, nullptr));
    const TResultsInfo info = DescribeProject(kExamples + "half-space.tvd");
    const QString row = ImpedanceCsv(data, info).split('\n').at(7);
    const TOperatingFrequency f = ParseOperatingFrequency(row.section(',', 0, 0) + " Hz");
    QVERIFY(f.ok);
    const TSpringsDashpots s = SpringsDashpotsAt(data, f.omega);
    QVERIFY(s.ok);
    QCOMPARE(s.below, s.above);
    QCOMPARE(static_cast<float>(s.stiffness[4]), data.stiffness[4][6]);
  }
};

QTEST_GUILESS_MAIN(ResultsExportTest)
#include "results_export_test.moc"
