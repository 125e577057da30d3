#include "gui/core/EngineRunner.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdint>

namespace terva::gui {

namespace {

std::atomic<bool> running{false};

// Marks the process busy for the life of the object; `acquired` is false when
// another run holds it.
class RunGuard {
 public:
  RunGuard() : acquired_(!running.exchange(true)) {}
  ~RunGuard() {
    if (acquired_) running = false;
  }
  bool acquired() const { return acquired_; }

 private:
  bool acquired_;
};

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

using Entry = std::int32_t (*)(std::int32_t);

}  // namespace

TLibraryError::TLibraryError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

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

QString WithExtension(const QString& path, const QString& extension) {
  const int slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  const int dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot > slash) return path.left(dot) + extension;
  return path + extension;
}

TRunFiles TRunFiles::Beside(const QString& project) {
  const QString absolute = QFileInfo(project).absoluteFilePath();
  return {absolute, WithExtension(absolute, QStringLiteral(".tvo")), WithExtension(absolute, QStringLiteral(".tvp")),
          WithExtension(absolute, QStringLiteral(".tvr")), WithExtension(absolute, QStringLiteral(".tvt"))};
}

QByteArray TRunFiles::NamesDat() const {
  QByteArray text;
  for (const QString* line : {&project, &report, &graphic, &notes, &geometry, &geometry})
    text += QDir::toNativeSeparators(*line).toLocal8Bit() + '\n';
  return text;
}

QString EngineLibraryName() {
#ifdef Q_OS_WIN
  return QStringLiteral("TERVA3-COMP.DLL");
#else
  return QStringLiteral("libTerva3-comp.so");
#endif
}

QString EngineLibraryPath() {
  const QString override = qEnvironmentVariable("TERVA_ENGINE");
  if (!override.isEmpty()) return override;
  return QDir(QCoreApplication::applicationDirPath()).filePath(EngineLibraryName());
}

const QString TEngineRunner::kReinitialize = QStringLiteral("Attempt to reinitialize DLL");
const QString TEngineRunner::kInitFailed = QStringLiteral("Attempt to initialize DLL failed");

TEngineRunner::TEngineRunner(QString library, QString workRoot)
    : library_(std::move(library)), workRoot_(std::move(workRoot)) {}

QString TEngineRunner::WorkRoot() const {
  if (!workRoot_.isEmpty()) return workRoot_;
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).filePath(QStringLiteral("runs"));
}

bool TEngineRunner::Busy() { return running; }

TEngineRun TEngineRunner::Run(const QString& project) const {
  TEngineRun result;
  RunGuard guard;
  if (!guard.acquired()) {
    result.status = TEngineRun::kBusy;
    result.message = kReinitialize;
    return result;
  }

  const QString root = WorkRoot();
  QDir().mkpath(root);
  QTemporaryDir work(QDir(root).filePath(QStringLiteral("run-XXXXXX")));
  if (!work.isValid()) {
    result.status = TEngineRun::kNoWorkFolder;
    result.message = QStringLiteral("Cannot make a working folder in %1").arg(QDir::toNativeSeparators(root));
    return result;
  }
  {
    QFile names(QDir(work.path()).filePath(QStringLiteral("names.dat")));
    const QByteArray text = TRunFiles::Beside(project).NamesDat();
    if (!names.open(QIODevice::WriteOnly | QIODevice::Truncate) || names.write(text) != text.size()) {
      result.status = TEngineRun::kNoWorkFolder;
      result.message = QStringLiteral("Cannot write %1").arg(QDir::toNativeSeparators(names.fileName()));
      return result;
    }
  }

  TLibraryLoader loader(library_);
  Entry entry = nullptr;
  try {
    loader.Open();
    entry = reinterpret_cast<Entry>(loader.Entry("_ITERVA"));
    if (!entry) entry = reinterpret_cast<Entry>(loader.Entry("ITERVA"));
  } catch (const TLibraryError&) {
    entry = nullptr;
  }
  if (!entry) {
    result.status = TEngineRun::kLibraryFailed;
    result.message = kInitFailed;
    return result;
  }

  CurrentFolder inside(work.path());
  if (!inside.entered()) {
    result.status = TEngineRun::kNoWorkFolder;
    result.message = QStringLiteral("Cannot enter %1").arg(QDir::toNativeSeparators(work.path()));
    return result;
  }
  result.code = entry(13);
  result.status = TEngineRun::kRan;
  return result;
}

}  // namespace terva::gui
