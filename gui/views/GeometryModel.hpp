// What the geometry views draw, without widgets: the foundation in three
// dimensions (plan coordinates X, Y in project units, depth Z downward from
// the ground surface), built from the project and its tables or from the
// geometry file, and the transformation between a view's plane and pixels.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace terva::gui {

class TProgramData;
class TProjectTables;
struct TGeometryFile;

struct TPoint3 {
  double x = 0.0, y = 0.0, z = 0.0;  // z: depth below the ground surface
};

struct TFoundationModel {
  struct Pile {
    int number = 0;
    TPoint3 head;
    double radius = 0.0;      // head radius
    double length = 0.0;      // along the axis
    double angle = 0.0;       // batter angle from the vertical, degrees
    int plane = 1;            // 1: battered in the XZ plane, 2: in the YZ plane
    std::vector<double> divisions;  // element ends, distances from the head along the axis
    bool Battered() const { return angle != 0.0; }
    // The point at distance s from the head along the axis.
    TPoint3 At(double s) const;
    TPoint3 Tip() const { return At(length); }
  };
  struct Layer {
    double top = 0.0, bottom = 0.0;  // depths
    QString label;                    // shear-wave velocity and unit weight
  };
  struct ColumnElement {  // the multilayer column
    double top = 0.0, bottom = 0.0;
    double radiusX = 0.0, radiusY = 0.0;
  };

  QString foundation;   // the type's word
  bool circular = false;
  double length = 0.0, width = 0.0, radius = 0.0;  // plan of the footing or cap
  double centreX = 0.0, centreY = 0.0;             // centre of its base
  double top = 0.0, base = 0.0;                    // depths of its top and base
  std::optional<QPointF> centreOfGravity;          // plan position
  std::vector<Pile> piles;
  std::vector<ColumnElement> column;
  std::vector<Layer> layers;   // from the ground surface down
  double belowTop = 0.0;       // depth where the half-space, stratum or rock begins
  QString belowLabel;          // what lies there
  std::optional<double> rockDepth;  // stratum: depth of the bed rock
  double soilDepth = 0.0;      // depth down to which the soil is drawn
  QStringList legend;          // what is drawn schematically

  // Plan extent of the footing or cap and the piles (heads and tips).
  QRectF PlanExtent() const;
};

// The model of the project in memory, with the footing thickness and the
// default pile length that the next save would give.
TFoundationModel ModelOfProject(const TProgramData& data, const TProjectTables& tables);
// The model the geometry file describes (the footing centred at the origin).
TFoundationModel ModelOfGeometryFile(const TGeometryFile& file);

// Maps a view's plane (u to the right, v up, project units) to pixels with
// equal scales on both axes.
class TViewTransform {
 public:
  // The whole of `world` centred in `pixels`, leaving `margin` pixels free
  // on every side.
  void Fit(const QRectF& world, const QSizeF& pixels, double margin);
  // Zooms by `factor` keeping the plane point under `pixel` where it is.
  void ZoomAbout(const QPointF& pixel, double factor);
  void Pan(const QPointF& pixelDelta) { offset_ += pixelDelta; }

  QPointF ToPixel(const QPointF& plane) const {
    return {plane.x() * scale_ + offset_.x(), -plane.y() * scale_ + offset_.y()};
  }
  QPointF ToPlane(const QPointF& pixel) const {
    return {(pixel.x() - offset_.x()) / scale_, -(pixel.y() - offset_.y()) / scale_};
  }
  double Scale() const { return scale_; }  // pixels per project unit, both axes

 private:
  double scale_ = 1.0;
  QPointF offset_;
};

// A round length near `target` (1, 2 or 5 times a power of ten) for the scale bar.
double RoundLength(double target);

}  // namespace terva::gui
