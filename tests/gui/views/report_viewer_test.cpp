// The report viewer: read-only fixed-width text, find with wrap-around,
// the jump from error line to error line (not to fields of asterisks), a
// reload that keeps the place, and PDF export that writes a PDF file
// atomically and never through a link.
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "gui/views/ReportViewer.hpp"

using namespace terva::gui;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QCOMPARE(file.write(bytes), bytes.size());
}

const QByteArray kReport =
    "1                    T E R V A\n"
    "       FOUNDATION TYPE - PILE\n"
    "     1.59    10.00    ********  0.0000E+00\n"
    " *** NOTE - CHARACTERS BEYOND COLUMN 80 IGNORED IN INPUT LINE 4 ***\n"
    " *** PILE GROUP FLEXIBILITY IS SINGULAR AT 3 ***\n"
    "     3.18    20.00    1.2E-05   0.0000E+00\n"
    "  ERROR ENCOUNTERED IN LEQ2C SUBROUTINE\n"
    " *** ANALYSIS COMPLETED WITH ERRORS AT 1 FREQUENCIES ***\n";

}  // namespace

class ReportViewerTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;

 private slots:
  void showsTheReportReadOnlyInAFixedFont() {
    const QString path = dir_.filePath("p.tvo");
    Write(path, kReport);
    TReportViewer viewer;
    QVERIFY(viewer.Open(path));
    QVERIFY(viewer.Text()->isReadOnly());
    QVERIFY(viewer.Text()->font().fixedPitch());
    QCOMPARE(viewer.Text()->document()->blockCount(), 9);  // eight lines and the empty one after the last
    QCOMPARE(viewer.windowTitle(), QStringLiteral("Report - p.tvo"));
    QVERIFY(viewer.Status().contains("p.tvo"));
    QVERIFY(!viewer.Open(dir_.filePath("none.tvo")));
    QVERIFY(viewer.Status().contains("cannot be read"));
  }

  void errorLinesOneAfterAnother() {
    const QString path = dir_.filePath("e.tvo");
    Write(path, kReport);
    TReportViewer viewer;
    viewer.Open(path);
    QStringList seen;
    for (int i = 0; i < 4; ++i) {
      QVERIFY(viewer.NextError());
      seen << viewer.Text()->textCursor().selectedText().trimmed();
    }
    QCOMPARE(seen, (QStringList{"*** PILE GROUP FLEXIBILITY IS SINGULAR AT 3 ***",
                                "ERROR ENCOUNTERED IN LEQ2C SUBROUTINE",
                                "*** ANALYSIS COMPLETED WITH ERRORS AT 1 FREQUENCIES ***",
                                "*** PILE GROUP FLEXIBILITY IS SINGULAR AT 3 ***"}));  // wrapped
    Write(path, "a report without errors\n");
    QVERIFY(viewer.Reload());
    QVERIFY(!viewer.NextError());
    QCOMPARE(viewer.Status(), QStringLiteral("The report has no error lines"));
  }

  void findWrapsAround() {
    const QString path = dir_.filePath("f.tvo");
    Write(path, kReport);
    TReportViewer viewer;
    viewer.Open(path);
    QVERIFY(viewer.Find("0.0000E+00"));
    const int first = viewer.Text()->textCursor().blockNumber();
    QVERIFY(viewer.Find("0.0000E+00"));
    QVERIFY(viewer.Text()->textCursor().blockNumber() > first);
    QVERIFY(viewer.Find("0.0000E+00"));
    QCOMPARE(viewer.Text()->textCursor().blockNumber(), first);
    QCOMPARE(viewer.Status(), QStringLiteral("Search wrapped around"));
    QVERIFY(viewer.Find("FOUNDATION", true));
    QVERIFY(!viewer.Find("NOT IN IT"));
    QVERIFY(viewer.Status().contains("is not in the report"));
  }

  void exportsAPdfFileButNotThroughALink() {
    const QString path = dir_.filePath("x.tvo");
    Write(path, kReport);
    TReportViewer viewer;
    viewer.Open(path);
    const QString pdf = dir_.filePath("x.tvo.pdf");
    QString error;
    QVERIFY2(viewer.ExportPdf(pdf, &error), qPrintable(error));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
    file.close();
    const QString victim = dir_.filePath("victim.txt");
    Write(victim, "victim");
    QVERIFY(QFile::link(victim, dir_.filePath("link.pdf")));
    QVERIFY(!viewer.ExportPdf(dir_.filePath("link.pdf"), &error));
    QVERIFY(error.contains("is a link"));
    QFile kept(victim);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("victim"));
  }
};

QTEST_MAIN(ReportViewerTest)
#include "report_viewer_test.moc"
