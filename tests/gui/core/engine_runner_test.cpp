// The engine runner: the user's previous results survive every run that
// does not end with a complete report, the engine sees only its private
// working folder, and long paths work. Engines here are small stand-ins
// that follow the engine's file contract; the real library runs in the main
// window's tests.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <utime.h>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

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

void ReplaceFileForTest(const QString& from, const QString& to) {
  QVERIFY(std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0);
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

// Refuses the input, as the engine does with a fatal input error.
std::int32_t RefusesTheInput(std::int32_t) {
  ReadNames();
  Write(namesSeen.value(1), " ECHO OF THE INPUT\n *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"FOUNDATON\"\n"
                            "   WHERE A NUMBER WAS EXPECTED\n\n *** FATAL ERROR IN INPUT DATA ***\n"
                            " *** EXECUTION TERMINATED ***\n");
  Write(namesSeen.value(2), "");
  return 3;
}

// Stops at STOP, before any analysis.
std::int32_t Stops(std::int32_t) {
  ReadNames();
  Write(namesSeen.value(1), " *** RUN TERMINATED BY 'STOP' KEYWORD ***\n");
  return 2;
}

// Runs the analysis, but it fails at both of its two frequencies.
std::int32_t FailsEverywhere(std::int32_t) {
  ReadNames();
  Write(namesSeen.value(1), "REPORT\n *** PILE GROUP FLEXIBILITY IS SINGULAR AT 1 ***\n"
                            " *** ANALYSIS COMPLETED WITH ERRORS AT 2 FREQUENCIES ***\n");
  Write(namesSeen.value(2), "           2\n");
  return 0;
}

// Leaves the report empty, as an engine that could not write it does.
std::int32_t WritesNothing(std::int32_t) {
  ReadNames();
  Write(namesSeen.value(1), "");
  return 3;
}

// The run in a folder (terva_run): the folder it was given, and what the
// session's progress said while it ran.
QString runFolderSeen;
int progressSeen[2] = {-1, -1};
const TEngineSession* runningSession = nullptr;

std::int32_t AnalysesInTheFolder(const char* folder, void (*progress)(int, int, void*), void* user) {
  runFolderSeen = QFile::decodeName(folder);
  folderSeen = QDir::currentPath();
  const QByteArray names = ReadAll(QDir(runFolderSeen).filePath("names.dat"));
  namesSeen = QString::fromLocal8Bit(names).split('\n', Qt::SkipEmptyParts);
  progress(0, 5, user);
  progress(2, 5, user);
  if (runningSession) runningSession->Progress(&progressSeen[0], &progressSeen[1]);
  progress(0, 0, user);
  const QByteArray input = ReadAll(namesSeen.value(0)).split('\n').value(0);
  Write(namesSeen.value(1), "REPORT OF " + input + "\n");
  Write(namesSeen.value(2), "GRAPHIC OF " + input + "\n");
  return 0;
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

  // A run that gives no results leaves the whole set byte for byte; its
  // report goes to ".failed.tvo", with its first error lines at hand, and
  // the next complete run removes it.
  void runsWithoutResultsKeepThePreviousSet() {
    const QString project = ProjectWithResults(Path("h"), "plant");
    const QString results = WithExtension(project, ".tvj");
    const QString failed = WithExtension(project, ".failed.tvo");
    Write(results, "old results");

    TRunResult result = TEngineRunner(&RefusesTheInput, Runs()).Run(project);
    QCOMPARE(result.status, TRunResult::kNoResults);
    QCOMPARE(result.code, 3);
    QCOMPARE(result.report, failed);
    QVERIFY(ReadAll(failed).contains("FATAL ERROR IN INPUT DATA"));
    QCOMPARE(result.errorLines.value(0), QStringLiteral("*** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"FOUNDATON\""));
    QCOMPARE(result.errorLines.value(1), QStringLiteral("WHERE A NUMBER WAS EXPECTED"));  // the line it continues on
    QCOMPARE(result.errorLines.value(2), QStringLiteral("*** FATAL ERROR IN INPUT DATA ***"));
    ExpectOldResults(project);
    QCOMPARE(ReadAll(results), QByteArray("old results"));

    result = TEngineRunner(&Stops, Runs()).Run(project);
    QCOMPARE(result.status, TRunResult::kNoResults);
    QCOMPARE(result.code, 2);
    QVERIFY(ReadAll(failed).contains("'STOP' KEYWORD"));
    ExpectOldResults(project);

    result = TEngineRunner(&FailsEverywhere, Runs()).Run(project);
    QCOMPARE(result.status, TRunResult::kNoResults);
    QCOMPARE(result.code, 0);
    QCOMPARE(result.frequencies, 2);
    QCOMPARE(result.errorFrequencies, 2);
    ExpectOldResults(project);
    QCOMPARE(ReadAll(results), QByteArray("old results"));

    result = TEngineRunner(&Analyses, Runs()).Run(project);
    QVERIFY2(result.Delivered(), qPrintable(result.message));
    QCOMPARE(result.report, WithExtension(project, ".tvo"));
    QVERIFY(!QFile::exists(failed));
    QVERIFY(!QFile::exists(results));
    QCOMPARE(QDir(Path("h")).entryList(QDir::Files).size(), 3);  // no staging, journal or lock left
    ExpectNoWorkingFolders();
  }

  // A kill after the journal was written: the next reader or run completes
  // the set. A kill before it: the staged files go and the old set stays.
  void anInterruptedDeliveryIsCompletedOrUndone() {
    const QString project = ProjectWithResults(Path("j"), "plant");
    const TRunFiles files = TRunFiles::Beside(project);
    Write(files.results, "old results");
    Write(TRunFiles::Staged(files.report), "new report");
    Write(TRunFiles::Staged(files.graphic), "new graphic");
    Write(files.journal, "report\ngraphic\n");
    ReplaceFileForTest(TRunFiles::Staged(files.report), files.report);  // killed after the first rename
    QVERIFY(RecoverDelivery(files));
    QCOMPARE(ReadAll(files.report), QByteArray("new report"));
    QCOMPARE(ReadAll(files.graphic), QByteArray("new graphic"));
    QVERIFY(!QFile::exists(files.results));  // not in the new set
    QVERIFY(!QFile::exists(files.journal));

    Write(TRunFiles::Staged(files.report), "half a report");
    QVERIFY(RecoverDelivery(files));
    QVERIFY(!QFile::exists(TRunFiles::Staged(files.report)));
    QCOMPARE(ReadAll(files.report), QByteArray("new report"));

    // a run finds the journal too
    Write(TRunFiles::Staged(files.report), "newer report");
    Write(files.journal, "report\n");
    const TEngineRunner runner(&Analyses, Runs());
    TEngineSession session(runner, project);
    QVERIFY(session.Prepare());
    QCOMPARE(ReadAll(files.report), QByteArray("newer report"));
    QVERIFY(!QFile::exists(files.graphic));
  }

  // One run at a time per results set, across processes: a set whose lock
  // is held ("p.tvd" and "p.dat" share one) is refused with a clear line.
  void aSetBeingAnalysedElsewhereIsRefused() {
    const QString project = ProjectWithResults(Path("k"), "plant");
    QLockFile other(TRunFiles::Beside(project).lock);
    other.setStaleLockTime(0);
    QVERIFY(other.tryLock(0));
    Write(WithExtension(project, ".dat"), "TITLE\nRUN\n");
    const TRunResult result = TEngineRunner(&Analyses, Runs()).Run(WithExtension(project, ".dat"));
    QCOMPARE(result.status, TRunResult::kNotRun);
    QVERIFY2(result.message.contains("being analysed by another run"), qPrintable(result.message));
    ExpectOldResults(project);
    other.unlock();
    QVERIFY(TEngineRunner(&Analyses, Runs()).Run(WithExtension(project, ".dat")).Delivered());
  }

  // The runs folder must be the user's and closed to others.
  void aRunsFolderOpenToOthersIsClosedOrRefused() {
    const QString runs = Path("shared/runs");
    QVERIFY(QDir().mkpath(runs));
    QVERIFY(QFile::setPermissions(runs, QFileDevice::Permissions(0x7777)));
    const QString project = ProjectWithResults(Path("l"), "plant");
    TRunResult result = TEngineRunner(&Analyses, runs).Run(project);
    QVERIFY2(result.Delivered(), qPrintable(result.message));
    QVERIFY(!(QFileInfo(runs).permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther)));
#ifdef Q_OS_UNIX
    if (::geteuid() != 0) QSKIP("a folder of another user needs root to make");
    QVERIFY(::chown(QFile::encodeName(runs).constData(), 65534, 65534) == 0);
    result = TEngineRunner(&Analyses, runs).Run(project);
    QCOMPARE(result.status, TRunResult::kNotRun);
    QVERIFY2(result.message.contains("belongs to another user"), qPrintable(result.message));
#endif
  }

  // Working folders of programs that were killed go at the next start; those
  // of a live program stay.
  void abandonedWorkingFoldersAreRemoved() {
    const QString runs = Path("abandoned/runs");
    QVERIFY(QDir().mkpath(runs));
    QFile::setPermissions(runs, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    auto folder = [&runs](const QString& name, const QByteArray& owner) {
      QDir(runs).mkpath(name);
      if (!owner.isEmpty()) Write(QDir(runs).filePath(name + "/owner"), owner);
      Write(QDir(runs).filePath(name + "/input.tvd"), "RUN\n");
    };
    folder("run-gone", "2147483 1\n");  // no such process
    const TEngineRunner runner(&Analyses, runs);
    TEngineSession live(runner, ProjectWithResults(Path("m"), "plant"));
    QVERIFY(live.Prepare());
    folder("run-fresh", {});  // being made right now: no owner yet
    folder("run-opening", {});  // its owner opened but not yet written (older programs wrote it in place)
    Write(QDir(runs).filePath("run-opening/owner"), "");
    folder("run-half", "2147483");  // a line without its end: not yet whole
    folder("run-old", {});
    const std::time_t old = std::time(nullptr) - 2 * 24 * 3600;
    const utimbuf times{old, old};
    QVERIFY(::utime(QFile::encodeName(QDir(runs).filePath("run-old")).constData(), &times) == 0);
    runner.RemoveAbandonedRuns();
    QStringList left = QDir(runs).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QVERIFY(left.contains(QFileInfo(live.WorkFolder()).fileName()));
    QVERIFY(left.contains("run-fresh"));
    QVERIFY(left.contains("run-opening"));
    QVERIFY(left.contains("run-half"));
    QVERIFY(!left.contains("run-gone"));
    // the live run's owner line was put in place whole
    QVERIFY(QFileInfo::exists(QDir(live.WorkFolder()).filePath("owner")));
    QVERIFY(!QFileInfo::exists(QDir(live.WorkFolder()).filePath("owner.new")));
    QVERIFY(!left.contains("run-old"));
  }

  // An engine with terva_run is given the working folder: the process's
  // current folder stays as it is, and the session's progress is the run's.
  // An engine with the entry alone runs with the working folder as the current one.
  void theFolderIsGivenToAnEngineThatTakesIt() {
    const QString project = ProjectWithResults(Path("n"), "plant");
    const QString here = QDir::currentPath();
    const TEngineRunner runner(&AnalysesInTheFolder, Runs());
    {
      TEngineSession session(runner, project);
      QVERIFY(session.Prepare());
      runningSession = &session;
      QCOMPARE(session.Call(), 0);
      runningSession = nullptr;
      QCOMPARE(runFolderSeen, session.WorkFolder());
      QCOMPARE(folderSeen, here);
      QCOMPARE(progressSeen[0], 2);
      QCOMPARE(progressSeen[1], 5);
      int done = -1, total = -1;
      QVERIFY(session.Progress(&done, &total));
      QCOMPARE(done, 0);
      QCOMPARE(total, 0);
      QVERIFY(session.Deliver().Delivered());
    }
    QVERIFY(ReadAll(WithExtension(project, ".tvo")).startsWith("REPORT OF TITLE=plant"));

    const TEngineRunner entryOnly(&Analyses, Runs());
    TEngineSession old(entryOnly, project);
    QVERIFY(old.Prepare());
    QCOMPARE(old.Call(), 0);
    QCOMPARE(QFileInfo(folderSeen).canonicalFilePath(), QFileInfo(old.WorkFolder()).canonicalFilePath());
    QCOMPARE(QDir::currentPath(), here);
    QVERIFY(old.Deliver().Delivered());
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
