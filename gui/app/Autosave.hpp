// Autosave and recovery. While the program runs, the open project, when it
// has unsaved changes, is written every few minutes (a setting; 5 by
// default) into the user's data folder ("autosave" under the program's
// data location) — never over the user's own file. Each running program
// holds a lock beside its autosave; a normal end, a save, a new or opened
// project remove the autosave. An autosave whose lock no running program
// holds is left from an abnormal end: the next start offers it.
#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace terva::gui {

class TProgramData;
class TProjectTables;

class TAutosave : public QObject {
  Q_OBJECT

 public:
  // The intervals the Edit menu offers, in minutes (0: off).
  static constexpr std::array<int, 6> kIntervals = {0, 1, 2, 5, 10, 15};
  static constexpr int kDefaultInterval = 5;

  // `project`, `tables` and `modified` give the open project and whether it
  // has unsaved changes.
  TAutosave(std::function<const TProgramData&()> project, const TProjectTables& tables,
            std::function<bool()> modified, QObject* parent = nullptr);
  // A normal end: the autosave goes.
  ~TAutosave() override;

  // The interval in minutes (0: off), kept in the settings.
  int Interval() const { return interval_; }
  void SetInterval(int minutes);

  // Writes the project now when it has unsaved changes, removes the
  // autosave when it has none; false when it could not be written.
  bool SaveNow();
  // Removes this program's autosave (the project was saved or replaced).
  void Discard();
  // This program's autosave (it may not exist).
  QString Path() const { return path_; }

  // The folder of every program's autosaves.
  static QString Folder();

  // An autosave left by a program that ended abnormally. Taking one locks
  // it: no other program offers it meanwhile.
  struct TRecovery {
    QString path;        // the autosaved project
    QString project;     // the file it belongs to; empty for a project never saved
    QDateTime autosaved; // when it was written
    QDateTime fileSaved; // when the project's file was last written; invalid when there is none
    std::shared_ptr<QLockFile> lock;
  };
  // The newest first.
  static std::vector<TRecovery> Orphans();
  // Removes a recovery's files.
  static void Remove(const TRecovery& recovery);

 private:
  std::function<const TProgramData&()> project_;
  const TProjectTables& tables_;
  std::function<bool()> modified_;
  QString path_;
  std::unique_ptr<QLockFile> lock_;
  QTimer timer_;
  int interval_ = kDefaultInterval;
};

}  // namespace terva::gui
