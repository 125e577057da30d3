// The engine runner: the user's previous results survive every run that
// does not end with a complete report, the engine sees only its private
// working folder, and long paths work. Engines here are small stand-ins
// that follow the engine's file contract; the real library runs in the main
// window's tests.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdint>

#include "gui/core/EngineRunner.hpp"

using namespace terva::gui;

namespace {

QStringList namesSeen;  // the lines of names.dat the last stand-in read
QString folderSeen;     // its current folder

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

void ReadNames() {
  folderSeen = QDir::currentPath();
  namesSeen = QString::fromLocal8Bit(ReadAll(QStringLiteral("names.dat"))).split('\n', Qt::SkipEmptyParts);
}

// Writes a report and a graphic data file that quote the input's first line.
std::int32_t Analyses(std::int32_t argument) {
  if (argument != 13) return 1;
  ReadNames();
  const QByteArray input = ReadAll(namesSeen.value(0)).split('\n').value(0);
  Write(namesSeen.value(1), "REPORT OF " + input + "\n");
  Write(namesSeen.value(2), "GRAPHIC OF " + input + "\n");
  return 0;
}

// Analyses, and writes the results file the seventh line names.
std::int32_t AnalysesWithResultsFile(std::int32_t argument) {
  const std::int32_t code = Analyses(argument);
  Write(namesSeen.value(6), "RESULTS\n");
  return code;
}

// Analyses, but not at two frequencies.
std::int32_t AnalysesWithErrors(std::int32_t) {
  ReadNames();
  Write(namesSeen.value(1), "REPORT\n ERROR ENCOUNTERED IN LEQ2C SUBROUTINE\n\n"
                            " *** ANALYSIS COMPLETED WITH ERRORS AT 2 FREQUENCIES ***\n");
  Write(namesSeen.value(2), "GRAPHIC\n");
  return 0;
}

// Leaves the report empty, as an engine that could not write it does.
std::int32_t WritesNothing(std::int32_t) {
  ReadNames();
  Write(namesSeen.value(1), "");
  return 3;
}

}  // namespace

class EngineRunnerTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Runs() const { return Path("runs"); }

  // A project with old results beside it.
  QString ProjectWithResults(const QString& folder, const QString& name) {
    QDir().mkpath(folder);
    const QString project = QDir(folder).filePath(name + ".tvd");
    Write(project, "TITLE=" + name.toLatin1() + "\nRUN\n");
    Write(QDir(folder).filePath(name + ".tvo"), "old report");
    Write(QDir(folder).filePath(name + ".tvp"), "old graphic");
    return project;
  }

  void ExpectOldResults(const QString& project) {
    QCOMPARE(ReadAll(WithExtension(project, ".tvo")), QByteArray("old report"));
    QCOMPARE(ReadAll(WithExtension(project, ".tvp")), QByteArray("old graphic"));
  }

  void ExpectNoWorkingFolders() {
    QCOMPARE(QDir(Runs()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void deliversBesideTheProjectThroughAPrivateFolder() {
    const QString project = ProjectWithResults(Path("a"), "plant");
    const TRunResult result = TEngineRunner(&Analyses, Runs()).Run(project);
    QVERIFY2(result.Delivered(), qPrintable(result.message));
    QCOMPARE(result.code, 0);
    QCOMPARE(ReadAll(Path("a/plant.tvo")), QByteArray("REPORT OF TITLE=plant\n"));
    QCOMPARE(ReadAll(Path("a/plant.tvp")), QByteArray("GRAPHIC OF TITLE=plant\n"));
    // The engine saw seven names, all inside its own folder under the runs
    // root; the last is the results file, which this engine does not write.
    QCOMPARE(namesSeen.size(), 7);
    QCOMPARE(QFileInfo(namesSeen[6]).fileName(), QStringLiteral("output.tvj"));
    QVERIFY(folderSeen.startsWith(Runs()));
    for (const QString& name : namesSeen) QVERIFY2(name.startsWith(folderSeen + "/"), qPrintable(name));
    QCOMPARE(QFileInfo(namesSeen[0]).fileName(), QStringLiteral("input.tvd"));
    ExpectNoWorkingFolders();
    QVERIFY(!QFile::exists(Path("a/names.dat")));
    QCOMPARE(QDir(Path("a")).entryList(QDir::Files).size(), 3);  // no temporary files left
  }

  // The results file goes with the report: delivered when the engine wrote
  // it, and an old one removed when it did not (it would belong to an
  // earlier report); a run that delivers nothing keeps the old one.
  void resultsFileGoesWithTheReport() {
    const QString project = ProjectWithResults(Path("r"), "plant");
    const QString results = WithExtension(project, ".tvj");
    Write(results, "old results");
    QVERIFY(!TEngineRunner(&WritesNothing, Runs()).Run(project).Delivered());
    QCOMPARE(ReadAll(results), QByteArray("old results"));
    ExpectOldResults(project);

    TRunResult result = TEngineRunner(&AnalysesWithResultsFile, Runs()).Run(project);
    QVERIFY2(result.Delivered(), qPrintable(result.message));
    QCOMPARE(ReadAll(results), QByteArray("RESULTS\n"));

    result = TEngineRunner(&Analyses, Runs()).Run(project);
    QVERIFY2(result.Delivered(), qPrintable(result.message));
    QVERIFY(!QFile::exists(results));
    ExpectNoWorkingFolders();

    // a read-only results file is never replaced, and the run is refused whole
    Write(results, "kept");
    QVERIFY(QFile::setPermissions(results, QFileDevice::ReadOwner | QFileDevice::ReadUser));
    result = TEngineRunner(&AnalysesWithResultsFile, Runs()).Run(project);
    QVERIFY(!result.Delivered());
    QCOMPARE(ReadAll(results), QByteArray("kept"));
    QVERIFY(QFile::setPermissions(results, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(TEngineRunner::ResultConflict(WithExtension(project, ".tvj")).contains("overwrite the project itself"));
  }

  void errorFrequenciesAreCounted() {
    const QString project = ProjectWithResults(Path("g"), "plant");
    const TRunResult result = TEngineRunner(&AnalysesWithErrors, Runs()).Run(project);
    QVERIFY(result.Delivered());
    QCOMPARE(result.code, 0);
    QCOMPARE(result.errorFrequencies, 2);
    QCOMPARE(TEngineRunner(&Analyses, Runs()).Run(project).errorFrequencies, 0);
  }

  void noReportKeepsTheOldResults() {
    const QString project = ProjectWithResults(Path("b"), "plant");
    const TRunResult result = TEngineRunner(&WritesNothing, Runs()).Run(project);
    QCOMPARE(result.status, TRunResult::kNoResults);
    ExpectOldResults(project);
    ExpectNoWorkingFolders();
  }

  void missingLibraryKeepsTheOldResults() {
    const QString project = ProjectWithResults(Path("c"), "plant");
    const TRunResult result = TEngineRunner(Path("no-such-engine.so"), Runs()).Run(project);
    QCOMPARE(result.status, TRunResult::kNotRun);
    QCOMPARE(result.message, TEngineRunner::kInitFailed);
    ExpectOldResults(project);
    ExpectNoWorkingFolders();
  }

  void readOnlyReportIsNotReplaced() {
    const QString project = ProjectWithResults(Path("d"), "plant");
    QFile::setPermissions(Path("d/plant.tvo"), QFile::ReadOwner);
    const TRunResult result = TEngineRunner(&Analyses, Runs()).Run(project);
    QCOMPARE(result.status, TRunResult::kNotRun);
    QVERIFY(result.message.contains("read-only"));
    ExpectOldResults(project);
  }

  void resultsThatWouldOverwriteTheProjectAreRefused() {
    QDir().mkpath(Path("e"));
    Write(Path("e/x.tvo"), "a report, not a project");
    Write(Path("e/x.tvp"), "graphic");
    for (const char* name : {"e/x.tvo", "e/x.tvp"}) {
      const TRunResult result = TEngineRunner(&Analyses, Runs()).Run(Path(name));
      QCOMPARE(result.status, TRunResult::kNotRun);
      QVERIFY(result.message.contains("overwrite the project"));
    }
    QCOMPARE(ReadAll(Path("e/x.tvo")), QByteArray("a report, not a project"));
    QCOMPARE(ReadAll(Path("e/x.tvp")), QByteArray("graphic"));
    QVERIFY(TEngineRunner::ResultConflict(Path("e/x.tvd")).isEmpty());
  }

  void pathsOfAnyLength() {
    QString folder = Path("long");
    while (folder.size() < 400) folder += "/a-rather-long-folder-name";
    const QString project = ProjectWithResults(folder, "plant-with-a-long-name");
    QVERIFY(project.size() > 400);
    const TRunResult result = TEngineRunner(&Analyses, Runs()).Run(project);
    QVERIFY2(result.Delivered(), qPrintable(result.message));
    QVERIFY(ReadAll(WithExtension(project, ".tvo")).startsWith("REPORT OF"));
  }

  void oneRunAtATime() {
    const QString project = ProjectWithResults(Path("f"), "plant");
    const TEngineRunner runner(&Analyses, Runs());
    TEngineSession first(runner, project);
    QVERIFY(first.Prepare());
    QVERIFY(TEngineRunner::Busy());
    const TRunResult second = runner.Run(project);
    QCOMPARE(second.status, TRunResult::kNotRun);
    QCOMPARE(second.message, TEngineRunner::kReinitialize);
    first.Call();
    QVERIFY(first.Deliver().Delivered());
  }

  void missingProject() {
    const TRunResult result = TEngineRunner(&Analyses, Runs()).Run(Path("nothing.tvd"));
    QCOMPARE(result.status, TRunResult::kNotRun);
    QVERIFY(result.message.contains("no such project file"));
    QVERIFY(!QFile::exists(Path("nothing.tvo")));
  }
};

QTEST_GUILESS_MAIN(EngineRunnerTest)
#include "engine_runner_test.moc"
