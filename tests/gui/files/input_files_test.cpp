// Files written by the Python package's terva.Input open in the program:
// each reads whole, holds what the Input says, and the program writes the
// same project text back (up to RUN). The files are made at test time in the
// test's own folder.
#include "gui/files/ProjectReader.hpp"
#include "gui/files/ProjectWriter.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace terva::gui;

class InputFilesTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir dir_;

  QByteArray Read(const QString& name) {
    QFile file(dir_.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  // The project text up to and with the RUN line.
  static QByteArray Keywords(const QByteArray& text) { return text.left(text.indexOf("RUN \r\n") + 6); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    if (!QFile::exists(QStringLiteral(TERVA_PYTHON))) QSKIP("no Python interpreter");
    QProcess python;
    python.setProcessChannelMode(QProcess::MergedChannels);
    python.start(QStringLiteral(TERVA_PYTHON), {QStringLiteral(TERVA_INPUT_CASES), dir_.path()});
    QVERIFY(python.waitForFinished(60000));
    const QByteArray output = python.readAll();
    if (output.contains("needs numpy")) QSKIP("the terva package needs numpy");
    QVERIFY2(python.exitCode() == 0, output.constData());
  }

  void inputFilesOpenWhole_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("foundation");
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("rows");  // side layers (half-space) or pile layers (pile)
    // names and contents: tests/python/input_cases.py
    QTest::newRow("disc") << "disc" << "HALF-SPACE" << 2 << 0;
    QTest::newRow("embedded") << "embedded" << "HALF-SPACE" << 1 << 2;
    QTest::newRow("stratum") << "stratum" << "STRATUM" << 2 << 0;
    QTest::newRow("pile group") << "pile-group" << "PILE" << 2 << 6;
    QTest::newRow("pinned pile") << "pinned-pile" << "PILE" << 2 << 2;
  }

  void inputFilesOpenWhole() {
    QFETCH(QString, name);
    QFETCH(QString, foundation);
    QFETCH(int, units);
    QFETCH(int, rows);
    const QString path = dir_.filePath(name + QStringLiteral(".tvd"));
    TProjectTables tables;
    const TLoadResult loaded = OpenProjectFile(path, tables);
    QVERIFY2(loaded.status == TLoadResult::kComplete, qPrintable(loaded.message));
    const TProgramData& d = *loaded.project;
    QCOMPARE(d.Foundation, foundation);
    QCOMPARE(d.Units, units);
    QVERIFY(!d.Title.isEmpty());
    QCOMPARE(d.Title, d.Title.toUpper());
    if (foundation == QStringLiteral("HALF-SPACE") && rows > 0) QCOMPARE(tables.D1()->RowCount(), rows);
    if (foundation == QStringLiteral("PILE")) {
      QCOMPARE(tables.PileData()->RowCount(), rows);
      QCOMPARE(tables.D()->RowCount(), rows);
      // No weakened zone: the shear modulus ratio is 1.
      QCOMPARE(tables.D()->Column(4)->GetReal(rows - 1), 1.0L);
    }
    // A half-space without side layers keeps one row of default cells in its
    // table, which is no layer: the text is the same there too.
    QCOMPARE(QString::fromLatin1(Keywords(ProjectFileText(d, tables))),
             QString::fromLatin1(Keywords(Read(name + ".tvd"))));
  }
};

QTEST_MAIN(InputFilesTest)
#include "input_files_test.moc"
