#include "gui/plots/PlotScale.hpp"

#include "gui/model/PltData.hpp"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

namespace terva::gui {

double Snap(double q, bool up) {
  const double nearest = std::round(q);
  if (std::abs(q - nearest) <= 1e-9 * std::max(1.0, std::abs(q))) return nearest;
  return up ? std::ceil(q) : std::floor(q);
}

TRange RoundAxis(double min, double max, double* stepOut) {
  if (max == min) {
    max += 0.01;
    min -= 0.01;
  }
  const double logRange = std::log10(max - min);
  const double whole = std::floor(logRange);
  double step = std::pow(10.0, whole);
  if (logRange - whole < std::log10(3.0)) step /= 10.0;
  if (stepOut) *stepOut = std::isfinite(step) ? step : 0.0;
  if (!std::isfinite(step) || step == 0.0) return {min, max};
  return {step * Snap(min / step, false), step * Snap(max / step, true)};
}

TAxisLimits AxisLimits(const TGraphPlot& plot) {
  double xmin = std::numeric_limits<double>::infinity(), xmax = -xmin;
  double ymin = xmin, ymax = -xmin;
  for (int i = 0; i < plot.LineCount(); ++i)
    for (const TFloatPoint& p : plot.Line(i).Points) {
      xmin = std::min(xmin, static_cast<double>(p.X));
      xmax = std::max(xmax, static_cast<double>(p.X));
      ymin = std::min(ymin, static_cast<double>(p.Y));
      ymax = std::max(ymax, static_cast<double>(p.Y));
    }
  if (xmin > xmax) xmin = xmax = 0.0;
  if (ymin > ymax) ymin = ymax = 0.0;
  TAxisLimits limits;
  limits.X = RoundAxis(xmin, xmax, &limits.XStep);
  limits.Y = RoundAxis(ymin, ymax, &limits.YStep);
  limits.Valid = limits.YStep != 0.0 && limits.XStep != 0.0;
  return limits;
}

double TickStep(const TRange& range, double pixels, double ppi) {
  const int divisions = ppi > 0 ? static_cast<int>(4.0 * pixels / (3.0 * ppi)) : 0;
  if (divisions <= 0 || range.Length() <= 0) return 0.0;
  const double raw = range.Length() / divisions;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  const double k = std::trunc(raw / power + 1e-9);
  return k < 2 ? power : k * power;
}

std::vector<TTick> Ticks(const TRange& range, double step) {
  std::vector<TTick> ticks;
  if (!(step > 0) || !(range.Length() > 0)) return ticks;
  const double minor = step / 5.0;
  const double first = std::ceil(range.Min / minor - 1e-9);
  const double last = std::floor(range.Max / minor + 1e-9);
  if (last - first > 10000) return ticks;  // a view zoomed beyond the number's precision
  for (double i = first; i <= last; i += 1.0) {
    const bool major = std::fmod(std::abs(i), 5.0) == 0.0;
    double value = i * minor;
    if (std::abs(value) < minor * 1e-6) value = 0.0;  // no "-0" and no "1e-17" label
    ticks.push_back({value, major});
  }
  return ticks;
}

QRectF PlotRectangle(const QRectF& client, double ppiX, double ppiY, bool xOnTop, bool hasTitle, bool titleOnTop,
                     const TPlotMargins& margins) {
  if (client.width() < ppiX || client.height() < ppiY) return {};
  const double left = client.left() + margins.Left * ppiX;
  const double right = client.right() - margins.Right * ppiX;
  double top = client.top() + (xOnTop ? margins.XAxis : 0.25) * ppiY;
  double bottom = client.bottom() - (xOnTop ? 0.25 : margins.XAxis) * ppiY;
  if (hasTitle) (titleOnTop ? top : bottom) += (titleOnTop ? 1 : -1) * ppiY / 4.0;
  if (right <= left || bottom <= top) return {};
  return QRectF(QPointF(left, top), QPointF(right, bottom));
}

std::vector<int> MarkerIndices(int count, int every) {
  std::vector<int> marked;
  if (every <= 0) return marked;
  for (int i = 0; i < count; i += every) marked.push_back(i);
  return marked;
}

void LimitIncludedLines(TGraphPlot& plot) {
  if (plot.LineCount() <= kMaxIncludedLines) return;
  for (int i = 0; i < plot.LineCount(); ++i) plot.Line(i).Included = i < kMaxIncludedLines;
}

namespace {

// One axis of a zoom: the new range from a to b, at least 1/20 of the full
// range and inside it.
TRange ZoomAxis(double a, double b, const TRange& full) {
  TRange range{std::min(a, b), std::max(a, b)};
  range.Min = std::max(range.Min, full.Min);
  range.Max = std::min(range.Max, full.Max);
  const double least = full.Length() / 20.0;
  if (range.Length() < least) {
    const double centre = (range.Min + range.Max) / 2.0;
    range = {centre - least / 2.0, centre + least / 2.0};
    if (range.Min < full.Min) range = {full.Min, full.Min + least};
    if (range.Max > full.Max) range = {full.Max - least, full.Max};
  }
  return range;
}

TRange ZoomOutAxis(const TRange& current, const TRange& full, double centre) {
  const double half = std::min(current.Length(), full.Length() / 2.0);
  centre = std::clamp(centre, full.Min + half, full.Max - half);
  return {centre - half, centre + half};
}

}  // namespace

TView ZoomIn(const TView& current, const TView& full, const QRectF& area) {
  const QRectF r = area.normalized();
  if (r.width() <= 0 || r.height() <= 0) return current;
  return {ZoomAxis(r.left(), r.right(), full.X), ZoomAxis(r.top(), r.bottom(), full.Y)};
}

TView ZoomOut(const TView& current, const TView& full, const QPointF& centre) {
  return {ZoomOutAxis(current.X, full.X, centre.x()), ZoomOutAxis(current.Y, full.Y, centre.y())};
}

QColor CurveColour(int curve) {
  static const std::array<QRgb, kPaletteSize> palette{
      0x000000, 0x0000FF, 0xFF0000, 0x008000, 0x800080, 0x800000, 0x000080, 0xFF00FF, 0x808000,
      0x008080, 0x808080, 0x00FF00, 0x808080, 0xC0C0C0, 0xC0C0C0, 0xFFFF00, 0x00FFFF};
  return QColor::fromRgb(palette[static_cast<size_t>(((curve % kPaletteSize) + kPaletteSize) % kPaletteSize)]);
}

std::vector<QPointF> MarkerShape(int curve, double radius) {
  constexpr double pi = std::numbers::pi;
  int vertices = curve + 1;
  double start = 0.0;
  if (curve <= 0) {
    vertices = 3;
    start = pi;
  } else if (curve == 1) {
    vertices = 4;
    start = pi / 4;
  }
  std::vector<QPointF> shape;
  for (int k = 0; k < vertices; ++k) {
    const double angle = start + k * 2 * pi / vertices;
    shape.emplace_back(radius * std::cos(angle), -radius * std::sin(angle));
  }
  return shape;
}

QString FormatDigits(double value, int digits) { return QString::number(value, 'g', digits); }

}  // namespace terva::gui
