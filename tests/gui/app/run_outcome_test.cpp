// What a run of the desktop program tells and keeps: the outcome named from
// the engine's code and report, with the report's first error lines and a
// button to the report viewer; a failed run keeps the previous results byte
// for byte; Cancel ends the engine's host process at once; a host that dies
// never takes the program along; "Edit Output Text" falls back to the
// viewer; a project file changed on disk is never overwritten unasked. The
// engine here is the built library, run by the built engine host.
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "gui/app/Main.hpp"
#include "gui/app/RunAnalysis.hpp"
#include "gui/core/EngineHost.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/views/ReportViewer.hpp"
#include "support/MessageRecorder.hpp"
#include "support/TestFolder.hpp"
#include "support/slow_group.hpp"

using namespace terva::gui;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

// The three files of a results set.
QList<QByteArray> Set(const QString& project) {
  const TRunFiles files = TRunFiles::Beside(project);
  return {ReadAll(files.report), ReadAll(files.graphic), ReadAll(files.results)};
}

}  // namespace

class RunOutcomeTest : public QObject {
  Q_OBJECT

  terva::gui::test::TTestFolder folder_;

  QStringList WorkingFolders() const {
    return QDir(TEngineRunner().WorkRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  }

  // An engine host that is a script: `body` runs instead of the engine.
  QString FakeHost(const QString& name, const QByteArray& body) {
    const QString path = folder_.Path(name);
    Write(path, "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
  }

 private slots:
  void initTestCase() { QVERIFY(folder_.Isolate()); }
  void cleanup() { qunsetenv("TERVA_ENGINE_HOST"); }

  // A complete run, then a run the engine refuses (an empty project saved
  // over the file): the set stays byte for byte, the message names the
  // input errors with the report's first lines, and its button opens the
  // failed run's report in the viewer.
  void aFailedRunSaysWhatHappenedAndKeepsTheResults() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("fails.tvd"));
    TMainForm main;
    main.Start(project);
    {
      terva::gui::test::TMessageRecorder messages;
      main.RunAnalysis();
      QCOMPARE(messages.texts.size(), 1);
      QVERIFY2(messages.texts.first().startsWith("Computations are completed."), qPrintable(messages.texts.first()));
      QCOMPARE(messages.messages.first().buttons, MbOk | MbViewReport);
    }
    QVERIFY(main.ResultsAvailable());
    const QList<QByteArray> before = Set(project);
    QVERIFY(!before.at(0).isEmpty() && !before.at(1).isEmpty() && !before.at(2).isEmpty());

    QVERIFY(main.FileNew());
    TMainForm::SetFileDialogHook([&project](bool, const QString&, const QString&) { return project; });
    terva::gui::test::TMessageRecorder messages(MbViewReport);
    main.RunAnalysis();
    TMainForm::SetFileDialogHook({});
    QCOMPARE(messages.texts.size(), 1);
    const QString text = messages.texts.first();
    QVERIFY2(text.startsWith("The input has errors: nothing was analysed, and the previous results are kept."),
             qPrintable(text));
    QVERIFY2(text.contains("*** FATAL ERROR IN INPUT DATA ***"), qPrintable(text));
    QCOMPARE(messages.messages.first().kind, TMessageKind::Warning);
    QCOMPARE(Set(project), before);
    const QString failed = TRunFiles::Beside(project).failed;
    QVERIFY(ReadAll(failed).contains("FATAL ERROR IN INPUT DATA"));
    // the button opened the viewer on the failed run's report, at its first error
    QVERIFY(main.ReportViewer());
    QCOMPARE(main.ReportViewer()->Path(), failed);
    QVERIFY(main.ReportViewer()->Text()->textCursor().selectedText().contains("***"));
    QVERIFY(main.ReportViewer()->Status().startsWith("Line "));
    QVERIFY(WorkingFolders().isEmpty());
    main.ReportViewer()->close();
  }

  // Cancel (the dialog's button) ends the host (how fast: bench/cancel_bench);
  // the old results stay, and no process or working folder is left.
  void cancelEndsTheRunAtOnce() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("cancel.tvd"));
    Write(WithExtension(project, ".tvo"), "old report");
    Write(WithExtension(project, ".tvp"), "old graphic");
    qputenv("TERVA_ENGINE_HOST", FakeHost("slow-host", "echo $$ > \"$2/../../host.pid\"; exec sleep 60").toLocal8Bit());
    TMainForm main;
    main.Start(project);
    terva::gui::test::TMessageRecorder messages;
    QTimer::singleShot(500, this, [&] {
      QVERIFY(main.Running());
      QVERIFY(main.RunDialog()->CancelButton()->isEnabled());
      main.RunDialog()->CancelButton()->click();
    });
    main.RunAnalysis();
    QCOMPARE(messages.texts, QStringList{"The run was cancelled; the previous results are kept"});
    QCOMPARE(ReadAll(WithExtension(project, ".tvo")), QByteArray("old report"));
    QCOMPARE(ReadAll(WithExtension(project, ".tvp")), QByteArray("old graphic"));
    QVERIFY(WorkingFolders().isEmpty());
    QVERIFY(!QFileInfo::exists(TRunFiles::Beside(project).lock));
    const QByteArray pid = ReadAll(QDir(TEngineRunner().WorkRoot()).filePath("../host.pid")).trimmed();
    QVERIFY(!pid.isEmpty());
    QVERIFY(!QFileInfo::exists("/proc/" + QString::fromLatin1(pid)));  // the host is gone
  }

  // Esc in the run dialog is Cancel too.
  void escapeCancels() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("esc.tvd"));
    qputenv("TERVA_ENGINE_HOST", FakeHost("slow-host-2", "exec sleep 60").toLocal8Bit());
    TMainForm main;
    main.Start(project);
    terva::gui::test::TMessageRecorder messages;
    QTimer::singleShot(300, this, [&] { main.RunDialog()->reject(); });
    main.RunAnalysis();
    QCOMPARE(messages.texts, QStringList{"The run was cancelled; the previous results are kept"});
  }

  // A host that dies (an engine crash) is a run without results, not the
  // program's end; the program runs again afterwards.
  void aDyingHostLeavesTheProgramStanding() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("crash.tvd"));
    Write(WithExtension(project, ".tvo"), "old report");
    qputenv("TERVA_ENGINE_HOST", FakeHost("dying-host", "kill -9 $$").toLocal8Bit());
    TMainForm main;
    main.Start(project);
    terva::gui::test::TMessageRecorder messages;
    main.RunAnalysis();
    QCOMPARE(messages.texts, QStringList{"The engine ended abnormally; the previous results are kept"});
    QCOMPARE(ReadAll(WithExtension(project, ".tvo")), QByteArray("old report"));
    QVERIFY(WorkingFolders().isEmpty());
    qunsetenv("TERVA_ENGINE_HOST");
    messages.Clear();
    main.RunAnalysis();
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(messages.texts.first().startsWith("Computations are completed."));
  }

  // The real host on a 400-pile group in the midst of its frequencies:
  // Cancel ends it, and the run delivers nothing.
  void aPileGroupRunIsCancelledInItsFrequencies() {
    const QString project = folder_.Path("group.tvd");
    Write(project, QByteArray::fromStdString(terva::test::SlowGroupDeck()));
    TEngineRunner runner;
    runner.SetCallsOutOfProcess(true);
    TEngineSession session(runner, project);
    QVERIFY2(session.Prepare(), qPrintable(session.Result().message));
    TEngineHostRun host(EngineHostPath(), runner.Library(), session.WorkFolder());
    bool finished = false;
    connect(&host, &TEngineHostRun::Finished, this, [&finished] { finished = true; });
    host.Start();
    // in its frequencies, or (a slow build) still setting them up after 3 s
    int total = 0;
    for (int i = 0; i < 300 && total == 0 && !finished; ++i) {
      QTest::qWait(10);
      host.Progress(nullptr, &total);
    }
    QVERIFY(!finished);
    host.Cancel();
    QTRY_VERIFY_WITH_TIMEOUT(finished, 10000);
    QVERIFY(host.Cancelled());
    QVERIFY(!host.HasCode());
    session.Abandoned(TRunResult::kCancelled, QStringLiteral("cancelled"));
    QCOMPARE(session.Deliver().status, TRunResult::kCancelled);
    QVERIFY(!QFileInfo::exists(WithExtension(project, ".tvo")));
  }

  // The outcome of every kind of run, in the message's words.
  void outcomeTexts() {
    TRunResult r;
    r.status = TRunResult::kDelivered;
    r.code = 0;
    r.report = "/p/x.tvo";
    QVERIFY(TMainForm::RunOutcomeText(r).startsWith("Computations are completed. Please, check output file"));
    r.errorFrequencies = 3;
    r.frequencies = 40;
    QVERIFY(TMainForm::RunOutcomeText(r).startsWith("Computations are completed with errors at 3 of 40 frequencies."));
    r = {};
    r.status = TRunResult::kNoResults;
    r.code = 2;
    r.report = "/p/x.failed.tvo";
    r.errorLines = QStringList{"*** RUN TERMINATED BY 'STOP' KEYWORD ***"};
    const QString stopped = TMainForm::RunOutcomeText(r);
    QVERIFY(stopped.startsWith("The run stopped before the analysis"));
    QVERIFY(stopped.contains("previous results are kept"));
    QVERIFY(stopped.contains("*** RUN TERMINATED BY 'STOP' KEYWORD ***"));
    QVERIFY(stopped.endsWith("Its report: /p/x.failed.tvo"));
    r.code = 0;
    QVERIFY(TMainForm::RunOutcomeText(r).startsWith("The analysis failed at every frequency; the previous results are kept."));
    r.status = TRunResult::kNotRun;
    r.message = "x.tvd is being analysed by another run (terva-batch, process 7)";
    QCOMPARE(TMainForm::RunOutcomeText(r), r.message);
  }

  // "Edit Output Text" with no editor that starts: the viewer, no error.
  void editOutputFallsBackToTheViewer() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("view.tvd"));
    Write(WithExtension(project, ".tvo"), "REPORT\n *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED\n");
    TMainForm::SetLaunchHook([](const QString&, const QStringList&) { return false; });
    TMainForm main;
    main.Start(project);
    terva::gui::test::TMessageRecorder messages;
    main.SetEditorPath(QString());
    main.EditFile(QStringLiteral(".tvo"));
    TMainForm::SetLaunchHook({});
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(main.ReportViewer() && main.ReportViewer()->isVisible());
    QCOMPARE(main.ReportViewer()->Path(), WithExtension(project, ".tvo"));
    main.ReportViewer()->close();
  }

  // The project file changed on disk after it was opened: Save and Run ask;
  // Cancel keeps the outside change, Reload takes it, Overwrite replaces it.
  void changesOnDiskAreNotOverwrittenUnasked() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("disk.tvd"));
    TMainForm main;
    main.Start(project);
    const QByteArray outside = ReadAll(project).replace("Compressor block", "CHANGED OUTSIDE");
    QVERIFY(outside.contains("CHANGED OUTSIDE"));
    Write(project, outside);
    {
      terva::gui::test::TMessageRecorder messages(MbCancel);
      QVERIFY(!main.FileSave());
      QCOMPARE(messages.texts.size(), 1);
      QVERIFY(messages.texts.first().contains("was changed on disk"));
      QCOMPARE(messages.messages.first().buttons, MbReload | MbOverwrite | MbCancel);
      QCOMPARE(ReadAll(project), outside);
      main.RunAnalysis();  // Run saves first: it asks, and nothing runs
      QCOMPARE(messages.texts.size(), 2);
      QVERIFY(!QFileInfo::exists(WithExtension(project, ".tvo")));
    }
    {
      terva::gui::test::TMessageRecorder messages(MbReload);
      QVERIFY(!main.FileSave());
      QVERIFY(main.Project().Title.contains("CHANGED OUTSIDE"));
      QCOMPARE(ReadAll(project), outside);
      QVERIFY(main.FileSave());  // now the window's state is the file's: no question
      QCOMPARE(messages.texts.size(), 1);
    }
    Write(project, ReadAll(project) + "\n");
    {
      terva::gui::test::TMessageRecorder messages(MbOverwrite);
      main.Project().Title = "SAVED HERE";
      QVERIFY(main.FileSave());
      QVERIFY(ReadAll(project).contains("SAVED HERE"));
    }
  }
};

QTEST_MAIN(RunOutcomeTest)
#include "run_outcome_test.moc"
