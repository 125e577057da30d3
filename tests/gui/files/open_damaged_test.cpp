// Opening a file that is not a whole project file: one message naming the
// file and the line where the reading stopped, and the open project (its
// tables, file name, caption, windows and the current folder) kept as it was.
// The same at start-up, which then goes on with a new project.
#include "gui/app/Main.hpp"
#include "gui/files/ProjectReader.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "support/MessageRecorder.hpp"
#include "support/TestFolder.hpp"
#include "terva/version.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace terva::gui;

class OpenDamagedTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

  QString Path(const QString& name) const { return folder_.Path(name); }

  QString Write(const QString& name, const QByteArray& bytes) {
    QFile file(Path(name));
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(bytes);
    return Path(name);
  }

  // The project file of the example, its lines cut or changed.
  QByteArray ExampleBytes() {
    QFile file(QStringLiteral(TERVA_EXAMPLES_DIR "/projects/compressor-half-space.tvd"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  static QString Native(const QString& path) { return QDir::toNativeSeparators(path); }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    QVERIFY(!ExampleBytes().isEmpty());
  }

  // The damage, and the line the message must name.
  void damagedFilesNameFileAndLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");     // "line L" in the message
    QTest::addColumn<QString>("reason");   // also in the message
    QByteArray text = ExampleBytes();
    QList<QByteArray> lines = text.split('\n');
    // The mass line: its third value made a word.
    QList<QByteArray> mass = lines;
    const int massLine = mass.indexOf("MASS \r") + 1;
    QVERIFY(massLine > 0);
    QList<QByteArray> words = mass[massLine].trimmed().split(' ');
    words.removeAll(QByteArray());
    words[2] = "abc";
    mass[massLine] = words.join(' ') + "\r";
    QTest::newRow("word for a number") << mass.join('\n') << QStringLiteral("line %1 ").arg(massLine + 1)
                                       << QStringLiteral("Error on Line %1 Item 3\nA floating point number was "
                                                         "expected but not found.")
                                              .arg(massLine + 1);
    // the program's own data after RUN damaged: a damaged project, not an engine input to import
    QTest::newRow("damaged trailer") << QByteArray(text).replace("RUN \r\n0\r\n", "RUN \r\nx\r\n")
                                     << QStringLiteral("line 21 ") << QStringLiteral("Error on Line 21 Item 1");
    const int cut = 12;
    QTest::newRow("truncated") << lines.mid(0, cut).join('\n') << QStringLiteral("ends at line %1 ").arg(cut)
                               << QStringLiteral("This file either invalid or incomplete.");
    // an engine input in a layout of its own: the engine's reader names the line
    QFile free(QStringLiteral(TERVA_EXAMPLES_DIR "/half-space.tvd"));
    QVERIFY(free.open(QIODevice::ReadOnly));
    const QByteArray input = free.readAll();
    QVERIFY(input.contains("MASS=400.0, 15000.0,"));
    QTest::newRow("engine input in free layout")
        << QByteArray(input).replace("MASS=400.0, 15000.0,", "MASS=400.0, 15OOO.0,") << QStringLiteral("line 8:")
        << QStringLiteral("ALPHANUMERIC ENCOUNTERED - \"15OOO.0");
    QTest::newRow("engine input without RUN")
        << QByteArray(input).replace("RUN", "") << QStringLiteral("line 20:")
        << QStringLiteral("The input ends before RUN.");
    QTest::newRow("binary") << QByteArray("\x7f" "ELF\x02\x01\x01\0\0\0\0\xff\xfe\n\0\0\x01", 18)
                            << QStringLiteral("line 2 ") << QString();
    QTest::newRow("empty") << QByteArray() << QStringLiteral("ends at line 1 ")
                           << QStringLiteral("This file either invalid or incomplete.");
  }

  // The reader: no project, the tables as they were, one message.
  void damagedFilesNameFileAndLine() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QFETCH(QString, reason);
    const QString path = Write(QStringLiteral("damaged.tvd"), bytes);
    QVERIFY(!path.isEmpty());
    TProjectTables tables;
    auto previous = NewProject(tables);
    tables.D1()->SetRowCount(3);
    tables.D1()->Column(1)->SetReal(2, 650);
    const TLoadResult result = OpenProjectFile(path, tables);
    QCOMPARE(result.status, TLoadResult::kFailed);
    QVERIFY(result.project == nullptr);
    QVERIFY2(result.message.contains(Native(path)), qPrintable(result.message));
    QVERIFY2(result.message.contains(line), qPrintable(result.message));
    QVERIFY2(result.message.contains(reason), qPrintable(result.message));
    QCOMPARE(tables.D1()->RowCount(), 3);
    QCOMPARE(tables.D1()->Column(1)->GetReal(2), 650.0L);
  }

  // Files that cannot be read at all: a message naming them, no crash.
  void unreadableFiles() {
    QVERIFY(QDir(Path(QString())).mkpath(QStringLiteral("folder.tvd")));
    TProjectTables tables;
    auto previous = NewProject(tables);
    for (const QString& name : {QStringLiteral("folder.tvd"), QStringLiteral("missing.tvd")}) {
      const TLoadResult result = OpenProjectFile(Path(name), tables);
      QCOMPARE(result.status, TLoadResult::kFailed);
      QVERIFY2(result.message.contains(Native(Path(name))), qPrintable(result.message));
    }
  }

  // The main window: one message; the project, its tables, its caption, its
  // open windows and the current folder are kept; the file is not a recent one.
  void openProjectIsKept() {
    const QString good = folder_.Example(QStringLiteral("compressor-half-space.tvd"), QStringLiteral("good.tvd"));
    QByteArray cut = ExampleBytes();
    cut.truncate(cut.size() / 2);
    const QString bad = Write(QStringLiteral("bad.tvd"), cut);
    QVERIFY(QDir(Path(QString())).mkpath(QStringLiteral("elsewhere")));
    const QString there = Write(QStringLiteral("elsewhere/other.tvd"), QByteArray("TITLE=x\r\nGRAVITY=g\r\n"));
    TMainForm main;
    main.Start(good);
    QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - Good"));
    main.Tables().D1()->Column(1)->SetReal(0, 777);
    const QString caption = main.windowTitle();
    QWidget* title = main.ShowChild(TChildId::Title);
    QVERIFY(title != nullptr);
    const QString folder = QDir::currentPath();
    const std::vector<TTableSnapshot> before = main.Tables().Snapshot();
    for (const QString& path : {bad, there, Path(QStringLiteral("elsewhere"))}) {
      test::TMessageRecorder messages;
      QVERIFY(!main.OpenProject(path));
      QCOMPARE(messages.texts.size(), 1);
      QVERIFY2(messages.texts[0].contains(Native(path)), qPrintable(messages.texts[0]));
      QCOMPARE(main.Project().FileName, good);
      QCOMPARE(main.windowTitle(), caption);
      QCOMPARE(QDir::currentPath(), folder);
      QVERIFY(main.ShowChild(TChildId::Title) == title);
      QCOMPARE(main.Tables().D1()->Column(1)->GetReal(0), 777.0L);
      QVERIFY(!main.RecentFiles().contains(path));
    }
    const std::vector<TTableSnapshot> after = main.Tables().Snapshot();
    QCOMPARE(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) QCOMPARE(after[i].rows, before[i].rows);
  }

  // At start-up: the message, then a new project (a name that is no file
  // gives a new project without a message).
  void startWithADamagedFile() {
    const QString bad = Write(QStringLiteral("start.tvd"), QByteArray("TITLE=x\r\nMATRIX\r\nGRAVITY=9.8\r\n"));
    for (const QString& path : {bad, Path(QStringLiteral("absent.tvd"))}) {
      test::TMessageRecorder messages;
      TMainForm main;
      main.Start(path);
      QCOMPARE(messages.texts.size(), path == bad ? 1 : 0);
      if (path == bad) QVERIFY2(messages.texts[0].contains(Native(path)), qPrintable(messages.texts[0]));
      QVERIFY(main.Project().IsUnnamed());
      QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - NewData"));
    }
  }
};

QTEST_MAIN(OpenDamagedTest)
#include "open_damaged_test.moc"
