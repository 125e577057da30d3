// terva-batch [-j N] [--keep-going | --fail-fast] [--export csv|json] [--at FREQ]
//             [--report pdf|html [--paper a4|letter]] PROJECT.tvd [...]
//
// Runs the analysis engine on each project as the desktop program does,
// through the same engine runner: a private working folder with a copy of
// the project, the engine library loaded by its full path from the
// configured library folder beside this program's folder (../lib/terva;
// or the library named in TERVA_ENGINE), one call of
// ITERVA with 13, and the report, graphic data file and results file put
// beside the project as one set, and only by a complete run: a run that
// gives no results (stopped, input errors, no frequency analysed, killed)
// leaves the previous set byte for byte, and its report goes to
// NAME.failed.tvo, whose path and first error lines are printed. Each call runs in a child
// process of its own with its standard input closed (the engine keeps
// process-wide data and scratch files in its working folder, so it is never
// called twice in one process); up to N of them run side by side (-j, by
// default one per processor core). Ctrl+C, SIGTERM or SIGHUP ends every child,
// removes every working folder and leaves the previous results as they were.
//
// Projects whose results would overwrite the project itself ("x.tvo") or
// another project of the call, projects whose results another project of the
// call already writes ("p.tvd" and "p.dat", also through a link to the
// folder), a project given twice, a missing file and a folder are refused,
// one line each, and so is a project whose results another program is
// writing right now (its lock beside the project); the others still run.
//
// Output: for each project, in the order given, where its report is, what
// the engine's return code means and the head of the response table; with
// --export the CSV or JSON files written beside it (ResultsExport.hpp), with
// --at the springs and dashpots at that frequency (SpringsDashpots.hpp), with
// --report the calculation report NAME.report.pdf or .html (CalcReportWriter.hpp)
// and the verdicts of its design checks, at the --at frequency or else at the
// operating frequencies kept with the user's settings. Then
// a summary, one line per project: the return code and its meaning, the time
// and the report. On a terminal a progress line (projects done, time, the
// projects in flight with their frequencies done) is kept on standard error;
// it is left out when standard error is no terminal. Exits 0 when every
// project was analysed without errors, 1 when any was refused or failed (and
// --fail-fast then starts no further run), 2 on a wrong command line, 128 +
// the signal when interrupted.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <chrono>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/core/EngineHost.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/core/NumberFormat.hpp"
#include "gui/model/ResultsExport.hpp"
#include "gui/model/SpringsDashpots.hpp"
#ifdef TERVA_BATCH_REPORT
#include <QApplication>

#include "gui/files/ProjectReader.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/report/CalcReportWriter.hpp"
#include "gui/widgets/VectorExport.hpp"
#endif

using namespace terva::gui;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kMaxJobs = 64;

volatile std::sig_atomic_t interrupted = 0;
volatile pid_t children[kMaxJobs] = {};  // the engine processes running now

void OnSignal(int signal) {
  interrupted = signal;
  for (int i = 0; i < kMaxJobs; ++i)
    if (children[i] > 0) ::kill(children[i], SIGTERM);
}

const char kUsage[] =
    "usage: terva-batch [OPTIONS] PROJECT.tvd [PROJECT.tvd ...]\n"
    "\n"
    "Runs the analysis engine on each project; the report (.tvo), the graphic data file (.tvp)\n"
    "and the results file (.tvj, every number at the engine's precision) are put beside the project.\n"
    "\n"
    "  -j N, --jobs N     run up to N projects side by side (default: one per processor core)\n"
    "  --keep-going       run every project whatever the others give (the default)\n"
    "  --fail-fast        start no further project after the first that fails\n"
    "  --export csv|json  write NAME.impedance.csv and NAME.response.csv, or NAME.results.json,\n"
    "                     beside each analysed project\n"
    "  --at FREQ          print the springs and dashpots at this frequency: 1500rpm, 25Hz or\n"
    "                     157rad/s (a number alone is in rad/s)\n"
    "  --report pdf|html  write the calculation report NAME.report.pdf or NAME.report.html beside\n"
    "                     each analysed project, its design checks at the --at frequency (else\n"
    "                     at the operating frequencies of the program's Calculation Report dialog)\n"
    "  --paper a4|letter  the report's paper (default: Letter where the system measures in inches)\n"
    "  -h, --help         print this text\n"
    "\n"
    "A pile group's frequencies are computed on several threads; projects side by side share the\n"
    "processor cores (TERVA_THREADS=N, when set, gives every engine N threads).\n"
    "\n"
    "Exit status: 0 every project analysed without errors, 1 a project refused or failed,\n"
    "2 a wrong command line, 130 interrupted (Ctrl+C).\n";

const char* Meaning(int code) {
  switch (code) {
    case 0: return "analysis completed";
    case 1: return "wrong entry argument";
    case 2: return "run stopped (STOP keyword or end of input without RUN)";
    case 3: return "fatal input error - analysis not run";
    case 4: return "refused - another run of this process holds its folder";
    default: return "unexpected return code";
  }
}

QByteArray Local(const QString& text) { return text.toLocal8Bit(); }

struct TOptions {
  int jobs = 0;  // 0: one per core
  bool failFast = false;
  std::optional<TExportFormat> exportFormat;
  std::optional<TOperatingFrequency> at;
#ifdef TERVA_BATCH_REPORT
  std::optional<TReportFormat> report;
  QPageSize paper = TPdfPage::DefaultPageSize();
#endif
  QStringList projects;
};

bool IsUnit(const QString& word) {
  const QString w = word.toLower();
  return w == QLatin1String("rpm") || w == QLatin1String("hz") || w == QLatin1String("rad/s");
}

// The command line; an empty optional (after a message) when it is wrong.
std::optional<TOptions> ParseOptions(const QStringList& args, bool& help) {
  TOptions options;
  auto wrong = [](const QString& why) {
    std::fprintf(stderr, "terva-batch: %s\n%s", Local(why).constData(), kUsage);
    return std::optional<TOptions>();
  };
  bool optionsEnd = false;
  for (int i = 1; i < args.size(); ++i) {
    QString arg = args.at(i);
    if (optionsEnd || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
      options.projects << arg;
      continue;
    }
    if (arg == QLatin1String("--")) {
      optionsEnd = true;
      continue;
    }
    // the value of an option: "--name=value", "-jN" or the next argument
    QString value;
    bool hasValue = false;
    auto takeValue = [&](const QString& name) {
      if (arg.startsWith(name + QLatin1Char('='))) {
        value = arg.mid(name.size() + 1);
        return hasValue = true;
      }
      if (arg == name && i + 1 < args.size()) {
        value = args.at(++i);
        return hasValue = true;
      }
      return false;
    };
    if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
      help = true;
      return options;
    } else if (arg == QLatin1String("--keep-going")) {
      options.failFast = false;
    } else if (arg == QLatin1String("--fail-fast")) {
      options.failFast = true;
    } else if (arg.startsWith(QLatin1String("-j")) || arg.startsWith(QLatin1String("--jobs"))) {
      if (arg.startsWith(QLatin1String("-j")) && arg.size() > 2) value = arg.mid(2), hasValue = true;
      else if (!takeValue(arg.startsWith(QLatin1String("--")) ? QStringLiteral("--jobs") : QStringLiteral("-j")))
        return wrong(QStringLiteral("%1 needs a number of jobs").arg(arg));
      bool ok = false;
      options.jobs = value.toInt(&ok);
      if (!hasValue || !ok || options.jobs < 1)
        return wrong(QStringLiteral("\"%1\" is no number of jobs (1 or more)").arg(value));
      options.jobs = std::min(options.jobs, kMaxJobs);
    } else if (arg.startsWith(QLatin1String("--export"))) {
      if (!takeValue(QStringLiteral("--export"))) return wrong(QStringLiteral("--export needs csv or json"));
      if (value.toLower() == QLatin1String("csv")) options.exportFormat = TExportFormat::Csv;
      else if (value.toLower() == QLatin1String("json")) options.exportFormat = TExportFormat::Json;
      else return wrong(QStringLiteral("--export %1: the format is csv or json").arg(value));
    } else if (arg.startsWith(QLatin1String("--at"))) {
      if (!takeValue(QStringLiteral("--at"))) return wrong(QStringLiteral("--at needs a frequency (1500rpm, 25Hz, 157rad/s)"));
      // "--at 1500 rpm" without quotes: the unit is the next argument
      bool bare = false;
      value.toDouble(&bare);
      if (bare && i + 1 < args.size() && IsUnit(args.at(i + 1))) value += QLatin1Char(' ') + args.at(++i);
      const TOperatingFrequency f = ParseOperatingFrequency(value);
      if (!f.ok) return wrong(QStringLiteral("--at: %1").arg(f.error));
      options.at = f;
#ifdef TERVA_BATCH_REPORT
    } else if (arg.startsWith(QLatin1String("--report"))) {
      if (!takeValue(QStringLiteral("--report"))) return wrong(QStringLiteral("--report needs pdf or html"));
      if (value.toLower() == QLatin1String("pdf")) options.report = TReportFormat::Pdf;
      else if (value.toLower() == QLatin1String("html")) options.report = TReportFormat::Html;
      else return wrong(QStringLiteral("--report %1: the format is pdf or html").arg(value));
    } else if (arg.startsWith(QLatin1String("--paper"))) {
      if (!takeValue(QStringLiteral("--paper"))) return wrong(QStringLiteral("--paper needs a4 or letter"));
      if (value.toLower() == QLatin1String("a4")) options.paper = QPageSize(QPageSize::A4);
      else if (value.toLower() == QLatin1String("letter")) options.paper = QPageSize(QPageSize::Letter);
      else return wrong(QStringLiteral("--paper %1: the paper is a4 or letter").arg(value));
#endif
    } else {
      return wrong(QStringLiteral("unknown option %1").arg(arg));
    }
  }
  if (options.projects.isEmpty()) return wrong(QStringLiteral("no project given"));
  return options;
}

// The head of the response table, when the report has one; reads at most
// the first megabyte of the report.
QByteArray ResponseHead(const QString& report, int rows) {
  QFile in(report);
  if (!in.open(QIODevice::ReadOnly)) return {};
  QByteArray text;
  qint64 budget = 1 << 20;
  bool found = false, body = false;
  int printed = 0;
  while (budget > 0 && printed < rows && !in.atEnd()) {
    const QByteArray line = in.readLine(4096);
    if (line.isEmpty()) break;
    budget -= line.size();
    const QByteArray shown = line.trimmed().isEmpty() ? QByteArray() : line.chopped(line.endsWith('\n') ? 1 : 0);
    if (!found) {
      if (!line.contains("FOOTING RESPONSE AMPLITUDES")) continue;
      found = true;
    }
    text += shown + '\n';
    // The column rule (dash groups under every column) opens the body; the
    // title's single underline does not.
    const QByteArray bare = line.trimmed();
    const bool rule = !bare.isEmpty() && bare.count('-') + bare.count(' ') == bare.size() && bare.contains("- ");
    if (rule) body = true;
    else if (body && !shown.isEmpty()) ++printed;
  }
  if (found) text += "  ...\n";
  return text;
}

QByteArray Indented(const QString& text) {
  QByteArray out;
  for (const QString& line : text.trimmed().split(QLatin1Char('\n')))
    out += line.isEmpty() ? QByteArray("\n") : "  " + Local(line) + '\n';
  return out;
}

// What a project gave: the engine's code ("-" when it did not return), its
// meaning for the summary, and its lines for standard output and error.
struct TOutcome {
  bool ok = false;
  QString code = QStringLiteral("-");
  QString meaning;
  QByteArray out, err;
  QString failedReport;  // the report of a run without results
  bool delivered = false;  // the run's results lie beside the project
};

// The child's messages to the runner over a pipe, in the engine host's
// frames (EngineHost.hpp): 'P' progress and 'C' the code while the engine
// computes, then 'R' the outcome, once, after the results were delivered.
QByteArray Serialized(const TOutcome& outcome) {
  QByteArray bytes;
  QDataStream stream(&bytes, QIODevice::WriteOnly);
  stream << outcome.ok << outcome.code << outcome.meaning << outcome.out << outcome.err << outcome.failedReport
         << outcome.delivered;
  return bytes;
}

TOutcome Deserialized(const QByteArray& bytes) {
  TOutcome outcome;
  QDataStream stream(bytes);
  stream >> outcome.ok >> outcome.code >> outcome.meaning >> outcome.out >> outcome.err >> outcome.failedReport >>
      outcome.delivered;
  return outcome;
}

// In the child, after the engine returned `code`: the results delivered
// beside the project, and what is printed of them.
TOutcome Complete(TEngineSession& session, int code, const TOptions& options) {
  TOutcome outcome;
  session.Called(code);
  const TRunResult result = session.Deliver();
  const TRunFiles& files = session.Files();
  const QByteArray project = Local(files.project);
  outcome.code = QString::number(code);
  if (result.status == TRunResult::kNoResults) {
    // what went wrong, where its report is, and that the old results stay
    outcome.err += "terva-batch: " + project + ": engine returned " + QByteArray::number(code) + ": " +
                   (code == 0 ? QByteArray("no frequency analysed") : QByteArray(Meaning(code))) +
                   "; no results, the previous results are kept\n";
    for (const QString& line : result.errorLines) outcome.err += "  " + Local(line) + '\n';
    if (!result.report.isEmpty()) outcome.err += "  its report: " + Local(result.report) + '\n';
    outcome.meaning = QLatin1String(Meaning(code));
    if (code == 0) outcome.meaning = QStringLiteral("no frequency analysed");
    outcome.meaning += QStringLiteral("; previous results kept");
    outcome.failedReport = result.report;
    return outcome;
  }
  if (!result.Delivered()) {
    outcome.err += "terva-batch: " + project + ": " + Local(result.message) + '\n';
    outcome.meaning = QStringLiteral("%1; results not delivered").arg(QLatin1String(Meaning(code)));
    return outcome;
  }
  outcome.delivered = true;
  outcome.out += project + "\n  report: " + Local(files.report) + "\n  engine returned " + QByteArray::number(code) +
                 ": " + Meaning(code) + '\n';
  outcome.meaning = QLatin1String(Meaning(code));
  outcome.ok = code == 0;
  if (result.errorFrequencies > 0) {
    outcome.out += "  completed with errors at " + QByteArray::number(result.errorFrequencies) +
                   " frequencies (see the report)\n";
    outcome.meaning += QStringLiteral(" with errors at %1 frequencies").arg(result.errorFrequencies);
    outcome.ok = false;
  }
  if (code != 0) return outcome;
  outcome.out += ResponseHead(files.report, 5);
  const TResultsInfo info = DescribeProject(files.project);
  if (options.exportFormat) {
    QStringList written;
    QString error;
    if (ExportResults(info, *options.exportFormat, &written, &error)) {
      for (const QString& file : written) outcome.out += "  exported: " + Local(file) + '\n';
      if (written.isEmpty()) outcome.out += "  exported: nothing (" + Local(NothingToExport()) + ")\n";
    } else {
      outcome.err += "terva-batch: " + project + ": no export: " + Local(error) + '\n';
      outcome.meaning += QStringLiteral("; export failed");
      outcome.ok = false;
    }
  }
  if (options.at) {
    TResultsData data;
    QString error;
    TSpringsDashpots values;
    if (ReadResults(info.graphic, data, &error)) values = SpringsDashpotsAt(data, options.at->omega);
    else values.error = error;
    if (values.ok) {
      outcome.out += '\n' + Indented(SpringsDashpotsTable(values, info));
    } else {
      outcome.err += "terva-batch: " + project + ": no springs and dashpots: " + Local(values.error) + '\n';
      outcome.meaning += QStringLiteral("; no springs and dashpots");
      outcome.ok = false;
    }
  }
  return outcome;
}

#ifdef TERVA_BATCH_REPORT
// The calculation report of a project just analysed, beside it, and its
// verdicts; drawn here, in the runner's process, not in the engine's child.
void WriteReport(TOutcome& outcome, const QString& projectPath, const TOptions& options) {
  const QByteArray project = Local(projectPath);
  TProjectTables tables;
  const TLoadResult load = OpenProjectFile(projectPath, tables);
  QString error;
  QStringList verdicts;
  const QString path = CalcReportPath(projectPath, *options.report);
  bool written = false;
  if (load.project == nullptr) {
    error = load.message;
  } else {
    TCalcReportRequest request;
    request.format = *options.report;
    request.paper = options.paper;
    request.criteria = DefaultReportCriteria(load.project->Units);
    request.operating = options.at ? std::vector<double>{options.at->omega} : StoredOperatingFrequencies();
    written = WriteCalcReport(*load.project, tables, request, path, &error, &verdicts);
  }
  if (!written) {
    outcome.err += "terva-batch: " + project + ": no calculation report: " + Local(error) + '\n';
    outcome.meaning += QStringLiteral("; no calculation report");
    outcome.ok = false;
    return;
  }
  outcome.out += "  calculation report: " + Local(path) + '\n';
  for (const QString& line : verdicts) outcome.out += "    " + Local(line) + '\n';
}
#endif

// One project of the call.
struct TJob {
  enum State { kWaiting, kRunning, kFinished };
  QString project;  // absolute path
  State state = kWaiting;
  std::unique_ptr<TEngineSession> session;
  pid_t pid = 0;
  int slot = -1;  // in children[]
  int pipe = -1;  // the child's messages; -1 once it has ended
  THostFrames frames;
  bool reported = false;  // the child sent its outcome
  int done = 0, total = 0;
  Clock::time_point started;
  double seconds = -1;
  TOutcome outcome;
  bool printed = false;
};

// The progress line on standard error, when that is a terminal.
class TProgressLine {
 public:
  explicit TProgressLine(bool on) : on_(on) {}
  bool On() const { return on_; }
  void Show(const QByteArray& text) {
    if (!on_ || text == shown_) return;
    winsize size{};
    const int width = ::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 10 ? size.ws_col : 80;
    std::fprintf(stderr, "\r\033[K%s", text.left(width - 1).constData());
    std::fflush(stderr);
    shown_ = text;
  }
  void Clear() {
    if (!on_ || shown_.isEmpty()) return;
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    shown_.clear();
  }

 private:
  bool on_;
  QByteArray shown_;
};

class TBatch {
 public:
  TBatch(const TOptions& options, const TEngineRunner& runner, TProgressLine& line)
      : options_(options), runner_(runner), line_(line), start_(Clock::now()) {}

  // The projects that may run, with a refusal line for each of the others.
  void Admit(const QStringList& given);
  // Runs them; false when interrupted.
  bool RunAll();
  void PrintSummary();
  int Failures() const;

 private:
  void Start(TJob& job, int slot);
  void Finish(TJob& job, int status);
  void ReadPipe(TJob& job);
  void Pump(int timeout);
  void Reap(bool wait);
  void PrintFinished();
  void ShowProgress();
  void StopAll();

  const TOptions& options_;
  const TEngineRunner& runner_;
  TProgressLine& line_;
  Clock::time_point start_;
  std::vector<TJob> jobs_;
  size_t printed_ = 0;
  bool stopped_ = false;  // --fail-fast after a failure
};

// A file's identity for the conflict checks: the real path of its folder
// (links and ".." resolved) and its name, so that two spellings of one file
// are one file.
QString Identity(const QString& path) {
  const QFileInfo info(path);
  const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
  return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

void TBatch::Admit(const QStringList& given) {
  QStringList projects;
  for (const QString& arg : given) projects.append(QFileInfo(arg).absoluteFilePath());
  QSet<QString> inputs;
  for (const QString& project : projects) inputs.insert(Identity(project));
  QSet<QString> seen;
  QHash<QString, QString> writers;  // result identity -> the project that writes it
  for (const QString& project : projects) {
    TJob job;
    job.project = project;
    const TRunFiles files = TRunFiles::Beside(project);
    const QFileInfo info(project);
    const QString self = Identity(project);
    QString why;
    if (seen.contains(self)) why = QStringLiteral("%1: given twice; it runs once").arg(project);
    else if (info.isDir()) why = QStringLiteral("%1: a folder, not a project file").arg(project);
    else if (!info.exists()) why = QStringLiteral("%1: no such project file").arg(project);
    else why = TEngineRunner::ResultConflict(project);
    seen.insert(self);
    for (const QString& result : {files.report, files.graphic, files.results}) {
      if (!why.isEmpty()) break;
      const QString id = Identity(result);
      if (writers.contains(id))
        why = QStringLiteral("%1: its results %2 are already written by %3").arg(project, result, writers.value(id));
      else if (inputs.contains(id) && id != self)
        why = QStringLiteral("%1: its results would overwrite %2, a project of this call").arg(project, result);
    }
    if (!why.isEmpty()) {
      std::fprintf(stderr, "terva-batch: refused: %s\n", Local(why).constData());
      job.state = TJob::kFinished;
      job.printed = true;
      job.outcome.meaning = QStringLiteral("refused: ") + why.mid(project.size() + 2);
    } else {
      for (const QString& result : {files.report, files.graphic, files.results}) writers.insert(Identity(result), project);
    }
    jobs_.push_back(std::move(job));
  }
}

void NotStarted(TJob& job, const QString& why) {
  const QString prefix = job.project + QStringLiteral(": ");
  const QString reason = why.startsWith(prefix) ? why.mid(prefix.size()) : why;
  job.outcome.err += "terva-batch: " + Local(prefix + reason) + '\n';
  job.outcome.meaning = QStringLiteral("not run: ") + reason;
  job.session.reset();
  job.state = TJob::kFinished;
  job.seconds = 0;
}

void TBatch::Start(TJob& job, int slot) {
  job.state = TJob::kRunning;
  job.started = Clock::now();
  job.session = std::make_unique<TEngineSession>(runner_, job.project);
  if (!job.session->Prepare()) return NotStarted(job, job.session->Result().message);
  int pipeEnds[2] = {-1, -1};
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
    return NotStarted(job, QStringLiteral("%1: cannot start the engine's process").arg(job.project));
  }
  // No signal between the fork and the child's own handlers, nor before the
  // parent knows the child.
  sigset_t block, previous;
  sigemptyset(&block);
  sigaddset(&block, SIGINT);
  sigaddset(&block, SIGTERM);
  sigaddset(&block, SIGHUP);
  ::sigprocmask(SIG_BLOCK, &block, &previous);
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGHUP, SIG_DFL);
#ifdef __linux__
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlive the runner
#endif
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (interrupted) ::_exit(120);
    // The engine never waits for console input: a short run list ends the run.
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) ::dup2(null, STDIN_FILENO);
    ::close(pipeEnds[0]);
    // The engine's progress, sent ten times a second while it computes, for
    // the progress line (none without one).
    std::function<bool(int*, int*)> progress;
    if (line_.On()) progress = [&job](int* done, int* total) { return job.session->Progress(done, total); };
    const int code = CallSendingFrames([&job] { return job.session->Call(); }, progress, pipeEnds[1]);
    std::fflush(nullptr);
    if (code < 0) ::_exit(120);
    // The results are delivered whole or not at all: no signal from here on
    // (the runner waits for this process when it stops).
    ::sigprocmask(SIG_BLOCK, &block, nullptr);
    const TOutcome outcome = Complete(*job.session, code, options_);
    QDir(job.session->WorkFolder()).removeRecursively();  // the runner removes it too, at once then
    WriteFrame(pipeEnds[1], HostFrame('R', Serialized(outcome)));
    ::_exit(0);
  }
  if (pid > 0) {
    job.pid = pid;
    job.slot = slot;
    children[slot] = pid;
  }
  ::sigprocmask(SIG_SETMASK, &previous, nullptr);
  ::close(pipeEnds[1]);
  if (pid < 0) {
    ::close(pipeEnds[0]);
    return NotStarted(job, QStringLiteral("%1: cannot start the engine's process").arg(job.project));
  }
  job.pipe = pipeEnds[0];
  ::fcntl(job.pipe, F_SETFL, O_NONBLOCK);
}

void TBatch::ReadPipe(TJob& job) {
  if (job.pipe < 0) return;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(job.pipe, buffer, sizeof buffer);
    if (n > 0) {
      job.frames.Append(QByteArray(buffer, static_cast<qsizetype>(n)));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) {  // the child has ended
      ::close(job.pipe);
      job.pipe = -1;
    }
    break;
  }
  char kind = 0;
  QByteArray payload;
  while (job.frames.Next(&kind, &payload)) {
    if (kind == 'P') {
      job.done = THostFrames::Int(payload, 0);
      job.total = THostFrames::Int(payload, 1);
    } else if (kind == 'R') {
      job.outcome = Deserialized(payload);
      job.reported = true;
    }
  }
}

void TBatch::Finish(TJob& job, int status) {
  while (job.pipe >= 0) ReadPipe(job);  // the child has ended: everything it sent is there
  children[job.slot] = 0;
  job.pid = 0;
  job.seconds = std::chrono::duration<double>(Clock::now() - job.started).count();
  job.state = TJob::kFinished;
  if (job.reported) {
    // delivered (or refused) whole, even when interrupted meanwhile
  } else if (interrupted) {
    job.outcome.meaning = QStringLiteral("interrupted");
  } else {
    job.outcome.err += "terva-batch: " + Local(job.project) + ": the engine ended abnormally; the previous results are kept\n";
    job.outcome.meaning = WIFSIGNALED(status) ? QStringLiteral("the engine ended abnormally (signal %1)").arg(WTERMSIG(status))
                                              : QStringLiteral("the engine ended abnormally (exit status %1)").arg(WEXITSTATUS(status));
  }
  job.session.reset();  // the working folder goes
#ifdef TERVA_BATCH_REPORT
  if (options_.report && job.outcome.delivered && job.outcome.code == QLatin1String("0") && !interrupted)
    WriteReport(job.outcome, job.project, options_);
#endif
  if (!job.outcome.ok && options_.failFast) stopped_ = true;
}

// The finished projects' lines, in the order given, as far as all before
// them have finished.
void TBatch::PrintFinished() {
  while (printed_ < jobs_.size() && jobs_[printed_].state == TJob::kFinished) {
    TJob& job = jobs_[printed_++];
    const TOutcome& o = job.outcome;
    if (job.printed || (o.out.isEmpty() && o.err.isEmpty())) continue;
    line_.Clear();
    std::fwrite(o.out.constData(), 1, static_cast<size_t>(o.out.size()), stdout);
    std::fflush(stdout);
    std::fwrite(o.err.constData(), 1, static_cast<size_t>(o.err.size()), stderr);
    std::fflush(stderr);
    job.printed = true;
  }
}

void TBatch::ShowProgress() {
  if (!line_.On()) return;
  int finished = 0;
  QByteArray running;
  for (const TJob& job : jobs_) {
    if (job.state == TJob::kFinished) ++finished;
    if (job.state != TJob::kRunning) continue;
    running += running.isEmpty() ? " " : ", ";
    running += Local(QFileInfo(job.project).fileName());
    if (job.total > 0) running += " " + QByteArray::number(job.done) + "/" + QByteArray::number(job.total) + " freq.";
  }
  const int elapsed = static_cast<int>(std::chrono::duration<double>(Clock::now() - start_).count());
  char head[64];
  std::snprintf(head, sizeof head, "terva-batch: %d/%zu done, %d:%02d", finished, jobs_.size(), elapsed / 60,
                elapsed % 60);
  line_.Show(QByteArray(head) + (running.isEmpty() ? QByteArray() : "; running:" + running));
}

// Waits up to `timeout` ms for a message of a running child and reads
// what has come.
void TBatch::Pump(int timeout) {
  std::vector<pollfd> fds;
  for (const TJob& job : jobs_)
    if (job.state == TJob::kRunning && job.pipe >= 0) fds.push_back({job.pipe, POLLIN, 0});
  ::poll(fds.data(), fds.size(), timeout);
  for (TJob& job : jobs_)
    if (job.state == TJob::kRunning) ReadPipe(job);
}

// Finishes the children that have ended; with `wait`, also waits for those
// whose pipe has closed (they are ending).
void TBatch::Reap(bool wait) {
  for (TJob& job : jobs_) {
    if (job.state != TJob::kRunning || job.pid <= 0) continue;
    int status = 0;
    pid_t pid;
    while ((pid = ::waitpid(job.pid, &status, wait && job.pipe < 0 ? 0 : WNOHANG)) < 0 && errno == EINTR) {
    }
    if (pid == job.pid) Finish(job, status);
  }
}

void TBatch::StopAll() {
  for (TJob& job : jobs_)
    if (job.state == TJob::kRunning && job.pid > 0) ::kill(job.pid, SIGTERM);
  // A child delivering its results finishes that first; its pipe is read
  // meanwhile so that it never waits on a full pipe.
  auto running = [this] {
    return std::any_of(jobs_.begin(), jobs_.end(), [](const TJob& job) { return job.state == TJob::kRunning; });
  };
  while (running()) {
    Pump(20);
    Reap(false);
  }
}

bool TBatch::RunAll() {
  size_t next = 0;
  auto runningCount = [this] {
    return std::count_if(jobs_.begin(), jobs_.end(), [](const TJob& job) { return job.state == TJob::kRunning; });
  };
  for (;;) {
    if (interrupted) break;
    // start what may start
    while (!stopped_ && runningCount() < options_.jobs && next < jobs_.size()) {
      TJob& job = jobs_[next++];
      if (job.state != TJob::kWaiting) continue;
      int slot = 0;
      while (slot < kMaxJobs && children[slot] != 0) ++slot;
      Start(job, slot);
      if (job.state == TJob::kFinished && !job.outcome.ok && options_.failFast) stopped_ = true;
    }
    if (runningCount() == 0) break;
    Pump(100);
    Reap(true);
    PrintFinished();
    ShowProgress();
  }
  if (interrupted) StopAll();
  for (TJob& job : jobs_) {
    if (job.state != TJob::kWaiting) continue;
    job.state = TJob::kFinished;
    job.outcome.meaning = interrupted ? QStringLiteral("not run: interrupted") : QStringLiteral("not run: stopped after a failure");
  }
  line_.Clear();
  PrintFinished();
  return !interrupted;
}

int TBatch::Failures() const {
  int failures = 0;
  for (const TJob& job : jobs_) failures += job.outcome.ok ? 0 : 1;
  return failures;
}

void TBatch::PrintSummary() {
  const double total = std::chrono::duration<double>(Clock::now() - start_).count();
  const int failures = Failures();
  std::printf("\nsummary: %zu project%s, %zu analysed without errors, %d not, %.2f s\n", jobs_.size(),
              jobs_.size() == 1 ? "" : "s", jobs_.size() - static_cast<size_t>(failures), failures, total);
  for (const TJob& job : jobs_) {
    const bool ran = job.seconds >= 0;
    const TOutcome& o = job.outcome;
    const QString where = !o.failedReport.isEmpty()       ? o.failedReport
                          : o.code == QLatin1String("-") ? job.project
                                                         : WithExtension(job.project, QStringLiteral(".tvo"));
    char time[32] = "";
    if (ran) std::snprintf(time, sizeof time, "%.2f s", job.seconds);
    std::printf("  %-2s %-44s %8s  %s\n", Local(o.code).constData(), Local(o.meaning).constData(), time,
                Local(where).constData());
  }
  std::fflush(stdout);
}

}  // namespace

#ifdef TERVA_BATCH_REPORT
// Whether the command line asks for a calculation report, which needs the
// program's drawing: read before the application object is made.
bool WantsReport(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) return false;
    if (std::strcmp(argv[i], "--report") == 0 || std::strncmp(argv[i], "--report=", 9) == 0) return true;
  }
  return false;
}
#endif

int main(int argc, char** argv) {
  std::unique_ptr<QCoreApplication> application;
#ifdef TERVA_BATCH_REPORT
  if (WantsReport(argc, argv)) {
    // the report draws off screen, with or without a display
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    application = std::make_unique<QApplication>(argc, argv);
  }
#endif
  if (!application) application = std::make_unique<QCoreApplication>(argc, argv);
  UseDecimalPoint();  // times and numbers print with "." whatever the locale
  // Working folders go where the desktop program's go.
  QCoreApplication::setOrganizationName(QStringLiteral("Halvit"));
  QCoreApplication::setApplicationName(QStringLiteral("TERVA"));
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  bool help = false;
  std::optional<TOptions> options = ParseOptions(args, help);
  if (help) {
    std::printf("%s", kUsage);
    return 0;
  }
  if (!options) return 2;
  const long cores = std::max<long>(1, ::sysconf(_SC_NPROCESSORS_ONLN));
  if (options->jobs == 0) options->jobs = static_cast<int>(std::clamp<long>(cores, 1, kMaxJobs));
  // The engine spreads a pile group's frequencies over the cores; engines
  // side by side share them instead of each taking all (TERVA_THREADS, when
  // set, is the user's choice and stays).
  if (!std::getenv("TERVA_THREADS")) {
    const long side = std::clamp<long>(static_cast<long>(options->projects.size()), 1, options->jobs);
    ::setenv("TERVA_THREADS", std::to_string(std::max<long>(1, cores / side)).c_str(), 1);
  }

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);  // the terminal went away
  std::signal(SIGPIPE, SIG_IGN);          // output cut short ("| head") must not leave working folders

  TEngineRunner runner;
  runner.SetCallsInChildProcesses(true);
  runner.RemoveAbandonedRuns();  // left by a run whose program was killed
  // The engine stays loaded for the whole call, so that the sessions, one
  // after another, do not each load it afresh (a missing engine is reported
  // by each session).
  TLibraryLoader engine(runner.Library());
  try {
    engine.Open();
  } catch (const TLibraryError&) {
  }
  TProgressLine line(::isatty(STDERR_FILENO) == 1);
  TBatch batch(*options, runner, line);
  batch.Admit(options->projects);
  const bool completed = batch.RunAll();
  batch.PrintSummary();
  if (!completed) {
    std::fprintf(stderr, "terva-batch: interrupted; the previous results are kept where a run did not finish\n");
    return 128 + interrupted;
  }
  return batch.Failures() == 0 ? 0 : 1;
}
