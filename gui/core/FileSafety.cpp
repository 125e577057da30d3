#include "gui/core/FileSafety.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

namespace terva::gui::filesafety {

QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

// False when an existing result file may not be replaced: not a plain file,
// or marked read-only (by its owner's write bit, so that the mark holds for
// every user, the administrator included).
bool Replaceable(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return true;
  return info.isFile() && !info.isSymLink() && info.permission(QFileDevice::WriteOwner) && info.isWritable();
}

// Copies the file `source` into `out`, opened with `mode`; false on any
// failure of either.
bool CopyInto(const QString& source, QFileDevice& out, QIODevice::OpenMode mode) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly) || !out.open(mode)) return false;
  while (!in.atEnd()) {
    const QByteArray block = in.read(1 << 16);
    if (block.isEmpty() && in.error() != QFileDevice::NoError) return false;
    if (out.write(block) != block.size()) return false;
  }
  return true;
}

// Writes a copy of `source` to `target` through a temporary file beside the
// target; nothing is renamed yet.
bool Stage(const QString& source, QSaveFile& target) { return CopyInto(source, target, QIODevice::WriteOnly); }

// A plain copy into the working folder: a scratch file, so without the
// flush to disk that QFile::copy makes (which a batch of many short runs
// would wait for).
bool CopyFile(const QString& source, const QString& target) {
  QFile out(target);
  return CopyInto(source, out, QIODevice::WriteOnly | QIODevice::NewOnly) && out.flush();
}

// Writes a copy of `source` to `target`, a new file: a link or file planted
// under that name is removed first, and the file is created only when
// nothing has taken the name meanwhile, so nothing is written through a link.
bool StageNew(const QString& source, const QString& target) {
  QFile::remove(target);
  QFile out(target);
  if (!CopyInto(source, out, QIODevice::WriteOnly | QIODevice::NewOnly) || !out.flush()) return false;
#ifdef __linux__
  ::sync_file_range(out.handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
  return true;
}

// Waits until the file's bytes are on the disk.
bool SyncFile(const QString& path) {
#ifdef Q_OS_UNIX
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
#else
  QFile file(path);
  return file.open(QIODevice::ReadWrite) && file.flush();
#endif
}

// Makes the renames in `folder` durable (where the system needs that).
void SyncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
#else
  Q_UNUSED(folder);
#endif
}

// Renames `from` over `to` in one step, replacing a file there.
bool ReplaceFile(const QString& from, const QString& to) {
#ifdef Q_OS_WIN
  return ::MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

#ifdef Q_OS_UNIX
// The start time of process `pid` in clock ticks since boot (field 22 of
// /proc/PID/stat); 0 where the system does not tell.
static unsigned long long ProcessStart(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return 0;
  const QByteArray text = stat.readAll();
  const int close = text.lastIndexOf(')');  // the command name may hold blanks and brackets
  if (close < 0) return 0;
  const QList<QByteArray> fields = text.mid(close + 2).split(' ');
  return fields.size() > 19 ? fields.at(19).toULongLong() : 0;  // field 22, counted after the name
}
#endif

// The line the working folder's "owner" file holds: this process and its start.
QByteArray OwnerLine() {
  const qint64 pid = QCoreApplication::applicationPid();
#ifdef Q_OS_UNIX
  return QByteArray::number(pid) + ' ' + QByteArray::number(ProcessStart(pid)) + '\n';
#else
  return QByteArray::number(pid) + " 0\n";
#endif
}

// Whether the process an "owner" line names is still the one running.
bool OwnerAlive(const QByteArray& line) {
  const QList<QByteArray> fields = line.trimmed().split(' ');
  bool ok = false;
  const qint64 pid = fields.value(0).toLongLong(&ok);
  if (!ok || pid <= 0) return false;
#ifdef Q_OS_UNIX
  if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
  const unsigned long long start = fields.value(1).toULongLong();
  const unsigned long long now = ProcessStart(pid);
  return start == 0 || now == 0 || start == now;  // a different start: the number was reused
#else
  return true;  // not decided here: only age removes a folder
#endif
}

// Why `folder` may not hold working folders: another user owns it, or others
// may change it and it cannot be closed to them. Empty when it may. A folder
// of the user's own that is open to the group or to others (a umask of 002)
// is closed first.
QString UnsafeFolder(const QString& folder) {
#ifdef Q_OS_UNIX
  struct stat st {};
  const QByteArray name = QFile::encodeName(folder);
  if (::stat(name.constData(), &st) != 0) return QStringLiteral("%1 cannot be read").arg(Native(folder));
  if (st.st_uid != ::geteuid())
    return QStringLiteral("%1 belongs to another user; the run is refused (remove it, or make it yours)")
        .arg(Native(folder));
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && ::chmod(name.constData(), st.st_mode & 07755 & ~(S_IWGRP | S_IWOTH)) != 0)
    return QStringLiteral("%1 may be changed by other users and cannot be closed to them; the run is refused")
        .arg(Native(folder));
#else
  Q_UNUSED(folder);
#endif
  return {};
}

}  // namespace terva::gui::filesafety
