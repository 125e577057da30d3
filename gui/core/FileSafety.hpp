// The file operations that keep a project's results safe: copies that never
// write through a link, staged copies put in place by one rename, the flush
// to disk of files and of a folder's renames, and who owns a working folder
// (a process and its start, so that a reused process number is told apart).
// Qt Core and the system only; used by the engine runner.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QIODevice>
#include <QSaveFile>
#include <QString>

namespace terva::gui::filesafety {

QString Native(const QString& path);
// False when an existing result file may not be replaced: not a plain file,
// or marked read-only (by its owner's write bit).
bool Replaceable(const QString& path);
// Copies the file `source` into `out`, opened with `mode`; false on any failure of either.
bool CopyInto(const QString& source, QFileDevice& out, QIODevice::OpenMode mode);
// A copy of `source` through a temporary file beside the target; nothing is renamed yet.
bool Stage(const QString& source, QSaveFile& target);
// A plain copy into a working folder (a scratch file: no flush to disk).
bool CopyFile(const QString& source, const QString& target);
// A copy to `target` as a new file; whatever was planted under the name is removed first.
bool StageNew(const QString& source, const QString& target);
// Waits until the file's bytes are on the disk.
bool SyncFile(const QString& path);
// Makes the renames in `folder` durable (where the system needs that).
void SyncFolder(const QString& folder);
// Renames `from` over `to` in one step, replacing a file there.
bool ReplaceFile(const QString& from, const QString& to);
// The line a working folder's "owner" file holds: this process and its start.
QByteArray OwnerLine();
// Whether the process an "owner" line names is still the one running.
bool OwnerAlive(const QByteArray& line);
// Why `folder` may not hold working folders; empty when it may (a folder of
// the user's own that is open to others is closed first).
QString UnsafeFolder(const QString& folder);

}  // namespace terva::gui::filesafety
