// The arithmetic of the result plots, without widgets: axis limits, tick
// steps, the plot rectangle, markers, zooming, the palette and the marker
// shapes. The plot window, its printout and its bitmap all draw from here,
// and the tests call it directly.
#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <vector>

namespace terva::gui {

class TGraphPlot;

// A closed interval of axis values.
struct TRange {
  double Min = 0.0;
  double Max = 1.0;
  double Length() const { return Max - Min; }
  bool operator==(const TRange&) const = default;
};

// The full ranges of a plot, computed when its window opens; they bound
// every zoom. Valid is false when the y step comes out as 0 (the window
// then closes).
struct TAxisLimits {
  TRange X, Y;
  double XStep = 1.0, YStep = 1.0;
  bool Valid = true;
};

// q rounded down (or up) to an integer, taking a quotient that misses an
// integer only by the representation error (4.99/0.001 =
// 4990.0000000000009) as that integer.
double Snap(double q, bool up);

// Rounds an axis range outwards to its step: an equal min and max are first
// moved 0.01 apart; the step is the power of ten below the range, a tenth of
// it when the range's leading digits are below 3; min and max are then
// rounded outward to multiples of the step, the minimum down and the
// maximum up, so that every value lies inside (0.00002..50 becomes 0..50).
TRange RoundAxis(double min, double max, double* step = nullptr);

// Limits over every point of every line of the plot (0 when it has none).
TAxisLimits AxisLimits(const TGraphPlot& plot);

// The tick step of an axis of `pixels` length at `ppi`: about one division
// per 3/4 inch, the raw division rounded down to 1, 2, 3 ... 9 times a power
// of ten. 0 when the axis is too short for a division.
double TickStep(const TRange& range, double pixels, double ppi);

// One tick of an axis: its value, and whether it is a major one (grid line
// and label) or a minor one (a fifth of the step).
struct TTick {
  double Value;
  bool Major;
};
std::vector<TTick> Ticks(const TRange& range, double step);

// The plot rectangle inside a client area (device pixels): the left margin,
// the right margin and the x axis margin are given in inches; the side
// opposite the x axis keeps 1/4 inch; a graph title takes a further 1/4
// inch on its side. Empty when the area is under one inch either way.
struct TPlotMargins {
  double Left = 0.5;    // inches
  double Right = 0.25;  // inches
  double XAxis = 0.5;   // inches, on the side of the x axis
};
QRectF PlotRectangle(const QRectF& client, double ppiX, double ppiY, bool xOnTop, bool hasTitle, bool titleOnTop,
                     const TPlotMargins& margins = {});

// Indices of the marked points of a curve of `count` points: the first and
// every `every`-th after it; none when `every` is 0.
std::vector<int> MarkerIndices(int count, int every);

// A plot window lists at most this many lines; the others are excluded when
// the window opens.
inline constexpr int kMaxIncludedLines = 20;
void LimitIncludedLines(TGraphPlot& plot);

// Zooming. A zoom rectangle (in axis values) becomes the view; an axis
// whose full range is more than 20 times the new one is widened to 1/20 of
// the full range around the rectangle's centre, moved back inside the full
// range. A rectangle of zero width or height leaves the view as it is.
struct TView {
  TRange X, Y;
  bool operator==(const TView&) const = default;
};
TView ZoomIn(const TView& current, const TView& full, const QRectF& area);
// Zooming out around a point doubles the view, at most to the full range,
// centred on the point as far as the full range allows.
TView ZoomOut(const TView& current, const TView& full, const QPointF& centre);

// The 17 curve colours, repeated after the last.
inline constexpr int kPaletteSize = 17;
QColor CurveColour(int curve);

// The outline of curve k's marker around the origin, radius r: a triangle,
// a square, then polygons of k + 1 vertices.
std::vector<QPointF> MarkerShape(int curve, double radius);

// The general format with `digits` significant digits (labels: 4; mouse
// coordinates: 5).
QString FormatDigits(double value, int digits);

}  // namespace terva::gui
