// The calculation report's text: well-formed XHTML that holds the title
// (escaped), the input with its units, the constants at the operating
// frequency as the springs and dashpots dialog gives them, and a verdict for
// every check, failing where the response peaks at the operating speed.
#include "gui/model/CalcReport.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/SpringsDashpots.hpp"
#include "gui/model/Table.hpp"

#include <QXmlStreamReader>
#include <QtTest>

using namespace terva::gui;

namespace {

// Ten frequencies 10 .. 100 rad/s; the vertical response peaks at 50 rad/s.
TResultsData Results() {
  TResultsData d;
  const double uz[] = {1, 2, 4, 8, 16, 8, 4, 2, 1, 0.5};
  for (int i = 0; i < 10; ++i) {
    d.responseOmega.push_back(10.0f * (i + 1));
    d.omega.push_back(10.0f * (i + 1));
    for (int k = 0; k < TResultsData::kTerms; ++k) {
      d.stiffness[k].push_back(29746.25f * (k + 1) + i);
      d.damping[k].push_back(100.0f * (k + 1));
    }
    for (int k = 0; k < TResultsData::kAmplitudes; ++k) {
      const float v = k == 2 ? static_cast<float>(uz[i] * 1e-5) : 0.0f;
      d.amplitude[k].push_back(v);
      d.motion[k].push_back(std::complex<float>(v, 0.0f));
    }
  }
  d.fullPrecision = true;
  return d;
}

// The XML error, empty when the text is well-formed.
QString XmlError(const QString& text) {
  QXmlStreamReader xml(text);
  while (!xml.atEnd()) xml.readNext();
  return xml.hasError() ? QStringLiteral("%1 at line %2").arg(xml.errorString()).arg(xml.lineNumber()) : QString();
}

}  // namespace

class CalcReportTest : public QObject {
  Q_OBJECT

 private:
  TProjectTables* tables_ = nullptr;

  QString Report(double operating, const TResultsData& results) {
    auto project = NewProject(*tables_);
    project->Title = QStringLiteral("Compressor <B-2> & fan");
    project->FileName = QStringLiteral("/work/compressor.tvd");
    project->Length = 6;
    project->Width = 4;
    project->MassConstants[0] = 120;
    tables_->D1()->Column(0)->SetReal(0, 0.5L);
    tables_->D1()->Column(1)->SetReal(0, 150.0L);
    TCalcReportSource source;
    source.project = project.get();
    source.tables = tables_;
    source.results = &results;
    source.info = DescribeProject(*project);
    source.criteria.operatingOmega = operating;
    source.criteria.amplitudeLimit = 1e-4;
    source.criteria.points.push_back({QStringLiteral("Bearing"), 1.0, 0.0, 0.5});
    source.date = QStringLiteral("2026-12-09 14:05");
    source.version = QStringLiteral("3.0.5");
    return CalcReportHtml(source);
  }

 private slots:
  void initTestCase() { tables_ = new TProjectTables(this); }

  void holdsEverySection() {
    const TResultsData results = Results();
    const QString html = Report(75.0, results);
    QCOMPARE(XmlError(html), QString());
    QVERIFY(html.contains(QStringLiteral("<h1>Compressor &lt;B-2&gt; &amp; fan</h1>")));
    QVERIFY(html.contains(QStringLiteral("compressor.tvd")));
    QVERIFY(html.contains(QStringLiteral("TERVA 3.0.5")));
    QVERIFY(html.contains(QStringLiteral("SI (kN, Mg, m)")));
    QVERIFY2(html.contains(QStringLiteral("<td>Total mass</td><td class=\"n\">120 Mg</td>")), qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("Soil Layer Data")));  // the side layers' table
    // the constants: the dialog's digits, where they come from
    const TSpringsDashpots springs = SpringsDashpotsAt(results, 75.0);
    QVERIFY(springs.ok);
    QVERIFY(html.contains(ReportConstant(springs.stiffness[0])));
    QVERIFY(html.contains(QStringLiteral("interpolated linearly in the frequency between the computed frequencies "
                                         "70 and 80 rad/s of the results file")));
    // 50 rad/s is a third below 75: the separation passes; the amplitudes are far below the limit
    QVERIFY(html.contains(QStringLiteral("(a) Frequency separation: PASS")));
    QVERIFY(html.contains(QStringLiteral("Bearing")));
    QVERIFY(html.contains(QStringLiteral("<td class=\"pass\" rowspan=\"3\">PASS</td><td rowspan=\"3\">not checked</td>")));
    QVERIFY(html.contains(QStringLiteral("(c) Warnings</h3>\n<p>None.</p>")));
  }

  // A resonance at the operating speed fails (a), with its margin.
  void resonanceFailsTheSeparation() {
    const QString html = Report(50.0, Results());
    QCOMPARE(XmlError(html), QString());
    QVERIFY(html.contains(QStringLiteral("(a) Frequency separation: FAIL")));
    QVERIFY2(html.contains(QStringLiteral("<td class=\"n\">0.0 %</td><td class=\"n\">-20.0 %</td><td "
                                          "class=\"fail\">FAIL</td>")),
             qPrintable(html));
  }

  // Outside the computed range: no constants and no checks, said so.
  void outsideTheRange() {
    const QString html = Report(500.0, Results());
    QCOMPARE(XmlError(html), QString());
    QVERIFY(html.contains(QStringLiteral("outside the computed range")));
    QVERIFY(!html.contains(QStringLiteral("PASS")));
  }
};

QTEST_MAIN(CalcReportTest)
#include "calc_report_test.moc"
