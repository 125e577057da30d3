// terva-batch PROJECT.tvd [...]
//
// Runs the analysis engine on each project as the desktop program does,
// through the same engine runner: a private working folder with a copy of
// the project, the engine library loaded by its full path from this
// program's folder (or the library named in TERVA_ENGINE), one call of
// ITERVA with 13, and the report and graphic data file put beside the
// project only when the call has returned. Each call runs in a child
// process with its standard input closed; Ctrl+C or SIGTERM ends the child,
// removes the working folder and leaves the previous results as they were.
//
// Projects whose results would overwrite the project itself ("x.tvo") or
// another project of the call, and projects whose results another project of
// the call already writes ("p.tvd" and "p.dat", or one project twice) are
// refused. Prints where each report is and what the return code means;
// exits non-zero when any project was refused or did not return 0.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <csignal>
#include <cstdio>

#include "gui/core/EngineRunner.hpp"

using namespace terva::gui;

namespace {

volatile std::sig_atomic_t interrupted = 0;
volatile pid_t child = 0;

void OnSignal(int signal) {
  interrupted = signal;
  if (child > 0) ::kill(child, SIGTERM);
}

const char* Meaning(int code) {
  switch (code) {
    case 0: return "analysis completed";
    case 1: return "wrong entry argument";
    case 2: return "run stopped (STOP keyword or end of input without RUN)";
    case 3: return "fatal input error - analysis not run";
    default: return "unexpected return code";
  }
}

QByteArray Local(const QString& text) { return text.toLocal8Bit(); }

// The head of the response table, when the report has one; reads at most
// the first megabyte of the report.
void PrintResponseHead(const QString& report, int rows) {
  QFile in(report);
  if (!in.open(QIODevice::ReadOnly)) return;
  qint64 budget = 1 << 20;
  bool found = false, body = false;
  int printed = 0;
  while (budget > 0 && printed < rows && !in.atEnd()) {
    const QByteArray line = in.readLine(4096);
    if (line.isEmpty()) break;
    budget -= line.size();
    const QByteArray text = line.trimmed().isEmpty() ? QByteArray() : line.chopped(line.endsWith('\n') ? 1 : 0);
    if (!found) {
      if (!line.contains("FOOTING RESPONSE AMPLITUDES")) continue;
      found = true;
    }
    std::printf("%s\n", text.constData());
    if (line.contains("------  -------")) body = true;
    else if (body && !text.isEmpty() && !line.contains("---")) ++printed;
  }
  if (found) std::printf("  ...\n");
}

// One project, in a child process; true when its results were delivered
// and the engine returned 0.
bool RunProject(const TEngineRunner& runner, const QString& project) {
  TEngineSession session(runner, project);
  if (!session.Prepare()) {
    std::fprintf(stderr, "terva-batch: %s\n", Local(session.Result().message).constData());
    return false;
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    std::perror("terva-batch: cannot start the engine's process");
    return false;
  }
  if (pid == 0) {
    // The engine never waits for console input: a short run list ends the run.
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) ::dup2(null, STDIN_FILENO);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    const int code = session.Call();
    std::fflush(nullptr);
    ::_exit(code < 0 ? 120 : code);
  }
  child = pid;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  child = 0;
  if (interrupted) return false;
  if (!WIFEXITED(status) || WEXITSTATUS(status) > 3) {
    std::fprintf(stderr, "terva-batch: %s: the engine ended abnormally; the previous results are kept\n",
                 Local(project).constData());
    return false;
  }
  session.Called(WEXITSTATUS(status));
  const TRunResult result = session.Deliver();
  const TRunFiles& files = session.Files();
  if (!result.Delivered()) {
    std::fprintf(stderr, "terva-batch: %s: %s\n", Local(project).constData(), Local(result.message).constData());
    return false;
  }
  std::printf("%s\n  report: %s\n  engine returned %d: %s\n", Local(files.project).constData(),
              Local(files.report).constData(), result.code, Meaning(result.code));
  if (result.errorFrequencies > 0)
    std::printf("  completed with errors at %d frequencies (see the report)\n", result.errorFrequencies);
  if (result.code == 0) PrintResponseHead(files.report, 5);
  return result.code == 0 && result.errorFrequencies == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Working folders go where the desktop program's go.
  QCoreApplication::setOrganizationName(QStringLiteral("Halvit"));
  QCoreApplication::setApplicationName(QStringLiteral("TERVA"));
  if (argc < 2) {
    std::fprintf(stderr, "usage: terva-batch PROJECT.tvd [PROJECT.tvd ...]\n");
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);

  // Which projects may run: their results overwrite neither themselves nor
  // another project of the call, and no two write the same results.
  QStringList projects;
  int refused = 0;
  for (int i = 1; i < argc; ++i) projects.append(QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath());
  const QSet<QString> inputs(projects.begin(), projects.end());
  QHash<QString, QString> writers;  // result path -> the project that writes it
  QStringList accepted;
  for (const QString& project : projects) {
    const TRunFiles files = TRunFiles::Beside(project);
    QString why = TEngineRunner::ResultConflict(project);
    for (const QString& result : {files.report, files.graphic}) {
      if (!why.isEmpty()) break;
      if (writers.contains(result))
        why = QStringLiteral("%1: its results %2 are already written by %3")
                  .arg(project, result, writers.value(result));
      else if (inputs.contains(result) && result != project)
        why = QStringLiteral("%1: its results would overwrite %2, a project of this call").arg(project, result);
    }
    if (!why.isEmpty()) {
      std::fprintf(stderr, "terva-batch: refused: %s\n", Local(why).constData());
      ++refused;
      continue;
    }
    writers.insert(files.report, project);
    writers.insert(files.graphic, project);
    accepted.append(project);
  }

  const TEngineRunner runner;
  int failures = refused;
  for (const QString& project : accepted) {
    if (interrupted) break;
    if (!RunProject(runner, project)) ++failures;
  }
  if (interrupted) {
    std::fprintf(stderr, "terva-batch: interrupted; the previous results are kept\n");
    return 128 + interrupted;
  }
  return failures == 0 ? 0 : 1;
}
