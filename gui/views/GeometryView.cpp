// A geometry view's canvas: the drawing rebuilt from the project when it
// changed, its transformation, and the zoom, pan and pointer of the mouse.
// The layout of its labels is in GeometryLabels.cpp, the drawing in
// GeometryDrawing.cpp.
#include "gui/views/GeometryView.hpp"

#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"
#include "gui/views/GeometryCanvasParts.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace terva::gui {
namespace {

using geometry_detail::G5;
using geometry_detail::kMargin;
constexpr double kWheelStep = 1.25;

}  // namespace

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

}  // namespace terva::gui
