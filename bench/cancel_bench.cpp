// How fast a run in flight ends: the desktop program's Cancel, which ends its
// engine host (BM_CancelEngineHost, target: within a second), against the
// baseline of terva-batch stopped by SIGINT on the same project
// (BM_InterruptBatch), which ends its engine process and removes its working
// folder. Each iteration starts a 20 x 20 pile group with interaction over
// 1 024 frequencies, waits until the engine computes its frequencies, then
// times from the request to the process's end (the host's QProcess end, or
// terva-batch's exit). The projects and working folders go under $TMPDIR.
//   cancel_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <string>

#include "gui/core/EngineHost.hpp"
#include "gui/core/EngineRunner.hpp"
#include "support/slow_group.hpp"

extern char** environ;

using namespace terva::gui;

namespace {

QTemporaryDir* folder = nullptr;

QString Project(const QString& name) {
  const QString path = folder->filePath(name);
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write(QByteArray::fromStdString(terva::test::SlowGroupDeck()));
  return path;
}

// Turns the event loop until `done` or `ms` have passed.
template <class F>
bool Until(F done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

void BM_CancelEngineHost(benchmark::State& state) {
  const QString project = Project(QStringLiteral("host.tvd"));
  TEngineRunner runner(EngineLibraryPath(), folder->filePath(QStringLiteral("runs")));
  runner.SetCallsOutOfProcess(true);
  for (auto _ : state) {
    TEngineSession session(runner, project);
    if (!session.Prepare()) return state.SkipWithError(qPrintable(session.Result().message));
    TEngineHostRun host(EngineHostPath(), runner.Library(), session.WorkFolder());
    bool finished = false;
    QObject::connect(&host, &TEngineHostRun::Finished, [&finished] { finished = true; });
    host.Start();
    int total = 0;
    if (!Until([&] { return (host.Progress(nullptr, &total), total > 0) || finished; }, 120000) || finished)
      return state.SkipWithError("the engine never reached its frequencies");
    const auto start = std::chrono::steady_clock::now();
    host.Cancel();
    if (!Until([&] { return finished; }, 30000)) return state.SkipWithError("the host did not end");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_CancelEngineHost)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_InterruptBatch(benchmark::State& state) {
  const QString project = Project(QStringLiteral("batch.tvd"));
  const std::string batch = TERVA_BATCH;
  const std::string path = project.toStdString();
  const QString runs = folder->filePath(QStringLiteral("data/Halvit/TERVA/runs"));
  ::setenv("XDG_DATA_HOME", qPrintable(folder->filePath(QStringLiteral("data"))), 1);
  for (auto _ : state) {
    char* argv[] = {const_cast<char*>(batch.c_str()), const_cast<char*>(path.c_str()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, batch.c_str(), &actions, nullptr, argv, environ) != 0)
      return state.SkipWithError("cannot start terva-batch");
    posix_spawn_file_actions_destroy(&actions);
    // its working folder is there, and the engine past its set-up (as long as
    // the host's above takes to reach its frequencies)
    Until([&] { return !QDir(runs).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty(); }, 30000);
    QThread::msleep(1500);
    const auto start = std::chrono::steady_clock::now();
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
}
BENCHMARK(BM_InterruptBatch)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  folder = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
