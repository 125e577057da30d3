// The geometry views: the top view and the two side views (XZ and YZ
// planes) of the footing or pile cap, the piles and the soil layering,
// drawn to scale with equal scales on both axes. Each view follows the
// project: it is redrawn whenever a table changes and when Refresh() is
// called (a data window stored a value, a project was opened). Wheel zooms
// about the pointer, dragging pans, a double-click fits the drawing to the
// window; the caption shows the pointer's coordinates.
#pragma once

#include "gui/views/GeometryModel.hpp"

#include <QWidget>

#include <functional>

class QPainter;
class QPrinter;

namespace terva::gui {

class TProgramData;
class TProjectTables;

enum class TViewPlane { Top, SideXZ, SideYZ };

// The drawing area of a view.
class TGeometryCanvas : public QWidget {
  Q_OBJECT

 public:
  using ProjectSource = std::function<const TProgramData&()>;
  TGeometryCanvas(TViewPlane plane, ProjectSource project, const TProjectTables& tables, QWidget* parent = nullptr);

  TViewPlane Plane() const { return plane_; }
  // The drawing and its transformation, rebuilt first when the project changed.
  const TFoundationModel& Model() const;
  const TViewTransform& Transform() const;
  // The drawing's extent in the view's plane (u right, v up).
  QRectF PlaneExtent() const;
  // Marks the drawing for rebuilding from the project (done when it is next
  // needed, so a project torn down with the main window is never read);
  // keeps the zoom unless the drawing was fitted.
  void Refresh();
  void FitToWindow();
  // The pointer's coordinates in project units, as the caption shows them.
  QString CoordinatesText(const QPointF& pixel) const;
  // Draws the view into `area` of any paint device with the given transformation.
  void Render(QPainter& painter, const QRectF& area, const TViewTransform& transform) const;
  // Plane coordinates of a model point in this view.
  QPointF PlaneOf(const TPoint3& p) const;

 signals:
  void PointerMoved(const QString& coordinates);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  QSize sizeHint() const override { return {520, 420}; }

 private:
  void RenderTop(QPainter& p, const TViewTransform& t) const;
  void RenderSide(QPainter& p, const TViewTransform& t) const;
  void RenderFrame(QPainter& p, const QRectF& area, const TViewTransform& t) const;
  QString UnitName() const;

  TViewPlane plane_;
  ProjectSource project_;
  const TProjectTables& tables_;
  void Rebuild() const;

  mutable TFoundationModel model_;
  mutable TViewTransform transform_;
  mutable bool stale_ = true;
  bool fitted_ = true;  // follows the window until zoomed or panned
  std::optional<QPointF> dragFrom_;
};

// The view's window: a tool bar (Fit, Print, Save Picture) over the canvas.
class TGeometryView : public QWidget {
  Q_OBJECT

 public:
  using ProjectSource = TGeometryCanvas::ProjectSource;
  TGeometryView(TViewPlane plane, ProjectSource project, const TProjectTables& tables, QWidget* parent = nullptr);

  static QString ViewName(TViewPlane plane);  // "Top View", "Side View (XZ-Plane)", ...
  TGeometryCanvas* Canvas() const { return canvas_; }
  void Refresh() { canvas_->Refresh(); }
  // One fitted page with the project title and the view's name.
  void PrintTo(QPrinter& printer) const;
  // A PNG picture of the window's drawing; false (and a message) when it cannot be written.
  bool SavePicture(const QString& path) const;

 private:
  void Print();
  void SavePictureAs();

  ProjectSource project_;
  TGeometryCanvas* canvas_ = nullptr;
};

}  // namespace terva::gui
