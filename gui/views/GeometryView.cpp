#include "gui/views/GeometryView.hpp"

#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <QFileDialog>
#include <QFontMetricsF>
#include <QImage>
#include <QMap>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace terva::gui {
namespace {

constexpr double kMargin = 36.0;   // pixels between the drawing and the window's edge
constexpr double kWheelStep = 1.25;

const QColor kFooting(150, 150, 160);
const QColor kPile(110, 80, 50);
const QColor kBelow(205, 190, 160);
const QColor kRock(150, 140, 130);
const std::array<QColor, 2> kLayerColors{QColor(226, 214, 170), QColor(214, 198, 150)};

QString G5(double v) { return QString::number(v, 'g', 5); }

void Arrow(QPainter& p, const QPointF& from, const QPointF& to) {
  p.drawLine(from, to);
  const QPointF d = to - from;
  const double len = std::hypot(d.x(), d.y());
  if (len < 1e-6) return;
  const QPointF u = d / len, n(-u.y(), u.x());
  const double head = std::min(8.0, len / 2);
  QPolygonF tip{to, to - u * head + n * head * 0.45, to - u * head - n * head * 0.45};
  p.save();
  p.setBrush(p.pen().color());
  p.drawPolygon(tip);
  p.restore();
}

}  // namespace

// --- Canvas ------------------------------------------------------------------

TGeometryCanvas::TGeometryCanvas(TViewPlane plane, ProjectSource project, const TProjectTables& tables,
                                 QWidget* parent)
    : QWidget(parent), plane_(plane), project_(std::move(project)), tables_(tables) {
  setObjectName(QStringLiteral("GeometryCanvas"));
  setMouseTracking(true);
  setAutoFillBackground(false);
  setMinimumSize(200, 160);
  // Every stored cell, row count or unit change of a table redraws the view.
  for (TGridTable* table : tables.All()) {
    connect(table, &TGridTable::Changed, this, &TGeometryCanvas::Refresh);
    connect(table, &TGridTable::CellValueChanged, this, &TGeometryCanvas::Refresh);
  }
}

void TGeometryCanvas::Rebuild() const {
  if (!stale_) return;
  stale_ = false;
  model_ = ModelOfProject(project_(), tables_);
  if (fitted_) transform_.Fit(PlaneExtent(), QSizeF(size()), kMargin);
}

const TFoundationModel& TGeometryCanvas::Model() const {
  Rebuild();
  return model_;
}

const TViewTransform& TGeometryCanvas::Transform() const {
  Rebuild();
  return transform_;
}

QPointF TGeometryCanvas::PlaneOf(const TPoint3& p) const {
  switch (plane_) {
    case TViewPlane::Top: return {p.x, p.y};
    case TViewPlane::SideXZ: return {p.x, -p.z};
    case TViewPlane::SideYZ: return {p.y, -p.z};
  }
  return {};
}

QRectF TGeometryCanvas::PlaneExtent() const {
  // Called by Rebuild: reads the model as it is.
  const QRectF plan = model_.PlanExtent();
  if (plane_ == TViewPlane::Top) {
    const double pad = 0.05 * std::max({plan.width(), plan.height(), 1e-6});
    return plan.adjusted(-pad, -pad, pad, pad);
  }
  const double u0 = plane_ == TViewPlane::SideXZ ? plan.left() : plan.top();
  const double u1 = plane_ == TViewPlane::SideXZ ? plan.right() : plan.bottom();
  // The soil reaches half the plan's size beyond it on either side (schematic).
  const double side = 0.5 * std::max(u1 - u0, 0.25 * model_.soilDepth);
  return QRectF(QPointF(u0 - side, -model_.soilDepth), QPointF(u1 + side, 0.08 * model_.soilDepth));
}

void TGeometryCanvas::Refresh() {
  stale_ = true;
  update();
}

void TGeometryCanvas::FitToWindow() {
  Rebuild();
  fitted_ = true;
  transform_.Fit(PlaneExtent(), QSizeF(size()), kMargin);
  update();
}

QString TGeometryCanvas::UnitName() const { return project_().Units == 1 ? QStringLiteral("ft") : QStringLiteral("m"); }

QString TGeometryCanvas::CoordinatesText(const QPointF& pixel) const {
  const QPointF q = Transform().ToPlane(pixel);
  switch (plane_) {
    case TViewPlane::Top: return QStringLiteral("X: %1 Y: %2").arg(G5(q.x()), G5(q.y()));
    case TViewPlane::SideXZ: return QStringLiteral("X: %1 Z: %2").arg(G5(q.x()), G5(-q.y() + 0.0));
    case TViewPlane::SideYZ: return QStringLiteral("Y: %1 Z: %2").arg(G5(q.x()), G5(-q.y() + 0.0));
  }
  return {};
}

void TGeometryCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Render(p, QRectF(rect()), Transform());
}

void TGeometryCanvas::resizeEvent(QResizeEvent*) {
  if (fitted_) FitToWindow();
}


void TGeometryCanvas::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  Rebuild();
  fitted_ = false;
  transform_.ZoomAbout(event->position(), std::pow(kWheelStep, steps));
  update();
  event->accept();
}

void TGeometryCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_ = event->position();
}

void TGeometryCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
    Rebuild();
    fitted_ = false;
    transform_.Pan(event->position() - *dragFrom_);
    dragFrom_ = event->position();
    update();
  }
  emit PointerMoved(CoordinatesText(event->position()));
}

void TGeometryCanvas::mouseReleaseEvent(QMouseEvent*) { dragFrom_.reset(); }

void TGeometryCanvas::mouseDoubleClickEvent(QMouseEvent*) { FitToWindow(); }

void TGeometryCanvas::Render(QPainter& p, const QRectF& area, const TViewTransform& t) const {
  Rebuild();
  p.save();
  p.setClipRect(area);
  p.fillRect(area, Qt::white);
  p.translate(area.topLeft());
  p.setRenderHint(QPainter::Antialiasing);
  if (plane_ == TViewPlane::Top) RenderTop(p, t);
  else RenderSide(p, t);
  RenderFrame(p, QRectF(QPointF(0, 0), area.size()), t);
  p.restore();
}

void TGeometryCanvas::RenderTop(QPainter& p, const TViewTransform& t) const {
  const TFoundationModel& m = model_;
  const double s = t.Scale();
  // The footing or pile cap.
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(kFooting.red(), kFooting.green(), kFooting.blue(), 90));
  const QPointF c = t.ToPixel({m.centreX, m.centreY});
  if (m.circular) p.drawEllipse(c, m.radius * s, m.radius * s);
  else p.drawRect(QRectF(t.ToPixel({m.centreX - m.length / 2, m.centreY + m.width / 2}), QSizeF(m.length * s, m.width * s)));
  // The multilayer column's elements, dashed.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
  for (const TFoundationModel::ColumnElement& e : m.column) p.drawEllipse(c, e.radiusX * s, e.radiusY * s);
  // The piles at their heads, numbered; a battered pile's arrow points where its tip goes.
  const double arrow = std::max(18.0, 0.12 * std::max(m.PlanExtent().width(), m.PlanExtent().height()) * s);
  for (const TFoundationModel::Pile& pile : m.piles) {
    const QPointF h = t.ToPixel(PlaneOf(pile.head));
    const double r = std::max(3.0, pile.radius * s);
    p.setPen(QPen(kPile, 1.5));
    p.setBrush(QColor(kPile.red(), kPile.green(), kPile.blue(), 120));
    p.drawEllipse(h, r, r);
    if (pile.Battered()) {
      const QPointF dir = t.ToPixel(PlaneOf(pile.At(1.0))) - h;
      const double len = std::hypot(dir.x(), dir.y());
      if (len > 1e-9) {
        p.setPen(QPen(Qt::red, 1.5));
        Arrow(p, h, h + dir / len * (r + arrow));
      }
    }
    p.setPen(Qt::black);
    p.drawText(h + QPointF(r + 2, -r - 2), QString::number(pile.number));
  }
  // The centre of gravity: a crossed circle.
  if (m.centreOfGravity) {
    const QPointF g = t.ToPixel(*m.centreOfGravity);
    p.setPen(QPen(Qt::blue, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(g, 6, 6);
    p.drawLine(g - QPointF(9, 0), g + QPointF(9, 0));
    p.drawLine(g - QPointF(0, 9), g + QPointF(0, 9));
    p.drawText(g + QPointF(8, 14), QStringLiteral("CG"));
  }
}

void TGeometryCanvas::RenderSide(QPainter& p, const TViewTransform& t) const {
  const TFoundationModel& m = model_;
  const QRectF extent = PlaneExtent();
  const double u0 = extent.left(), u1 = extent.right();
  auto band = [&](double top, double bottom) {
    return QRectF(t.ToPixel({u0, -top}), t.ToPixel({u1, -bottom}));
  };
  QFontMetricsF fm(p.font());
  // Band labels are written last, over the piles, on a light box.
  std::vector<std::pair<QRectF, QString>> labels;
  // The soil: layers as bands, then what lies below them.
  const double bottomOfSoil = m.soilDepth;
  const double belowEnd = m.rockDepth ? std::min(*m.rockDepth, bottomOfSoil) : bottomOfSoil;
  p.setPen(Qt::NoPen);
  p.setBrush(kBelow);
  p.drawRect(band(m.belowTop, belowEnd));
  if (m.rockDepth && *m.rockDepth < bottomOfSoil) {
    p.setBrush(QBrush(kRock, Qt::BDiagPattern));
    p.drawRect(band(*m.rockDepth, bottomOfSoil));
  }
  for (size_t i = 0; i < m.layers.size(); ++i) {
    const TFoundationModel::Layer& layer = m.layers[i];
    p.setPen(QPen(QColor(120, 100, 60), 0.8));
    p.setBrush(kLayerColors[i % 2]);
    const QRectF r = band(layer.top, layer.bottom);
    p.drawRect(r);
    if (r.height() >= fm.height()) labels.push_back({r, QStringLiteral("h = %1   %2").arg(G5(layer.bottom - layer.top), layer.label)});
  }
  if (!m.belowLabel.isEmpty()) {
    const QRectF r = band(m.belowTop, belowEnd);
    labels.push_back({QRectF(r.left(), r.bottom() - fm.height() - 4, r.width(), fm.height() + 2), m.belowLabel});
  }
  if (m.rockDepth && *m.rockDepth < bottomOfSoil) {
    const QRectF r = band(*m.rockDepth, bottomOfSoil);
    labels.push_back({QRectF(r.left(), r.top() + 2, r.width(), fm.height() + 2),
                      QStringLiteral("Bed rock at %1").arg(G5(*m.rockDepth))});
  }

  // The multilayer column.
  const double uc = plane_ == TViewPlane::SideXZ ? m.centreX : m.centreY;
  for (const TFoundationModel::ColumnElement& e : m.column) {
    const double r = plane_ == TViewPlane::SideXZ ? e.radiusX : e.radiusY;
    p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    p.setBrush(QColor(120, 120, 140, 50));
    p.drawRect(QRectF(t.ToPixel({uc - r, -e.top}), t.ToPixel({uc + r, -e.bottom})));
  }
  // The footing or cap.
  const double half = m.circular ? m.radius : (plane_ == TViewPlane::SideXZ ? m.length : m.width) / 2;
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(kFooting);
  const QRectF footing(t.ToPixel({uc - half, -m.top}), t.ToPixel({uc + half, -m.base}));
  p.drawRect(footing);
  const QString size = QStringLiteral("t = %1, embedment %2").arg(G5(m.base - m.top), G5(m.base));
  if (footing.height() >= fm.height() + 4 && footing.width() >= fm.horizontalAdvance(size) + 8)
    p.drawText(footing, Qt::AlignCenter, size);
  else  // too small to hold it: above the ground, over the footing
    p.drawText(QRectF(footing.center().x() - 200, footing.top() - 2 * fm.height() - 4, 400, fm.height()),
               Qt::AlignCenter, size);
  // The piles, with their element divisions.
  QMap<std::pair<int, int>, QStringList> tipLabels;
  for (const TFoundationModel::Pile& pile : m.piles) {
    const QPointF a = t.ToPixel(PlaneOf(pile.head)), b = t.ToPixel(PlaneOf(pile.Tip()));
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF n = len > 1e-9 ? QPointF(-d.y(), d.x()) / len : QPointF(1, 0);
    const double r = std::max(1.5, pile.radius * t.Scale());
    p.setPen(QPen(kPile, 1));
    p.setBrush(QColor(kPile.red(), kPile.green(), kPile.blue(), 160));
    p.drawPolygon(QPolygonF{a + n * r, b + n * r, b - n * r, a - n * r});
    p.setPen(QPen(Qt::white, 1));
    for (double s : pile.divisions) {
      if (s >= pile.length) break;
      const QPointF q = t.ToPixel(PlaneOf(pile.At(s)));
      p.drawLine(q + n * r, q - n * r);
    }
    tipLabels[{qRound(b.x()), qRound(b.y())}].append(QString::number(pile.number));
  }
  // Piles whose tips meet in this view share one label ("2, 5").
  p.setPen(Qt::black);
  for (auto it = tipLabels.cbegin(); it != tipLabels.cend(); ++it) {
    const QString text = it.value().join(QStringLiteral(", "));
    p.drawText(QPointF(it.key().first - fm.horizontalAdvance(text) / 2, it.key().second + fm.ascent() + 3), text);
  }
  for (const auto& [r, text] : labels) {
    const double w = fm.horizontalAdvance(text) + 6;
    const QRectF box(r.right() - w - 4, r.center().y() - fm.height() / 2 - 1, w, fm.height() + 2);
    p.fillRect(box, QColor(255, 255, 255, 190));
    p.drawText(box, Qt::AlignCenter, text);
  }
  // The ground surface.
  p.setPen(QPen(QColor(60, 120, 40), 2));
  const QPointF g0 = t.ToPixel({u0, 0}), g1 = t.ToPixel({u1, 0});
  p.drawLine(g0, g1);
  p.setPen(QPen(QColor(60, 120, 40), 1));
  for (double x = g0.x(); x < g1.x(); x += 12) p.drawLine(QPointF(x, g0.y()), QPointF(x + 6, g0.y() - 6));
  p.drawText(g0 + QPointF(4, -8), QStringLiteral("Ground surface"));
}

void TGeometryCanvas::RenderFrame(QPainter& p, const QRectF& area, const TViewTransform& t) const {
  const QString unit = UnitName();
  QFontMetricsF fm(p.font());
  p.setRenderHint(QPainter::Antialiasing);
  // Axes at the lower left, with units.
  const QPointF o(14, area.height() - 14);
  const QString h = plane_ == TViewPlane::SideYZ ? QStringLiteral("Y") : QStringLiteral("X");
  p.setPen(QPen(Qt::black, 1.2));
  Arrow(p, o, o + QPointF(40, 0));
  p.drawText(o + QPointF(44, 4), QStringLiteral("%1 (%2)").arg(h, unit));
  if (plane_ == TViewPlane::Top) {
    Arrow(p, o, o + QPointF(0, -40));
    p.drawText(o + QPointF(-4, -46), QStringLiteral("Y (%1)").arg(unit));
  } else {
    const QPointF z = o + QPointF(0, -40);
    Arrow(p, z, o);  // depth grows downward
    p.drawText(z + QPointF(-4, -6), QStringLiteral("Z (%1), depth").arg(unit));
  }
  // The scale bar at the lower right.
  const double length = RoundLength(area.width() * 0.2 / t.Scale());
  const double pixels = length * t.Scale();
  const QPointF b0(area.width() - 20 - pixels, area.height() - 18);
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(b0, b0 + QPointF(pixels, 0));
  p.drawLine(b0 + QPointF(0, -4), b0 + QPointF(0, 4));
  p.drawLine(b0 + QPointF(pixels, -4), b0 + QPointF(pixels, 4));
  const QString label = QStringLiteral("%1 %2").arg(G5(length), unit);
  p.drawText(b0 + QPointF((pixels - fm.horizontalAdvance(label)) / 2, -6), label);
  // The legend at the upper left: the type and what is schematic.
  QStringList legend{QStringLiteral("Foundation: %1").arg(model_.foundation)};
  legend << model_.legend;
  double y = fm.ascent() + 4;
  for (const QString& line : legend) {
    const QRectF box(4, y - fm.ascent() - 1, fm.horizontalAdvance(line) + 6, fm.height() + 2);
    p.fillRect(box, QColor(255, 255, 255, 200));
    p.setPen(Qt::black);
    p.drawText(QPointF(7, y), line);
    y += fm.height() + 2;
  }
}

// --- Window ------------------------------------------------------------------

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

void TGeometryView::PrintTo(QPrinter& printer) const {
  QPainter p(&printer);
  if (!p.isActive()) return;
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  const QRectF area(0, 0, page.width(), page.height());
  QFont font = p.font();
  font.setPointSizeF(12);
  p.setFont(font);
  const double header = QFontMetricsF(font).height() * 2.5;
  p.drawText(QRectF(0, 0, area.width(), header), Qt::AlignLeft | Qt::AlignTop,
             project_().Title + QStringLiteral("\n") + ViewName(canvas_->Plane()));
  const QRectF drawing(0, header, area.width(), area.height() - header);
  // The drawing keeps its look on paper: it is laid out at screen size and scaled.
  const double zoom = std::max(1.0, printer.resolution() / 96.0);
  p.translate(drawing.topLeft());
  p.scale(zoom, zoom);
  const QRectF logical(0, 0, drawing.width() / zoom, drawing.height() / zoom);
  TViewTransform t;
  canvas_->Model();  // up to date first
  t.Fit(canvas_->PlaneExtent(), logical.size(), 36.0);
  QFont small = p.font();
  small.setPointSizeF(9);
  p.setFont(small);
  canvas_->Render(p, logical, t);
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
