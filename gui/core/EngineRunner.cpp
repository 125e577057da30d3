#include "gui/core/EngineRunner.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>

#ifdef __linux__
#include <fcntl.h>
#endif

namespace terva::gui {

namespace {

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

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// False when an existing result file may not be replaced: not a plain file,
// or marked read-only (by its owner's write bit, so that the mark holds for
// every user, the administrator included).
bool Replaceable(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return true;
  return info.isFile() && !info.isSymLink() && info.permission(QFileDevice::WriteOwner) && info.isWritable();
}

// Writes a copy of `source` to `target` through a temporary file beside the
// target; nothing is renamed yet.
bool Stage(const QString& source, QSaveFile& target) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly)) return false;
  while (!in.atEnd()) {
    const QByteArray block = in.read(1 << 16);
    if (block.isEmpty() && in.error() != QFileDevice::NoError) return false;
    if (target.write(block) != block.size()) return false;
  }
  return true;
}

// Starts writing a staged file to the disk without waiting for it (where the
// system offers that).
void StartWriteBack(QSaveFile& file) {
  if (!file.flush()) return;
#ifdef __linux__
  if (const int fd = file.handle(); fd >= 0) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

// A plain copy into the working folder: a scratch file, so without the
// flush to disk that QFile::copy makes (which a batch of many short runs
// would wait for).
bool CopyFile(const QString& source, const QString& target) {
  QFile in(source), out(target);
  if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
  while (!in.atEnd()) {
    const QByteArray block = in.read(1 << 16);
    if (block.isEmpty() && in.error() != QFileDevice::NoError) return false;
    if (out.write(block) != block.size()) return false;
  }
  return out.flush();
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
  return {absolute,
          WithExtension(absolute, QStringLiteral(".tvo")),
          WithExtension(absolute, QStringLiteral(".tvp")),
          WithExtension(absolute, QStringLiteral(".tvr")),
          WithExtension(absolute, QStringLiteral(".tvt")),
          WithExtension(absolute, QStringLiteral(".tvj"))};
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

QString TEngineRunner::WorkRoot() const {
  if (!workRoot_.isEmpty()) return workRoot_;
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).filePath(QStringLiteral("runs"));
}

bool TEngineRunner::Busy() { return running; }

QString TEngineRunner::ResultConflict(const QString& project) {
  const TRunFiles files = TRunFiles::Beside(project);
  if (files.report == files.project || files.graphic == files.project || files.results == files.project)
    return QStringLiteral("%1: its results would overwrite the project itself").arg(Native(files.project));
  return {};
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
  for (const QString* result : {&files_.report, &files_.graphic, &files_.results})
    if (!Replaceable(*result))
      return refuse(QStringLiteral("%1 cannot be replaced (read-only or not a plain file); the previous results are kept")
                        .arg(Native(*result)));

  const QString root = runner_.WorkRoot();
  QDir().mkpath(root);
  work_ = std::make_unique<QTemporaryDir>(QDir(root).filePath(QStringLiteral("run-XXXXXX")));
  if (!work_->isValid()) return refuse(QStringLiteral("Cannot make a working folder in %1").arg(Native(root)));
  const QDir work(work_->path());
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
  if (!entry_) {
    loader_ = std::make_unique<TLibraryLoader>(runner_.Library());
    try {
      loader_->Open();
      entry_ = reinterpret_cast<TEngineEntry>(loader_->Entry("_ITERVA"));
      if (!entry_) entry_ = reinterpret_cast<TEngineEntry>(loader_->Entry("ITERVA"));
      // optional: an older engine has no progress query
      progress_ = reinterpret_cast<TEngineProgress>(loader_->Entry("_ITERVA_PROGRESS"));
      if (!progress_) progress_ = reinterpret_cast<TEngineProgress>(loader_->Entry("ITERVA_PROGRESS"));
    } catch (const TLibraryError&) {
      entry_ = nullptr;
      progress_ = nullptr;
    }
    if (!entry_) return refuse(TEngineRunner::kInitFailed);
  }
  return true;
}

int TEngineSession::Call() {
  if (!entry_ || !work_) return -1;
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
  if (progress_) progress_(&d, &t);
  if (done) *done = d;
  if (total) *total = t;
  return progress_ != nullptr;
}

TRunResult TEngineSession::Deliver() {
  if (!called_) {
    if (result_.message.isEmpty()) result_.message = QStringLiteral("The engine was not run");
    result_.status = TRunResult::kNotRun;
    return result_;
  }
  const QDir work(work_->path());
  const QString report = work.filePath(TEngineRunner::kReportName);
  const QString graphic = work.filePath(TEngineRunner::kGraphicName);
  if (QFileInfo(report).size() == 0) {
    result_.status = TRunResult::kNoResults;
    result_.message = QStringLiteral("The engine wrote no complete report; the previous results are kept");
    return result_;
  }
  // The files are written beside the project under temporary names first;
  // only when all are complete do they replace the old ones.
  const QString results = work.filePath(TEngineRunner::kResultsName);
  QSaveFile newReport(files_.report), newGraphic(files_.graphic), newResults(files_.results);
  const bool hasGraphic = QFileInfo::exists(graphic);
  const bool hasResults = QFileInfo(results).size() > 0;
  if (!Stage(report, newReport) || (hasGraphic && !Stage(graphic, newGraphic)) ||
      (hasResults && !Stage(results, newResults))) {
    newReport.cancelWriting();
    newGraphic.cancelWriting();
    newResults.cancelWriting();
    result_.status = TRunResult::kNotDelivered;
    result_.message = QStringLiteral("The results could not be written beside %1; the previous results are kept")
                          .arg(Native(files_.project));
    return result_;
  }
  // Each commit waits until its file is on the disk. All files are sent on
  // their way first, so that the first wait covers them all and the others
  // find their files already written.
  StartWriteBack(newReport);
  if (hasGraphic) StartWriteBack(newGraphic);
  if (hasResults) StartWriteBack(newResults);
  if (!newReport.commit() || (hasGraphic && !newGraphic.commit()) || (hasResults && !newResults.commit())) {
    result_.status = TRunResult::kNotDelivered;
    result_.message = QStringLiteral("The results could not be written beside %1").arg(Native(files_.project));
    return result_;
  }
  // an old file of a kind this run did not write would not belong to its report
  if (!hasGraphic) QFile::remove(files_.graphic);
  if (!hasResults) QFile::remove(files_.results);
  result_.errorFrequencies = ErrorFrequencies(files_.report);
  result_.status = TRunResult::kDelivered;
  result_.message.clear();
  return result_;
}

}  // namespace terva::gui
