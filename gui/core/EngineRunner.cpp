#include "gui/core/EngineRunner.hpp"

#include "gui/core/FileSafety.hpp"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace terva::gui {

namespace {

using namespace filesafety;

std::atomic<bool> running{false};

// Makes `folder` the current folder for the life of the object.
class CurrentFolder {
 public:
  explicit CurrentFolder(const QString& folder) : previous_(QDir::currentPath()) { entered_ = QDir::setCurrent(folder); }
  ~CurrentFolder() {
    if (entered_) QDir::setCurrent(previous_);
  }
  bool entered() const { return entered_; }

 private:
  QString previous_;
  bool entered_ = false;
};


// The three files of a results set, in the journal's words.
struct SetMember {
  const char* word;
  QString TRunFiles::*path;
};
constexpr SetMember kSet[] = {{"report", &TRunFiles::report}, {"graphic", &TRunFiles::graphic},
                              {"results", &TRunFiles::results}};

// Puts the staged files the journal names in place and removes the kinds it
// does not name; then the journal goes. Safe to repeat at any point.
bool RollForward(const TRunFiles& files, const QByteArray& journal) {
  const QList<QByteArray> words = journal.split('\n');
  bool ok = true;
  for (const SetMember& member : kSet) {
    const QString& path = files.*member.path;
    if (words.contains(QByteArray(member.word))) {
      const QString staged = TRunFiles::Staged(path);
      if (QFileInfo::exists(staged) && !ReplaceFile(staged, path)) ok = false;
    } else if (QFileInfo(path).isFile()) {
      ok = QFile::remove(path) && ok;
    }
  }
  if (!ok) return false;
  SyncFolder(QFileInfo(files.report).absolutePath());
  QFile::remove(files.journal);
  return true;
}

// RecoverDelivery's work, with the set's lock held.
bool RecoverLocked(const TRunFiles& files) {
  if (QFileInfo(files.journal).isFile()) {
    QFile in(files.journal);
    const QByteArray words = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    return RollForward(files, words);
  }
  for (const SetMember& member : kSet) QFile::remove(TRunFiles::Staged(files.*member.path));
  return true;
}

// A lock file that is never taken for stale while its process lives, however
// long the run.
std::unique_ptr<QLockFile> SetLock(const TRunFiles& files) {
  auto lock = std::make_unique<QLockFile>(files.lock);
  lock->setStaleLockTime(0);
  return lock;
}


}  // namespace

const QString TLibraryLoader::kInitFailed = QStringLiteral("Library failed to properly initialize");
const QString TLibraryLoader::kNotFound = QStringLiteral("Library could not be located");
const QString TLibraryLoader::kNotOpen = QStringLiteral("Library is not open");

TLibraryLoader::TLibraryLoader(QString path) : library_(std::move(path)) {}

TLibraryLoader::~TLibraryLoader() { Close(); }

void TLibraryLoader::Open() {
  if (IsOpen()) return;
  if (!QFileInfo(library_.fileName()).isFile()) throw TLibraryError(kNotFound);
  if (!library_.load()) throw TLibraryError(kInitFailed);
}

QFunctionPointer TLibraryLoader::Entry(const char* name) {
  if (!IsOpen()) throw TLibraryError(kNotOpen);
  return library_.resolve(name);
}

void TLibraryLoader::Close() {
  if (IsOpen()) library_.unload();
}

int ErrorFrequencies(const QString& report) {
  QFile file(report);
  if (!file.open(QIODevice::ReadOnly)) return 0;
  constexpr qint64 kTail = 4096;
  if (file.size() > kTail) file.seek(file.size() - kTail);
  const QString tail = QString::fromLatin1(file.read(kTail));
  static const QRegularExpression closing(QStringLiteral("ANALYSIS COMPLETED WITH ERRORS AT +(\\d+) FREQUENC"));
  const QRegularExpressionMatch match = closing.match(tail);
  return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString WithExtension(const QString& path, const QString& extension) {
  const int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  const int dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot > slash) return path.left(dot) + extension;
  return path + extension;
}

TRunFiles TRunFiles::Beside(const QString& project) {
  const QString absolute = QFileInfo(project).absoluteFilePath();
  const QString report = WithExtension(absolute, QStringLiteral(".tvo"));
  return {absolute,
          report,
          WithExtension(absolute, QStringLiteral(".tvp")),
          WithExtension(absolute, QStringLiteral(".tvr")),
          WithExtension(absolute, QStringLiteral(".tvt")),
          WithExtension(absolute, QStringLiteral(".tvj")),
          WithExtension(absolute, QStringLiteral(".failed.tvo")),
          report + QStringLiteral(".delivery"),
          report + QStringLiteral(".lock")};
}

int GraphicFrequencies(const QString& graphic) {
  QFile file(graphic);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  bool ok = false;
  const int count = file.readLine(64).trimmed().toInt(&ok);
  return ok ? count : -1;
}

bool IsReportErrorLine(const QString& line) {
  // a message in asterisks, not a field too narrow for its number ("*******")
  static const QRegularExpression flagged(QStringLiteral("\\*\\*\\* *[A-Z]"));
  if (line.contains(QLatin1String("*** NOTE"))) return false;
  return line.contains(QLatin1String("ERROR")) || flagged.match(line).hasMatch();
}

QStringList ReportErrorLines(const QString& report, int count) {
  QFile file(report);
  QStringList lines;
  if (!file.open(QIODevice::ReadOnly)) return lines;
  bool continues = false;
  qint64 budget = 8 << 20;  // the input echo and its errors come first
  while (lines.size() < count && budget > 0 && !file.atEnd()) {
    const QByteArray raw = file.readLine(4096);
    budget -= raw.size();
    const QString line = QString::fromLatin1(raw).trimmed();
    if (IsReportErrorLine(line)) {
      lines << line;
      continues = line.startsWith(QLatin1String("*** INPUT ERROR"));
    } else if (continues && !line.isEmpty()) {
      lines << line;
      continues = false;
    } else {
      continues = false;
    }
  }
  return lines;
}

bool RecoverDelivery(const TRunFiles& files) {
  auto stagedLeft = [&files] {
    for (const SetMember& member : kSet)
      if (QFileInfo(TRunFiles::Staged(files.*member.path)).isFile()) return true;
    return false;
  };
  const bool journal = QFileInfo(files.journal).isFile();
  if (!journal && !stagedLeft()) return true;
  // Another run of this set may be writing its staged files or renaming them
  // right now: only a free lock lets us touch them.
  const std::unique_ptr<QLockFile> lock = SetLock(files);
  if (!lock->tryLock(0)) return !journal;
  return RecoverLocked(files);
}

QString EngineHostPath() {
  const QString override = qEnvironmentVariable("TERVA_ENGINE_HOST");
  if (!override.isEmpty()) return override;
#ifdef Q_OS_WIN
  const QString name = QStringLiteral("terva-engine-host.exe");
#else
  const QString name = QStringLiteral("terva-engine-host");
#endif
  const QDir folder(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TERVA_ENGINE_DIR)));
  return QDir::cleanPath(folder.filePath(name));
}

QByteArray TRunFiles::NamesDat() const {
  QByteArray text;
  for (const QString* line : {&project, &report, &graphic, &notes, &geometry, &geometry, &results})
    text += Native(*line).toLocal8Bit() + '\n';
  return text;
}

QString EngineLibraryName() {
#ifdef Q_OS_WIN
  return QStringLiteral("TERVA3-COMP.DLL");
#else
  return QStringLiteral("libTerva3-comp.so");
#endif
}

#ifndef TERVA_ENGINE_DIR
#error "TERVA_ENGINE_DIR (the engine library's folder relative to the program's) comes from cmake/Platform.cmake"
#endif

QString EngineLibraryPath() {
  const QString override = qEnvironmentVariable("TERVA_ENGINE");
  if (!override.isEmpty()) return override;
  // The library's folder relative to the program's (TERVA_ENGINE_DIR, set
  // by the build: "../lib/terva" on Linux, "." on Windows).
  const QDir folder(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(TERVA_ENGINE_DIR)));
  return QDir::cleanPath(folder.filePath(EngineLibraryName()));
}

// ---------------------------------------------------------------------------

const QString TEngineRunner::kReinitialize = QStringLiteral("Attempt to reinitialize DLL");
const QString TEngineRunner::kInitFailed = QStringLiteral("Attempt to initialize DLL failed");
const QString TEngineRunner::kInputName = QStringLiteral("input.tvd");
const QString TEngineRunner::kReportName = QStringLiteral("output.tvo");
const QString TEngineRunner::kGraphicName = QStringLiteral("output.tvp");
const QString TEngineRunner::kResultsName = QStringLiteral("output.tvj");

TEngineRunner::TEngineRunner(QString library, QString workRoot)
    : library_(std::move(library)), workRoot_(std::move(workRoot)) {}

TEngineRunner::TEngineRunner(TEngineEntry entry, QString workRoot) : entry_(entry), workRoot_(std::move(workRoot)) {}

TEngineRunner::TEngineRunner(TEngineEntry entry, TEngineProgress progress, QString workRoot)
    : entry_(entry), progress_(progress), workRoot_(std::move(workRoot)) {}

TEngineRunner::TEngineRunner(TEngineFolderRun run, QString workRoot) : run_(run), workRoot_(std::move(workRoot)) {}

QString TEngineRunner::WorkRoot() const {
  if (!workRoot_.isEmpty()) return workRoot_;
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).filePath(QStringLiteral("runs"));
}

bool TEngineRunner::Busy() { return running; }

QString TEngineRunner::ResultConflict(const QString& project) {
  const TRunFiles files = TRunFiles::Beside(project);
  for (const QString& written : {files.report, files.graphic, files.results, files.failed, files.journal, files.lock,
                                 TRunFiles::Staged(files.report), TRunFiles::Staged(files.graphic),
                                 TRunFiles::Staged(files.results)})
    if (written == files.project)
      return QStringLiteral("%1: its results would overwrite the project itself").arg(Native(files.project));
  return {};
}

void TEngineRunner::RemoveAbandonedRuns() const {
  const QDir root(WorkRoot());
  if (!root.exists() || !UnsafeFolder(root.path()).isEmpty()) return;
  const QDateTime hourAgo = QDateTime::currentDateTimeUtc().addSecs(-3600);
  for (const QFileInfo& folder : root.entryInfoList({QStringLiteral("run-*")}, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
    if (folder.isSymLink()) continue;
    // The owner line is renamed into place whole; a folder without one (or
    // with an incomplete one, written by an older program) is being made or
    // was left half made, and only its age decides.
    QFile owner(QDir(folder.filePath()).filePath(QStringLiteral("owner")));
    const QByteArray line = owner.open(QIODevice::ReadOnly) ? owner.readLine(128) : QByteArray();
    owner.close();
    const bool gone = line.endsWith('\n') ? !OwnerAlive(line) : folder.lastModified().toUTC() < hourAgo;
    if (gone) QDir(folder.filePath()).removeRecursively();
  }
}

TRunResult TEngineRunner::Run(const QString& project) const {
  TEngineSession session(*this, project);
  if (!session.Prepare()) return session.Result();
  session.Call();
  return session.Deliver();
}

// ---------------------------------------------------------------------------

TEngineSession::TEngineSession(const TEngineRunner& runner, const QString& project)
    : runner_(runner), files_(TRunFiles::Beside(project)) {}

TEngineSession::~TEngineSession() {
  loader_.reset();  // unloaded before the folder goes
  work_.reset();
  lock_.reset();
  if (acquired_) running = false;
}

QString TEngineSession::WorkFolder() const { return work_ ? work_->path() : QString(); }

bool TEngineSession::Prepare() {
  auto refuse = [this](const QString& message) {
    result_.status = TRunResult::kNotRun;
    result_.message = message;
    return false;
  };
  if (!runner_.CallsInChildProcesses()) {
    if (running.exchange(true)) return refuse(TEngineRunner::kReinitialize);
    acquired_ = true;
  }

  const QFileInfo project(files_.project);
  if (!project.isFile() || !project.isReadable())
    return refuse(QStringLiteral("%1: no such project file").arg(Native(files_.project)));
  if (const QString conflict = TEngineRunner::ResultConflict(files_.project); !conflict.isEmpty())
    return refuse(conflict);
  // One run at a time per results set, in this process and across processes.
  lock_ = SetLock(files_);
  if (!lock_->tryLock(0)) {
    qint64 pid = 0;
    QString host, application;
    const QLockFile::LockError error = lock_->error();
    lock_->getLockInfo(&pid, &host, &application);
    lock_.reset();
    if (QFileInfo(files_.lock).isSymLink())
      return refuse(QStringLiteral("%1 is a link; the run is refused").arg(Native(files_.lock)));
    if (error != QLockFile::LockFailedError)
      return refuse(QStringLiteral("Nothing can be written beside %1 (a read-only folder?); the run is refused")
                        .arg(Native(files_.project)));
    return refuse(QStringLiteral("%1 is being analysed by another run (%2, process %3); the run is refused, try again "
                                 "when it has finished")
                      .arg(Native(files_.project), QFileInfo(application).fileName())
                      .arg(pid));
  }
  if (!RecoverLocked(files_))
    return refuse(QStringLiteral("The results beside %1 could not be completed from an interrupted run")
                      .arg(Native(files_.project)));
  for (const QString* result : {&files_.report, &files_.graphic, &files_.results, &files_.failed})
    if (!Replaceable(*result))
      return refuse(QStringLiteral("%1 cannot be replaced (read-only or not a plain file); the previous results are kept")
                        .arg(Native(*result)));

  const QString root = runner_.WorkRoot();
  const QString data = QFileInfo(root).absolutePath();
  if (!QFileInfo(root).isDir()) {
    QDir().mkpath(data);
    QDir().mkdir(root);
    QFile::setPermissions(root, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  for (const QString& folder : {data, root})
    if (const QString why = UnsafeFolder(folder); !why.isEmpty()) return refuse(why);
  work_ = std::make_unique<QTemporaryDir>(QDir(root).filePath(QStringLiteral("run-XXXXXX")));
  if (!work_->isValid()) return refuse(QStringLiteral("Cannot make a working folder in %1").arg(Native(root)));
  const QDir work(work_->path());
  {
    // Written under another name and renamed, so that another program
    // clearing abandoned folders never reads a line half written.
    QFile owner(work.filePath(QStringLiteral("owner.new")));
    if (!owner.open(QIODevice::WriteOnly | QIODevice::NewOnly) || owner.write(OwnerLine()) < 0 || !owner.flush())
      return refuse(QStringLiteral("Cannot write in %1").arg(Native(work.path())));
    owner.close();
    if (!QFile::rename(owner.fileName(), work.filePath(QStringLiteral("owner"))))
      return refuse(QStringLiteral("Cannot write in %1").arg(Native(work.path())));
  }
  // The engine works on a private copy under a short name and writes only
  // inside the working folder.
  if (!CopyFile(files_.project, work.filePath(TEngineRunner::kInputName)))
    return refuse(QStringLiteral("Cannot copy %1 into the working folder").arg(Native(files_.project)));
  TRunFiles inside{work.filePath(TEngineRunner::kInputName), work.filePath(TEngineRunner::kReportName),
                   work.filePath(TEngineRunner::kGraphicName), work.filePath(QStringLiteral("output.tvr")),
                   work.filePath(QStringLiteral("output.tvt")), work.filePath(TEngineRunner::kResultsName)};
  QFile names(work.filePath(QStringLiteral("names.dat")));
  const QByteArray text = inside.NamesDat();
  if (!names.open(QIODevice::WriteOnly) || names.write(text) != text.size() || !names.flush())
    return refuse(QStringLiteral("Cannot write %1").arg(Native(names.fileName())));
  names.close();

  entry_ = runner_.InProcessEntry();
  progress_ = runner_.InProcessProgress();
  run_ = runner_.InProcessRun();
  if (runner_.CallsOutOfProcess()) {
    // the host loads the library; here only that both are there
    if (!QFileInfo(runner_.Library()).isFile() || !QFileInfo(EngineHostPath()).isExecutable())
      return refuse(TEngineRunner::kInitFailed);
    return true;
  }
  if (!entry_ && !run_) {
    loader_ = std::make_unique<TLibraryLoader>(runner_.Library());
    try {
      loader_->Open();
      entry_ = reinterpret_cast<TEngineEntry>(loader_->Entry("_ITERVA"));
      if (!entry_) entry_ = reinterpret_cast<TEngineEntry>(loader_->Entry("ITERVA"));
      // optional: an older engine has no progress query and no run in a folder
      progress_ = reinterpret_cast<TEngineProgress>(loader_->Entry("_ITERVA_PROGRESS"));
      if (!progress_) progress_ = reinterpret_cast<TEngineProgress>(loader_->Entry("ITERVA_PROGRESS"));
      run_ = reinterpret_cast<TEngineFolderRun>(loader_->Entry("terva_run"));
    } catch (const TLibraryError&) {
      entry_ = nullptr;
      progress_ = nullptr;
      run_ = nullptr;
    }
    if (!entry_) return refuse(TEngineRunner::kInitFailed);
  }
  return true;
}

void TProgressCounters::Tell(int d, int t, void* user) {
  auto* counters = static_cast<TProgressCounters*>(user);
  if (t == 0) {
    counters->total.store(0, std::memory_order_relaxed);
    counters->done.store(0, std::memory_order_relaxed);
  } else {
    counters->done.store(d, std::memory_order_relaxed);
    counters->total.store(t, std::memory_order_relaxed);
  }
}

void TProgressCounters::Read(int& d, int& t) const {
  t = total.load(std::memory_order_relaxed);
  d = std::min(done.load(std::memory_order_relaxed), t);
}

int TEngineSession::Call() {
  if ((!entry_ && !run_) || !work_) return -1;
  if (run_) {
    // the engine is given the folder: the process's current folder stays as it is
    called_ = true;
    result_.code = run_(QFile::encodeName(work_->path()).constData(), &TProgressCounters::Tell, &told_);
    return result_.code;
  }
  CurrentFolder inside(work_->path());
  if (!inside.entered()) {
    result_.message = QStringLiteral("Cannot enter %1").arg(Native(work_->path()));
    return -1;
  }
  called_ = true;
  result_.code = entry_(13);
  return result_.code;
}

bool TEngineSession::Progress(int* done, int* total) const {
  int d = 0, t = 0;
  if (run_) {
    told_.Read(d, t);
  } else if (progress_) {
    progress_(&d, &t);
  }
  if (done) *done = d;
  if (total) *total = t;
  return run_ != nullptr || progress_ != nullptr;
}

TRunResult TEngineSession::Deliver() {
  if (abandoned_ != TRunResult::kDelivered) {
    result_.status = abandoned_;
    return result_;
  }
  if (!called_) {
    if (result_.message.isEmpty()) result_.message = QStringLiteral("The engine was not run");
    result_.status = TRunResult::kNotRun;
    return result_;
  }
  const QDir work(work_->path());
  const QString report = work.filePath(TEngineRunner::kReportName);
  const QString graphic = work.filePath(TEngineRunner::kGraphicName);
  const QString results = work.filePath(TEngineRunner::kResultsName);
  const bool hasReport = QFileInfo(report).size() > 0;
  const bool hasGraphic = QFileInfo::exists(graphic);
  const bool hasResults = QFileInfo(results).size() > 0;
  result_.errorFrequencies = hasReport ? ErrorFrequencies(report) : 0;
  result_.frequencies = hasGraphic ? GraphicFrequencies(graphic) : -1;
  const bool nothingAnalysed = result_.frequencies >= 0 && result_.errorFrequencies >= result_.frequencies;
  if (result_.code != 0 || !hasReport || nothingAnalysed) {
    // No results: the set beside the project stays; the run's report goes
    // where the user is pointed to it.
    result_.status = TRunResult::kNoResults;
    result_.errorLines = hasReport ? ReportErrorLines(report) : QStringList();
    if (!hasReport) {
      result_.message = QStringLiteral("The engine wrote no report; the previous results are kept");
    } else {
      QSaveFile failed(files_.failed);
      if (Stage(report, failed) && failed.commit()) result_.report = files_.failed;
      result_.message = nothingAnalysed ? QStringLiteral("The analysis failed at every frequency; the previous results are kept")
                                        : QStringLiteral("The run gave no results; the previous results are kept");
    }
    return result_;
  }
  // A complete run: the new set is written beside the old one under staging
  // names, the journal commits to it, and the renames put it in place.
  auto notDelivered = [this] {
    for (const SetMember& member : kSet) QFile::remove(TRunFiles::Staged(files_.*member.path));
    result_.status = TRunResult::kNotDelivered;
    result_.message = QStringLiteral("The results could not be written beside %1; the previous results are kept")
                          .arg(Native(files_.project));
    return result_;
  };
  const std::pair<QString, bool> sources[] = {{report, true}, {graphic, hasGraphic}, {results, hasResults}};
  QByteArray journal;
  for (int i = 0; i < 3; ++i) {
    if (!sources[i].second) continue;
    if (!StageNew(sources[i].first, TRunFiles::Staged(files_.*kSet[i].path))) return notDelivered();
    journal += QByteArray(kSet[i].word) + '\n';
  }
  for (int i = 0; i < 3; ++i)
    if (sources[i].second && !SyncFile(TRunFiles::Staged(files_.*kSet[i].path))) return notDelivered();
  QSaveFile commit(files_.journal);
  if (!commit.open(QIODevice::WriteOnly) || commit.write(journal) != journal.size() || !commit.commit())
    return notDelivered();
  // From here on the new set is decided: a failure of a rename is completed
  // by the next run or reader.
  if (!RollForward(files_, journal)) {
    result_.status = TRunResult::kNotDelivered;
    result_.message = QStringLiteral("The results beside %1 could not all be put in place; the next run completes them")
                          .arg(Native(files_.project));
    return result_;
  }
  QFile::remove(files_.failed);  // the last failed run's report is superseded
  result_.report = files_.report;
  result_.status = TRunResult::kDelivered;
  result_.message.clear();
  return result_;
}

}  // namespace terva::gui
