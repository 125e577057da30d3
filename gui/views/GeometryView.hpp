// The geometry views: the top view and the two side views (XZ and YZ
// planes) of the footing or pile cap, the piles and the soil layering,
// drawn to scale with equal scales on both axes. Each view follows the
// project: it is redrawn whenever a table changes and when Refresh() is
// called (a data window stored a value, a project was opened). Wheel zooms
// about the pointer, dragging pans, a double-click fits the drawing to the
// window; the caption shows the pointer's coordinates.
//
// The drawing is laid out in pixels of a 96-ppi screen. On paper, in a PDF
// or an SVG the painter is scaled once by ppi / 96, so that text, pens and
// arrows keep the physical size they have on the screen; fonts are set in
// pixels, never in points, as a point size would be scaled a second time.
//
// Labels (the layers', the footing's, the pile numbers, the frame's legend,
// axes and scale bar) never cover one another: each tries its preferred
// spot, then alternatives, and takes the first one inside the canvas that
// no label placed before it covers; a label without a free spot is left
// out. The frame is placed first, then the footing's label, the ground
// surface, what lies below the layers, the bed rock, the layers from the
// top, and the pile numbers.
#pragma once

#include "gui/views/GeometryModel.hpp"
#include "gui/widgets/VectorExport.hpp"

#include <QFont>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QFontMetricsF;
class QPainter;
class QPrinter;

namespace terva::gui {

class TProgramData;
class TProjectTables;

enum class TViewPlane { Top, SideXZ, SideYZ };

// A label as placed in a view: its box (canvas pixels) and its text; the
// axes and the scale bar have a box but no text of their own here.
struct TPlacedLabel {
  QRectF box;
  QString text;
};

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
  // Draws the view into `area` of any paint device with the given
  // transformation; `area` and the transformation are in 96-ppi pixels of
  // the painter's coordinates.
  void Render(QPainter& painter, const QRectF& area, const TViewTransform& transform) const;
  // Draws the view into `area` (device pixels) of a device with `ppi`
  // pixels per inch, at its on-screen size: fitted when `transform` is
  // none, else with `transform` in 96-ppi pixels of the area.
  void RenderAt(QPainter& painter, const QRectF& area, double ppi,
                const std::optional<TViewTransform>& transform = std::nullopt) const;
  // The labels that Render places in a canvas of `size` pixels, in the
  // order placed: the frame first (axes, scale bar, legend lines), then the
  // drawing's labels.
  std::vector<TPlacedLabel> PlacedLabels(const QSizeF& size, const TViewTransform& transform) const;
  // The font of the labels: 12 pixels (9 points on a 96-ppi screen).
  static QFont LabelFont();
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
  struct TLayout;
  struct TSide;
  TSide SideOf(const TViewTransform& t) const;
  TLayout LayOut(const QFontMetricsF& fm, const QSizeF& size, const TViewTransform& t) const;
  void LayOutFrame(TLayout& layout, const QFontMetricsF& fm, const QSizeF& size, const TViewTransform& t) const;
  void LayOutTop(TLayout& layout, const QFontMetricsF& fm, const TViewTransform& t) const;
  void LayOutSide(TLayout& layout, const QFontMetricsF& fm, const TViewTransform& t) const;
  void RenderTop(QPainter& p, const TViewTransform& t) const;
  void RenderSide(QPainter& p, const QSizeF& size, const TViewTransform& t) const;
  void RenderFrame(QPainter& p, const TLayout& layout) const;
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

// The view's window: a tool bar (Fit, Print, Save Picture, Export PDF,
// Export SVG) over the canvas.
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
  // What a printed or exported page shows, drawn into `area` (device
  // pixels) of a device with `ppi` pixels per inch: the header (project
  // title, view name) over the fitted drawing, at on-screen size.
  void PaintPage(QPainter& painter, const QRectF& area, double ppi) const;
  // The PDF's page and the file name proposed for an export.
  TPdfPage PdfPage() const;
  QString SuggestedFileName() const;
  // A PNG picture of the window's drawing; false (and a message) when it cannot be written.
  bool SavePicture(const QString& path) const;

 private:
  void Print();
  void SavePictureAs();
  void ExportPdf();
  void ExportSvg();
  QString DocumentTitle() const;

  ProjectSource project_;
  TGeometryCanvas* canvas_ = nullptr;
};

}  // namespace terva::gui
