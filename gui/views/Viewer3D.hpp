// The 3D view of the viewer program: the foundation of a geometry file in an
// axonometric projection drawn with QPainter, faces in depth order (the
// farthest first). The footing or cap is a solid, the piles are cylinders
// (inclined where battered), the soil layers translucent slabs, and the
// ground surface a plane. Drag rotates, the wheel zooms.
#pragma once

#include "gui/views/GeometryModel.hpp"

#include <QColor>
#include <QPolygonF>
#include <QWidget>

#include <vector>

class QLabel;

namespace terva::gui {

// A flat face of the scene, its corners in model coordinates.
struct TFace {
  std::vector<TPoint3> corners;
  QColor color;
};

// The faces of a foundation model: the soil first, then the solids.
std::vector<TFace> SceneFaces(const TFoundationModel& model);

// The viewing direction: azimuth about the vertical axis and elevation above
// the horizon, in degrees.
struct TCamera {
  double azimuth = -35.0;
  double elevation = 30.0;
  static TCamera Top() { return {0.0, 90.0}; }
  static TCamera FrontXZ() { return {0.0, 0.0}; }
  static TCamera SideYZ() { return {-90.0, 0.0}; }
  static TCamera Isometric() { return {-45.0, 35.264}; }
  // The point on the screen plane (u right, v up) and its nearness to the
  // viewer (larger is nearer).
  QPointF Project(const TPoint3& p, double* nearness = nullptr) const;
};

class TViewer3D : public QWidget {
  Q_OBJECT

 public:
  explicit TViewer3D(QWidget* parent = nullptr);
  void SetModel(const TFoundationModel& model);
  void SetCamera(const TCamera& camera);
  const TCamera& Camera() const { return camera_; }
  void Render(QPainter& painter, const QRectF& area) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  QSize sizeHint() const override { return {640, 520}; }

 private:
  std::vector<TFace> faces_;
  TCamera camera_;
  double zoom_ = 1.0;
  QPointF dragFrom_;
};

// The viewer's window: the plane and isometric buttons over the 3D view, or
// a message when there is nothing to show.
class TViewerWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TViewerWindow(QWidget* parent = nullptr);
  // Reads "names.dat" in `folder` and the geometry file it names; false, with
  // the reason shown in the window, when either is missing or damaged.
  bool Load(const QString& folder);
  bool LoadGeometryFile(const QString& path);
  QString Message() const;
  TViewer3D* View() const { return view_; }

 private:
  void ShowMessageText(const QString& text);

  TViewer3D* view_ = nullptr;
  QLabel* message_ = nullptr;
};

}  // namespace terva::gui
