// Result curves read from graphic data files that the engine itself writes:
// the example projects are run through terva-batch in a temporary folder and
// their ".tvp" files read into the result plots.
#include "gui/model/Comparison.hpp"
#include "gui/model/PltData.hpp"
#include "gui/model/ResultsExport.hpp"
#include "gui/model/ResultsFile.hpp"
#include "support/MessageRecorder.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using terva::gui::TGraphPlot;
using terva::gui::TResultPlots;
using terva::gui::HzOf;
using terva::gui::ReadEngineResults;
using terva::gui::ResultsFileOf;
using terva::gui::TEngineResults;
using terva::gui::ApplyComparison;
using terva::gui::ReadComparison;
using terva::gui::RunKindOfInput;
using terva::gui::TComparison;
using terva::gui::TLine;
using terva::gui::TRunKind;

namespace {

constexpr int kHarmonic = 1, kTransient = 2, kRandom = 3;
constexpr int kEnglish = 1, kSI = 2;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
  return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) qFatal("cannot write %s", qPrintable(path));
}

// The words of line `index` (0-based) of a graphic data file, as numbers.
QList<double> Numbers(const QByteArray& file, int index) {
  QList<double> numbers;
  const QList<QByteArray> words = file.split('\n').at(index).simplified().split(' ');
  for (const QByteArray& word : words) numbers << word.toDouble();
  return numbers;
}

QStringList Names(const TGraphPlot& plot) {
  QStringList names;
  for (int i = 0; i < plot.LineCount(); ++i) names << plot.Line(i).Name;
  return names;
}

QList<int> PointCounts(const TGraphPlot& plot) {
  QList<int> counts;
  for (int i = 0; i < plot.LineCount(); ++i) counts << plot.Line(i).PointCount();
  return counts;
}

}  // namespace

// A value as the graphic data file prints it (E10.3, three digits 0.ddd;
// F7.2; 1PE11.4): within half a unit of its last printed digit.
bool Printed(double value, double printed) {
  return std::fabs(value - printed) <= std::max(5.0e-3 * std::fabs(printed), std::fabs(printed) >= 1.0 ? 5.0e-3 : 0.0);
}

class PltDataTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  QString Tvp(const QString& name) const { return dir_.filePath(name + QStringLiteral(".tvp")); }

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(dir_.isValid());
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/terva-batch");
    if (!QFile::exists(batch)) QSKIP("terva-batch is not built beside the tests");

    const QDir examples(QStringLiteral(TERVA_EXAMPLES_DIR));
    QStringList projects;
    for (const char* name : {"half-space", "stratum", "transient", "random"}) {
      const QString file = QString::fromLatin1(name) + QStringLiteral(".tvd");
      QVERIFY(QFile::copy(examples.filePath(file), dir_.filePath(file)));
      projects << dir_.filePath(file);
    }
    // The half-space footing again from 62.8 rad/s, a frequency whose Hz
    // value the report and the plots round differently.
    QByteArray halfSpace = ReadAll(dir_.filePath(QStringLiteral("half-space.tvd")));
    QVERIFY(halfSpace.contains("300.0, 10.0, 10.0"));
    halfSpace.replace("300.0, 10.0, 10.0", "100.0, 62.8, 10.0");
    WriteAll(dir_.filePath(QStringLiteral("from-62.tvd")), halfSpace);
    projects << dir_.filePath(QStringLiteral("from-62.tvd"));

    QProcess process;
    process.setWorkingDirectory(dir_.path());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(batch, projects);
    QVERIFY(process.waitForFinished(240000));
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             process.readAll().constData());
    for (const QString& project : projects) QVERIFY(QFile::exists(QString(project).replace(".tvd", ".tvp")));
  }

  // MATRIX on, harmonic, English units: the constants merged by three, the
  // cross terms alone, the responses by three, and every value where the
  // file has it.
  void matrixAndHarmonic() {
    const QByteArray file = ReadAll(Tvp(QStringLiteral("half-space")));
    TResultPlots plots;
    QString error;
    QVERIFY(plots.ReadResultCurves(Tvp(QStringLiteral("half-space")), false, true, kHarmonic, kEnglish, &error));
    QVERIFY(error.isEmpty());

    const int n = 30;
    QCOMPARE(Names(plots.pltRealKXX), (QStringList{"Kxx", "Kyy", "Kww"}));
    QCOMPARE(Names(plots.pltRealKPPX), (QStringList{"Kppx", "Kppy", "Kzt"}));
    QCOMPARE(Names(plots.pltDampCXX), (QStringList{"Cxx", "Cyy", "Cww"}));
    QCOMPARE(Names(plots.pltDampCPPX), (QStringList{"Cppx", "Cppy", "Czt"}));
    QCOMPARE(Names(plots.pltDxyzR), (QStringList{"X-Dir.", "Y-Dir.", "Z-Dir."}));
    QCOMPARE(Names(plots.pltMxyzR), (QStringList{"About X-Dir.", "About Y-Dir.", "About Z-Dir"}));
    for (TGraphPlot* plot : {&plots.pltRealKXX, &plots.pltRealKPPX, &plots.pltDampCXX, &plots.pltDampCPPX,
                             &plots.pltDxyzR, &plots.pltMxyzR})
      QCOMPARE(PointCounts(*plot), (QList<int>{n, n, n}));
    for (TGraphPlot* plot : {&plots.pltRealKXP, &plots.pltRealKYP, &plots.pltDampCXP, &plots.pltDampCYP})
      QCOMPARE(PointCounts(*plot), QList<int>{n});
    for (TGraphPlot* plot : plots.All()) QCOMPARE(plot->Units(), kEnglish);

    // Stiffness line 2 + 2j, damping line 3 + 2j, response line 2 + 2n + j.
    const TGraphPlot* stiffness[] = {&plots.pltRealKXX, &plots.pltRealKXX, &plots.pltRealKXX, &plots.pltRealKPPX,
                                     &plots.pltRealKPPX, &plots.pltRealKPPX, &plots.pltRealKXP, &plots.pltRealKYP};
    const TGraphPlot* damping[] = {&plots.pltDampCXX, &plots.pltDampCXX, &plots.pltDampCXX, &plots.pltDampCPPX,
                                   &plots.pltDampCPPX, &plots.pltDampCPPX, &plots.pltDampCXP, &plots.pltDampCYP};
    const int lineOf[] = {0, 1, 2, 0, 1, 2, 0, 0};
    TEngineResults full;
    QVERIFY(ReadEngineResults(ResultsFileOf(Tvp(QStringLiteral("half-space"))), full));
    QVERIFY(plots.fullPrecision);
    QVERIFY(plots.HasPhases());
    for (int j : {0, 1, n - 1}) {
      const QList<double> k = Numbers(file, 1 + 2 * j);
      const QList<double> c = Numbers(file, 2 + 2 * j);
      const QList<double> r = Numbers(file, 1 + 2 * n + j);
      QCOMPARE(k.size(), 9);
      QCOMPARE(r.size(), 7);
      for (int v = 0; v < 8; ++v) {
        const auto& kp = stiffness[v]->Line(lineOf[v]).Points.at(j);
        const auto& cp = damping[v]->Line(lineOf[v]).Points.at(j);
        // the results file's numbers, which the graphic data file prints to four digits
        QCOMPARE(double(kp.X), double(HzOf(full.omega[j])));
        QCOMPARE(float(kp.Y), full.stiffness[v][j]);
        QVERIFY(Printed(double(kp.Y), k[v + 1]));
        QCOMPARE(double(cp.X), double(HzOf(full.omega[j])));
        QCOMPARE(float(cp.Y), full.damping[v][j]);
        QVERIFY(Printed(double(cp.Y), c[v + 1]));
      }
      for (int v = 0; v < 6; ++v) {
        const auto& point = (v < 3 ? plots.pltDxyzR : plots.pltMxyzR).Line(v % 3).Points.at(j);
        QCOMPARE(double(point.X), double(HzOf(full.omega[j])));
        QCOMPARE(float(point.Y), full.amplitude[v][j]);
        QCOMPARE(float(point.Y), std::abs(plots.motion[v][j]));
        QVERIFY(Printed(double(point.Y), r[v + 1]));
      }
    }
    // The rocking damping is written as an absolute value; the cross-term
    // damping keeps its sign.
    bool negativeCross = false;
    for (int line = 0; line < 2; ++line)
      for (const auto& point : plots.pltDampCPPX.Line(line).Points) QVERIFY(point.Y >= 0);
    for (const auto& point : plots.pltDampCYP.Line(0).Points) negativeCross |= point.Y < 0;
    QVERIFY(negativeCross);
  }

  // ω = 62.8 rad/s is plotted at 10.00 Hz, as the report prints it: one rule
  // for Hz everywhere.
  void frequencyInHertz() {
    TResultPlots plots;
    QVERIFY(plots.ReadResultCurves(Tvp(QStringLiteral("from-62")), false, true, kHarmonic, kEnglish));
    for (const TGraphPlot* plot : {&plots.pltRealKXX, &plots.pltDampCPPX, &plots.pltDxyzR}) {
      const long double x = plot->Line(0).Points.at(0).X;
      QCOMPARE(QString::number(double(x), 'f', 2), QStringLiteral("10.00"));
    }
  }

  // Without its results file, or beside a results file of another run, the
  // graphic data file's own numbers are shown, and no phases.
  void graphicDataAlone() {
    const QString tvp = Tvp(QStringLiteral("half-space"));
    const QByteArray file = ReadAll(tvp);
    const QList<double> k = Numbers(file, 1);
    const QString results = ResultsFileOf(tvp);
    const QByteArray saved = ReadAll(results);
    for (const char* other : {"", "stratum", "from-62"}) {
      QFile::remove(results);
      if (*other) QVERIFY(QFile::copy(ResultsFileOf(Tvp(QLatin1String(other))), results));
      TResultPlots plots;
      QVERIFY(plots.ReadResultCurves(tvp, false, true, kHarmonic, kEnglish));
      QVERIFY2(!plots.fullPrecision, other);
      QVERIFY(!plots.HasPhases());
      QCOMPARE(double(plots.pltRealKXX.Line(0).Points.at(0).Y), k[1]);
      QCOMPARE(double(plots.pltRealKXX.Line(0).Points.at(0).X), double(HzOf(float(k[0]))));
    }
    WriteAll(results, saved);
  }

  // Runs without the constants: a harmonic run has its responses right after
  // the count; transient and random runs have nothing but the count. Each
  // read first clears what an earlier read left.
  void withoutMatrix_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("loadType");
    QTest::addColumn<int>("responsePoints");
    QTest::newRow("harmonic") << "stratum" << kHarmonic << 40;
    QTest::newRow("transient") << "transient" << kTransient << 0;
    QTest::newRow("random") << "random" << kRandom << 0;
  }
  void withoutMatrix() {
    QFETCH(QString, name);
    QFETCH(int, loadType);
    QFETCH(int, responsePoints);
    TResultPlots plots;
    QVERIFY(plots.ReadResultCurves(Tvp(QStringLiteral("half-space")), false, true, kHarmonic, kEnglish));
    QVERIFY(plots.ReadResultCurves(Tvp(name), false, false, loadType, kSI));
    for (TGraphPlot* plot : plots.All()) {
      if (plot == &plots.pltDxyzR || plot == &plots.pltMxyzR) {
        const int m = responsePoints;
        QCOMPARE(PointCounts(*plot), (QList<int>{m, m, m}));
      } else {
        QCOMPARE(PointCounts(*plot), QList<int>{0});
      }
      QCOMPARE(plot->Units(), kSI);
    }
    if (responsePoints > 0) {
      const QList<double> first = Numbers(ReadAll(Tvp(name)), 1);
      QVERIFY(Printed(double(plots.pltMxyzR.Line(0).Points.at(0).Y), first[4]));
      QVERIFY(Printed(double(plots.pltDxyzR.Line(1).Points.at(0).X), double(HzOf(float(first[0])))));
    }
  }

  // A count of 1 or less: success with empty plots, whatever follows.
  void singleFrequency() {
    const QByteArray file = ReadAll(Tvp(QStringLiteral("half-space")));
    QList<QByteArray> lines = file.split('\n');
    lines[0] = "           1";
    const QString path = dir_.filePath(QStringLiteral("single.tvp"));
    WriteAll(path, lines.mid(0, 3).join('\n') + '\n' + lines.at(61) + '\n');
    TResultPlots plots;
    QVERIFY(plots.ReadResultCurves(path, false, true, kHarmonic, kEnglish));
    QCOMPARE(PointCounts(plots.pltRealKXX), QList<int>{0});
    QCOMPARE(PointCounts(plots.pltDxyzR), (QList<int>{0, 0, 0}));
  }

  // Damaged files fail with the reader's message and keep the records read
  // completely before the fault. Lines counted from 0 in the half-space
  // file: 1 + 2j stiffness, 2 + 2j damping, 61 + j responses.
  void damaged_data() {
    QTest::addColumn<int>("line");      // line to damage
    QTest::addColumn<int>("word");      // word to replace by "abc"; -1 cuts the file before the line
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("stiffness");  // points of the KXX line
    QTest::addColumn<int>("damping");    // points of the CXX line
    QTest::addColumn<int>("merged");     // lines of the KXX plot
    QTest::addColumn<int>("responses");  // points of each response line
    const QString noFloat = QStringLiteral("A floating point number was expected but not found.");
    QTest::newRow("count") << 0 << 0 << "Error on Line 1 Item 1\rAn integer was expected but not found." << 0 << 0
                           << 1 << 0;
    QTest::newRow("damping of point 3") << 6 << 3 << "Error on Line 7 Item 4\r" + noFloat << 3 << 2 << 1 << 0;
    QTest::newRow("frequency of point 2") << 3 << 0 << "Error on Line 4 Item 1\r" + noFloat << 1 << 1 << 1 << 0;
    QTest::newRow("response of point 5") << 65 << 6 << "Error on Line 66 Item 7\r" + noFloat << 30 << 30 << 3 << 4;
    QTest::newRow("cut after 10 responses") << 71 << -1 << "This file either invalid or incomplete." << 30 << 30
                                            << 3 << 10;
    QTest::newRow("cut inside the constants") << 20 << -1 << "This file either invalid or incomplete." << 10 << 9
                                              << 1 << 0;
  }
  void damaged() {
    QFETCH(int, line);
    QFETCH(int, word);
    QFETCH(QString, error);
    QFETCH(int, stiffness);
    QFETCH(int, damping);
    QFETCH(int, merged);
    QFETCH(int, responses);
    QList<QByteArray> lines = ReadAll(Tvp(QStringLiteral("half-space"))).split('\n');
    if (word < 0) {
      lines = lines.mid(0, line);
    } else {
      QList<QByteArray> words = lines[line].simplified().split(' ');
      words[word] = "abc";
      lines[line] = "  " + words.join("  ");
    }
    const QString path = dir_.filePath(QStringLiteral("damaged.tvp"));
    WriteAll(path, lines.join('\n') + '\n');

    TResultPlots plots;
    QString message;
    QVERIFY(!plots.ReadResultCurves(path, false, true, kHarmonic, kSI, &message));
    QCOMPARE(message, error);
    QCOMPARE(plots.pltRealKXX.LineCount(), merged);
    QCOMPARE(plots.pltRealKXX.Line(0).PointCount(), stiffness);
    QCOMPARE(plots.pltRealKYP.Line(0).PointCount(), stiffness);
    QCOMPARE(plots.pltDampCXX.Line(0).PointCount(), damping);
    QCOMPARE(plots.pltDampCYP.Line(0).PointCount(), damping);
    QCOMPARE(PointCounts(plots.pltDxyzR), (QList<int>{responses, responses, responses}));
    QCOMPARE(PointCounts(plots.pltMxyzR), (QList<int>{responses, responses, responses}));
    // Units stay as they were: the read did not finish.
    QCOMPARE(plots.pltRealKXX.Units(), kEnglish);
  }

  void missingFile() {
    TResultPlots plots;
    QString message;
    QVERIFY(!plots.ReadResultCurves(dir_.filePath(QStringLiteral("none.tvp")), false, true, kHarmonic, kSI, &message));
    QVERIFY(!message.isEmpty());
    QCOMPARE(plots.pltDxyzR.LineCount(), 3);
  }

  // Shown errors go to the message sink, once, with the reader's text.
  void shownErrorGoesToTheMessageSink() {
    terva::gui::test::TMessageRecorder recorder;
    TResultPlots plots;
    QString message;
    QVERIFY(!plots.ReadResultCurves(dir_.filePath(QStringLiteral("none.tvp")), true, true, kHarmonic, kSI, &message));
    QCOMPARE(recorder.texts, QStringList{message});
    QVERIFY(plots.ReadResultCurves(Tvp(QStringLiteral("half-space")), true, true, kHarmonic, kEnglish));
    QCOMPARE(recorder.texts.size(), 1);
  }

  // Names shown for lines: own name, default name, then CurveName + number;
  // the unit system is kept within 1..3.
  void displayNamesAndUnits() {
    TGraphPlot plot;
    plot.Reset(3);
    plot.SetDefaultNames({QStringLiteral("First")});
    plot.Line(1).Name = QStringLiteral("Own");
    QCOMPARE(plot.DisplayName(0), QStringLiteral("First"));
    QCOMPARE(plot.DisplayName(1), QStringLiteral("Own"));
    QCOMPARE(plot.DisplayName(2), QStringLiteral("Curve #3"));
    plot.SetUnits(7);
    QCOMPARE(plot.Units(), 3);
    plot.SetUnits(0);
    QCOMPARE(plot.Units(), 1);
    TResultPlots plots;
    plots.pltRealKXX.SetUnits(kSI);
    QCOMPARE(plots.pltRealKXX.YAxisTitle(), QStringLiteral("Translational Stiffness (kN/m)"));
    QCOMPARE(plots.pltDampCXX.XAxisTitle(), QStringLiteral("Frequencies (Hz)"));
  }
  // The run kind of an engine input: MATRIX, LOAD= and GRAVITY=, keywords
  // known by their first four letters, comments skipped.
  void runKindOfInput() {
    const QDir examples(QStringLiteral(TERVA_EXAMPLES_DIR));
    TRunKind kind;
    QVERIFY(RunKindOfInput(ReadAll(examples.filePath(QStringLiteral("half-space.tvd"))), kind));
    QVERIFY(kind.Matrix);
    QCOMPARE(kind.LoadType, kHarmonic);
    QCOMPARE(kind.Units, kEnglish);
    QVERIFY(RunKindOfInput(ReadAll(examples.filePath(QStringLiteral("transient.tvd"))), kind));
    QCOMPARE(kind.LoadType, kTransient);
    QCOMPARE(kind.Units, kSI);
    QVERIFY(RunKindOfInput("TITLE\nA $ MATRIX in a comment\nGRAV 9.8\nLOAD=RANDOM\n", kind));
    QVERIFY(!kind.Matrix);
    QCOMPARE(kind.LoadType, kRandom);
    QVERIFY(!RunKindOfInput("TITLE\nNO LOAD GIVEN\n", kind));
  }

  // Another project's curves beside the open one's, each named with its
  // project's file name, and taken out again.
  void comparison() {
    TResultPlots plots;
    QVERIFY(plots.ReadResultCurves(Tvp(QStringLiteral("half-space")), false, true, kHarmonic, kEnglish));
    TComparison other;
    QString error;
    QVERIFY2(ReadComparison(dir_.filePath(QStringLiteral("from-62.tvd")), kEnglish, other, &error), qPrintable(error));
    QCOMPARE(other.Name, QStringLiteral("from-62.tvd"));
    QVERIFY(other.Plots->fullPrecision);
    ApplyComparison(plots, other, QStringLiteral("half-space.tvd"), true);
    QCOMPARE(plots.pltRealKXX.LineCount(), 6);
    QCOMPARE(plots.pltRealKXX.DisplayName(0), QStringLiteral("Kxx (half-space.tvd)"));
    QCOMPARE(plots.pltRealKXX.DisplayName(3), QStringLiteral("Kxx (from-62.tvd)"));
    QCOMPARE(plots.pltDxyzR.DisplayName(5), QStringLiteral("Z-Dir. (from-62.tvd)"));
    // The compared curve is the other project's, point for point.
    const TLine& compared = plots.pltRealKXX.Line(3);
    const TLine& source = other.Plots->pltRealKXX.Line(0);
    QCOMPARE(compared.PointCount(), source.PointCount());
    QVERIFY(compared.PointCount() != plots.pltRealKXX.Line(0).PointCount());
    for (int k = 0; k < compared.PointCount(); ++k) QCOMPARE(compared.Points[k].Y, source.Points[k].Y);
    // The open project's curves keep their points.
    QCOMPARE(plots.pltRealKXX.Line(0).PointCount(), 30);
    ApplyComparison(plots, other, QString(), false);
    QCOMPARE(plots.pltRealKXX.LineCount(), 3);
    QCOMPARE(plots.pltRealKXX.DisplayName(0), QStringLiteral("Kxx"));
  }

  // A comparison read from the graphic data file or the results file alone
  // (no project file beside them) learns the run's kind from the results
  // file; a project in the other unit system or without results is refused.
  void comparisonSources() {
    QTemporaryDir other;
    for (const char* ext : {".tvp", ".tvj"})
      QVERIFY(QFile::copy(dir_.filePath(QStringLiteral("from-62") + QLatin1String(ext)),
                          other.filePath(QStringLiteral("alone") + QLatin1String(ext))));
    for (const char* chosen : {"alone.tvp", "alone.tvj"}) {
      TComparison c;
      QString error;
      QVERIFY2(ReadComparison(other.filePath(QLatin1String(chosen)), kEnglish, c, &error), qPrintable(error));
      QVERIFY(c.Kind.Matrix);
      QCOMPARE(c.Kind.LoadType, kHarmonic);
      QCOMPARE(c.Kind.Units, kEnglish);
      QCOMPARE(c.Plots->pltRealKXX.LineCount(), 3);
      QCOMPARE(c.Plots->pltDxyzR.Line(0).PointCount(), c.Plots->pltRealKXX.Line(0).PointCount());
    }
    TComparison c;
    QString error;
    QVERIFY(!ReadComparison(dir_.filePath(QStringLiteral("stratum.tvd")), kEnglish, c, &error));
    QVERIFY2(error.contains(QStringLiteral("SI units")), qPrintable(error));
    QVERIFY(!c.Plots);
    WriteAll(other.filePath(QStringLiteral("never-run.tvd")), ReadAll(dir_.filePath(QStringLiteral("stratum.tvd"))));
    QVERIFY(!ReadComparison(other.filePath(QStringLiteral("never-run.tvd")), kSI, c, &error));
    QVERIFY2(error.contains(QStringLiteral("never-run.tvp is missing")), qPrintable(error));
  }
};

QTEST_GUILESS_MAIN(PltDataTest)
#include "pltdata_test.moc"
