#include "gui/plots/AmpPlot.hpp"

#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/plots/AmpChart.hpp"
#include "gui/widgets/VectorExport.hpp"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QTextStream>

#include <algorithm>

// The amplitude plot's outputs: the curves as a text file, and the page
// (a header over the chart) printed or written as PDF or SVG.

namespace terva::gui {

namespace {

TDlgAmpPlot::SaveDialogHook saveHook;

QString Number(double value) { return ShortestFloat(value); }

// The page header's font, in pixels of a 96-ppi screen, and the height of
// a header of `lines` lines with the gap under it.
QFont HeaderFont() { return TPixelFonts::InPixels(QApplication::font()); }
double HeaderHeight(qsizetype lines) {
  const QFontMetricsF metrics(HeaderFont());
  return static_cast<double>(lines) * metrics.height() * 1.2 + metrics.height() / 2;
}

}  // namespace

void TDlgAmpPlot::SetSaveDialogHook(SaveDialogHook hook) { saveHook = std::move(hook); }

bool TDlgAmpPlot::ExportTo(const QString& path) const {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
  QTextStream out(&file);
  const QString unit = UnitSystem() == 1 ? QStringLiteral("ft") : QStringLiteral("m");
  out << "Reference Point\n";
  // The point the curves were drawn for (a field being edited has not moved
  // them yet).
  out << "X= " << Number(point_[0]) << ' ' << unit << ", Y= " << Number(point_[1]) << ' ' << unit
      << ", Z= " << Number(point_[2]) << ' ' << unit << '\n';
  out << "n,Frequency,Disp_x,Disp_y,Disp_z\n";
  out << ",Hz," << unit << ',' << unit << ',' << unit << '\n';
  const QList<QPointF> xs = series_[0]->points(), ys = series_[1]->points(), zs = series_[2]->points();
  for (int i = 0; i < xs.size(); ++i)
    out << i + 1 << ',' << Number(xs[i].x()) << ',' << Number(xs[i].y()) << ',' << Number(ys.value(i).y()) << ','
        << Number(zs.value(i).y()) << '\n';
  out.flush();
  return file.error() == QFile::NoError;
}

void TDlgAmpPlot::Export() {
  QString path;
  if (saveHook) {
    path = saveHook();
  } else {
    QFileDialog dialog(this, QStringLiteral("Export Data"), QString(), QStringLiteral("Text files (*.txt *.TXT)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // asked below, in the program's words
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) path = dialog.selectedFiles().first();
  }
  if (path.isEmpty()) return;
  if (QFileInfo::exists(path) &&
      ShowMessage(TMessageKind::Question, windowTitle(),
                  QStringLiteral("File already exists, do you want to overwrite it?"), MbYes | MbNo) != MbYes)
    return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool written = ExportTo(path);
  QApplication::restoreOverrideCursor();
  if (!written)
    ShowMessage(TMessageKind::Error, windowTitle(), QStringLiteral("The file ") + path +
                                                        QStringLiteral(" could not be written."));
}

void TDlgAmpPlot::PrintTo(QPrinter& printer, bool landscape) const {
  printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  printer.setDocName(windowTitle());
  QPainter painter(&printer);
  if (!painter.isActive()) return;
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  PaintPage(painter, QRectF(0, 0, page.width(), page.height()), printer.resolution());
}

QStringList TDlgAmpPlot::PageHeader() const {
  const QString unit = UnitSystem() == 1 ? QStringLiteral("ft") : QStringLiteral("m");
  QString title = project_.Title.trimmed();
  QStringList lines{title.isEmpty() ? windowTitle() : title};
  if (rotation_->isChecked()) {
    lines << QStringLiteral("Rotation amplitudes of the footing (rad)");
  } else {
    lines << QStringLiteral("Reference point: X = %1 %4, Y = %2 %4, Z = %3 %4")
                 .arg(ShortestFloat(point_[0]), ShortestFloat(point_[1]), ShortestFloat(point_[2]), unit);
    lines << (upperBound_ ? QStringLiteral("Translational amplitudes, upper bounds (%1), %2 units")
                          : QStringLiteral("Translational amplitudes (%1), %2 units"))
                 .arg(unit, UnitSystem() == 1 ? QStringLiteral("English") : QStringLiteral("SI"));
  }
  if (!compared_.empty()) {
    QStringList names;
    for (const TComparedResponse& c : compared_) names << c.Name;
    lines << QStringLiteral("Compared with: ") + names.join(QStringLiteral(", "));
  }
  return lines;
}

void TDlgAmpPlot::PaintPage(QPainter& painter, const QRectF& area, double ppi) const {
  // Laid out in pixels of a 96-ppi screen, scaled once to the device.
  const double scale = ppi / 96.0;
  painter.save();
  painter.translate(area.topLeft());
  painter.scale(scale, scale);
  const QSizeF page = area.size() / scale;
  const QFont font = HeaderFont();
  painter.setPen(Qt::black);
  const QFontMetricsF metrics(font);
  double y = 0;
  const QStringList header = PageHeader();
  for (int i = 0; i < header.size(); ++i) {
    QFont line = font;
    line.setBold(i == 0);
    painter.setFont(line);
    // A long title is cut rather than run off the page.
    const QString text = QFontMetricsF(line).elidedText(header[i], Qt::ElideRight, page.width());
    painter.drawText(QPointF(0, y + metrics.ascent()), text);
    y += metrics.height() * 1.2;
  }
  y = std::max(y, HeaderHeight(header.size()));
  // The chart, laid out for the rest of the page, then put back as it was
  // (no event is processed in between, so the window never shows it).
  const QRectF target(0, y, page.width(), std::max(1.0, page.height() - y));
  const QSizeF shown = chart_->size();
  {
    TPixelFonts pixels(chart_);
    chart_->resize(target.size());
    if (chart_->layout()) chart_->layout()->activate();
    const QRectF source(chart_->scenePos(), target.size());
    chart_->scene()->render(&painter, target, source, Qt::IgnoreAspectRatio);
    painter.translate(target.topLeft() - source.topLeft());
    PaintVelocityLines(painter);
  }
  chart_->resize(shown);
  if (chart_->layout()) chart_->layout()->activate();
  painter.restore();
}

QSizeF TDlgAmpPlot::SvgSize() const {
  return QSizeF(view_->width(), view_->height() + HeaderHeight(PageHeader().size()));
}

TPdfPage TDlgAmpPlot::PdfPage() const {
  TPdfPage page;
  page.Title = PageHeader().value(0);
  page.Orientation = landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
  return page;
}

bool TDlgAmpPlot::ExportPdf(const QString& path, QString* error) const {
  return WritePdf(path, PdfPage(), [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); },
                  error);
}

bool TDlgAmpPlot::ExportSvg(const QString& path, QString* error) const {
  return WriteSvg(path, SvgSize(), PageHeader().value(0),
                  [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); }, error);
}

void TDlgAmpPlot::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait);
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintTo(printer, printer.pageLayout().orientation() == QPageLayout::Landscape);
}

}  // namespace terva::gui
