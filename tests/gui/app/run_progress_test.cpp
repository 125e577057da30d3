// The run dialog's progress: with an engine that reports its frequencies the
// bar shows the fraction done and the label the frequency being computed;
// without one (an older engine) the bar cycles as it always did. The engines
// here run in this process: a stand-in that holds its call open until the
// test lets it go, with or without a progress query, and the real library's
// query checked for its presence.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <cstdint>

#include "gui/app/Main.hpp"
#include "gui/app/RunAnalysis.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/core/Messages.hpp"
#include "support/TestFolder.hpp"

using namespace terva::gui;

namespace {

std::atomic<bool> release{false};
std::atomic<bool> calling{false};
std::atomic<int> done{0};
std::atomic<int> total{0};

// Writes a short report, then waits until the test releases it.
std::int32_t HoldsTheCall(std::int32_t) {
  calling = true;
  QFile names(QStringLiteral("names.dat"));
  if (names.open(QIODevice::ReadOnly)) {
    const QList<QByteArray> lines = names.readAll().split('\n');
    QFile report(QString::fromLocal8Bit(lines.value(1).trimmed()));
    if (report.open(QIODevice::WriteOnly)) report.write("REPORT\n");
  }
  while (!release) QThread::msleep(5);
  calling = false;
  return 0;
}

void Progress(int* d, int* t) {
  if (d) *d = done;
  if (t) *t = total;
}

// Waits, handling events, until `condition` holds or 5 s have passed.
template <class F>
bool WaitFor(F condition) {
  for (int i = 0; i < 500 && !condition(); ++i) QTest::qWait(10);
  return condition();
}

}  // namespace

class RunProgressTest : public QObject {
  Q_OBJECT

  terva::gui::test::TTestFolder folder_;
  QStringList messages_;

  // A project file the stand-in engine is run on.
  QString Project(const QString& name) {
    const QString path = folder_.Path(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write("TITLE=progress\nRUN\n");
    return path;
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    SetMessageSink([this](const TMessage& message) {
      messages_.append(message.text);
      return int(MbOk);
    });
  }

  void init() {
    release = false;
    done = 0;
    total = 0;
    messages_.clear();
  }

  // A session whose engine reports progress: cycling while the engine has
  // no frequencies yet, then the fraction and "Frequency k of N", kept after
  // the loop ends (the query reads 0 again before the engine returns).
  void dialogFollowsTheEngine() {
    const TEngineRunner runner(&HoldsTheCall, &Progress, folder_.Path("runs"));
    TEngineSession session(runner, Project("a.tvd"));
    QVERIFY(session.Prepare());
    QThread* worker = QThread::create([&session] { session.Call(); });
    worker->start();
    QVERIFY(WaitFor([] { return bool(calling); }));

    TDlgRunAnalysis dialog;
    dialog.Start([&session](int* d, int* t) { return session.Progress(d, t); });
    QTest::qWait(TDlgRunAnalysis::kTickMs * 3);
    QVERIFY(!dialog.ShowsProgress());  // no frequency loop yet: cycling
    QCOMPARE(dialog.ProgressBar()->maximum(), 100);
    QCOMPARE(dialog.DetailLabel()->text(), QStringLiteral("please wait .........."));

    total = 64;
    done = 11;
    QVERIFY(WaitFor([&] { return dialog.ShowsProgress(); }));
    QCOMPARE(dialog.ProgressBar()->maximum(), 64);
    QCOMPARE(dialog.ProgressBar()->value(), 11);
    QCOMPARE(dialog.DetailLabel()->text(), QStringLiteral("Frequency 12 of 64"));
    done = 64;
    QVERIFY(WaitFor([&] { return dialog.ProgressBar()->value() == 64; }));
    QCOMPARE(dialog.DetailLabel()->text(), QStringLiteral("Frequency 64 of 64"));
    done = 0;
    total = 0;  // the loop is over; the engine writes its report
    QTest::qWait(TDlgRunAnalysis::kTickMs * 3);
    QVERIFY(dialog.ShowsProgress());
    QCOMPARE(dialog.ProgressBar()->value(), 64);

    release = true;
    worker->wait();
    delete worker;
    dialog.Finish();
    QVERIFY(session.Deliver().Delivered());
    // The next run starts cycling again.
    dialog.Start();
    QVERIFY(!dialog.ShowsProgress());
    QCOMPARE(dialog.ProgressBar()->value(), 50);
    dialog.Finish();
  }

  // An engine without the query: the cycling bar, whatever happens.
  void olderEngineCycles() {
    const TEngineRunner runner(&HoldsTheCall, folder_.Path("runs"));
    TEngineSession session(runner, Project("b.tvd"));
    QVERIFY(session.Prepare());
    int d = -1, t = -1;
    QVERIFY(!session.Progress(&d, &t));
    QThread* worker = QThread::create([&session] { session.Call(); });
    worker->start();
    TDlgRunAnalysis dialog;
    dialog.Start([&session](int* a, int* b) { return session.Progress(a, b); });
    total = 64;
    done = 11;
    QList<int> values;
    for (int i = 0; i < 8; ++i) {
      QTest::qWait(TDlgRunAnalysis::kTickMs);
      values << dialog.ProgressBar()->value();
    }
    QVERIFY(!dialog.ShowsProgress());
    QCOMPARE(dialog.ProgressBar()->maximum(), 100);
    QVERIFY(values.contains(0) || values.first() != values.last());  // it moves
    release = true;
    worker->wait();
    delete worker;
    dialog.Finish();
  }

  // Run Analysis of the main window shows the engine's progress.
  void mainWindowRunShowsProgress() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("run.tvd"));
    QVERIFY(!project.isEmpty());
    TMainForm::SetEngineHook([this] { return TEngineRunner(&HoldsTheCall, &Progress, folder_.Path("runs")); });
    TMainForm main;
    main.Start(project);
    total = 25;
    done = 4;
    bool seen = false;
    QString label;
    // Looked at while the run's own event loop turns.
    QTimer probe;
    connect(&probe, &QTimer::timeout, this, [&] {
      if (!main.Running() || !main.RunDialog()->ShowsProgress()) return;
      seen = main.RunDialog()->isVisible() && main.RunDialog()->ProgressBar()->maximum() == 25 &&
             main.RunDialog()->ProgressBar()->value() == 4;
      label = main.RunDialog()->DetailLabel()->text();
      release = true;
    });
    probe.start(20);
    QTimer::singleShot(10000, this, [] { release = true; });  // never hang
    main.RunAnalysis();
    probe.stop();
    TMainForm::SetEngineHook({});
    QVERIFY(seen);
    QCOMPARE(label, QStringLiteral("Frequency 5 of 25"));
    QVERIFY(!main.RunDialog()->isVisible());
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_.first().startsWith(QStringLiteral("Computations are completed")));
  }

  // The engine library the program loads has the progress query, idle at 0.
  void engineLibraryHasTheQuery() {
    const TEngineRunner runner(EngineLibraryPath(), folder_.Path("runs"));
    TEngineSession session(runner, Project("c.tvd"));
    QVERIFY(session.Prepare());
    int d = -1, t = -1;
    QVERIFY(session.Progress(&d, &t));
    QCOMPARE(d, 0);
    QCOMPARE(t, 0);
  }
};

QTEST_MAIN(RunProgressTest)
#include "run_progress_test.moc"
