// The plot window and its dialogs: legend toggling, the Plot menu's curve
// items, zooming with the mouse, Active Plots, Edit Legend, Save
// Attributes, printing to a PDF file and saving pictures.
#include "gui/model/PltData.hpp"
#include "gui/plots/Caption.hpp"
#include "gui/plots/ChangeActiveLines.hpp"
#include "gui/plots/ChangeLineNames.hpp"
#include "gui/plots/PlotForm.hpp"
#include "gui/plots/PlotPainter.hpp"
#include "gui/plots/SaveAttb.hpp"
#include "gui/widgets/DataEdit.hpp"
#include "gui/widgets/VectorExport.hpp"
#include "support/MessageRecorder.hpp"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QRadioButton>
#include <QTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>

using namespace terva::gui;
using terva::gui::test::TMessageRecorder;

namespace {

// A plot of `lines` curves of 11 points over 0..10 Hz, curve k at height k+1.
std::unique_ptr<TGraphPlot> MakePlot(int lines) {
  auto plot = std::make_unique<TGraphPlot>();
  plot->SetCaption(QStringLiteral("Translational Stiffnesses  (Real Part)"));
  plot->SetXCaption(QStringLiteral("Frequency (Hz)"));
  plot->SetYCaption(QStringLiteral("Translational Stiffness"));
  plot->SetYUnits(QStringLiteral("F/L2"));
  plot->SetXOnTop(false);
  for (int k = 0; k < lines; ++k) {
    TLine& line = plot->AddLine();
    for (int i = 0; i <= 10; ++i) line.Points.push_back({double(i), (k + 1) * (1.0 + 0.1 * i)});
  }
  return plot;
}

// A plot like the rotational stiffness plot of a pile group: three curves
// of 64 points over 0.3..50 Hz between about 4e9 and 1.6e10, the values
// whose labels ran into each other.
std::unique_ptr<TGraphPlot> MakeLargeValuePlot(bool xOnTop) {
  auto plot = MakePlot(0);
  plot->SetXOnTop(xOnTop);
  for (int k = 0; k < 3; ++k) {
    TLine& line = plot->AddLine();
    for (int i = 0; i < 64; ++i) {
      const double f = 0.3 + i * 49.7 / 63;
      line.Points.push_back({f, 4.2e9 * (1 + k) + 1.1e8 * f * std::sin(f / 7 + k)});
    }
  }
  return plot;
}

// No two labels touch.
bool Apart(const std::vector<TTickLabel>& labels, QString* which) {
  for (size_t a = 0; a < labels.size(); ++a)
    for (size_t b = a + 1; b < labels.size(); ++b)
      if (labels[a].Box.intersects(labels[b].Box)) {
        *which = labels[a].Text + QStringLiteral(" / ") + labels[b].Text;
        return false;
      }
  return true;
}

QStringList CurveItems(const TPlotForm& form) {
  QStringList names;
  for (QAction* a : form.PlotMenu()->actions())
    if (a->objectName().startsWith(QLatin1String("PlotLine"))) names << a->text() + (a->isChecked() ? "+" : "-");
  return names;
}

}  // namespace

class PlotWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale::c()); }

  void menuHasEveryCommand() {
    auto plot = MakePlot(3);
    TPlotForm form(*plot);
    for (const char* name : {"PlotShowLegend", "PlotMarkersNever", "PlotMarkers1", "PlotMarkers2", "PlotMarkers3",
                             "PlotMarkers5", "PlotMarkers10", "PlotPrint", "PlotPageSetup", "PlotSaveToDisk",
                             "PlotGraphTitle", "PlotEditLegend", "PlotActiveGraphs"})
      QVERIFY2(form.Action(name), name);
    QCOMPARE(CurveItems(form), (QStringList{"Curve #1+", "Curve #2+", "Curve #3+"}));
    form.Action("PlotMarkers3")->trigger();
    QCOMPARE(plot->Markers(), 3);
    form.Action("PlotShowLegend")->setChecked(true);
    form.Action("PlotShowLegend")->trigger();
    QVERIFY(!plot->ShowLegend());
    QVERIFY(!form.LegendVisible());
  }

  void twentyFiveLinesListTwenty() {
    auto plot = MakePlot(25);
    TPlotForm form(*plot);
    QCOMPARE(CurveItems(form).size(), 20);
    QCOMPARE(LegendItems(*plot).size(), size_t(20));
  }

  void legendDoubleClickTogglesCurve() {
    auto plot = MakePlot(3);
    TPlotForm form(*plot);
    form.resize(800, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRectF box = form.LegendBox();
    QVERIFY(!box.isEmpty());
    QVERIFY(form.PlotRect().contains(box));
    // The second entry's row.
    const double row = (box.height() - 4) / 3;
    const QPoint second = QPointF(box.center().x(), box.top() + 2 + 1.5 * row).toPoint();
    QTest::mouseDClick(form.Canvas(), Qt::LeftButton, {}, second);
    QVERIFY(plot->Line(0).Shown && !plot->Line(1).Shown);
    QCOMPARE(LegendItems(*plot)[1].Text, QStringLiteral("Curve #2"));
    QCOMPARE(CurveItems(form), (QStringList{"Curve #1+", "Curve #2-", "Curve #3+"}));
    // The menu item toggles it back, and the legend follows.
    form.Action("PlotLine1")->trigger();
    QVERIFY(plot->Line(1).Shown);
    QCOMPARE(LegendItems(*plot)[1].Text, QStringLiteral("Curve #2 *"));
    // Dragging moves the legend, never out of the client area.
    form.MoveLegend(QPointF(-50, 10000));
    QCOMPARE(form.LegendBox().left(), 0.0);
    QCOMPARE(form.LegendBox().bottom(), double(form.Canvas()->height()));
  }

  void legendAvoidsTheCurves() {
    // One rising curve from the lower left to the upper right corner.
    TGraphPlot plot;
    TLine& line = plot.AddLine();
    for (int i = 0; i <= 40; ++i) line.Points.push_back({i / 4.0, i / 4.0});
    TPlotForm form(plot);
    form.resize(800, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRectF r = form.PlotRect(), box = form.LegendBox();
    const bool upperLeft = box.right() < r.center().x() && box.bottom() < r.center().y();
    const bool lowerRight = box.left() > r.center().x() && box.top() > r.center().y();
    QVERIFY(upperLeft || lowerRight);
  }

  void mouseZoomAndCaption() {
    auto plot = MakePlot(2);
    TPlotForm form(*plot);
    form.resize(800, 600);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const TView full = form.FullRange();
    QCOMPARE(full.X, (TRange{0, 10}));
    const QRectF r = form.PlotRect();
    // Caption with the mouse position.
    QMouseEvent move(QEvent::MouseMove, r.center(), form.Canvas()->mapToGlobal(r.center()), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.Canvas(), &move);
    QVERIFY2(form.windowTitle().startsWith(plot->Caption() + " X: "), qPrintable(form.windowTitle()));
    QVERIFY(form.windowTitle().contains(" Y: "));
    // Drag over the lower left quarter of the plot, away from the legend.
    const QPoint a = QPointF(r.left() + 5, r.center().y()).toPoint();
    const QPoint b = QPointF(r.center().x(), r.bottom() - 5).toPoint();
    QVERIFY(!form.LegendBox().contains(a));
    QTest::mousePress(form.Canvas(), Qt::LeftButton, {}, a);
    QTest::mouseMove(form.Canvas(), b);
    QTest::mouseRelease(form.Canvas(), Qt::LeftButton, {}, b);
    const TView zoomed = form.View();
    QVERIFY(zoomed.X.Min < 0.2 && std::abs(zoomed.X.Max - 5) < 0.1);
    QVERIFY(zoomed.X.Length() < full.X.Length());
    // A click without drag does nothing.
    QTest::mouseClick(form.Canvas(), Qt::LeftButton, {}, b);
    QCOMPARE(form.View(), zoomed);
    // Right clicks zoom out until the full range.
    for (int i = 0; i < 4; ++i) QTest::mouseClick(form.Canvas(), Qt::RightButton, {}, r.center().toPoint());
    QCOMPARE(form.View(), full);
  }

  void activePlots() {
    auto plot = MakePlot(4);
    TPlotForm form(*plot);
    TDlgActiveLines dialog(*plot);
    QListWidget* list = dialog.List();
    QCOMPARE(list->item(0)->text(), QStringLiteral(" yes :    Curve #1"));
    dialog.SetAll(false);
    QCOMPARE(list->item(3)->text(), QStringLiteral(" no  :    Curve #4"));
    list->item(1)->setSelected(true);
    list->item(3)->setSelected(true);
    dialog.ToggleSelected();
    emit list->itemDoubleClicked(list->item(3));  // toggled back
    dialog.Apply();
    form.RebuildLines();
    QCOMPARE(CurveItems(form), (QStringList{"Curve #2+"}));
    QCOMPARE(LegendItems(*plot).size(), size_t(1));
    // The one listed curve takes the first colour.
    QCOMPARE(LegendItems(*plot)[0].Curve, 0);
    TDlgActiveLines again(*plot);
    again.SetAll(true);
    again.Apply();
    form.RebuildLines();
    QCOMPARE(CurveItems(form).size(), 4);
  }

  void editLegend() {
    auto plot = MakePlot(2);
    TPlotForm form(*plot);
    TMessageRecorder messages;
    TDlgLineNames dialog(*plot);
    QCOMPARE(dialog.List()->currentRow(), 0);
    QCOMPARE(dialog.NameEdit()->text(), QStringLiteral("Curve #1"));
    // An empty name is refused and the old one comes back.
    dialog.NameEdit()->clear();
    QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    QCOMPARE(messages.texts, QStringList{"The line must have a name!"});
    QCOMPARE(dialog.NameEdit()->text(), QStringLiteral("Curve #1"));
    // Enter stores the name; selecting the next line shows its name.
    dialog.NameEdit()->setText(QStringLiteral("Kxx"));
    QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
    dialog.List()->setCurrentRow(1);
    QCOMPARE(dialog.NameEdit()->text(), QStringLiteral("Curve #2"));
    QCOMPARE(dialog.NameEdit()->palette().color(QPalette::Text), CurveColour(1));
    dialog.NameEdit()->setText(QStringLiteral("Kyy"));
    dialog.List()->setCurrentRow(0);  // leaving the line stores its text
    dialog.Apply();
    QCOMPARE(plot->Line(0).Name, QStringLiteral("Kxx"));
    QCOMPARE(plot->Line(1).Name, QStringLiteral("Kyy"));
    QCOMPARE(CurveItems(form), (QStringList{"Kxx+", "Kyy+"}));
  }

  void saveAttributes() {
    TMessageRecorder messages;
    TDlgSaveAttb dialog;
    QCOMPARE(dialog.HeightInches(), 4.0);
    QCOMPARE(dialog.WidthInches(), 6.0);
    QCOMPARE(dialog.Ppi(), 72);
    struct Case {
      TDataEdit* edit;
      const char* text;
      bool accepted;
    };
    const Case cases[] = {{dialog.HeightEdit(), "1.9", false}, {dialog.HeightEdit(), "2", true},
                          {dialog.WidthEdit(), "1", false},    {dialog.WidthEdit(), "2", true},
                          {dialog.PpiEdit(), "9", false},      {dialog.PpiEdit(), "10.5", false},
                          {dialog.PpiEdit(), "10", true}};
    for (const Case& c : cases) {
      messages.Clear();
      c.edit->setText(QString::fromLatin1(c.text));
      QCOMPARE(c.edit->Validate(), c.accepted);
      QCOMPARE(messages.texts.isEmpty(), c.accepted);
    }
  }

  void printsOnePageToPdf() {
    QTemporaryDir dir;
    auto plot = MakePlot(3);
    TPlotForm form(*plot);
    QCOMPARE(form.PageMargins(), QMarginsF(1000, 1000, 1000, 1000));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = dir.filePath("plot.pdf");
    printer.setOutputFileName(path);
    form.PrintTo(printer);
    QCOMPARE(printer.docName(), plot->Caption());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    QVERIFY(pdf.startsWith("%PDF"));
    QVERIFY(pdf.size() > 2000);
    QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), qsizetype(1));
  }

  void savesBitmaps() {
    QTemporaryDir dir;
    auto plot = MakePlot(3);
    TPlotForm form(*plot);
    TMessageRecorder messages;
    const QString bmp = dir.filePath("plot.bmp");
    QVERIFY(form.SaveBitmap(bmp, 6, 4, 72));
    QImage image(bmp);
    QCOMPARE(image.size(), QSize(432, 288));
    QCOMPARE(QImageReader(bmp).format(), QByteArray("bmp"));
    // Something other than white was drawn: curve colours.
    bool red = false;
    for (int y = 0; y < image.height() && !red; ++y)
      for (int x = 0; x < image.width() && !red; ++x) red = image.pixelColor(x, y) == QColor(0xFF, 0, 0);
    QVERIFY(red);
    const QString png = dir.filePath("plot.png");
    QVERIFY(form.SaveBitmap(png, 2, 2, 150));
    QCOMPARE(QImageReader(png).format(), QByteArray("png"));
    QCOMPARE(QImage(png).size(), QSize(300, 300));
    QVERIFY(messages.texts.isEmpty());
    // A bitmap that cannot be made: the message, nothing saved.
    const QString huge = dir.filePath("huge.bmp");
    QVERIFY(!form.SaveBitmap(huge, 1000, 1000, 1000));
    QCOMPARE(messages.texts, QStringList{"There is not enough memory to complete this task."});
    QVERIFY(!QFile::exists(huge));
  }

  void saveToDiskCommand() {
    QTemporaryDir dir;
    auto plot = MakePlot(2);
    TPlotForm form(*plot);
    const QString path = dir.filePath("picture.png");
    QString filter;
    TPlotForm::SetSaveDialogHook([&](const QString&, const QString& offered) {
      filter = offered;
      return path;
    });
    // The Save Attributes dialog comes up modal: 3 inches by 2 at 100 ppi.
    QTimer::singleShot(0, [] {
      auto* dialog = qobject_cast<TDlgSaveAttb*>(QApplication::activeModalWidget());
      QVERIFY(dialog);
      dialog->WidthEdit()->setText("3");
      dialog->HeightEdit()->setText("2");
      dialog->PpiEdit()->setText("100");
      dialog->accept();
    });
    form.Action("PlotSaveToDisk")->trigger();
    TPlotForm::SetSaveDialogHook({});
    QVERIFY(filter.startsWith(QLatin1String("Bitmap (*.bmp)")) && filter.contains(QLatin1String("*.png")));
    QCOMPARE(QImage(path).size(), QSize(300, 200));
  }

  void graphTitleMovesThePlot() {
    auto plot = MakePlot(1);
    TPlotForm form(*plot);
    form.resize(800, 600);
    const double top = form.PlotRect().top();
    TDlgCaption dialog(*plot);
    dialog.CaptionEdit()->setText(QStringLiteral("Pedestal, four piles"));
    dialog.Apply();
    QCOMPARE(plot->GraphTitle(), QStringLiteral("Pedestal, four piles"));
    QCOMPARE(form.PlotRect().top(), top + form.Canvas()->logicalDpiY() / 4.0);
    TDlgCaption below(*plot);
    QVERIFY(below.TopButton()->isChecked());
    below.BottomButton()->setChecked(true);
    below.Apply();
    QCOMPARE(plot->TitleLocation(), TTitleLocation::Bottom);
    QCOMPARE(form.PlotRect().top(), top);
  }

  void newDataReplaceTheRange() {
    auto plot = MakePlot(1);
    TPlotForm form(*plot);
    form.SetView({{1, 2}, {1, 2}});
    plot->Line(0).Points.push_back({40.0, 3.0});
    plot->NotifyChanged();
    QCOMPARE(form.FullRange().X, (TRange{0, 40}));
    QCOMPARE(form.View(), form.FullRange());
  }
  // Tick labels never overlap: large values, small values, x axis above or
  // below, at the window sizes the program allows, on a PDF page, zoomed in;
  // a thinned axis still labels round values, and most ticks keep a label.
  void tickLabelsKeepApart() {
    for (bool xOnTop : {false, true}) {
      auto large = MakeLargeValuePlot(xOnTop);
      auto small = MakePlot(3);
      for (TLine* line : {&small->Line(0), &small->Line(1), &small->Line(2)})
        for (TFloatPoint& p : line->Points) p.Y *= 1.234e-7;
      for (TGraphPlot* plot : {large.get(), small.get()}) {
        const TAxisLimits limits = AxisLimits(*plot);
        const TView full{limits.X, limits.Y};
        const TView zoomed{{limits.X.Min, limits.X.Min + limits.X.Length() / 20},
                           {limits.Y.Min, limits.Y.Min + limits.Y.Length() / 20}};
        for (const QSize size : {QSize(800, 600), QSize(1280, 800), QSize(1920, 1050), QSize(330, 260)}) {
          QImage image(size, QImage::Format_RGB32);
          image.setDotsPerMeterX(3780);  // 96 ppi
          image.setDotsPerMeterY(3780);
          TPlotPainter painter(*plot, 96, 96);
          const QRectF rect = PlotRectangle(QRectF(image.rect()), 96, 96, xOnTop, false, true);
          for (const TView& view : {full, zoomed}) {
            const auto labels = painter.TickLabels(&image, rect, view);
            QString which;
            QVERIFY2(Apart(labels, &which), qPrintable(QStringLiteral("%1x%2: %3").arg(size.width()).arg(size.height()).arg(which)));
            QVERIFY(std::count_if(labels.begin(), labels.end(), [](const TTickLabel& l) { return l.YAxis; }) >= 2);
          }
        }
        // A PDF page, as Export PDF lays it out.
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(1, 1, 1, 1),
                                         QPageLayout::Inch));
        const QRect page = writer.pageLayout().paintRectPixels(kPdfResolution);
        TPlotPainter painter(*plot, kPdfResolution, kPdfResolution);
        const QRectF rect = PlotRectangle(QRectF(QPointF(0, 0), QSizeF(page.size())), kPdfResolution,
                                          kPdfResolution, xOnTop, false, true, {0.5, 0.0, 0.5});
        QString which;
        QVERIFY2(Apart(painter.TickLabels(&writer, rect, full), &which), qPrintable(which));
      }
    }
    // Thinned labels sit on round values: every label of the large plot's y
    // axis at 800 x 600 is a multiple of the labelled step.
    auto large = MakeLargeValuePlot(false);
    const TAxisLimits limits = AxisLimits(*large);
    QImage image(800, 600, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    TPlotPainter painter(*large, 96, 96);
    const QRectF rect = PlotRectangle(QRectF(image.rect()), 96, 96, false, false, true);
    std::vector<double> ys;
    for (const TTickLabel& l : painter.TickLabels(&image, rect, {limits.X, limits.Y}))
      if (l.YAxis) ys.push_back(l.Value);
    QVERIFY(ys.size() >= 2);
    const double labelled = ys[1] - ys[0];
    for (double v : ys) QVERIFY(std::abs(v / labelled - std::round(v / labelled)) < 1e-6);
  }

  // Every point of every curve lies inside the full range, whatever the
  // data: the axes are rounded outward.
  void fullRangeHoldsEveryPoint() {
    for (const auto& [lo, hi] : std::vector<std::pair<double, double>>{
             {2, 50}, {1, 50}, {7e-9, 3.7e-4}, {-3.7e10, -1.2e9}, {-0.013, 0.0271}, {0.00002, 50}, {5, 5}}) {
      TGraphPlot plot;
      TLine& line = plot.AddLine();
      for (int i = 0; i <= 20; ++i) line.Points.push_back({lo + (hi - lo) * i / 20, hi - (hi - lo) * i / 20});
      const TAxisLimits limits = AxisLimits(plot);
      for (const TFloatPoint& p : line.Points) {
        QVERIFY(double(p.X) >= limits.X.Min && double(p.X) <= limits.X.Max);
        QVERIFY(double(p.Y) >= limits.Y.Min && double(p.Y) <= limits.Y.Max);
      }
      // Zooming out from any zoomed view returns to the whole data.
      TPlotForm form(plot);
      form.SetView({{limits.X.Min, limits.X.Min + limits.X.Length() / 20}, {limits.Y.Min, limits.Y.Min + limits.Y.Length() / 20}});
      for (int k = 0; k < 8; ++k) form.ZoomOutAt(QPoint(10, 10));
      const TView v = form.View(), f = form.FullRange();
      const double ex = 1e-12 * f.X.Length(), ey = 1e-12 * f.Y.Length();
      QVERIFY(std::abs(v.X.Min - f.X.Min) <= ex && std::abs(v.X.Max - f.X.Max) <= ex);
      QVERIFY(std::abs(v.Y.Min - f.Y.Min) <= ey && std::abs(v.Y.Max - f.Y.Max) <= ey);
    }
  }

  // PDF and SVG without a printer: the offscreen platform has none.
  void exportsPdfAndSvg() {
    QTemporaryDir dir;
    auto plot = MakeLargeValuePlot(false);
    TPlotForm form(*plot);
    form.resize(800, 600);
    QVERIFY(form.Action("PlotExportPdf")->isEnabled());
    QVERIFY(form.Action("PlotExportSvg")->isEnabled());
    QString error;
    const QString pdf = dir.filePath(QStringLiteral("plot.pdf"));
    QVERIFY2(form.ExportPdf(pdf, &error), qPrintable(error));
    QFile pdfFile(pdf);
    QVERIFY(pdfFile.open(QIODevice::ReadOnly));
    QVERIFY(pdfFile.read(5) == "%PDF-");
    const QString svg = dir.filePath(QStringLiteral("plot.svg"));
    QVERIFY2(form.ExportSvg(svg, &error), qPrintable(error));
    QFile svgFile(svg);
    QVERIFY(svgFile.open(QIODevice::ReadOnly));
    const QByteArray text = svgFile.readAll();
    QVERIFY(text.contains("<svg"));
    QVERIFY(text.contains("Translational Stiffness"));  // the axis title, as text
    // The menu command, its dialog replaced: the suggested name is the caption's.
    QString suggested;
    SetExportPathHook([&](const QString&, const QString& name) {
      suggested = name;
      return dir.filePath(QStringLiteral("menu.pdf"));
    });
    form.Action("PlotExportPdf")->trigger();
    SetExportPathHook({});
    QCOMPARE(suggested, QStringLiteral("Translational Stiffnesses Real Part"));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("menu.pdf"))));
    // A link is not written through; the file it points to stays.
    const QString target = dir.filePath(QStringLiteral("target.txt"));
    QFile t(target);
    QVERIFY(t.open(QIODevice::WriteOnly));
    t.write("keep");
    t.close();
    QVERIFY(QFile::link(target, dir.filePath(QStringLiteral("link.pdf"))));
    QVERIFY(!form.ExportPdf(dir.filePath(QStringLiteral("link.pdf")), &error));
    QVERIFY(error.contains(QStringLiteral("link")));
    QVERIFY(t.open(QIODevice::ReadOnly));
    QCOMPARE(t.readAll(), QByteArray("keep"));
  }

  // Compared curves: the Plot menu offers to remove each compared project.
  void comparisonMenu() {
    auto plot = MakePlot(2);
    auto other = MakePlot(2);
    TPlotForm form(*plot);
    QStringList removed;
    int added = 0;
    connect(&form, &TPlotForm::AddComparisonRequested, this, [&] { ++added; });
    connect(&form, &TPlotForm::RemoveComparisonRequested, this, [&](const QString& name) { removed << name; });
    form.Action("PlotAddComparison")->trigger();
    QCOMPARE(added, 1);
    plot->AddComparison(*other, QStringLiteral("b.tvd"), QStringLiteral("a.tvd"));
    QCOMPARE(CurveItems(form), (QStringList{"Curve #1 (a.tvd)+", "Curve #2 (a.tvd)+", "Curve #1 (b.tvd)+",
                                            "Curve #2 (b.tvd)+"}));
    emit form.PlotMenu()->aboutToShow();
    QMenu* remove = form.Action("PlotRemoveComparison")->menu();
    QVERIFY(form.Action("PlotRemoveComparison")->isEnabled());
    QCOMPARE(remove->actions().size(), 1);
    remove->actions().first()->trigger();
    QCOMPARE(removed, QStringList{QStringLiteral("b.tvd")});
    plot->RemoveComparison(QStringLiteral("b.tvd"));
    QCOMPARE(CurveItems(form), (QStringList{"Curve #1+", "Curve #2+"}));
  }
};

QTEST_MAIN(PlotWindowTest)
#include "plot_window_test.moc"
