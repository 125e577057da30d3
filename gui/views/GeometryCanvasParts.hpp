// The pieces of a geometry view that its layout and its drawing share: the
// side view's bands in pixels and the placed labels and frame. Only the
// canvas's own files include this header.
#pragma once

#include "gui/views/GeometryView.hpp"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

namespace terva::gui {

namespace geometry_detail {

constexpr double kMargin = 36.0;  // pixels between the drawing and the window's edge

inline QString G5(double v) { return QString::number(v, 'g', 5); }

}  // namespace geometry_detail

// The side view's pieces in pixels.
struct TGeometryCanvas::TSide {
  double u0 = 0.0, u1 = 0.0;  // the soil's lateral extent in plane units
  double uc = 0.0;            // the footing's centre
  QRectF footing;
  QPointF g0, g1;             // the ground line
  std::vector<QRectF> layers;
  QRectF below;               // the half-space, stratum or soil below the tips
  std::optional<QRectF> rock;
};

// Everything with text or a fixed place that the view draws, placed.
struct TGeometryCanvas::TLayout {
  std::vector<TPlacedLabel> labels;  // in the order placed
  std::vector<bool> framed;          // drawn by the frame itself (axes, scale bar), not as a text box
  QSizeF size;                       // the canvas
  // The axes: their origin and names.
  bool axes = false;
  QPointF axesOrigin;
  QString axisU, axisV;
  // The scale bar: its left end, length in pixels and label.
  bool scaleBar = false;
  QPointF barStart;
  double barPixels = 0.0;
  QString barLabel;
};

}  // namespace terva::gui
