// terva-engine-host LIBRARY FOLDER
//
// Calls the analysis engine once, in a process of its own: loads LIBRARY by
// its full path and runs it in FOLDER (a working folder prepared by the
// desktop program, with "names.dat" and the private copy of the project):
// through terva_run where the library has it, else by making FOLDER the
// current folder and calling the entry with 13. It tells its caller on
// standard output, in the frames of gui/core/EngineHost.hpp, the progress
// and the return code. Standard input is not read; the engine's console lines go to
// standard error. The desktop program ends the host to cancel a run; the
// host never outlives its caller. Exit status 0 when the engine was called,
// 3 when it could not be.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <csignal>
#include <sys/prctl.h>
#endif

#include "gui/core/EngineHost.hpp"
#include "gui/core/EngineRunner.hpp"

using namespace terva::gui;

int main(int argc, char** argv) {
#ifdef __linux__
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // a caller that dies takes its run along
#endif
  if (argc != 3) {
    std::fprintf(stderr, "usage: terva-engine-host LIBRARY FOLDER\n");
    return 2;
  }
  // The frames keep standard output to themselves: the engine's console
  // output goes to standard error.
  int frames = 1;
#ifdef Q_OS_UNIX
  frames = ::dup(STDOUT_FILENO);
  ::dup2(STDERR_FILENO, STDOUT_FILENO);
  if (const int null = ::open("/dev/null", O_RDONLY); null >= 0) ::dup2(null, STDIN_FILENO);
#endif
  const QString library = QString::fromLocal8Bit(argv[1]);
  const QString folder = QString::fromLocal8Bit(argv[2]);
  auto fail = [frames](const QString& why) {
    WriteFrame(frames, HostFrame('E', why.toUtf8()));
    return 3;
  };
  const QString cannotEnter = QStringLiteral("Cannot enter %1").arg(QDir::toNativeSeparators(folder));
  if (!QFileInfo(folder).isDir()) return fail(cannotEnter);
  TLibraryLoader loader(library);
  TEngineEntry entry = nullptr;
  TEngineProgress progress = nullptr;
  TEngineFolderRun run = nullptr;
  try {
    loader.Open();
    entry = reinterpret_cast<TEngineEntry>(loader.Entry("_ITERVA"));
    if (!entry) entry = reinterpret_cast<TEngineEntry>(loader.Entry("ITERVA"));
    progress = reinterpret_cast<TEngineProgress>(loader.Entry("_ITERVA_PROGRESS"));
    if (!progress) progress = reinterpret_cast<TEngineProgress>(loader.Entry("ITERVA_PROGRESS"));
    run = reinterpret_cast<TEngineFolderRun>(loader.Entry("terva_run"));
  } catch (const TLibraryError&) {
    entry = nullptr;
    run = nullptr;
  }
  if (!entry && !run) return fail(TEngineRunner::kInitFailed);
  if (run) {
    // the engine is given the folder; its progress comes through the callback
    static TProgressCounters told;
    const std::function<bool(int*, int*)> report = [](int* d, int* t) {
      told.Read(*d, *t);
      return true;
    };
    const QByteArray path = QFile::encodeName(folder);
    CallSendingFrames([run, &path] { return static_cast<int>(run(path.constData(), &TProgressCounters::Tell, &told)); }, report,
                      frames);
    std::fflush(nullptr);
    return 0;
  }
  // an engine without terva_run finds its files in the current folder
  if (!QDir::setCurrent(folder)) return fail(cannotEnter);
  std::function<bool(int*, int*)> report;
  if (progress) report = [progress](int* done, int* total) {
      progress(done, total);
      return true;
    };
  CallSendingFrames([entry] { return static_cast<int>(entry(13)); }, report, frames);
  std::fflush(nullptr);
  return 0;
}
