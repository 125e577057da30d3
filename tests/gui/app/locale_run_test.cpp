// The program's run path under a comma-decimal locale. The program calls
// UseDecimalPoint after making its application object; here the locale is
// set to de_DE.UTF-8 or fr_FR.UTF-8 after QApplication exists, as if it had
// not been, and Run Analysis of the main window (the real engine library,
// called in this process) must still save the same project and deliver the
// C locale's report (date and time masked), graphic data file and results
// file byte for byte: the engine protects itself. The locales are made by
// localedef in this test's own folder.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "gui/app/Main.hpp"
#include "gui/core/EngineRunner.hpp"
#include "gui/core/Messages.hpp"
#include "gui/core/NumberFormat.hpp"
#include "support/TestFolder.hpp"
#include "support/comma_locale.hpp"

using namespace terva::gui;
using terva::test::CommaLocales;
using terva::test::DecimalPoint;
using terva::test::ScopedLocale;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files of one run through the main window.
struct TRunFilesRead {
  int code = -1;
  QStringList messages;
  QByteArray project, report, graphic, results;
};

// Empty when the files are equal; otherwise the first line that differs.
QString FirstDifference(const QByteArray& expected, const QByteArray& got) {
  if (expected == got) return {};
  const QList<QByteArray> x = expected.split('\n'), y = got.split('\n');
  for (qsizetype i = 0; i < std::max(x.size(), y.size()); ++i) {
    const QByteArray e = x.value(i, "(end)"), g = y.value(i, "(end)");
    if (e != g) return QStringLiteral("line %1: expected \"%2\", got \"%3\"").arg(i + 1).arg(e, g);
  }
  return QStringLiteral("they differ");
}

QString Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return QString::fromLatin1(text);
}

}  // namespace

class LocaleRunTest : public QObject {
  Q_OBJECT

  terva::gui::test::TTestFolder folder_;
  std::unique_ptr<CommaLocales> locales_;
  QStringList messages_;

  // Run Analysis on a fresh copy of the example, named `as`.
  TRunFilesRead RunThroughMainWindow(const QString& example, const QString& as) {
    TRunFilesRead run;
    const QString project = folder_.Example(example, as);
    if (project.isEmpty()) return run;
    messages_.clear();
    {
      TMainForm main;
      main.Start(project);
      QSignalSpy finished(&main, &TMainForm::RunFinished);
      main.Action(QStringLiteral("RunAnalysis"))->trigger();
      if (finished.count() == 1) run.code = finished.first().first().toInt();
    }
    run.messages = messages_;
    run.project = ReadAll(project);
    QByteArray report = ReadAll(WithExtension(project, QStringLiteral(".tvo")));
    static const QRegularExpression date(QStringLiteral(R"(RUN DATE -  \d\d/\d\d/\d{4})"));
    static const QRegularExpression time(QStringLiteral(R"(TIME     -  \d\d:\d\d:\d\d)"));
    run.report = QString::fromLatin1(report)
                     .replace(date, QStringLiteral("RUN DATE -  MM/DD/YYYY"))
                     .replace(time, QStringLiteral("TIME     -  HH:MM:SS"))
                     .toLatin1();
    run.graphic = ReadAll(WithExtension(project, QStringLiteral(".tvp")));
    run.results = ReadAll(WithExtension(project, QStringLiteral(".tvj")));
    return run;
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    SetMessageSink([this](const TMessage& message) {
      messages_.append(message.text);
      return int(MbOk);
    });
    TMainForm::SetEngineHook({});  // the engine library the program loads
    locales_ = std::make_unique<CommaLocales>();
    if (locales_->Missing()) QSKIP(qPrintable(QStringLiteral("skipped: ") + QString::fromStdString(locales_->Why())));
    QVERIFY2(locales_->Ready(), locales_->Why().c_str());
  }

  void cleanupTestCase() { locales_.reset(); }

  void runAnalysisGivesTheCLocalesFiles_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("example");
    for (const char* locale : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
      for (const char* example : {"compressor-half-space.tvd", "pile-group-4.tvd", "pile-group-battered.tvd"})
        QTest::addRow("%s %s", locale, example) << QString::fromLatin1(locale) << QString::fromLatin1(example);
    }
  }

  void runAnalysisGivesTheCLocalesFiles() {
    QFETCH(QString, locale);
    QFETCH(QString, example);
    TRunFilesRead expected;
    {
      ScopedLocale c("C");
      QVERIFY(c.Ok());
      expected = RunThroughMainWindow(example, QStringLiteral("c.tvd"));
    }
    QCOMPARE(expected.code, 0);
    QVERIFY(!expected.report.isEmpty());
    QVERIFY(!expected.graphic.isEmpty());
    QVERIFY(!expected.results.isEmpty());

    TRunFilesRead got;
    {
      ScopedLocale comma(locale.toStdString());
      QVERIFY(comma.Ok());
      QCOMPARE(QString::fromStdString(DecimalPoint()), QStringLiteral(","));
      got = RunThroughMainWindow(example, QStringLiteral("comma.tvd"));
      QCOMPARE(QString::fromStdString(DecimalPoint()), QStringLiteral(","));  // the run left the locale alone
    }
    QCOMPARE(got.code, 0);
    QCOMPARE(got.messages, expected.messages);
    QCOMPARE(FirstDifference(expected.project, got.project), QString());  // as saved before the run
    QCOMPARE(FirstDifference(expected.report, got.report), QString());
    QCOMPARE(FirstDifference(expected.graphic, got.graphic), QString());
    QCOMPARE(FirstDifference(expected.results, got.results), QString());
    QVERIFY(!got.report.contains("INPUT ERROR"));
  }

  // The program's own remedy: after UseDecimalPoint the C library reads and
  // writes "." while the texts keep the user's locale.
  void useDecimalPointUnderCommaLocale() {
    ScopedLocale de("de_DE.UTF-8");
    QVERIFY(de.Ok());
    QCOMPARE(Printed("%.2f", 0.5), QStringLiteral("0,50"));  // the locale is in force
    UseDecimalPoint();
    QCOMPARE(Printed("%.2f", 0.5), QStringLiteral("0.50"));
    QCOMPARE(Printed("%.1f", 32.2), QStringLiteral("32.2"));
    QCOMPARE(std::strtod("32.2", nullptr), 32.2);
    QCOMPARE(QString::fromStdString(DecimalPoint()), QStringLiteral("."));
    QCOMPARE(QString::fromLatin1(std::setlocale(LC_TIME, nullptr)), QStringLiteral("de_DE.UTF-8"));
    QCOMPARE(QString::fromLatin1(std::setlocale(LC_CTYPE, nullptr)), QStringLiteral("de_DE.UTF-8"));
  }
};

QTEST_MAIN(LocaleRunTest)
#include "locale_run_test.moc"
