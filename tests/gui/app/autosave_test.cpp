// Autosave and recovery, offscreen: what is written and when, what removes
// it, the interval setting, and the next start after an abnormal end. An
// abnormal end is simulated by an autosave whose lock a process that is gone
// still names (a child that locks and exits without unlocking).
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "gui/app/Autosave.hpp"
#include "gui/app/Main.hpp"
#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Settings.hpp"
#include "gui/model/Table.hpp"
#include "support/MessageRecorder.hpp"
#include "support/TestFolder.hpp"
#include "terva/version.h"

using namespace terva::gui;

namespace {

const QString kPrefix = QStringLiteral("TERVA " TERVA_VERSION " - ");
const QString kTitle = QStringLiteral("Changed before the crash");

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QString Sibling(const QString& autosave, const char* extension) {
  return autosave.chopped(4) + QLatin1String(extension);
}

QStringList AutosavedProjects() {
  return QDir(TAutosave::Folder()).entryList({QStringLiteral("*.tvd")}, QDir::Files);
}

// A lock at `path` in the format a live program writes, naming a process
// that has ended: a child takes it and exits without unlocking.
bool DeadLock(const QString& path) {
#ifdef Q_OS_UNIX
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    QLockFile lock(path);
    _exit(lock.tryLock(0) ? 0 : 1);  // no destructor: the lock stays behind
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child) return false;  // reaped: no zombie that looks alive
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 && QFile::exists(path);
#else
  Q_UNUSED(path);
  return false;
#endif
}

// What a program that ended abnormally leaves: an autosave, its description
// and its lock. The autosaved time shown to the user is returned.
struct TLeftOver {
  QString path;
  QString autosaved;  // as the .ini holds it
};

}  // namespace

class AutosaveTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

  // Opens `project` (a new project when empty), changes it (English units
  // and a title), writes the autosave and ends the program as a crash
  // would: the files stay, the lock names a process that is gone.
  TLeftOver Crash(const QString& project) {
    TLeftOver left;
    QByteArray text, info;
    {
      TMainForm main;
      main.Start(project);
      main.SetUnits(1);
      main.Project().Title = kTitle;
      main.SetModified();
      if (!main.Autosave().SaveNow()) return {};
      left.path = main.Autosave().Path();
      text = ReadAll(left.path);
      info = ReadAll(Sibling(left.path, ".ini"));
    }  // a normal end removes them: they are put back below
    if (text.isEmpty() || info.isEmpty()) return {};
    if (!WriteAll(left.path, text) || !WriteAll(Sibling(left.path, ".ini"), info)) return {};
    if (!DeadLock(Sibling(left.path, ".lock"))) return {};
    left.autosaved = QSettings(Sibling(left.path, ".ini"), QSettings::IniFormat).value("Autosaved").toString();
    return left;
  }

  static QString Shown(const QString& iso) {
    return QDateTime::fromString(iso, Qt::ISODate).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  }

 private slots:
  void initTestCase() { QVERIFY(folder_.Isolate()); }

  void init() {
    QSettings(QStringLiteral("Halvit"), QStringLiteral("TERVA")).clear();
    QDir(TAutosave::Folder()).removeRecursively();
  }

  // Only a project with unsaved changes is written, and only into the
  // autosave folder; saving, a new project and a normal end remove it.
  void writtenOnlyWhenModified() {
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("own.tvd"));
    QVERIFY(!project.isEmpty());
    const QByteArray original = ReadAll(project);
    test::TMessageRecorder messages(MbNo);  // the question to save, at New
    TMainForm main;
    main.Start(project);
    const QString autosave = main.Autosave().Path();
    QCOMPARE(QFileInfo(autosave).absolutePath(), QDir(TAutosave::Folder()).absolutePath());
    QVERIFY(QFile::exists(Sibling(autosave, ".lock")));

    QVERIFY(main.Autosave().SaveNow());
    QVERIFY(!QFile::exists(autosave));

    main.Tables().D1()->Cell(0, 0).SetReal(1.5L);  // a table cell
    QCoreApplication::processEvents();
    QVERIFY(main.Modified());
    QVERIFY(main.Autosave().SaveNow());
    QVERIFY(QFile::exists(autosave));
    QCOMPARE(ReadAll(project), original);
    const QSettings info(Sibling(autosave, ".ini"), QSettings::IniFormat);
    QCOMPARE(info.value("Project").toString(), project);
    const QDateTime when = QDateTime::fromString(info.value("Autosaved").toString(), Qt::ISODate);
    QVERIFY(when.isValid());
    QVERIFY(qAbs(when.secsTo(QDateTime::currentDateTimeUtc())) < 60);
    QCOMPARE(AutosavedProjects(), QStringList{QFileInfo(autosave).fileName()});

    QVERIFY(main.FileSave());
    QVERIFY(!QFile::exists(autosave));
    QVERIFY(!QFile::exists(Sibling(autosave, ".ini")));

    main.SetUnits(1);  // the units: changed again, written again, then a new project
    QVERIFY(main.Autosave().SaveNow());
    QVERIFY(QFile::exists(autosave));
    QVERIFY(ReadAll(autosave) != ReadAll(project));
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(main.FileNew());
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(!QFile::exists(autosave));
    QVERIFY(!QFile::exists(Sibling(autosave, ".ini")));
  }

  void normalEndRemovesTheAutosave() {
    QString autosave;
    {
      TMainForm main;
      main.Start();
      main.SetUnits(1);
      QVERIFY(main.Autosave().SaveNow());
      autosave = main.Autosave().Path();
      QVERIFY(QFile::exists(autosave));
      const QSettings info(Sibling(autosave, ".ini"), QSettings::IniFormat);
      QCOMPARE(info.value("Project").toString(), QString());  // never saved
    }
    QVERIFY(!QFile::exists(autosave));
    QVERIFY(!QFile::exists(Sibling(autosave, ".ini")));
    QVERIFY(!QFile::exists(Sibling(autosave, ".lock")));
    QVERIFY(TAutosave::Orphans().empty());
  }

  void intervalSetting() {
    QSettings settings(QStringLiteral("Halvit"), QStringLiteral("TERVA"));
    const QString key = TSettings::Group() + QStringLiteral("/AutosaveMinutes");
    {
      TMainForm main;
      main.Start();
      QCOMPARE(main.Autosave().Interval(), 5);
      for (const int minutes : {0, 1, 2, 5, 10, 15}) {
        auto* item = main.findChild<QAction*>(QStringLiteral("EditAutosave%1").arg(minutes));
        QVERIFY2(item, qPrintable(QString::number(minutes)));
        QVERIFY(item->isCheckable());
      }
      main.findChild<QAction*>(QStringLiteral("EditAutosave2"))->trigger();
      QCOMPARE(main.Autosave().Interval(), 2);
      main.Autosave().SetInterval(10);
      main.Autosave().SetInterval(7);  // not offered
      main.Autosave().SetInterval(-1);
      QCOMPARE(main.Autosave().Interval(), 10);
    }
    settings.sync();
    QCOMPARE(settings.value(key).toInt(), 10);
    {
      TMainForm main;
      main.Start();
      QCOMPARE(main.Autosave().Interval(), 10);
      main.Autosave().SetInterval(0);
    }
    settings.sync();
    QCOMPARE(settings.value(key).toInt(), 0);

    settings.setValue(key, 7);  // edited by hand: the default instead
    settings.sync();
    TMainForm main;
    main.Start();
    QCOMPARE(main.Autosave().Interval(), 5);
  }

  // A running program's autosave is never offered, however old its lock.
  void liveAutosaveIsNoOrphan() {
    TMainForm main;
    main.Start();
    main.SetUnits(1);
    QVERIFY(main.Autosave().SaveNow());
    const QString lock = Sibling(main.Autosave().Path(), ".lock");
    {
      QFile file(lock);
      QVERIFY(file.open(QIODevice::ReadOnly));
      QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    QVERIFY(QFileInfo(lock).lastModified().secsTo(QDateTime::currentDateTime()) > 30);
    QVERIFY(TAutosave::Orphans().empty());
    QVERIFY(QFile::exists(main.Autosave().Path()));
    QVERIFY(QFile::exists(lock));

    test::TMessageRecorder messages(MbYes);
    TMainForm second;
    second.Start();
    QVERIFY(messages.texts.isEmpty());
  }

  void recoveryAccepted() {
#ifndef Q_OS_UNIX
    QSKIP("the abnormal end is simulated with fork()");
#endif
    const QString project = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("crash.tvd"));
    QVERIFY(!project.isEmpty());
    const QByteArray original = ReadAll(project);
    const TLeftOver left = Crash(project);
    QVERIFY(!left.path.isEmpty());
    QCOMPARE(TAutosave::Orphans().size(), size_t(1));  // taken and let go again

    test::TMessageRecorder messages(MbYes);
    TMainForm main;
    main.Start();
    QCOMPARE(messages.messages.size(), 1);
    const TMessage& question = messages.messages.first();
    QCOMPARE(question.title, QStringLiteral("Recover Project"));
    QVERIFY2(question.text.contains(project), qPrintable(question.text));
    QVERIFY2(question.text.contains(Shown(left.autosaved)), qPrintable(question.text));

    QCOMPARE(main.Project().FileName, project);
    QCOMPARE(main.Project().Title, kTitle);
    QCOMPARE(main.Project().Units, 1);
    QVERIFY(main.Modified());
    QCOMPARE(main.windowTitle(), kPrefix + QStringLiteral("Crash*"));
    QCOMPARE(ReadAll(project), original);

    QVERIFY(!QFile::exists(left.path));
    QVERIFY(!QFile::exists(Sibling(left.path, ".ini")));
    QVERIFY(!QFile::exists(Sibling(left.path, ".lock")));
    // The recovered changes are this program's autosave now.
    QCOMPARE(AutosavedProjects(), QStringList{QFileInfo(main.Autosave().Path()).fileName()});

    QVERIFY(main.FileSave());
    QVERIFY(!main.Modified());
    QVERIFY(ReadAll(project).contains(kTitle.toUtf8()));
    QVERIFY(AutosavedProjects().isEmpty());
  }

  void recoveryCancelledThenDeclined() {
#ifndef Q_OS_UNIX
    QSKIP("the abnormal end is simulated with fork()");
#endif
    const QString project = folder_.Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("later.tvd"));
    QVERIFY(!project.isEmpty());
    const QByteArray original = ReadAll(project);
    const TLeftOver left = Crash(project);
    QVERIFY(!left.path.isEmpty());
    {
      test::TMessageRecorder messages(MbCancel);
      TMainForm main;
      main.Start(project);
      QCOMPARE(messages.texts.size(), 1);
      QVERIFY(!main.Modified());
      QVERIFY(main.Project().Title != kTitle);
      QVERIFY(QFile::exists(left.path));
      QVERIFY(QFile::exists(Sibling(left.path, ".ini")));
    }
    {
      test::TMessageRecorder messages(MbNo);
      TMainForm main;
      main.Start();
      QCOMPARE(messages.texts.size(), 1);  // asked again
      QVERIFY(messages.texts.first().contains(project));
      QVERIFY(main.Project().IsUnnamed());
      QVERIFY(!main.Modified());
      QVERIFY(!QFile::exists(left.path));
      QVERIFY(!QFile::exists(Sibling(left.path, ".ini")));
      QVERIFY(!QFile::exists(Sibling(left.path, ".lock")));
    }
    test::TMessageRecorder messages(MbYes);
    TMainForm main;
    main.Start();
    QVERIFY(messages.texts.isEmpty());
    QCOMPARE(ReadAll(project), original);
  }

  // Two crashed programs: the newest autosave is offered first; once one
  // is recovered the other waits for the next start.
  void newestOfferedFirst() {
#ifndef Q_OS_UNIX
    QSKIP("the abnormal end is simulated with fork()");
#endif
    const QString older = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("older.tvd"));
    const QString newer = folder_.Example(QStringLiteral("pile-group-4.tvd"), QStringLiteral("newer.tvd"));
    const TLeftOver first = Crash(older);
    const TLeftOver second = Crash(newer);
    QVERIFY(!first.path.isEmpty() && !second.path.isEmpty());
    {
      QSettings info(Sibling(first.path, ".ini"), QSettings::IniFormat);
      info.setValue("Autosaved", QStringLiteral("2020-01-02T03:04:05Z"));
    }
    {
      test::TMessageRecorder messages(MbYes);
      TMainForm main;
      main.Start();
      QCOMPARE(messages.texts.size(), 1);
      QVERIFY(messages.texts.first().contains(newer));
      QCOMPARE(main.Project().FileName, newer);
      QVERIFY(QFile::exists(first.path));
    }
    test::TMessageRecorder messages(MbNo);
    TMainForm main;
    main.Start();
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(messages.texts.first().contains(older));
    QVERIFY(messages.texts.first().contains(Shown(QStringLiteral("2020-01-02T03:04:05Z"))));
    QVERIFY(!QFile::exists(first.path));
  }

  void neverSavedProjectRecoversUnnamed() {
#ifndef Q_OS_UNIX
    QSKIP("the abnormal end is simulated with fork()");
#endif
    const TLeftOver left = Crash(QString());
    QVERIFY(!left.path.isEmpty());
    test::TMessageRecorder messages(MbYes);
    TMainForm main;
    main.Start();
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY(messages.texts.first().contains(QStringLiteral("never saved")));
    QVERIFY(main.Project().IsUnnamed());
    QCOMPARE(main.Project().FileName, TProgramData::kNewFileName);
    QCOMPARE(main.Project().Title, kTitle);
    QVERIFY(main.Modified());
    QCOMPARE(main.windowTitle(), kPrefix + QStringLiteral("NewData*"));
    QVERIFY(!QFile::exists(left.path));
  }

  // A program killed with nothing to recover leaves only its lock: the next
  // look for orphans removes it, and leaves a live program's lock alone.
  void lockWithoutAutosaveIsRemoved() {
#ifndef Q_OS_UNIX
    QSKIP("the abnormal end is simulated with fork()");
#endif
    QDir().mkpath(TAutosave::Folder());
    const QString lock = QDir(TAutosave::Folder()).filePath(QStringLiteral("killed.lock"));
    QVERIFY(DeadLock(lock));
    TMainForm main;  // its own lock, and no autosave yet
    const QStringList before = QDir(TAutosave::Folder()).entryList({QStringLiteral("*.lock")}, QDir::Files);
    QVERIFY(before.contains(QStringLiteral("killed.lock")));
    QVERIFY(TAutosave::Orphans().empty());
    const QStringList after = QDir(TAutosave::Folder()).entryList({QStringLiteral("*.lock")}, QDir::Files);
    QCOMPARE(after.size(), before.size() - 1);
    QVERIFY(!after.contains(QStringLiteral("killed.lock")));
  }
};

QTEST_MAIN(AutosaveTest)
#include "autosave_test.moc"
