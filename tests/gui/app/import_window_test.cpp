// The main window on an engine input in a layout of its own: it opens as a
// modified project with a message listing what it does not hold, the first
// save over the input asks, and Run Analysis writes the report terva-batch
// writes for the input itself.
#include "gui/app/Comparisons.hpp"
#include "gui/app/Main.hpp"
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "support/MessageRecorder.hpp"
#include "support/TestFolder.hpp"
#include "terva/version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace terva::gui;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A report with its run date and time masked.
QByteArray Masked(QByteArray report) {
  QString text = QString::fromLatin1(report);
  text.replace(QRegularExpression(QStringLiteral("RUN DATE -  \\d\\d/\\d\\d/\\d{4}")), QStringLiteral("RUN DATE"));
  text.replace(QRegularExpression(QStringLiteral("TIME     -  \\d\\d:\\d\\d:\\d\\d")), QStringLiteral("TIME"));
  return text.toLatin1();
}

}  // namespace

class ImportWindowTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;

  QString Path(const QString& name) const { return folder_.Path(name); }

  // A copy of examples/`name` in the test's folder, under `as`.
  QString Copy(const QString& name, const QString& as) {
    const QString to = Path(as);
    QFile::remove(to);
    return QFile::copy(QStringLiteral(TERVA_EXAMPLES_DIR "/") + name, to) ? to : QString();
  }

 private slots:
  void initTestCase() { QVERIFY(folder_.Isolate()); }

  void opensModifiedWithItsNotes() {
    const QString input = Copy(QStringLiteral("half-space.tvd"), QStringLiteral("half-space.tvd"));
    const QByteArray original = ReadAll(input);
    test::TMessageRecorder messages(MbCancel);
    TMainForm main;
    main.Start(input);
    QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - Half-space*"));
    QVERIFY(main.Modified());
    QCOMPARE(main.Project().Title, QStringLiteral("BLOCK FOUNDATION OF A RECIPROCATING COMPRESSOR ON A HALF-SPACE"));
    QCOMPARE(messages.texts.size(), 1);
    QVERIFY2(messages.texts[0].contains(QStringLiteral("engine input in a layout of its own")),
             qPrintable(messages.texts[0]));
    QVERIFY(messages.texts[0].contains(QStringLiteral("The comments ($ \u2026) on 3 line(s) are not kept.")));

    // the first save over the input asks; cancelled, the input is as it was
    messages.Clear();
    QVERIFY(!main.FileSave());
    QCOMPARE(messages.messages.size(), 1);
    QCOMPARE(messages.messages[0].buttons, MbOverwrite | MbSaveAs | MbCancel);
    QCOMPARE(ReadAll(input), original);
    QVERIFY(main.Modified());
  }

  // Overwrite: Run Analysis saves the program's layout and writes the report
  // that terva-batch writes for the input.
  void runAnalysisGivesTheInputsReport_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("half-space") << "half-space.tvd";
    QTest::newRow("pile group") << "pile-group-3x3.tvd";
    QTest::newRow("transient") << "transient.tvd";
  }

  void runAnalysisGivesTheInputsReport() {
    QFETCH(QString, name);
    const QString batchCopy = Copy(name, QStringLiteral("batch-") + name);
    QProcess batch;
    batch.start(QCoreApplication::applicationDirPath() + QStringLiteral("/terva-batch"), {batchCopy});
    QVERIFY(batch.waitForFinished(120000));
    QCOMPARE(batch.exitCode(), 0);
    const QString base = batchCopy.chopped(4);
    const QByteArray expected = Masked(ReadAll(base + QStringLiteral(".tvo")));
    QVERIFY(!expected.isEmpty());

    const QString input = Copy(name, name);
    test::TMessageRecorder messages(MbOverwrite);
    TMainForm main;
    main.Start(input);
    main.RunAnalysis();
    QVERIFY(!main.Modified());
    QVERIFY(!main.windowTitle().endsWith(u'*'));
    QVERIFY(ReadAll(input).startsWith("TITLE="));  // the program's layout now
    QCOMPARE(Masked(ReadAll(input.chopped(4) + QStringLiteral(".tvo"))), expected);
    QCOMPARE(ReadAll(input.chopped(4) + QStringLiteral(".tvp")), ReadAll(base + QStringLiteral(".tvp")));

    // saved once in the program's layout, the project saves without asking
    messages.Clear();
    QVERIFY(main.FileSave());
    QVERIFY(messages.texts.isEmpty());
  }

  // An engine input's results compared: the amplitude plot measures from the
  // input's own centre of gravity.
  void comparedInputGivesItsCentre() {
    const QString input = Copy(QStringLiteral("half-space.tvd"), QStringLiteral("compared.tvd"));
    QProcess batch;
    batch.start(QCoreApplication::applicationDirPath() + QStringLiteral("/terva-batch"), {input});
    QVERIFY(batch.waitForFinished(120000));
    QCOMPARE(batch.exitCode(), 0);
    TResultPlots plots;
    TComparisons comparisons(plots);
    TProgramData open;
    open.Units = 1;
    open.FileName = Path(QStringLiteral("open.tvd"));
    test::TMessageRecorder messages;
    QVERIFY(comparisons.Add(input, open));
    QVERIFY(comparisons.Last().HasCentre);
    QCOMPARE(comparisons.Last().Centre[2], 3.0);
  }

  // Save As from the question: the input stays, the project goes to the new file.
  void saveAsKeepsTheInput() {
    const QString input = Copy(QStringLiteral("stratum.tvd"), QStringLiteral("stratum.tvd"));
    const QByteArray original = ReadAll(input);
    const QString copy = Path(QStringLiteral("stratum-project.tvd"));
    TMainForm::SetFileDialogHook([&copy](bool, const QString&, const QString&) { return copy; });
    test::TMessageRecorder messages(MbSaveAs);
    TMainForm main;
    main.Start(input);
    QVERIFY(main.FileSave());
    TMainForm::SetFileDialogHook({});
    QCOMPARE(ReadAll(input), original);
    QCOMPARE(main.Project().FileName, copy);
    QVERIFY(ReadAll(copy).startsWith("TITLE=FAN FOUNDATION ON A SOIL STRATUM OVER ROCK"));
    QCOMPARE(main.windowTitle(), QStringLiteral("TERVA " TERVA_VERSION " - Stratum-project"));
  }
};

QTEST_MAIN(ImportWindowTest)
#include "import_window_test.moc"
