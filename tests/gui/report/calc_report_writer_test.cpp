// The calculation report from File > Calculation Report: a PDF whose text
// holds the title, the page header, the springs and dashpots at the
// operating frequency as the springs and dashpots dialog gives them, and a
// verdict for every check, failing (a) where the response peaks at the
// operating speed; an HTML file that is well-formed XML with its pictures in
// it; no report over a link or from results that do not match the input.
#include "gui/app/CalcReportDialog.hpp"
#include "gui/app/Main.hpp"
#include "gui/model/DesignChecks.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ResultsExport.hpp"
#include "gui/model/SpringsDashpots.hpp"
#include "gui/report/CalcReportWriter.hpp"
#include "gui/widgets/VectorExport.hpp"
#include "support/MessageRecorder.hpp"
#include "support/TestFolder.hpp"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QXmlStreamReader>
#include <QtTest>

using namespace terva::gui;

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The PDF's text, its lines as laid out; empty when pdftotext fails.
QString PdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString XmlError(const QString& text) {
  QXmlStreamReader xml(text);
  while (!xml.atEnd()) xml.readNext();
  return xml.hasError() ? QStringLiteral("%1 at line %2").arg(xml.errorString()).arg(xml.lineNumber()) : QString();
}

}  // namespace

class CalcReportWriterTest : public QObject {
  Q_OBJECT

 private:
  test::TTestFolder folder_;
  QString project_;  // pile-group-4, analysed
  TResultsData results_;

  // Runs File > Calculation Report with the dialog filled by `fill` and the
  // file chosen as `path`; the messages shown.
  QStringList Command(TMainForm& main, const std::function<void(TDlgCalcReport&)>& fill, const QString& path) {
    TMainForm::SetCalcReportHook([&](TDlgCalcReport& dialog) {
      fill(dialog);
      TCalcReportRequest request;
      return dialog.Request(request);
    });
    SetExportPathHook([path](const QString&, const QString&) { return path; });
    test::TMessageRecorder messages;
    main.CalcReportCommand();
    TMainForm::SetCalcReportHook({});
    SetExportPathHook({});
    return messages.texts;
  }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Isolate());
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
      QSKIP("pdftotext missing (poppler-utils; scripts/bootstrap.sh installs it)");
    project_ = folder_.Example(QStringLiteral("pile-group-4.tvd"));
    QVERIFY(!project_.isEmpty());
    TMainForm main;
    main.Start(project_);
    main.RunAnalysis();
    QString error;
    QVERIFY2(ReadResults(project_.chopped(4) + QStringLiteral(".tvp"), results_, &error), qPrintable(error));
    QVERIFY(results_.HasResponse() && results_.HasImpedance() && results_.fullPrecision);
  }

  // 1250 rpm, between two computed frequencies: the constants interpolated as
  // the dialog does, each check with its verdict, the title in every header.
  void pdfHoldsTheConstantsAndEveryVerdict() {
    TMainForm main;
    main.Start(project_);
    QVERIFY(main.Actions().fileCalcReport->isEnabled());
    const QString pdf = folder_.Path(QStringLiteral("pile-group-4.report.pdf"));
    const QStringList shown = Command(
        main,
        [](TDlgCalcReport& d) {
          d.FrequencyField()->setText(QStringLiteral("1250 rpm"));
          d.AmplitudeField()->setText(QStringLiteral("0.0001"));
          d.PointsTable()->setRowCount(0);
          d.AddPointButton()->click();
          d.PointsTable()->item(0, 0)->setText(QStringLiteral("Bearing"));
          d.PointsTable()->item(0, 1)->setText(QStringLiteral("1.5"));
          d.PointsTable()->item(0, 3)->setText(QStringLiteral("1,2"));  // a decimal comma reads too
          d.PdfButton()->setChecked(true);
        },
        pdf);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].startsWith(QStringLiteral("The calculation report was written to")), qPrintable(shown[0]));
    QVERIFY2(shown[0].contains(QStringLiteral("(a) frequency separation at 20.8333 Hz: ")), qPrintable(shown[0]));
    QVERIFY(ReadAll(pdf).startsWith("%PDF"));
    const QString text = PdfText(pdf);
    QVERIFY(!text.isEmpty());
    QVERIFY(text.contains(QStringLiteral("Turbine pedestal on four piles")));
    QVERIFY(text.contains(QStringLiteral("Page 1 of ")));
    QVERIFY2(text.contains(QStringLiteral("130.833 rad/s (20.8333 Hz, 1250 rpm)")), qPrintable(text.left(3000)));
    // the dialog's numbers at the same frequency
    const TSpringsDashpots springs = SpringsDashpotsAt(results_, 1250.0 / 60.0 * 6.28);
    QVERIFY(springs.ok);
    for (int k = 0; k < 6; ++k) {
      QVERIFY2(text.contains(ReportConstant(springs.stiffness[size_t(k)])), qPrintable(QString::number(k)));
      QVERIFY2(text.contains(ReportConstant(springs.damping[size_t(k)])), qPrintable(QString::number(k)));
    }
    QVERIFY(text.contains(QStringLiteral("interpolated linearly")));
    QVERIFY(text.contains(QStringLiteral("(a) Frequency separation: ")));
    QVERIFY(text.contains(QStringLiteral("Bearing")));
    QVERIFY(text.contains(QStringLiteral("(c) Warnings")));
    for (const QString& figure : {QStringLiteral("Top View"), QStringLiteral("Side View (XZ-Plane)")})
      QVERIFY2(text.contains(figure), qPrintable(figure));
    // the criteria are kept for the next report
    const TStoredCriteria kept = StoredDesignCriteria(2);
    QCOMPARE(kept.operatingFrequency, QStringLiteral("1250 rpm"));
    QCOMPARE(kept.criteria.points.size(), size_t(1));
    QCOMPARE(kept.criteria.points[0].z, 1.2);
  }

  // The operating speed at a peak of the response fails (a) with its margin.
  void resonanceFailsTheSeparation() {
    TDesignCriteria probe;
    probe.operatingOmega = results_.responseOmega[results_.responseOmega.size() / 2];
    const TDesignChecks checks = CheckDesign(results_, probe);
    QVERIFY(checks.ok);
    QVERIFY(!checks.separation.peaks.empty());
    const double peak = checks.separation.peaks.front().omega;
    TMainForm main;
    main.Start(project_);
    const QString pdf = folder_.Path(QStringLiteral("resonance.pdf"));
    const QStringList shown = Command(
        main,
        [peak](TDlgCalcReport& d) {
          d.FrequencyField()->setText(QString::number(peak, 'g', 9) + QStringLiteral(" rad/s"));
          d.SeparationField()->setText(QStringLiteral("20"));
        },
        pdf);
    QCOMPARE(shown.size(), 1);
    const QString text = PdfText(pdf);
    QVERIFY2(text.contains(QStringLiteral("(a) Frequency separation: FAIL")), qPrintable(text.left(4000)));
    QVERIFY(text.contains(QStringLiteral("-20.0 %")));
    QVERIFY(text.contains(QStringLiteral("FAIL")));
  }

  // HTML: one well-formed file, its pictures inside it.
  void htmlIsWellFormed() {
    TMainForm main;
    main.Start(project_);
    const QString html = folder_.Path(QStringLiteral("report.html"));
    Command(
        main,
        [](TDlgCalcReport& d) {
          d.FrequencyField()->setText(QStringLiteral("10 Hz; 20 Hz"));
          d.HtmlButton()->setChecked(true);
        },
        html);
    const QString text = QString::fromUtf8(ReadAll(html));
    QCOMPARE(XmlError(text), QString());
    QVERIFY(!text.contains(QStringLiteral("figure:")));
    QCOMPARE(text.count(QStringLiteral("data:image/svg+xml;base64,")), 5);  // three views, two response plots
    QVERIFY(text.contains(QStringLiteral("Operating frequency 62.8 rad/s (10 Hz, 600 rpm)")));
    QVERIFY(text.contains(QStringLiteral("Operating frequency 125.6 rad/s (20 Hz, 1200 rpm)")));
  }

  // What cannot make a sound report is refused, and an earlier report stays.
  void refusals() {
    TMainForm main;
    main.Start(project_);
    // a frequency the dialog cannot read: the dialog says why and stays open
    TDlgCalcReport dialog(2, QString());
    dialog.FrequencyField()->setText(QStringLiteral("fast"));
    TCalcReportRequest request;
    QVERIFY(!dialog.Request(request));
    QVERIFY(dialog.ErrorLabel()->text().startsWith(QStringLiteral("Operating frequency:")));
    dialog.FrequencyField()->setText(QStringLiteral("25 Hz"));
    dialog.VelocityField()->setText(QStringLiteral("-3"));
    QVERIFY(!dialog.Request(request));

    // a link in the report's place is not followed
    const QString victim = folder_.Path(QStringLiteral("victim.txt"));
    QFile v(victim);
    QVERIFY(v.open(QIODevice::WriteOnly));
    v.write("keep");
    v.close();
    const QString link = folder_.Path(QStringLiteral("link.pdf"));
    QVERIFY(QFile::link(victim, link));
    const QStringList shown = Command(
        main, [](TDlgCalcReport& d) { d.FrequencyField()->setText(QStringLiteral("25 Hz")); }, link);
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(QStringLiteral("could not be written")), qPrintable(shown[0]));
    QCOMPARE(ReadAll(victim), QByteArray("keep"));

    // changes not analysed: no report
    main.SetModified();
    const QString pdf = folder_.Path(QStringLiteral("stale.pdf"));
    const QStringList stale = Command(main, [](TDlgCalcReport&) {}, pdf);
    QCOMPARE(stale.size(), 1);
    QVERIFY(stale[0].contains(QStringLiteral("not analysed")));
    QVERIFY(!QFile::exists(pdf));
  }
};

QTEST_MAIN(CalcReportWriterTest)
#include "calc_report_writer_test.moc"
