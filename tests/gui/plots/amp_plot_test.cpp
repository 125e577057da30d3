// The interactive amplitude plot: the reference-point arithmetic, the unit
// switch, the view buttons, the point-click message and the exported file.
#include "gui/model/PltData.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/AmpPlot.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "support/MessageRecorder.hpp"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineSeries>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace terva::gui;
using terva::gui::test::TMessageRecorder;

namespace {

// Three frequencies; translation amplitudes Ux = i/16, Uy = 2i/16, Uz = 3i/16
// and rotations Rx = i/256, Ry = 2i/256, Rz = 5i/256: binary fractions, so
// the expected values below are exact.
void FillResponses(TResultPlots& plots) {
  plots.pltDxyzR.Reset(3);
  plots.pltMxyzR.Reset(3);
  const double u[3] = {0.0625, 0.125, 0.1875}, r[3] = {0.00390625, 0.0078125, 0.01953125};
  for (int i = 1; i <= 3; ++i)
    for (int k = 0; k < 3; ++k) {
      plots.pltDxyzR.Line(k).Points.push_back({2.5 * i, u[k] * i});
      plots.pltMxyzR.Line(k).Points.push_back({2.5 * i, r[k] * i});
    }
}

QList<double> Values(const QLineSeries* series) {
  QList<double> values;
  for (const QPointF& p : series->points()) values << p.y();
  return values;
}

bool Near(const QList<double>& got, const QList<double>& expected) {
  if (got.size() != expected.size()) return false;
  for (int i = 0; i < got.size(); ++i)
    if (std::abs(got[i] - expected[i]) > 1e-12 * std::max(1.0, std::abs(expected[i]))) return false;
  return true;
}

}  // namespace

class AmpPlotTest : public QObject {
  Q_OBJECT

  TResultPlots plots;
  TProgramData project;

 private slots:
  void initTestCase() {
    QLocale::setDefault(QLocale::c());
    FillResponses(plots);
    project.Units = 1;
    project.Xc = 1;
    project.Yc = 2;
    project.Zc = 3;
  }

  void atTheCentreOfGravity() {
    TDlgAmpPlot dialog(plots, project);
    QVERIFY(dialog.EnglishButton()->isChecked());
    QCOMPARE(double(dialog.ZEdit()->evaluate().value), 3.0);
    QCOMPARE(dialog.XEdit()->editLabel()->text(), QStringLiteral("X (ft)"));
    QVERIFY(Near(Values(dialog.Series(0)), {0.0625, 0.125, 0.1875}));
    QVERIFY(Near(Values(dialog.Series(2)), {0.1875, 0.375, 0.5625}));
    QCOMPARE(dialog.Series(1)->points().at(2).x(), 7.5);
    QCOMPARE(dialog.Series(2)->name(), QStringLiteral("Z-dir"));
    QCOMPARE(dialog.Series(2)->color(), QColor(0x00, 0x80, 0xC0));
  }

  void oneFootAboveTheCentre() {
    TDlgAmpPlot dialog(plots, project);
    dialog.ZEdit()->setNumber(4);
    dialog.Draw();
    // dz = 1: x gains -Ry, y gains +Rx, z is unchanged.
    QVERIFY(Near(Values(dialog.Series(0)), {0.0546875, 0.109375, 0.1640625}));
    QVERIFY(Near(Values(dialog.Series(1)), {0.12890625, 0.2578125, 0.38671875}));
    QVERIFY(Near(Values(dialog.Series(2)), {0.1875, 0.375, 0.5625}));
    // Rotation mode shows the rotations whatever the point.
    dialog.RotationButton()->setChecked(true);
    QVERIFY(Near(Values(dialog.Series(2)), {0.01953125, 0.0390625, 0.05859375}));
    // "Default (C.G.)" brings the centre back.
    dialog.DisplacementButton()->setChecked(true);
    dialog.Button("Default")->click();
    QCOMPARE(double(dialog.ZEdit()->evaluate().value), 3.0);
    QVERIFY(Near(Values(dialog.Series(0)), {0.0625, 0.125, 0.1875}));
  }

  void siInAnEnglishProject() {
    TDlgAmpPlot dialog(plots, project);
    dialog.ZEdit()->setNumber(4);
    dialog.SIButton()->setChecked(true);
    QCOMPARE(dialog.UnitFactor(), 0.3048);
    QCOMPARE(dialog.XEdit()->editLabel()->text(), QStringLiteral("X (m)"));
    QVERIFY(std::abs(double(dialog.ZEdit()->evaluate().value) - 4 * 0.3048) < 1e-12);
    // Still one foot above the centre: every value times 0.3048, the
    // rotations' lever arms included.
    QVERIFY(Near(Values(dialog.Series(0)), {0.3048 * 0.0546875, 0.3048 * 0.109375, 0.3048 * 0.1640625}));
    // And back: the fields return to feet.
    dialog.EnglishButton()->setChecked(true);
    QVERIFY(std::abs(double(dialog.ZEdit()->evaluate().value) - 4) < 1e-9);
  }

  void viewButtons() {
    TDlgAmpPlot dialog(plots, project);
    dialog.Button("OnlyY")->click();
    QVERIFY(!dialog.Check(0)->isChecked() && dialog.Check(1)->isChecked() && !dialog.Check(2)->isChecked());
    QVERIFY(!dialog.Series(0)->isVisible() && dialog.Series(1)->isVisible());
    dialog.Button("UnselectAll")->click();
    QVERIFY(!dialog.Series(1)->isVisible());
    dialog.Button("All")->click();
    QVERIFY(dialog.Series(0)->isVisible() && dialog.Series(2)->isVisible());
  }

  void pointClickMessage() {
    TMessageRecorder messages;
    TDlgAmpPlot dialog(plots, project);
    dialog.PointClicked(1, 1);
    QCOMPARE(messages.texts.size(), 1);
    QCOMPARE(messages.texts[0].split('\n'),
             (QStringList{"Y-Dir", "Point: 1", "Freq: 5", "X: 0.125", "Y: 0.25", "Z: 0.375", "Xo: 0.125",
                          "Yo: 0.25", "Zo: 0.375", "Rx: 0.0078125", "Ry: 0.015625", "Rz: 0.0390625"}));
  }

  void hoverStatus() {
    TDlgAmpPlot dialog(plots, project);
    dialog.resize(900, 600);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QPointF inside = dialog.ChartView()->mapFromScene(dialog.Chart()->mapToPosition(QPointF(5, 0.25)));
    dialog.ShowPosition(inside);
    const QString text = dialog.StatusLabel()->text();
    QVERIFY2(text.startsWith('(') && text.endsWith(')') && text.contains(','), qPrintable(text));
    const QStringList values = text.mid(1, text.size() - 2).split(',');
    QVERIFY(std::abs(values[0].toDouble() - 5) < 0.1);
    QVERIFY(std::abs(values[1].toDouble() - 0.25) < 0.01);
    dialog.ShowPosition(QPointF(1, 1));  // the chart's margin, outside the axes
    QCOMPARE(dialog.StatusLabel()->text(), QString());
  }

  void noHarmonicResults() {
    TResultPlots empty;
    TDlgAmpPlot dialog(empty, project);
    for (int k = 0; k < 3; ++k) QCOMPARE(dialog.Series(k)->count(), 0);
  }

  void exportFile() {
    QTemporaryDir dir;
    TDlgAmpPlot dialog(plots, project);
    dialog.ZEdit()->setNumber(4);
    dialog.Draw();
    const QString path = dir.filePath("amp.txt");
    QVERIFY(dialog.ExportTo(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "Reference Point\n"
        "X= 1 ft, Y= 2 ft, Z= 4 ft\n"
        "n,Frequency,Disp_x,Disp_y,Disp_z\n"
        ",Hz,ft,ft,ft\n"
        "1,2.5,0.0546875,0.12890625,0.1875\n"
        "2,5,0.109375,0.2578125,0.375\n"
        "3,7.5,0.1640625,0.38671875,0.5625\n";
    const QByteArray got = file.readAll();
    QCOMPARE(got, expected);
    // The numbers read back to the values drawn.
    const QList<QByteArray> last = got.split('\n').at(6).split(',');
    QCOMPARE(last.at(2).toDouble(), dialog.Series(0)->points().at(2).y());
  }

  void exportAsksBeforeOverwriting() {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.txt");
    {
      QFile old(path);
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write("keep");
    }
    TDlgAmpPlot::SetSaveDialogHook([path] { return path; });
    TDlgAmpPlot dialog(plots, project);
    {
      TMessageRecorder no(MbNo);
      dialog.Button("Export")->click();
      QCOMPARE(no.texts, QStringList{"File already exists, do you want to overwrite it?"});
    }
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep"));
    kept.close();
    {
      TMessageRecorder yes(MbYes);
      dialog.Button("Export")->click();
    }
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QVERIFY(kept.readAll().startsWith("Reference Point\n"));
    TDlgAmpPlot::SetSaveDialogHook({});
  }

  void printsLandscape() {
    QTemporaryDir dir;
    TDlgAmpPlot dialog(plots, project);
    dialog.resize(900, 600);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("amp.pdf"));
    dialog.PrintTo(printer, true);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    QVERIFY(QFileInfo(dir.filePath("amp.pdf")).size() > 1000);
  }
};

QTEST_MAIN(AmpPlotTest)
#include "amp_plot_test.moc"
