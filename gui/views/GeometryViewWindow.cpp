// A geometry view's window: the tool bar, and the page printed, saved as a
// picture or exported as PDF or SVG.
#include "gui/views/GeometryView.hpp"

#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"

#include <QFileDialog>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace terva::gui {

TGeometryView::TGeometryView(TViewPlane plane, ProjectSource project, const TProjectTables& tables, QWidget* parent)
    : QWidget(parent), project_(project) {
  setObjectName(plane == TViewPlane::Top ? QStringLiteral("TopView")
                                         : plane == TViewPlane::SideXZ ? QStringLiteral("SideViewXZ")
                                                                       : QStringLiteral("SideViewYZ"));
  setWindowTitle(ViewName(plane));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* tools = new QToolBar(this);
  canvas_ = new TGeometryCanvas(plane, std::move(project), tables, this);
  QAction* fit = tools->addAction(QStringLiteral("Fit"), canvas_, &TGeometryCanvas::FitToWindow);
  fit->setObjectName(QStringLiteral("Fit"));
  tools->addAction(QStringLiteral("Print..."), this, &TGeometryView::Print)->setObjectName(QStringLiteral("Print"));
  tools->addAction(QStringLiteral("Save Picture..."), this, &TGeometryView::SavePictureAs)
      ->setObjectName(QStringLiteral("SavePicture"));
  // Vector pictures, with or without a printer installed.
  tools->addAction(QStringLiteral("Export PDF..."), this, &TGeometryView::ExportPdf)
      ->setObjectName(QStringLiteral("ExportPdf"));
  tools->addAction(QStringLiteral("Export SVG..."), this, &TGeometryView::ExportSvg)
      ->setObjectName(QStringLiteral("ExportSvg"));
  layout->addWidget(tools);
  layout->addWidget(canvas_, 1);
  connect(canvas_, &TGeometryCanvas::PointerMoved, this, [this, plane](const QString& coordinates) {
    setWindowTitle(ViewName(plane) + QStringLiteral("  ") + coordinates);
  });
}

QString TGeometryView::ViewName(TViewPlane plane) {
  switch (plane) {
    case TViewPlane::Top: return QStringLiteral("Top View");
    case TViewPlane::SideXZ: return QStringLiteral("Side View (XZ-Plane)");
    case TViewPlane::SideYZ: return QStringLiteral("Side View (YZ-Plane)");
  }
  return {};
}

QString TGeometryView::DocumentTitle() const {
  const QString title = project_().Title.trimmed();
  const QString view = ViewName(canvas_->Plane());
  return title.isEmpty() ? view : title + QStringLiteral(" - ") + view;
}

void TGeometryView::PaintPage(QPainter& p, const QRectF& area, double ppi) const {
  // The page is laid out in pixels of a 96-ppi screen and scaled once.
  const double k = ppi > 0 && std::isfinite(ppi) ? ppi / 96.0 : 1.0;
  const QSizeF logical(area.width() / k, area.height() / k);
  p.save();
  p.translate(area.topLeft());
  p.scale(k, k);
  QFont font = TGeometryCanvas::LabelFont();
  font.setPixelSize(16);  // 12 points
  p.setFont(font);
  p.setPen(Qt::black);
  QStringList header;
  if (!project_().Title.trimmed().isEmpty()) header << project_().Title.trimmed();
  header << ViewName(canvas_->Plane());
  const double height = QFontMetricsF(font).height() * (header.size() + 0.5);
  p.drawText(QRectF(0, 0, logical.width(), height), Qt::AlignLeft | Qt::AlignTop, header.join(QLatin1Char('\n')));
  canvas_->RenderAt(p, QRectF(0, height, logical.width(), std::max(0.0, logical.height() - height)), 96.0);
  p.restore();
}

void TGeometryView::PrintTo(QPrinter& printer) const {
  QPainter p(&printer);
  if (!p.isActive()) return;
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  PaintPage(p, QRectF(0, 0, page.width(), page.height()), printer.resolution());
}

TPdfPage TGeometryView::PdfPage() const {
  TPdfPage page;
  page.Title = DocumentTitle();
  return page;
}

QString TGeometryView::SuggestedFileName() const {
  return FileNameOf(project_().Title + QStringLiteral(" ") + ViewName(canvas_->Plane()));
}

void TGeometryView::ExportPdf() {
  ExportPdfCommand(this, SuggestedFileName(), PdfPage(),
                   [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); });
}

void TGeometryView::ExportSvg() {
  // The drawing as the window shows it, at the canvas's size.
  const QSize size = canvas_->size().expandedTo(QSize(200, 160));
  const TViewTransform transform = canvas_->Transform();
  ExportSvgCommand(this, SuggestedFileName(), QSizeF(size), DocumentTitle(),
                   [this, transform](QPainter& p, const QRectF& area, double ppi) {
                     canvas_->RenderAt(p, area, ppi, transform);
                   });
}

bool TGeometryView::SavePicture(const QString& path) const {
  QImage image(canvas_->size().expandedTo(QSize(200, 160)), QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    canvas_->Render(p, QRectF(image.rect()), canvas_->Transform());
  }
  if (!image.save(path, "PNG")) {
    ShowMessage(TMessageKind::Error, QStringLiteral("TERVA"), QStringLiteral("Cannot write the picture \"%1\".").arg(path),
                MbOk);
    return false;
  }
  return true;
}

void TGeometryView::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(ViewName(canvas_->Plane()));
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void TGeometryView::SavePictureAs() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Picture"), QString(),
                                                    QStringLiteral("PNG pictures (*.png)"));
  if (!path.isEmpty()) SavePicture(path);
}

}  // namespace terva::gui
