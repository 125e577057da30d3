// A geometry view's layout: the side view's bands, and the labels, axes,
// scale bar and legend placed so that none covers another.
#include "gui/views/GeometryCanvasParts.hpp"

#include "gui/model/ProgramData.hpp"

#include <QFontMetricsF>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace terva::gui {

using geometry_detail::G5;

TGeometryCanvas::TSide TGeometryCanvas::SideOf(const TViewTransform& t) const {
  const TFoundationModel& m = model_;
  const QRectF extent = PlaneExtent();
  TSide side;
  side.u0 = extent.left();
  side.u1 = extent.right();
  auto band = [&](double top, double bottom) {
    return QRectF(t.ToPixel({side.u0, -top}), t.ToPixel({side.u1, -bottom})).normalized();
  };
  const double belowEnd = m.rockDepth ? std::min(*m.rockDepth, m.soilDepth) : m.soilDepth;
  side.below = band(m.belowTop, belowEnd);
  if (m.rockDepth && *m.rockDepth < m.soilDepth) side.rock = band(*m.rockDepth, m.soilDepth);
  for (const TFoundationModel::Layer& layer : m.layers) side.layers.push_back(band(layer.top, layer.bottom));
  side.uc = plane_ == TViewPlane::SideXZ ? m.centreX : m.centreY;
  const double half = m.circular ? m.radius : (plane_ == TViewPlane::SideXZ ? m.length : m.width) / 2;
  side.footing = QRectF(t.ToPixel({side.uc - half, -m.top}), t.ToPixel({side.uc + half, -m.base})).normalized();
  side.g0 = t.ToPixel({side.u0, 0});
  side.g1 = t.ToPixel({side.u1, 0});
  return side;
}

namespace {

// Places label boxes one after the other: a label takes the first of its
// spots that lies inside the canvas and covers no box placed before it.
class TLabelPlacer {
 public:
  TLabelPlacer(const QSizeF& size, std::vector<TPlacedLabel>& labels, std::vector<bool>& framed)
      : bounds_(QPointF(0, 0), size), labels_(labels), framed_(framed) {}

  bool Free(const QRectF& box) const {
    if (!box.isValid() || !std::isfinite(box.left()) || !std::isfinite(box.top()) || !std::isfinite(box.width()) ||
        !std::isfinite(box.height()) || !bounds_.contains(box))
      return false;
    return std::none_of(labels_.begin(), labels_.end(), [&](const TPlacedLabel& l) { return l.box.intersects(box); });
  }
  // The box taken; none when no spot is free (the label is left out).
  std::optional<QRectF> Place(const std::vector<QRectF>& spots, const QString& text, bool framed = false) {
    for (const QRectF& spot : spots)
      if (Free(spot)) {
        labels_.push_back({spot, text});
        framed_.push_back(framed);
        return spot;
      }
    return std::nullopt;
  }

 private:
  QRectF bounds_;
  std::vector<TPlacedLabel>& labels_;
  std::vector<bool>& framed_;
};

// Padding of a label's box around its text.
constexpr double kPadX = 3.0, kPadY = 1.0;

QSizeF BoxSize(const QFontMetricsF& fm, const QString& text) {
  return {fm.horizontalAdvance(text) + 2 * kPadX, fm.height() + 2 * kPadY};
}

// Spots at fractions of the free width of `region`, at the heights given;
// the first fraction is the preferred one. A text wider than the region
// (a narrow drawing) reaches out of it: from its left end, its right end,
// or its middle.
std::vector<QRectF> SpotsAlong(const QRectF& region, const QSizeF& box, const std::vector<double>& tops,
                               std::initializer_list<double> fractions) {
  std::vector<QRectF> spots;
  if (region.width() <= 0) return spots;
  const double room = region.width() - box.width() - 8;
  for (double top : tops) {
    if (room >= 0) {
      for (double f : fractions) spots.emplace_back(QPointF(region.left() + 4 + f * room, top), box);
    } else {
      for (double left : {region.left() + 4, region.right() - 4 - box.width(), region.center().x() - box.width() / 2})
        spots.emplace_back(QPointF(left, top), box);
    }
  }
  return spots;
}

}  // namespace

QFont TGeometryCanvas::LabelFont() {
  QFont font = QGuiApplication::font();
  font.setPixelSize(12);
  return font;
}

TGeometryCanvas::TLayout TGeometryCanvas::LayOut(const QFontMetricsF& fm, const QSizeF& size,
                                                 const TViewTransform& t) const {
  TLayout layout;
  layout.size = size;
  LayOutFrame(layout, fm, size, t);
  if (plane_ == TViewPlane::Top) LayOutTop(layout, fm, t);
  else LayOutSide(layout, fm, t);
  return layout;
}

void TGeometryCanvas::LayOutFrame(TLayout& layout, const QFontMetricsF& fm, const QSizeF& size,
                                  const TViewTransform& t) const {
  TLabelPlacer placer(size, layout.labels, layout.framed);
  const QString unit = UnitName();
  // Axes at the lower left, with units.
  layout.axesOrigin = QPointF(14, size.height() - 14);
  const QPointF o = layout.axesOrigin;
  const QString across = plane_ == TViewPlane::SideYZ ? QStringLiteral("Y") : QStringLiteral("X");
  layout.axisU = QStringLiteral("%1 (%2)").arg(across, unit);
  layout.axisV = plane_ == TViewPlane::Top ? QStringLiteral("Y (%1)").arg(unit)
                                           : QStringLiteral("Z (%1), depth").arg(unit);
  const double right = std::max(o.x() + 44 + fm.horizontalAdvance(layout.axisU),
                                o.x() - 4 + fm.horizontalAdvance(layout.axisV));
  const QRectF axes(QPointF(o.x() - 6, o.y() - 46 - fm.ascent() - 1),
                    QPointF(right + 2, o.y() + 4 + fm.descent() + 1));
  layout.axes = placer.Place({axes}, QString(), true).has_value();
  // The scale bar at the lower right.
  if (t.Scale() > 0 && std::isfinite(t.Scale())) {
    const double length = RoundLength(size.width() * 0.2 / t.Scale());
    layout.barPixels = length * t.Scale();
    layout.barStart = QPointF(size.width() - 20 - layout.barPixels, size.height() - 18);
    layout.barLabel = QStringLiteral("%1 %2").arg(G5(length), unit);
    const double label = fm.horizontalAdvance(layout.barLabel);
    const QPointF b0 = layout.barStart;
    const double mid = b0.x() + layout.barPixels / 2;
    const QRectF bar(QPointF(std::min(b0.x(), mid - label / 2) - 2, b0.y() - 6 - fm.ascent() - 1),
                     QPointF(std::max(b0.x() + layout.barPixels, mid + label / 2) + 2, b0.y() + 5));
    layout.scaleBar = std::isfinite(layout.barPixels) && placer.Place({bar}, QString(), true).has_value();
  }
  // The legend at the upper left: the type and what is schematic, cut to the canvas's width.
  QStringList legend{QStringLiteral("Foundation: %1").arg(model_.foundation)};
  legend << model_.legend;
  double top = 4;
  for (const QString& line : legend) {
    const QString text = fm.elidedText(line, Qt::ElideRight, std::max(0.0, size.width() - 8 - 2 * kPadX));
    if (text.isEmpty()) continue;
    placer.Place({QRectF(QPointF(4, top), BoxSize(fm, text))}, text);
    top += fm.height() + 2 * kPadY;
  }
}

void TGeometryCanvas::LayOutTop(TLayout& layout, const QFontMetricsF& fm, const TViewTransform& t) const {
  const TFoundationModel& m = model_;
  TLabelPlacer placer(layout.size, layout.labels, layout.framed);
  // The pile numbers at a corner of the head: upper right first, then the
  // other corners, the sides, above and below.
  for (const TFoundationModel::Pile& pile : m.piles) {
    const QPointF h = t.ToPixel(PlaneOf(pile.head));
    const double r = std::max(3.0, pile.radius * t.Scale()) + 1;
    const QString text = QString::number(pile.number);
    const QSizeF b = BoxSize(fm, text);
    placer.Place({QRectF(QPointF(h.x() + r, h.y() - r - b.height()), b),
                  QRectF(QPointF(h.x() + r, h.y() + r), b),
                  QRectF(QPointF(h.x() - r - b.width(), h.y() - r - b.height()), b),
                  QRectF(QPointF(h.x() - r - b.width(), h.y() + r), b),
                  QRectF(QPointF(h.x() + r + 1, h.y() - b.height() / 2), b),
                  QRectF(QPointF(h.x() - r - 1 - b.width(), h.y() - b.height() / 2), b),
                  QRectF(QPointF(h.x() - b.width() / 2, h.y() - r - 1 - b.height()), b),
                  QRectF(QPointF(h.x() - b.width() / 2, h.y() + r + 1), b)},
                 text);
  }
  // The centre of gravity's name beside its cross.
  if (m.centreOfGravity) {
    const QPointF g = t.ToPixel(*m.centreOfGravity);
    const QString text = QStringLiteral("CG");
    const QSizeF b = BoxSize(fm, text);
    placer.Place({QRectF(QPointF(g.x() + 8, g.y() + 3), b), QRectF(QPointF(g.x() + 8, g.y() - 3 - b.height()), b),
                  QRectF(QPointF(g.x() - 8 - b.width(), g.y() + 3), b),
                  QRectF(QPointF(g.x() - 8 - b.width(), g.y() - 3 - b.height()), b)},
                 text);
  }
}

void TGeometryCanvas::LayOutSide(TLayout& layout, const QFontMetricsF& fm, const TViewTransform& t) const {
  const TFoundationModel& m = model_;
  const TSide side = SideOf(t);
  const QRectF canvas(QPointF(0, 0), layout.size);
  TLabelPlacer placer(layout.size, layout.labels, layout.framed);
  const double lineHeight = fm.height() + 2 * kPadY;

  // The footing's thickness and embedment: inside it where it fits, else
  // above it (over the ground), below it, or beside it.
  {
    const QRectF& f = side.footing;
    const QString text = QStringLiteral("t = %1, embedment %2").arg(G5(m.base - m.top), G5(m.base));
    const QSizeF b = BoxSize(fm, text);
    std::vector<QRectF> spots;
    if (f.width() >= b.width() + 4 && f.height() >= b.height() + 2)
      spots.emplace_back(QPointF(f.center().x() - b.width() / 2, f.center().y() - b.height() / 2), b);
    for (double above : {8.0, 10.0 + lineHeight})  // clear of the ground's hatching
      spots.emplace_back(QPointF(f.center().x() - b.width() / 2, f.top() - above - b.height()), b);
    spots.emplace_back(QPointF(f.center().x() - b.width() / 2, f.bottom() + 4), b);
    spots.emplace_back(QPointF(f.right() + 6, f.top() - 8 - b.height()), b);
    spots.emplace_back(QPointF(f.left() - 6 - b.width(), f.top() - 8 - b.height()), b);
    spots.emplace_back(QPointF(f.right() + 6, f.center().y() - b.height() / 2), b);
    spots.emplace_back(QPointF(f.left() - 6 - b.width(), f.center().y() - b.height() / 2), b);
    placer.Place(spots, text);
  }
  // "Ground surface" above the line, in the part of it in sight: left, right, then higher up.
  {
    const QString text = QStringLiteral("Ground surface");
    const QSizeF b = BoxSize(fm, text);
    const QRectF ground(QPointF(std::max(side.g0.x(), 0.0), side.g0.y()),
                        QPointF(std::min(side.g1.x(), layout.size.width()), side.g0.y()));
    placer.Place(SpotsAlong(ground, b, {ground.top() - 8 - b.height(), ground.top() - 10 - b.height() - lineHeight},
                            {0.0, 1.0, 0.25, 0.75, 0.5}),
                 text);
  }
  // What lies below the layers: at the bottom of its band, right first; the
  // bed rock at the top of its band.
  auto inSight = [&](const QRectF& band) { return band.intersected(canvas); };
  if (!m.belowLabel.isEmpty()) {
    const QRectF r = inSight(side.below);
    const QSizeF b = BoxSize(fm, m.belowLabel);
    if (r.height() >= b.height() + 4)
      placer.Place(SpotsAlong(r, b, {r.bottom() - 2 - b.height(), r.top() + 2}, {1.0, 0.0, 0.75, 0.25, 0.5}),
                   m.belowLabel);
  }
  if (side.rock) {
    const QRectF r = inSight(*side.rock);
    const QString text = QStringLiteral("Bed rock at %1").arg(G5(*m.rockDepth));
    const QSizeF b = BoxSize(fm, text);
    if (r.height() >= b.height() + 4)
      placer.Place(SpotsAlong(r, b, {r.top() + 2, r.bottom() - 2 - b.height()}, {1.0, 0.0, 0.75, 0.25, 0.5}), text);
  }
  // The layers: thickness and soil, centred in the band at its right end,
  // else further left; then at the band's top or bottom where it has room.
  for (size_t i = 0; i < m.layers.size(); ++i) {
    const QRectF r = inSight(side.layers[i]);
    if (r.height() < fm.height()) continue;  // too thin to hold a line
    const TFoundationModel::Layer& layer = m.layers[i];
    const QString text = QStringLiteral("h = %1   %2").arg(G5(layer.bottom - layer.top), layer.label).trimmed();
    const QSizeF b = BoxSize(fm, text);
    std::vector<double> tops{r.center().y() - b.height() / 2};
    if (r.height() >= b.height() + 4) tops.insert(tops.end(), {r.top() + 2, r.bottom() - 2 - b.height()});
    placer.Place(SpotsAlong(r, b, tops, {1.0, 0.0, 0.75, 0.25, 0.5}), text);
  }
  // Piles whose tips meet in this view share one label ("2, 5"): below the
  // tip, beside it, or lower down.
  QMap<std::pair<int, int>, QStringList> tips;
  for (const TFoundationModel::Pile& pile : m.piles) {
    const QPointF b = t.ToPixel(PlaneOf(pile.Tip()));
    if (std::isfinite(b.x()) && std::isfinite(b.y()) && std::abs(b.x()) < 1e7 && std::abs(b.y()) < 1e7)
      tips[{qRound(b.x()), qRound(b.y())}].append(QString::number(pile.number));
  }
  for (auto it = tips.cbegin(); it != tips.cend(); ++it) {
    const QPointF at(it.key().first, it.key().second);
    const QString text = it.value().join(QStringLiteral(", "));
    const QSizeF b = BoxSize(fm, text);
    placer.Place({QRectF(QPointF(at.x() - b.width() / 2, at.y() + 3), b),
                  QRectF(QPointF(at.x() + 4, at.y() - b.height() / 2), b),
                  QRectF(QPointF(at.x() - 4 - b.width(), at.y() - b.height() / 2), b),
                  QRectF(QPointF(at.x() + 2, at.y() + 3), b), QRectF(QPointF(at.x() - 2 - b.width(), at.y() + 3), b),
                  QRectF(QPointF(at.x() - b.width() / 2, at.y() + 5 + lineHeight), b)},
                 text);
  }
}

std::vector<TPlacedLabel> TGeometryCanvas::PlacedLabels(const QSizeF& size, const TViewTransform& t) const {
  Rebuild();
  return LayOut(QFontMetricsF(LabelFont()), size, t).labels;
}

}  // namespace terva::gui
