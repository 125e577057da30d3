#include "gui/plots/PlotPainter.hpp"

#include "gui/model/PltData.hpp"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace terva::gui {

std::vector<TLegendItem> LegendItems(const TGraphPlot& plot) {
  std::vector<TLegendItem> items;
  int curve = 0;
  for (int i = 0; i < plot.LineCount(); ++i) {
    const TLine& line = plot.Line(i);
    if (!line.Included) continue;
    items.push_back({i, curve++, plot.DisplayName(i) + (line.Shown ? QStringLiteral(" *") : QString())});
  }
  return items;
}

void DrawVelocityLines(QPainter& painter, const QRectF& rect, const TView& view, const TVelocityLines& lines,
                       const QFont& font, double ppi) {
  if (rect.isEmpty() || view.X.Length() <= 0 || view.Y.Length() <= 0) return;
  painter.save();
  painter.setClipRect(rect, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  painter.setRenderHint(QPainter::Antialiasing, true);
  const QColor grey(0x80, 0x80, 0x80);
  QPen pen(grey, std::max(1.0, ppi / 96.0), Qt::DashLine);
  painter.setFont(font);
  const QFontMetricsF metrics(font, painter.device());
  auto toPixel = [&](const QPointF& p) {
    return QPointF(rect.left() + (p.x() - view.X.Min) / view.X.Length() * rect.width(),
                   rect.bottom() - (p.y() - view.Y.Min) / view.Y.Length() * rect.height());
  };
  const double gap = std::max(2.0, ppi / 32.0);
  std::vector<QRectF> placed;
  // From the highest limit down: the highest lines leave through the right
  // edge farthest from the crowd near the bottom.
  std::vector<double> limits = lines.Limits;
  std::sort(limits.rbegin(), limits.rend());
  for (double limit : limits) {
    const std::vector<QPointF> points = VelocityLinePoints(limit, lines.UnitSystem, lines.Axis, view);
    if (points.size() < 2) continue;
    QPolygonF polyline;
    polyline.reserve(static_cast<qsizetype>(points.size()));
    for (const QPointF& p : points) polyline << toPixel(p);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(polyline);

    // The label: just above the line, right-aligned at the point where it
    // leaves the plot; walking back along the line while it would cover an
    // earlier label or stick out of the plot.
    const QString text = VelocityLabel(limit, lines.UnitSystem);
    const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
    for (qsizetype k = polyline.size() - 1; k >= 0; k -= std::max<qsizetype>(1, polyline.size() / 24)) {
      const QPointF at = polyline[k];
      QRectF box(at.x() - size.width() - gap, at.y() - size.height() - gap / 2, size.width(), size.height());
      if (box.left() < rect.left() + gap) box.moveLeft(at.x() + gap);  // the line's left end: beside it
      if (box.right() > rect.right() - gap || box.top() < rect.top() || box.bottom() > rect.bottom()) continue;
      if (std::any_of(placed.begin(), placed.end(), [&](const QRectF& r) { return r.intersects(box); })) continue;
      placed.push_back(box);
      painter.fillRect(box, QColor(255, 255, 255, 200));  // readable over the grid
      painter.setPen(grey);
      painter.drawText(QPointF(box.left(), box.top() + metrics.ascent()), text);
      break;
    }
  }
  painter.restore();
}

TPlotPainter::TPlotPainter(const TGraphPlot& plot, double ppiX, double ppiY)
    : plot_(plot), ppiX_(ppiX), ppiY_(ppiY) {}

// Fonts are sized in pixels of the device so that a bitmap of any
// resolution, a page and the screen carry the same picture.
QFont TPlotPainter::LabelFont() const {
  QFont font(QStringLiteral("Times New Roman"));
  font.setStyleHint(QFont::Serif);
  font.setPixelSize(std::max(6, static_cast<int>(std::lround(ppiY_ * 9.0 / 72.0))));
  return font;
}

QFont TPlotPainter::TitleFont() const {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(std::max(6, static_cast<int>(std::lround(ppiY_ * 10.0 / 72.0))));
  return font;
}

QRectF TPlotPainter::Draw(QPainter& painter, const QRectF& client, const TView& view,
                          const TPlotMargins& margins) const {
  const bool hasTitle = !plot_.GraphTitle().isEmpty();
  const bool titleTop = plot_.TitleLocation() == TTitleLocation::Top;
  const bool xOnTop = plot_.XOnTop();
  const QRectF rect = PlotRectangle(client, ppiX_, ppiY_, xOnTop, hasTitle, titleTop, margins);
  if (rect.isEmpty()) return rect;

  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  const double tick = ppiY_ / 16.0;
  const QFont labelFont = LabelFont();
  const QFontMetricsF labels(labelFont, painter.device());
  painter.setFont(labelFont);
  QPen grid(Qt::gray, 0, Qt::DotLine);
  const QPen axis(Qt::black, 0);

  auto toX = [&](double x) { return rect.left() + (x - view.X.Min) / view.X.Length() * rect.width(); };
  auto toY = [&](double y) { return rect.bottom() - (y - view.Y.Min) / view.Y.Length() * rect.height(); };

  // Ticks inwards from the axis, a dotted grid line at every major tick.
  const double xStep = TickStep(view.X, rect.width(), ppiX_);
  const double xEdge = xOnTop ? rect.top() : rect.bottom();
  for (const TTick& t : Ticks(view.X, xStep)) {
    const double x = toX(t.Value);
    painter.setPen(axis);
    painter.drawLine(QPointF(x, xEdge), QPointF(x, xEdge + (xOnTop ? tick : -tick)));
    if (!t.Major) continue;
    painter.setPen(grid);
    painter.drawLine(QPointF(x, rect.top()), QPointF(x, rect.bottom()));
  }
  const double yStep = TickStep(view.Y, rect.height(), ppiY_);
  for (const TTick& t : Ticks(view.Y, yStep)) {
    const double y = toY(t.Value);
    painter.setPen(axis);
    painter.drawLine(QPointF(rect.left(), y), QPointF(rect.left() + tick, y));
    if (!t.Major) continue;
    painter.setPen(grid);
    painter.drawLine(QPointF(rect.left(), y), QPointF(rect.right(), y));
  }
  // The labels outside the axes; y labels rotated.
  painter.setPen(axis);
  for (const TTickLabel& label : TickLabels(painter.device(), rect, view)) {
    if (!label.YAxis) {
      painter.drawText(QPointF(label.Box.left(), label.Box.top() + labels.ascent()), label.Text);
      continue;
    }
    painter.save();
    painter.translate(label.Box.left() + labels.ascent(), label.Box.bottom());
    painter.rotate(-90);
    painter.drawText(QPointF(0, 0), label.Text);
    painter.restore();
  }

  // Axis titles and the graph title.
  const QFont titleFont = TitleFont();
  const QFontMetricsF titles(titleFont, painter.device());
  painter.setFont(titleFont);
  painter.setPen(axis);
  const QString xTitle = plot_.XAxisTitle();
  const double xTitleW = titles.horizontalAdvance(xTitle);
  const double labelBand = tick / 2 + labels.height();
  const double xTitleY = xOnTop ? rect.top() - labelBand - titles.descent() - 1
                                : rect.bottom() + labelBand + titles.ascent();
  painter.drawText(QPointF(rect.center().x() - xTitleW / 2, xTitleY), xTitle);
  const QString yTitle = plot_.YAxisTitle();
  painter.save();
  painter.translate(rect.left() - labelBand - titles.descent() - 1, rect.center().y() + titles.horizontalAdvance(yTitle) / 2);
  painter.rotate(-90);
  painter.drawText(QPointF(0, 0), yTitle);
  painter.restore();
  if (hasTitle) {
    const QString title = plot_.GraphTitle();
    const double w = titles.horizontalAdvance(title);
    const double y = titleTop ? client.top() + titles.ascent() + 1 : client.bottom() - titles.descent() - 1;
    painter.drawText(QPointF(client.center().x() - w / 2, y), title);
  }

  DrawCurves(painter, rect, view);
  if (velocity_) DrawVelocityLines(painter, rect, view, *velocity_, labelFont, ppiX_);
  painter.setPen(axis);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect);
  painter.restore();
  return rect;
}

std::vector<TTickLabel> TPlotPainter::TickLabels(const QPaintDevice* device, const QRectF& rect,
                                                 const TView& view) const {
  std::vector<TTickLabel> result;
  if (rect.isEmpty() || view.X.Length() <= 0 || view.Y.Length() <= 0) return result;
  const QFontMetricsF labels(LabelFont(), const_cast<QPaintDevice*>(device));
  const double tick = ppiY_ / 16.0;
  const double gap = ppiX_ / 16.0;  // the least space between two labels
  const bool xOnTop = plot_.XOnTop();

  // One axis: the major ticks' labels, thinned until neighbours keep apart.
  // `box` places the label of a value whose text is `width` long.
  auto axisLabels = [&](const TRange& range, double step, bool yAxis, auto box) {
    std::vector<TTickLabel> all;
    for (const TTick& t : Ticks(range, step))
      if (t.Major) {
        const QString text = FormatDigits(t.Value, 4);
        all.push_back({t.Value, text, box(t.Value, labels.horizontalAdvance(text)), yAxis});
      }
    for (long stride : {1L, 2L, 5L, 10L, 20L, 50L, 100L, 200L, 500L, 1000L}) {
      std::vector<TTickLabel> kept;
      for (const TTickLabel& l : all)
        if (std::llround(l.Value / step) % stride == 0) kept.push_back(l);
      bool apart = true;
      for (size_t k = 1; k < kept.size() && apart; ++k) {
        const QRectF a = kept[k - 1].Box.adjusted(-gap / 2, -gap / 2, gap / 2, gap / 2);
        apart = !a.intersects(kept[k].Box.adjusted(-gap / 2, -gap / 2, gap / 2, gap / 2));
      }
      if (apart || kept.size() <= 1) return kept;
    }
    return std::vector<TTickLabel>{};
  };

  const double xStep = TickStep(view.X, rect.width(), ppiX_);
  const double xEdge = xOnTop ? rect.top() : rect.bottom();
  std::vector<TTickLabel> xs = axisLabels(view.X, xStep, false, [&](double value, double width) {
    const double x = rect.left() + (value - view.X.Min) / view.X.Length() * rect.width();
    const double top = xOnTop ? xEdge - tick / 2 - labels.height() : xEdge + tick / 2;
    return QRectF(x - width / 2, top, width, labels.height());
  });
  const double yStep = TickStep(view.Y, rect.height(), ppiY_);
  std::vector<TTickLabel> ys = axisLabels(view.Y, yStep, true, [&](double value, double width) {
    const double y = rect.bottom() - (value - view.Y.Min) / view.Y.Length() * rect.height();
    return QRectF(rect.left() - tick / 2 - labels.height(), y - width / 2, labels.height(), width);
  });
  result = xs;
  for (const TTickLabel& y : ys) {
    const QRectF box = y.Box.adjusted(-gap / 2, -gap / 2, gap / 2, gap / 2);
    if (std::none_of(xs.begin(), xs.end(), [&](const TTickLabel& x) { return box.intersects(x.Box); }))
      result.push_back(y);
  }
  return result;
}

void TPlotPainter::DrawCurves(QPainter& painter, const QRectF& rect, const TView& view) const {
  painter.save();
  painter.setClipRect(rect.adjusted(-1, -1, 1, 1), painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  const double sx = rect.width() / view.X.Length();
  const double sy = rect.height() / view.Y.Length();
  const double penWidth = std::max(1.0, ppiX_ / 96.0);
  // One-pixel curves on the screen are drawn plainly: smoothing them costs
  // four times the drawing and gains little; wide pens (pages, bitmaps of
  // high resolution) are smoothed.
  painter.setRenderHint(QPainter::Antialiasing, penWidth > 1.5);
  int curve = 0;
  QPolygonF polyline;
  for (int i = 0; i < plot_.LineCount(); ++i) {
    const TLine& line = plot_.Line(i);
    if (!line.Included) continue;
    const int slot = curve++;
    if (!line.Shown || line.PointCount() < 2) continue;
    polyline.resize(line.PointCount());
    for (int k = 0; k < line.PointCount(); ++k)
      polyline[k] = QPointF(rect.left() + (static_cast<double>(line.Points[k].X) - view.X.Min) * sx,
                            rect.bottom() - (static_cast<double>(line.Points[k].Y) - view.Y.Min) * sy);
    painter.setPen(QPen(CurveColour(slot), penWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(polyline);
    const std::vector<int> marked = MarkerIndices(line.PointCount(), plot_.Markers());
    if (marked.empty()) continue;
    const QRectF inside = rect.adjusted(-2, -2, 2, 2);
    if (painter.device()->devType() == QInternal::Image || painter.device()->devType() == QInternal::Widget ||
        painter.device()->devType() == QInternal::Pixmap) {
      // Pixels: the marker is drawn once and stamped at every marked point.
      const QImage stamp = MarkerStamp(slot);
      const QPointF centre(stamp.width() / 2.0, stamp.height() / 2.0);
      for (int k : marked)
        if (inside.contains(polyline[k])) painter.drawImage(polyline[k] - centre, stamp);
    } else {
      for (int k : marked)
        if (inside.contains(polyline[k])) DrawMarker(painter, polyline[k], slot);
    }
  }
  painter.restore();
}

QImage TPlotPainter::MarkerStamp(int curve) const {
  const int size = static_cast<int>(std::ceil(ppiX_ / 16.0)) + 4;
  QImage stamp(size | 1, size | 1, QImage::Format_ARGB32_Premultiplied);
  stamp.fill(Qt::transparent);
  QPainter painter(&stamp);
  DrawMarker(painter, QPointF(stamp.width() / 2.0, stamp.height() / 2.0), curve);
  return stamp;
}

void TPlotPainter::DrawMarker(QPainter& painter, const QPointF& at, int curve) const {
  QPolygonF shape;
  for (const QPointF& p : MarkerShape(curve, ppiX_ / 32.0)) shape << at + p;
  painter.setPen(QPen(CurveColour(curve), std::max(1.0, ppiX_ / 96.0)));
  painter.setBrush(Qt::NoBrush);
  painter.drawPolygon(shape);
}

double TPlotPainter::LegendLineHeight() const { return QFontMetricsF(LabelFont()).height() * 1.1; }

QSizeF TPlotPainter::LegendSize(const std::vector<TLegendItem>& items) const {
  const QFontMetricsF metrics(LabelFont());
  double widest = 0;
  for (const TLegendItem& item : items) {
    QString text = item.Text;
    if (!text.endsWith(QStringLiteral(" *"))) text += QStringLiteral(" *");
    widest = std::max(widest, metrics.horizontalAdvance(text));
  }
  return {widest + ppiX_ / 4.0, items.size() * LegendLineHeight() + 4};
}

void TPlotPainter::DrawLegend(QPainter& painter, const QRectF& box, const std::vector<TLegendItem>& items) const {
  painter.save();
  painter.setFont(LabelFont());
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::white);
  painter.drawRect(box);
  const QFontMetricsF metrics(LabelFont(), painter.device());
  const double h = LegendLineHeight();
  for (size_t k = 0; k < items.size(); ++k) {
    const double top = box.top() + 2 + k * h;
    DrawMarker(painter, QPointF(box.left() + ppiX_ / 8.0, top + h / 2), items[k].Curve);
    painter.setPen(CurveColour(items[k].Curve));
    painter.drawText(QPointF(box.left() + ppiX_ / 4.0 - 2, top + (h + metrics.ascent() - metrics.descent()) / 2),
                     items[k].Text);
  }
  painter.restore();
}

int TPlotPainter::LegendItemAt(const QRectF& box, const std::vector<TLegendItem>& items, const QPointF& point) const {
  if (!box.contains(point)) return -1;
  const int k = static_cast<int>((point.y() - box.top() - 2) / LegendLineHeight());
  return k >= 0 && k < static_cast<int>(items.size()) ? k : -1;
}

}  // namespace terva::gui
