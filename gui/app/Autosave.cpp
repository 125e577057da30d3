#include "gui/app/Autosave.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>

#include "gui/core/Errors.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Settings.hpp"

namespace terva::gui {

namespace {

const QString kIntervalKey = QStringLiteral("AutosaveMinutes");

// The description beside an autosave: the project's file and the time.
QString InfoPath(const QString& autosave) { return autosave.chopped(4) + QStringLiteral(".ini"); }
QString LockPath(const QString& autosave) { return autosave.chopped(4) + QStringLiteral(".lock"); }

}  // namespace

QString TAutosave::Folder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)).filePath(QStringLiteral("autosave"));
}

TAutosave::TAutosave(std::function<const TProgramData&()> project, const TProjectTables& tables,
                     std::function<bool()> modified, QObject* parent)
    : QObject(parent), project_(std::move(project)), tables_(tables), modified_(std::move(modified)) {
  QDir().mkpath(Folder());
  path_ = QDir(Folder()).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".tvd"));
  lock_ = std::make_unique<QLockFile>(LockPath(path_));
  lock_->setStaleLockTime(0);
  lock_->tryLock(0);
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(TSettings::Group());
  bool ok = false;
  const int stored = settings.value(kIntervalKey, kDefaultInterval).toInt(&ok);
  interval_ = ok && std::find(kIntervals.begin(), kIntervals.end(), stored) != kIntervals.end() ? stored
                                                                                                : kDefaultInterval;
  connect(&timer_, &QTimer::timeout, this, [this] { SaveNow(); });
  if (interval_ > 0) timer_.start(interval_ * 60 * 1000);
}

TAutosave::~TAutosave() {
  Discard();
  if (lock_) lock_->unlock();
}

void TAutosave::SetInterval(int minutes) {
  if (std::find(kIntervals.begin(), kIntervals.end(), minutes) == kIntervals.end()) return;
  interval_ = minutes;
  QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
  settings.beginGroup(TSettings::Group());
  settings.setValue(kIntervalKey, minutes);
  if (minutes > 0) timer_.start(minutes * 60 * 1000);
  else timer_.stop();
}

bool TAutosave::SaveNow() {
  if (!modified_()) {
    Discard();
    return true;
  }
  QByteArray text;
  try {
    TProgramData saved = project_();
    ApplyProjectSaveRules(saved, tables_);
    text = ProjectFileText(saved, tables_);
  } catch (const TError&) {
    return false;  // a value the file cannot hold yet: the next round tries again
  }
  QDir().mkpath(Folder());
  // The description first: an autosave is never without the name of its file.
  QSettings info(InfoPath(path_), QSettings::IniFormat);
  info.setValue(QStringLiteral("Project"), project_().IsUnnamed() ? QString() : project_().FileName);
  info.setValue(QStringLiteral("Autosaved"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
  info.sync();
  if (info.status() != QSettings::NoError) return false;
  try {
    WriteFileSafely(path_, text);
  } catch (const TError&) {
    return false;  // a full disk: the previous autosave stays whole
  }
  return true;
}

void TAutosave::Discard() {
  QFile::remove(path_);
  QFile::remove(InfoPath(path_));
}

std::vector<TAutosave::TRecovery> TAutosave::Orphans() {
  std::vector<TRecovery> found;
  const QDir folder(Folder());
  // The locks of programs that ended abnormally with nothing to recover.
  for (const QFileInfo& lockFile : folder.entryInfoList({QStringLiteral("*.lock")}, QDir::Files)) {
    if (QFileInfo::exists(lockFile.absoluteFilePath().chopped(5) + QStringLiteral(".tvd"))) continue;
    QLockFile stale(lockFile.absoluteFilePath());
    stale.setStaleLockTime(0);
    if (stale.tryLock(0)) {
      stale.unlock();  // removes it
      QFile::remove(lockFile.absoluteFilePath().chopped(5) + QStringLiteral(".ini"));
    }
  }
  for (const QFileInfo& file : folder.entryInfoList({QStringLiteral("*.tvd")}, QDir::Files)) {
    auto lock = std::make_shared<QLockFile>(LockPath(file.absoluteFilePath()));
    lock->setStaleLockTime(0);  // a running program's lock is never taken, however old
    if (!lock->tryLock(0)) continue;  // its program runs
    TRecovery recovery;
    recovery.path = file.absoluteFilePath();
    const QSettings info(InfoPath(recovery.path), QSettings::IniFormat);
    recovery.project = info.value(QStringLiteral("Project")).toString();
    recovery.autosaved = QDateTime::fromString(info.value(QStringLiteral("Autosaved")).toString(), Qt::ISODate);
    if (!recovery.autosaved.isValid()) recovery.autosaved = file.lastModified().toUTC();
    if (!recovery.project.isEmpty() && QFileInfo::exists(recovery.project))
      recovery.fileSaved = QFileInfo(recovery.project).lastModified().toUTC();
    recovery.lock = std::move(lock);
    found.push_back(std::move(recovery));
  }
  std::sort(found.begin(), found.end(), [](const TRecovery& a, const TRecovery& b) { return a.autosaved > b.autosaved; });
  return found;
}

void TAutosave::Remove(const TRecovery& recovery) {
  QFile::remove(recovery.path);
  QFile::remove(InfoPath(recovery.path));
  if (recovery.lock) recovery.lock->unlock();
}

}  // namespace terva::gui
