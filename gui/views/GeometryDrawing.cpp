// A geometry view's drawing: the footing, piles and soil of the top and
// side views, the frame, and the labels as laid out.
#include "gui/views/GeometryCanvasParts.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace terva::gui {
namespace {

using geometry_detail::kMargin;

const QColor kFooting(150, 150, 160);
const QColor kPile(110, 80, 50);
const QColor kBelow(205, 190, 160);
const QColor kRock(150, 140, 130);
const std::array<QColor, 2> kLayerColors{QColor(226, 214, 170), QColor(214, 198, 150)};

void Arrow(QPainter& p, const QPointF& from, const QPointF& to) {
  p.drawLine(from, to);
  const QPointF d = to - from;
  const double len = std::hypot(d.x(), d.y());
  if (len < 1e-6) return;
  const QPointF u = d / len, n(-u.y(), u.x());
  const double head = std::min(8.0, len / 2);
  QPolygonF tip{to, to - u * head + n * head * 0.45, to - u * head - n * head * 0.45};
  p.save();
  p.setBrush(p.pen().color());
  p.drawPolygon(tip);
  p.restore();
}

}  // namespace

void TGeometryCanvas::Render(QPainter& p, const QRectF& area, const TViewTransform& t) const {
  Rebuild();
  p.save();
  // inside the painter's own clip too (a page of a document)
  p.setClipRect(area, p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
  p.fillRect(area, Qt::white);
  p.translate(area.topLeft());
  p.setRenderHint(QPainter::Antialiasing);
  p.setFont(LabelFont());
  // Laid out with the same metrics as PlacedLabels, whatever the device.
  const TLayout layout = LayOut(QFontMetricsF(p.font()), area.size(), t);
  if (plane_ == TViewPlane::Top) RenderTop(p, t);
  else RenderSide(p, area.size(), t);
  RenderFrame(p, layout);
  // The labels last, over everything, on light boxes.
  p.setPen(Qt::black);
  for (size_t i = 0; i < layout.labels.size(); ++i) {
    if (layout.framed[i]) continue;
    const TPlacedLabel& label = layout.labels[i];
    p.fillRect(label.box, QColor(255, 255, 255, 200));
    p.drawText(label.box, Qt::AlignCenter, label.text);
  }
  p.restore();
}

void TGeometryCanvas::RenderAt(QPainter& p, const QRectF& area, double ppi,
                               const std::optional<TViewTransform>& transform) const {
  // Laid out in pixels of a 96-ppi screen and scaled once to the device.
  const double k = ppi > 0 && std::isfinite(ppi) ? ppi / 96.0 : 1.0;
  const QRectF logical(0, 0, area.width() / k, area.height() / k);
  TViewTransform t;
  if (transform) {
    t = *transform;
  } else {
    Model();  // up to date first
    t.Fit(PlaneExtent(), logical.size(), kMargin);
  }
  p.save();
  p.translate(area.topLeft());
  p.scale(k, k);
  Render(p, logical, t);
  p.restore();
}

void TGeometryCanvas::RenderTop(QPainter& p, const TViewTransform& t) const {
  const TFoundationModel& m = model_;
  const double s = t.Scale();
  // The footing or pile cap.
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(kFooting.red(), kFooting.green(), kFooting.blue(), 90));
  const QPointF c = t.ToPixel({m.centreX, m.centreY});
  if (m.circular) p.drawEllipse(c, m.radius * s, m.radius * s);
  else p.drawRect(QRectF(t.ToPixel({m.centreX - m.length / 2, m.centreY + m.width / 2}), QSizeF(m.length * s, m.width * s)));
  // The multilayer column's elements, dashed.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
  for (const TFoundationModel::ColumnElement& e : m.column) p.drawEllipse(c, e.radiusX * s, e.radiusY * s);
  // The piles at their heads; a battered pile's arrow points where its tip goes.
  const double arrow = std::max(18.0, 0.12 * std::max(m.PlanExtent().width(), m.PlanExtent().height()) * s);
  for (const TFoundationModel::Pile& pile : m.piles) {
    const QPointF h = t.ToPixel(PlaneOf(pile.head));
    const double r = std::max(3.0, pile.radius * s);
    p.setPen(QPen(kPile, 1.5));
    p.setBrush(QColor(kPile.red(), kPile.green(), kPile.blue(), 120));
    p.drawEllipse(h, r, r);
    if (pile.Battered()) {
      const QPointF dir = t.ToPixel(PlaneOf(pile.At(1.0))) - h;
      const double len = std::hypot(dir.x(), dir.y());
      if (len > 1e-9) {
        p.setPen(QPen(Qt::red, 1.5));
        Arrow(p, h, h + dir / len * (r + arrow));
      }
    }
  }
  // The centre of gravity: a crossed circle.
  if (m.centreOfGravity) {
    const QPointF g = t.ToPixel(*m.centreOfGravity);
    p.setPen(QPen(Qt::blue, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(g, 6, 6);
    p.drawLine(g - QPointF(9, 0), g + QPointF(9, 0));
    p.drawLine(g - QPointF(0, 9), g + QPointF(0, 9));
  }
}

void TGeometryCanvas::RenderSide(QPainter& p, const QSizeF& size, const TViewTransform& t) const {
  const TFoundationModel& m = model_;
  const TSide side = SideOf(t);
  // The soil: what lies below the layers, the bed rock, then the layers as bands.
  p.setPen(Qt::NoPen);
  p.setBrush(kBelow);
  p.drawRect(side.below);
  if (side.rock) {
    p.setBrush(QBrush(kRock, Qt::BDiagPattern));
    p.drawRect(*side.rock);
  }
  for (size_t i = 0; i < side.layers.size(); ++i) {
    p.setPen(QPen(QColor(120, 100, 60), 0.8));
    p.setBrush(kLayerColors[i % 2]);
    p.drawRect(side.layers[i]);
  }
  // The multilayer column.
  for (const TFoundationModel::ColumnElement& e : m.column) {
    const double r = plane_ == TViewPlane::SideXZ ? e.radiusX : e.radiusY;
    p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    p.setBrush(QColor(120, 120, 140, 50));
    p.drawRect(QRectF(t.ToPixel({side.uc - r, -e.top}), t.ToPixel({side.uc + r, -e.bottom})));
  }
  // The footing or cap.
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(kFooting);
  p.drawRect(side.footing);
  // The piles, with their element divisions.
  for (const TFoundationModel::Pile& pile : m.piles) {
    const QPointF a = t.ToPixel(PlaneOf(pile.head)), b = t.ToPixel(PlaneOf(pile.Tip()));
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF n = len > 1e-9 ? QPointF(-d.y(), d.x()) / len : QPointF(1, 0);
    const double r = std::max(1.5, pile.radius * t.Scale());
    p.setPen(QPen(kPile, 1));
    p.setBrush(QColor(kPile.red(), kPile.green(), kPile.blue(), 160));
    p.drawPolygon(QPolygonF{a + n * r, b + n * r, b - n * r, a - n * r});
    p.setPen(QPen(Qt::white, 1));
    for (double s : pile.divisions) {
      if (s >= pile.length) break;
      const QPointF q = t.ToPixel(PlaneOf(pile.At(s)));
      p.drawLine(q + n * r, q - n * r);
    }
  }
  // The ground surface, hatched where it is in sight (zoomed in, the line may be very long).
  p.setPen(QPen(QColor(60, 120, 40), 2));
  p.drawLine(side.g0, side.g1);
  p.setPen(QPen(QColor(60, 120, 40), 1));
  const double first = side.g0.x() + 12 * std::max(0.0, std::floor((-12 - side.g0.x()) / 12));
  const double last = std::min(side.g1.x(), size.width() + 12);
  for (double x = first; x < last; x += 12)
    p.drawLine(QPointF(x, side.g0.y()), QPointF(x + 6, side.g0.y() - 6));
}

void TGeometryCanvas::RenderFrame(QPainter& p, const TLayout& layout) const {
  p.setRenderHint(QPainter::Antialiasing);
  if (layout.axes) {
    const QPointF o = layout.axesOrigin;
    p.setPen(QPen(Qt::black, 1.2));
    Arrow(p, o, o + QPointF(40, 0));
    p.drawText(o + QPointF(44, 4), layout.axisU);
    if (plane_ == TViewPlane::Top) {
      Arrow(p, o, o + QPointF(0, -40));
    } else {
      Arrow(p, o + QPointF(0, -40), o);  // depth grows downward
    }
    p.drawText(o + QPointF(-4, -46), layout.axisV);
  }
  if (layout.scaleBar) {
    const QPointF b0 = layout.barStart;
    const double pixels = layout.barPixels;
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(b0, b0 + QPointF(pixels, 0));
    p.drawLine(b0 + QPointF(0, -4), b0 + QPointF(0, 4));
    p.drawLine(b0 + QPointF(pixels, -4), b0 + QPointF(pixels, 4));
    p.setPen(Qt::black);
    const QFontMetricsF fm(p.font());
    p.drawText(b0 + QPointF((pixels - fm.horizontalAdvance(layout.barLabel)) / 2, -6), layout.barLabel);
  }
}

}  // namespace terva::gui
