#include "gui/plots/PlotForm.hpp"

#include "gui/core/Messages.hpp"
#include "gui/model/PltData.hpp"
#include "gui/plots/Caption.hpp"
#include "gui/plots/ChangeActiveLines.hpp"
#include "gui/plots/ChangeLineNames.hpp"
#include "gui/plots/PlotPainter.hpp"
#include "gui/plots/SaveAttb.hpp"
#include "gui/plots/VelocityLimits.hpp"
#include "gui/widgets/VectorExport.hpp"

#include <QActionGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRubberBand>
#include <QVBoxLayout>

#include <cmath>

namespace terva::gui {

namespace {
TPlotForm::SaveDialogHook saveDialogHook;
const QString kNoMemory = QStringLiteral("There is not enough memory to complete this task.");
}  // namespace

void TPlotForm::SetSaveDialogHook(SaveDialogHook hook) { saveDialogHook = std::move(hook); }

// The client area: paints through the form and turns mouse events into its
// commands.
class TPlotCanvas : public QWidget {
 public:
  explicit TPlotCanvas(TPlotForm& form) : QWidget(&form), form_(form) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    form_.Paint(painter);
  }
  void mousePressEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && form_.LegendVisible() && form_.LegendBox().contains(at)) {
      dragLegend_ = true;
      dragOffset_ = at - form_.LegendBox().topLeft();
      return;
    }
    if (event->button() == Qt::LeftButton && form_.PlotRect().contains(at)) {
      origin_ = at;
      if (!band_) band_ = new QRubberBand(QRubberBand::Rectangle, this);
      band_->setGeometry(QRect(origin_, QSize()));
      band_->show();
    } else if (event->button() == Qt::RightButton && form_.PlotRect().contains(at)) {
      form_.ZoomOutAt(at);
    }
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const QPoint at = event->position().toPoint();
    if (dragLegend_) {
      form_.MoveLegend(at - dragOffset_);
      return;
    }
    form_.UpdateCaption(&at);
    if (band_ && band_->isVisible()) band_->setGeometry(QRect(origin_, Clamp(at)).normalized());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (dragLegend_) {
      dragLegend_ = false;
      return;
    }
    if (event->button() == Qt::LeftButton && band_ && band_->isVisible()) {
      band_->hide();
      form_.ZoomToPixels(QRect(origin_, Clamp(event->position().toPoint())).normalized());
    }
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    const QPointF at = event->position();
    if (!form_.LegendVisible() || !form_.LegendBox().contains(at)) return;
    TPlotPainter painter(form_.Plot(), logicalDpiX(), logicalDpiY());
    const int item = painter.LegendItemAt(form_.LegendBox(), LegendItems(form_.Plot()), at);
    if (item >= 0) form_.ToggleLegendEntry(item);
  }
  void leaveEvent(QEvent*) override { form_.UpdateCaption(nullptr); }

 private:
  QPoint Clamp(const QPoint& p) const {
    const QRect r = form_.PlotRect().toAlignedRect();
    return {std::clamp(p.x(), r.left(), r.right()), std::clamp(p.y(), r.top(), r.bottom())};
  }

  TPlotForm& form_;
  QRubberBand* band_ = nullptr;
  QPoint origin_;
  bool dragLegend_ = false;
  QPointF dragOffset_;
};

TPlotForm::TPlotForm(TGraphPlot& plot, QWidget* parent) : QWidget(parent), plot_(plot) {
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  menuBar_ = new QMenuBar(this);
  layout->setMenuBar(menuBar_);
  canvas_ = new TPlotCanvas(*this);
  layout->addWidget(canvas_);
  CreateMenu();
  Reload();
  connect(&plot_, &TGraphPlot::Changed, this, [this] {
    // Names, flags or settings: redraw; new data: new limits.
    const TAxisLimits limits = AxisLimits(plot_);
    if (limits.X != full_.X || limits.Y != full_.Y) Reload();
    else RebuildLines();
  });
}

TPlotForm::~TPlotForm() = default;

QWidget* TPlotForm::Canvas() const { return canvas_; }

QAction* TPlotForm::Action(const QString& name) const { return findChild<QAction*>(name); }

void TPlotForm::CreateMenu() {
  plotMenu_ = menuBar_->addMenu(QStringLiteral("&Plot"));
  auto make = [this](const QString& name, const QString& text, auto slot) {
    QAction* action = new QAction(text, this);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  QAction* legend = make("PlotShowLegend", "Show &Legend", [this](bool on) {
    plot_.SetShowLegend(on);
    canvas_->update();
  });
  legend->setCheckable(true);
  plotMenu_->addAction(legend);
  QMenu* markers = plotMenu_->addMenu(QStringLiteral("Show &Markers"));
  markerGroup_ = new QActionGroup(this);
  const std::pair<int, const char*> items[] = {{0, "&Never"},
                                               {1, "Every &Increment"},
                                               {2, "Every &2 Increments"},
                                               {3, "Every &3 Incrments"},
                                               {5, "Every &5 Increments"},
                                               {10, "Every &10 Incements"}};
  for (const auto& [tag, text] : items) {
    QAction* a = make(tag == 0 ? QStringLiteral("PlotMarkersNever") : QStringLiteral("PlotMarkers%1").arg(tag),
                      QString::fromLatin1(text), [this, tag] {
                        plot_.SetMarkers(tag);
                        canvas_->update();
                      });
    a->setCheckable(true);
    a->setData(tag);
    markerGroup_->addAction(a);
    markers->addAction(a);
  }
  const bool printer = !QPrinterInfo::availablePrinters().isEmpty();
  QAction* print = make("PlotPrint", "&Print...", [this] { PrintCommand(); });
  QAction* setup = make("PlotPageSetup", "P&age Setup", [this] { PageSetupCommand(); });
  print->setEnabled(printer);
  setup->setEnabled(printer);
  plotMenu_->addAction(print);
  plotMenu_->addAction(setup);
  plotMenu_->addAction(make("PlotSaveToDisk", "&Save To Disk...", [this] { SaveCommand(); }));
  // PDF and SVG need no printer.
  QAction* pdf = make("PlotExportPdf", "Export P&DF...", [this] {
    ExportPdfCommand(this, FileNameOf(plot_.Caption()), PdfPage(),
                     [this](QPainter& painter, const QRectF& area, double ppi) { DrawPage(painter, area, ppi); });
  });
  pdf->setStatusTip(QStringLiteral("Write the plot as a one-page PDF document"));
  plotMenu_->addAction(pdf);
  QAction* svg = make("PlotExportSvg", "Export S&VG...", [this] {
    ExportSvgCommand(this, FileNameOf(plot_.Caption()), QSizeF(canvas_->size()), plot_.Caption(),
                     [this](QPainter& painter, const QRectF& area, double ppi) { DrawPage(painter, area, ppi); });
  });
  svg->setStatusTip(QStringLiteral("Write the plot as an SVG picture of the window's size"));
  plotMenu_->addAction(svg);
  plotMenu_->addAction(make("PlotGraphTitle", "&Graph Title", [this] { TitleCommand(); }));
  plotMenu_->addAction(make("PlotEditLegend", "&Edit Legend", [this] { EditLegendCommand(); }));
  plotMenu_->addAction(make("PlotActiveGraphs", "&Active Graphs", [this] { ActiveGraphsCommand(); }));
  if (VelocityLinesAvailable()) {
    QAction* lines = make("PlotVelocityLines", "&Velocity Limit Lines", [this](bool on) { SetVelocityLinesShown(on); });
    lines->setCheckable(true);
    lines->setStatusTip(QStringLiteral("Lines of constant peak velocity over the amplitudes"));
    plotMenu_->addAction(lines);
    plotMenu_->addAction(make("PlotVelocityLimits", "Velocity Limi&ts...", [this] { VelocityLimitsCommand(); }));
  }
  plotMenu_->addAction(make("PlotAddComparison", "Add Results for &Comparison...",
                            [this] { emit AddComparisonRequested(); }));
  compareMenu_ = plotMenu_->addMenu(QStringLiteral("&Remove Compared Results"));
  compareMenu_->menuAction()->setObjectName(QStringLiteral("PlotRemoveComparison"));
  plotMenu_->addSeparator();
  connect(plotMenu_, &QMenu::aboutToShow, this, [this] {
    Action("PlotShowLegend")->setChecked(plot_.ShowLegend());
    for (QAction* a : markerGroup_->actions()) a->setChecked(a->data().toInt() == plot_.Markers());
    if (QAction* lines = Action("PlotVelocityLines")) lines->setChecked(velocityShown_);
    RebuildComparisonMenu();
  });
}

void TPlotForm::RebuildComparisonMenu() {
  compareMenu_->clear();
  QStringList sources;
  for (int i = 0; i < plot_.LineCount(); ++i)
    if (plot_.Line(i).Compared && !sources.contains(plot_.Line(i).Source)) sources << plot_.Line(i).Source;
  for (const QString& source : sources) {
    QString text = source;
    compareMenu_->addAction(text.replace(QLatin1Char('&'), QLatin1String("&&")), this,
                            [this, source] { emit RemoveComparisonRequested(source); });
  }
  if (sources.size() > 1) {
    compareMenu_->addSeparator();
    compareMenu_->addAction(QStringLiteral("&All"), this, [this] { emit RemoveComparisonRequested(QString()); });
  }
  compareMenu_->menuAction()->setEnabled(!sources.isEmpty());
}

void TPlotForm::Reload() {
  LimitIncludedLines(plot_);
  const TAxisLimits limits = AxisLimits(plot_);
  if (!limits.Valid) {
    // No scale can be made of these values: the window closes.
    QMetaObject::invokeMethod(this, [this] { if (parentWidget()) parentWidget()->close(); else close(); },
                              Qt::QueuedConnection);
  }
  full_ = {limits.X, limits.Y};
  view_ = full_;
  RebuildLines();
}

void TPlotForm::RebuildLines() {
  for (QAction* a : lineActions_) {
    plotMenu_->removeAction(a);
    delete a;
  }
  lineActions_.clear();
  for (const TLegendItem& item : LegendItems(plot_)) {
    auto* a = new QAction(plot_.DisplayName(item.Line), this);
    a->setObjectName(QStringLiteral("PlotLine%1").arg(item.Line));
    a->setCheckable(true);
    a->setChecked(plot_.Line(item.Line).Shown);
    const int line = item.Line;
    connect(a, &QAction::triggered, this, [this, line](bool on) {
      plot_.Line(line).Shown = on;
      RebuildLines();
    });
    plotMenu_->addAction(a);
    lineActions_.append(a);
  }
  UpdateCaption(nullptr);
  canvas_->update();
}

void TPlotForm::SetView(const TView& view) {
  view_ = view;
  canvas_->update();
}

QRectF TPlotForm::PlotRect() const {
  return PlotRectangle(canvas_->rect(), canvas_->logicalDpiX(), canvas_->logicalDpiY(), plot_.XOnTop(),
                       !plot_.GraphTitle().isEmpty(), plot_.TitleLocation() == TTitleLocation::Top);
}

QPointF TPlotForm::ValueAt(const QPoint& point) const {
  const QRectF r = PlotRect();
  if (r.isEmpty()) return {};
  const double px = std::clamp<double>(point.x(), r.left(), r.right());
  const double py = std::clamp<double>(point.y(), r.top(), r.bottom());
  return {view_.X.Min + (px - r.left()) / r.width() * view_.X.Length(),
          view_.Y.Min + (r.bottom() - py) / r.height() * view_.Y.Length()};
}

void TPlotForm::ZoomToPixels(const QRect& area) {
  if (area.width() <= 0 || area.height() <= 0) return;
  const QPointF a = ValueAt(area.topLeft());
  const QPointF b = ValueAt(area.bottomRight());
  SetView(ZoomIn(view_, full_, QRectF(a, b)));
}

void TPlotForm::ZoomOutAt(const QPoint& point) { SetView(ZoomOut(view_, full_, ValueAt(point))); }

void TPlotForm::UpdateCaption(const QPoint* mouse) {
  if (!mouse || PlotRect().isEmpty()) {
    setWindowTitle(plot_.Caption());
    return;
  }
  const QPointF v = ValueAt(*mouse);
  setWindowTitle(plot_.Caption() + QStringLiteral(" X: ") + FormatDigits(v.x(), 5) + QStringLiteral(" Y: ") +
                 FormatDigits(v.y(), 5));
}

bool TPlotForm::LegendVisible() const { return plot_.ShowLegend() && plot_.LineCount() > 0; }

QRectF TPlotForm::LegendBox() const {
  TPlotPainter painter(plot_, canvas_->logicalDpiX(), canvas_->logicalDpiY());
  const QSizeF size = painter.LegendSize(LegendItems(plot_));
  if (legendPos_.x() >= 0) return QRectF(legendPos_, size);
  // Until the user moves it: the corner of the plot that hides the fewest
  // points of the drawn curves, the upper right one when that is free.
  const QRectF r = PlotRect();
  const double gap = 4;
  const QPointF corners[4] = {{r.right() - size.width() - gap, r.top() + gap},
                              {r.left() + gap, r.top() + gap},
                              {r.right() - size.width() - gap, r.bottom() - size.height() - gap},
                              {r.left() + gap, r.bottom() - size.height() - gap}};
  int best = 0;
  long bestCount = -1;
  for (int c = 0; c < 4; ++c) {
    const QRectF box = QRectF(corners[c], size).adjusted(-gap, -gap, gap, gap);
    // The box in axis values.
    const double x0 = view_.X.Min + (box.left() - r.left()) / r.width() * view_.X.Length();
    const double x1 = view_.X.Min + (box.right() - r.left()) / r.width() * view_.X.Length();
    const double y0 = view_.Y.Min + (r.bottom() - box.bottom()) / r.height() * view_.Y.Length();
    const double y1 = view_.Y.Min + (r.bottom() - box.top()) / r.height() * view_.Y.Length();
    long count = 0;
    for (int i = 0; i < plot_.LineCount(); ++i) {
      const TLine& line = plot_.Line(i);
      if (!line.Included || !line.Shown) continue;
      for (const TFloatPoint& p : line.Points) {
        const double x = static_cast<double>(p.X), y = static_cast<double>(p.Y);
        count += x >= x0 && x <= x1 && y >= y0 && y <= y1;
      }
    }
    if (bestCount < 0 || count < bestCount) best = c, bestCount = count;
    if (count == 0) break;
  }
  return QRectF(corners[best], size);
}

void TPlotForm::MoveLegend(const QPointF& topLeft) {
  const QSizeF size = LegendBox().size();
  legendPos_ = QPointF(std::clamp(topLeft.x(), 0.0, std::max(0.0, canvas_->width() - size.width())),
                       std::clamp(topLeft.y(), 0.0, std::max(0.0, canvas_->height() - size.height())));
  canvas_->update();
}

void TPlotForm::ToggleLegendEntry(int item) {
  const std::vector<TLegendItem> items = LegendItems(plot_);
  if (item < 0 || item >= static_cast<int>(items.size())) return;
  TLine& line = plot_.Line(items[static_cast<size_t>(item)].Line);
  line.Shown = !line.Shown;
  RebuildLines();
}

void TPlotForm::Paint(QPainter& painter) {
  painter.fillRect(canvas_->rect(), Qt::white);
  TPlotPainter plotter(plot_, canvas_->logicalDpiX(), canvas_->logicalDpiY());
  const TVelocityLines lines = VelocityLines();
  if (!lines.Limits.empty()) plotter.SetVelocityLines(&lines);
  const QRectF r = plotter.Draw(painter, canvas_->rect(), view_);
  if (r.isEmpty() || !LegendVisible()) return;
  plotter.DrawLegend(painter, LegendBox(), LegendItems(plot_));
}

void DrawPlotOnDevice(QPainter& painter, const TGraphPlot& plot, const TView& view, const QRectF& area, double ppiX,
                  double ppiY, const TPlotMargins& margins, const TVelocityLines& lines) {
  TPlotPainter plotter(plot, ppiX, ppiY);
  if (!lines.Limits.empty()) plotter.SetVelocityLines(&lines);
  const QRectF r = plotter.Draw(painter, area, view, margins);
  if (r.isEmpty() || !plot.ShowLegend() || plot.LineCount() == 0) return;
  const auto items = LegendItems(plot);
  const QSizeF size = plotter.LegendSize(items);
  const double gap = ppiX / 16.0;
  plotter.DrawLegend(painter, QRectF(QPointF(r.right() - size.width() - gap, r.bottom() - size.height() - gap), size),
                     items);
}


void TPlotForm::PrintTo(QPrinter& printer) const {
  printer.setDocName(plot_.Caption());
  QPainter painter(&printer);
  if (!painter.isActive()) return;
  const double ppiX = printer.logicalDpiX(), ppiY = printer.logicalDpiY();
  // Page-setup margins in thousandths of an inch, at least the printer's own.
  const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const double left = std::max(margins_.left() / 1000.0 * ppiX, page.left() - paper.left());
  const double top = std::max(margins_.top() / 1000.0 * ppiY, page.top() - paper.top());
  const double right = std::max(margins_.right() / 1000.0 * ppiX, paper.right() - page.right());
  const double bottom = std::max(margins_.bottom() / 1000.0 * ppiY, paper.bottom() - page.bottom());
  // The painter's origin is the printable area's corner.
  const QRectF area = QRectF(paper.left() + left, paper.top() + top, paper.width() - left - right,
                             paper.height() - top - bottom)
                          .translated(-page.topLeft());
  DrawPlotOnDevice(painter, plot_, view_, area, ppiX, ppiY, {0.5, 0.0, 0.5}, VelocityLines());
}

void TPlotForm::DrawPage(QPainter& painter, const QRectF& area, double ppi) const {
  DrawPlotOnDevice(painter, plot_, view_, area, ppi, ppi, {0.5, 0.0, 0.5}, VelocityLines());
}

TPdfPage TPlotForm::PdfPage() const {
  TPdfPage page;
  page.Title = plot_.Caption();
  page.MarginsInch = QMarginsF(margins_.left() / 1000.0, margins_.top() / 1000.0, margins_.right() / 1000.0,
                               margins_.bottom() / 1000.0);
  return page;
}

bool TPlotForm::ExportPdf(const QString& path, QString* error) const {
  return WritePdf(path, PdfPage(), [this](QPainter& p, const QRectF& area, double ppi) { DrawPage(p, area, ppi); }, error);
}

bool TPlotForm::ExportSvg(const QString& path, QString* error) const {
  return WriteSvg(path, QSizeF(canvas_->size()), plot_.Caption(),
                  [this](QPainter& p, const QRectF& area, double ppi) { DrawPage(p, area, ppi); }, error);
}

bool TPlotForm::SaveBitmap(const QString& path, double widthInches, double heightInches, int ppi) const {
  const double w = std::round(ppi * widthInches), h = std::round(ppi * heightInches);
  QImage image;
  if (w > 0 && h > 0 && w * h < 1e9) image = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
  if (image.isNull()) {
    ShowMessage(TMessageKind::Error, QStringLiteral("Save To Disk"), kNoMemory);
    return false;
  }
  const int dotsPerMeter = static_cast<int>(std::lround(ppi / 0.0254));
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    DrawPlotOnDevice(painter, plot_, view_, QRectF(image.rect()), ppi, ppi, {1.5, 0.25, 0.5}, VelocityLines());
  }
  const QString suffix = QFileInfo(path).suffix().toLower();
  const char* format = suffix == QLatin1String("png") ? "PNG" : "BMP";
  if (!image.save(path, format)) {
    ShowMessage(TMessageKind::Error, QStringLiteral("Save To Disk"),
                QStringLiteral("The picture could not be written to ") + path + QStringLiteral("."));
    return false;
  }
  return true;
}

void TPlotForm::PrintCommand() {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintTo(printer);
}

void TPlotForm::PageSetupCommand() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageMargins(QMarginsF(margins_.left() / 1000.0, margins_.top() / 1000.0, margins_.right() / 1000.0,
                                   margins_.bottom() / 1000.0),
                         QPageLayout::Inch);
  QPageSetupDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const QMarginsF m = printer.pageLayout().margins(QPageLayout::Inch);
  margins_ = QMarginsF(m.left() * 1000, m.top() * 1000, m.right() * 1000, m.bottom() * 1000);
}

void TPlotForm::SaveCommand() {
  const QString filter = QStringLiteral("Bitmap (*.bmp);;PNG picture (*.png)");
  QString path;
  if (saveDialogHook) {
    path = saveDialogHook(QStringLiteral("Save To Disk"), filter);
  } else {
    QFileDialog dialog(this, QStringLiteral("Save To Disk"), QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      dialog.setDefaultSuffix(f.contains(QLatin1String("png")) ? QStringLiteral("png") : QStringLiteral("bmp"));
    });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) path = dialog.selectedFiles().first();
  }
  if (path.isEmpty()) return;
  TDlgSaveAttb attributes(this);
  if (attributes.exec() != QDialog::Accepted) return;
  SaveBitmap(path, attributes.WidthInches(), attributes.HeightInches(), attributes.Ppi());
}

void TPlotForm::TitleCommand() {
  TDlgCaption dialog(plot_, this);
  if (dialog.exec() == QDialog::Accepted) dialog.Apply();
}

void TPlotForm::EditLegendCommand() {
  TDlgLineNames dialog(plot_, this);
  if (dialog.exec() == QDialog::Accepted) dialog.Apply();
}

bool TPlotForm::VelocityLinesAvailable() const { return HasTranslationalAmplitudes(plot_); }

void TPlotForm::SetVelocityLinesShown(bool shown) {
  shown = shown && VelocityLinesAvailable();
  if (shown && !velocityShown_) velocitySystem_ = 0;  // the remembered limits
  velocityShown_ = shown;
  if (QAction* lines = Action("PlotVelocityLines")) lines->setChecked(shown);
  canvas_->update();
}

void TPlotForm::SetVelocityLimits(const std::vector<double>& limits) {
  if (!VelocityLinesAvailable()) return;
  StoreVelocityLimits(plot_.Units(), limits);
  velocityLimits_ = limits;
  velocitySystem_ = plot_.Units();
  velocityShown_ = true;
  if (QAction* lines = Action("PlotVelocityLines")) lines->setChecked(true);
  canvas_->update();
}

TVelocityLines TPlotForm::VelocityLines() const {
  TVelocityLines lines;
  lines.UnitSystem = plot_.Units();
  lines.Axis = TFrequencyAxis::Hertz;  // the result plots' x axis
  if (!velocityShown_ || !VelocityLinesAvailable()) return lines;
  if (velocitySystem_ != lines.UnitSystem) {
    velocityLimits_ = StoredVelocityLimits(lines.UnitSystem);
    velocitySystem_ = lines.UnitSystem;
  }
  lines.Limits = velocityLimits_;
  return lines;
}

void TPlotForm::VelocityLimitsCommand() {
  const int system = plot_.Units();
  TDlgVelocityLimits dialog(system, velocityShown_ ? VelocityLines().Limits : StoredVelocityLimits(system), this);
  if (dialog.exec() == QDialog::Accepted) SetVelocityLimits(dialog.Limits());
}

void TPlotForm::ActiveGraphsCommand() {
  TDlgActiveLines dialog(plot_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  dialog.Apply();
  RebuildLines();
}

}  // namespace terva::gui
