// Engine inputs in layouts of their own open in the program: each bundled
// example, read by the engine's reader, becomes a project that the program
// saves in its layout and that runs to the same report as the input itself,
// except where the notes say what the program's windows cannot hold.
#include "gui/files/EngineImport.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include "tests/support/comma_locale.hpp"
#include "tests/support/engine_run.hpp"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace terva::gui;

namespace {

QByteArray Example(const QString& name) {
  QFile file(QStringLiteral(TERVA_EXAMPLES_DIR "/") + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool AnyNoteHas(const QStringList& notes, const QString& text) {
  for (const QString& note : notes)
    if (note.contains(text)) return true;
  return false;
}

}  // namespace

class EngineImportTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  TLoadResult Import(const QByteArray& text, TProjectTables& tables) {
    return ImportEngineInput(text, dir_.filePath(QStringLiteral("input.tvd")), tables);
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  // Every example opens through File > Open (the program's layout is tried
  // first); the program's text of it runs to the input's own report, dates
  // masked. Two examples use engine options the windows do not have: they
  // open with notes saying so.
  void examplesRunToTheSameReport_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("beyondTheWindows");  // a note's words, when the report differs
    const QDir examples(QStringLiteral(TERVA_EXAMPLES_DIR));
    for (const QString& name : examples.entryList({QStringLiteral("*.tvd")}, QDir::Files, QDir::Name)) {
      QString note;
      if (name == QStringLiteral("parabolic-pile.tvd")) note = QStringLiteral("The soil is PARABOLIC");
      if (name == QStringLiteral("pile-cap-embedded.tvd"))
        note = QStringLiteral("Side Weakened Soil Parameters, rows 1\u20132: the weakened zone's");
      QTest::newRow(qPrintable(name)) << name << note;
    }
  }

  void examplesRunToTheSameReport() {
    QFETCH(QString, name);
    QFETCH(QString, beyondTheWindows);
    const QString path = QStringLiteral(TERVA_EXAMPLES_DIR "/") + name;
    TProjectTables tables;
    const TLoadResult loaded = OpenProjectFile(path, tables);
    QVERIFY2(loaded.status == TLoadResult::kComplete, qPrintable(loaded.message));
    QVERIFY(loaded.imported);
    QCOMPARE(loaded.project->FileName, path);
    QVERIFY(!tables.Modified());
    const QByteArray written = ProjectFileText(*loaded.project, tables);
    const terva::test::EngineRun input = terva::test::RunEngine(Example(name).toStdString());
    const terva::test::EngineRun project = terva::test::RunEngine(written.toStdString());
    QCOMPARE(input.code, 0);
    QCOMPARE(project.code, 0);
    if (!beyondTheWindows.isEmpty()) {
      QVERIFY2(AnyNoteHas(loaded.notes, beyondTheWindows), qPrintable(loaded.notes.join(u'\n')));
      return;
    }
    QVERIFY2(!AnyNoteHas(loaded.notes, QStringLiteral("echo")), qPrintable(loaded.notes.join(u'\n')));
    QCOMPARE(QString::fromStdString(project.report), QString::fromStdString(input.report));
    QCOMPARE(QString::fromStdString(project.graphic), QString::fromStdString(input.graphic));

    // the program's own text opens as a project of its own layout, the same again
    QFile saved(dir_.filePath(name));
    QVERIFY(saved.open(QIODevice::WriteOnly));
    saved.write(written);
    saved.close();
    TProjectTables again;
    const TLoadResult reopened = OpenProjectFile(saved.fileName(), again);
    QVERIFY2(reopened.status == TLoadResult::kComplete, qPrintable(reopened.message));
    QVERIFY(!reopened.imported);
    QCOMPARE(ProjectFileText(*reopened.project, again), written);
  }

  // What the windows cannot hold is listed; what they can is not.
  void notesListWhatIsNotCarried() {
    QByteArray text = Example(QStringLiteral("random.tvd"));
    text.replace("TITLE\n", "NOECHO\nWIDE\nDIMENSIONLESS\nTITLE\n");
    // a cross-spectrum after the two of single directions
    QByteArray cross = "1, 3\n";
    for (int k = 0; k < 64; ++k) cross += "0.01\n";
    text.replace("RUN\n", "RUN\n");
    text.replace("126.0, 0.0, 64, 60.0, 2 ", "126.0, 0.0, 64, 60.0, 3 ");
    text.replace("RUN\n", cross + "RUN\nTITLE\nA SECOND PROBLEM\n");
    TProjectTables tables;
    const TLoadResult loaded = Import(text, tables);
    QVERIFY2(loaded.status == TLoadResult::kComplete, qPrintable(loaded.message));
    const QStringList& notes = loaded.notes;
    QVERIFY2(AnyNoteHas(notes, QStringLiteral("NOECHO is dropped")), qPrintable(notes.join(u'\n')));
    QVERIFY(AnyNoteHas(notes, QStringLiteral("WIDE is dropped")));
    QVERIFY(AnyNoteHas(notes, QStringLiteral("DIMENSIONLESS is dropped")));
    QVERIFY(AnyNoteHas(notes, QStringLiteral("The cross-spectrum at (1, 3) is dropped")));
    QVERIFY(AnyNoteHas(notes, QStringLiteral("The 2 line(s) after RUN are not kept.")));
    QVERIFY(AnyNoteHas(notes, QStringLiteral("The comments ($ \u2026) on 3 line(s) are not kept.")));
    QVERIFY(AnyNoteHas(notes, QStringLiteral("The gravity 9.81 is kept")));
    QCOMPARE(tables.Trandom()->RowCount(), 2);
    QCOMPARE(double(loaded.project->Gravity), 9.81);

    // the half-space example: only its comments are not carried
    TProjectTables plain;
    const TLoadResult half = Import(Example(QStringLiteral("half-space.tvd")), plain);
    QCOMPARE(half.notes, QStringList{QStringLiteral("The comments ($ \u2026) on 3 line(s) are not kept.")});
  }

  // The values as the input wrote them, in the project's units; the layout
  // of the input (one value a line, several keywords a line) does not matter.
  void valuesAsWritten() {
    const QByteArray text =
        "TITLE\nDISC\nGRAVITY=9.81\nFOUNDATION=STRATUM\nCIRCULAR=\n2.5\nMASS=80.0\n150\n150\n250\n0\n0\n0\n"
        "CONSTANTS=0.1, 0.2, 1.5, 0.5, 10.0\nSOIL\nCONSTANTS=180.0, 18.0, 0.35, 0.05\n"
        "LOAD=HARMONIC\nCONSTANTS=QUADRATIC\n314.0, 6.28, 3.14, 0.01, 0, 0, 0, 0, 0.02\nRUN\n";
    TProjectTables tables;
    const TLoadResult loaded = Import(text, tables);
    QVERIFY2(loaded.status == TLoadResult::kComplete, qPrintable(loaded.message));
    const TProgramData& d = *loaded.project;
    QCOMPARE(d.Foundation, QStringLiteral("STRATUM"));
    QCOMPARE(d.Units, 2);
    QCOMPARE(d.Title, QStringLiteral("DISC"));
    QCOMPARE(d.Circular, 1);
    QCOMPARE(double(d.Radius), 2.5);
    QCOMPARE(double(d.Xc), 0.1);  // 0.1 as written, not the single-precision 0.100000001
    QCOMPARE(double(d.Yc), 0.2);
    QCOMPARE(double(d.BedrockDepth), 10.0);
    QCOMPARE(double(d.BelowVs), 180.0);
    QCOMPARE(d.Quadratic, 1);
    QCOMPARE(double(d.FreqMax), double(314.0L / 6.28L));  // Hz, as the windows show it
    QCOMPARE(double(d.HarmonicLoads[0]), 0.01);
    QCOMPARE(double(d.HarmonicLoads[5]), 0.02);
    QCOMPARE(d.Matrix, 0);
  }

  // Under a comma-decimal locale the import gives the same project, to the
  // last digit of its file.
  void importIgnoresTheLocale() {
    terva::test::CommaLocales locales;
    if (locales.Missing()) QSKIP(qPrintable(QStringLiteral("skipped: ") + QString::fromStdString(locales.Why())));
    QVERIFY2(locales.Ready(), locales.Why().c_str());
    const QDir examples(QStringLiteral(TERVA_EXAMPLES_DIR));
    for (const QString& name : examples.entryList({QStringLiteral("*.tvd")}, QDir::Files, QDir::Name)) {
      TProjectTables c;
      const TLoadResult inC = Import(Example(name), c);
      QVERIFY2(inC.status == TLoadResult::kComplete, qPrintable(name));
      const QByteArray expected = ProjectFileText(*inC.project, c);
      terva::test::ScopedLocale de("de_DE.UTF-8");
      QVERIFY(de.Ok());
      QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
      TProjectTables comma;
      const TLoadResult inComma = Import(Example(name), comma);
      QVERIFY2(inComma.status == TLoadResult::kComplete, qPrintable(name));
      QCOMPARE(ProjectFileText(*inComma.project, comma), expected);
      QCOMPARE(inComma.notes, inC.notes);
      QLocale::setDefault(QLocale::c());
    }
  }

  // Inputs the engine would not run are not imported: the message names the
  // line, and the tables are as they were.
  void inputsTheEngineWouldNotRun_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("message");
    const QByteArray example = Example(QStringLiteral("stratum.tvd"));
    QTest::newRow("a word for a number") << QByteArray(example).replace("MASS=150.0, 400.0", "MASS=150.0, 4OO.0") << 6
                                         << QStringLiteral("ALPHANUMERIC ENCOUNTERED");
    QTest::newRow("no gravity") << QByteArray(example).replace("GRAVITY=9.81\n", "") << 0
                                << QStringLiteral("The input does not give the gravity.");
    QTest::newRow("no load") << example.left(example.indexOf("LOAD")) + "RUN\n" << 0
                             << QStringLiteral("The input does not give the load.");
    QTest::newRow("stop") << QByteArray(example).replace("RUN", "STOP") << 0
                          << QStringLiteral("The input stops at STOP before RUN.");
    QTest::newRow("text") << QByteArray("Dear colleague,\nplease find attached\n") << 0
                          << QStringLiteral("The input ends before RUN.");
  }

  void inputsTheEngineWouldNotRun() {
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, message);
    TProjectTables tables;
    auto kept = NewProject(tables);
    tables.D1()->Column(1)->SetReal(0, 650);
    const TLoadResult result = Import(text, tables);
    QCOMPARE(result.status, TLoadResult::kFailed);
    QVERIFY(result.project == nullptr);
    QVERIFY2(result.message.contains(message), qPrintable(result.message));
    if (line > 0) QCOMPARE(result.line, line);
    QCOMPARE(tables.D1()->Column(1)->GetReal(0), 650.0L);
  }
};

QTEST_MAIN(EngineImportTest)
#include "engine_import_test.moc"
