// Draws a result plot with a QPainter on any device: the plot window's
// client area, a printer page, a bitmap. Layout and numbers come from
// PlotScale.hpp; this file only paints.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QStringList>

#include "gui/plots/PlotScale.hpp"
#include "gui/plots/VelocityLines.hpp"

namespace terva::gui {

class TGraphPlot;

// Draws vibration-limit lines over the plot rectangle `rect` that shows
// `view`: dashed grey curves clipped to the rectangle, each labelled near
// the end where it leaves the plot ("5 mm/s"), labels kept apart.
void DrawVelocityLines(QPainter& painter, const QRectF& rect, const TView& view, const TVelocityLines& lines,
                       const QFont& font, double ppi);

// One legend entry: an included line, its palette slot and its text.
struct TLegendItem {
  int Line;     // index in the plot
  int Curve;    // position among the included lines (colour and marker)
  QString Text;  // display name, " *" appended while shown
};
std::vector<TLegendItem> LegendItems(const TGraphPlot& plot);

// One tick label: its value, its text and the box it covers on the device
// (y labels are written upward, so their boxes are tall and narrow).
struct TTickLabel {
  double Value;
  QString Text;
  QRectF Box;
  bool YAxis;
};

class TPlotPainter {
 public:
  TPlotPainter(const TGraphPlot& plot, double ppiX, double ppiY);

  // Vibration-limit lines drawn over the curves; none when null (the
  // default). The lines must outlive the painter.
  void SetVelocityLines(const TVelocityLines* lines) { velocity_ = lines; }

  // Draws axes, grid, labels, titles and curves of `view` into `client`;
  // returns the plot rectangle (empty when the area is too small).
  QRectF Draw(QPainter& painter, const QRectF& client, const TView& view, const TPlotMargins& margins = {}) const;

  // The legend box of the window: as wide as its widest text plus 1/4 inch,
  // as tall as its items.
  QSizeF LegendSize(const std::vector<TLegendItem>& items) const;
  // Draws the legend at `box`; framed legends (printout, bitmap) sit in the
  // plot's lower right corner and carry the curve markers.
  void DrawLegend(QPainter& painter, const QRectF& box, const std::vector<TLegendItem>& items) const;
  // The legend entry under a point of the legend box, -1 for none.
  int LegendItemAt(const QRectF& box, const std::vector<TLegendItem>& items, const QPointF& point) const;

  // The tick labels of both axes around the plot rectangle `rect` showing
  // `view`, as Draw writes them on `device`: every major tick is labelled
  // unless neighbouring labels would touch; then only every 2nd, 5th, 10th
  // ... major tick of the axis is (the grid keeps every line), and a y
  // label that would touch an x label at the corner is left out.
  std::vector<TTickLabel> TickLabels(const QPaintDevice* device, const QRectF& rect, const TView& view) const;

  QFont LabelFont() const;
  QFont TitleFont() const;

 private:
  void DrawCurves(QPainter& painter, const QRectF& rect, const TView& view) const;
  void DrawMarker(QPainter& painter, const QPointF& at, int curve) const;
  QImage MarkerStamp(int curve) const;
  double LegendLineHeight() const;

  const TGraphPlot& plot_;
  double ppiX_, ppiY_;
  const TVelocityLines* velocity_ = nullptr;
};

}  // namespace terva::gui
