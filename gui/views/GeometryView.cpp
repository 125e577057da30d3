#include "gui/views/GeometryView.hpp"

#include "gui/core/Messages.hpp"
#include "gui/model/ProgramData.hpp"
#include "gui/model/ProjectTables.hpp"
#include "gui/model/Table.hpp"

#include <QFileDialog>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QMap>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>

namespace terva::gui {
namespace {

constexpr double kMargin = 36.0;   // pixels between the drawing and the window's edge
constexpr double kWheelStep = 1.25;

const QColor kFooting(150, 150, 160);
const QColor kPile(110, 80, 50);
const QColor kBelow(205, 190, 160);
const QColor kRock(150, 140, 130);
const std::array<QColor, 2> kLayerColors{QColor(226, 214, 170), QColor(214, 198, 150)};

QString G5(double v) { return QString::number(v, 'g', 5); }

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

// --- Canvas ------------------------------------------------------------------

TGeometryCanvas::TGeometryCanvas(TViewPlane plane, ProjectSource project, const TProjectTables& tables,
                                 QWidget* parent)
    : QWidget(parent), plane_(plane), project_(std::move(project)), tables_(tables) {
  setObjectName(QStringLiteral("GeometryCanvas"));
  setMouseTracking(true);
  setAutoFillBackground(false);
  setMinimumSize(200, 160);
  // Every stored cell, row count or unit change of a table redraws the view.
  for (TGridTable* table : tables.All()) {
    connect(table, &TGridTable::Changed, this, &TGeometryCanvas::Refresh);
    connect(table, &TGridTable::CellValueChanged, this, &TGeometryCanvas::Refresh);
  }
}

void TGeometryCanvas::Rebuild() const {
  if (!stale_) return;
  stale_ = false;
  model_ = ModelOfProject(project_(), tables_);
  if (fitted_) transform_.Fit(PlaneExtent(), QSizeF(size()), kMargin);
}

const TFoundationModel& TGeometryCanvas::Model() const {
  Rebuild();
  return model_;
}

const TViewTransform& TGeometryCanvas::Transform() const {
  Rebuild();
  return transform_;
}

QPointF TGeometryCanvas::PlaneOf(const TPoint3& p) const {
  switch (plane_) {
    case TViewPlane::Top: return {p.x, p.y};
    case TViewPlane::SideXZ: return {p.x, -p.z};
    case TViewPlane::SideYZ: return {p.y, -p.z};
  }
  return {};
}

QRectF TGeometryCanvas::PlaneExtent() const {
  // Called by Rebuild: reads the model as it is.
  const QRectF plan = model_.PlanExtent();
  if (plane_ == TViewPlane::Top) {
    const double pad = 0.05 * std::max({plan.width(), plan.height(), 1e-6});
    return plan.adjusted(-pad, -pad, pad, pad);
  }
  const double u0 = plane_ == TViewPlane::SideXZ ? plan.left() : plan.top();
  const double u1 = plane_ == TViewPlane::SideXZ ? plan.right() : plan.bottom();
  // The soil reaches half the plan's size beyond it on either side (schematic).
  const double side = 0.5 * std::max(u1 - u0, 0.25 * model_.soilDepth);
  return QRectF(QPointF(u0 - side, -model_.soilDepth), QPointF(u1 + side, 0.08 * model_.soilDepth));
}

void TGeometryCanvas::Refresh() {
  stale_ = true;
  update();
}

void TGeometryCanvas::FitToWindow() {
  Rebuild();
  fitted_ = true;
  transform_.Fit(PlaneExtent(), QSizeF(size()), kMargin);
  update();
}

QString TGeometryCanvas::UnitName() const { return project_().Units == 1 ? QStringLiteral("ft") : QStringLiteral("m"); }

QString TGeometryCanvas::CoordinatesText(const QPointF& pixel) const {
  const QPointF q = Transform().ToPlane(pixel);
  switch (plane_) {
    case TViewPlane::Top: return QStringLiteral("X: %1 Y: %2").arg(G5(q.x()), G5(q.y()));
    case TViewPlane::SideXZ: return QStringLiteral("X: %1 Z: %2").arg(G5(q.x()), G5(-q.y() + 0.0));
    case TViewPlane::SideYZ: return QStringLiteral("Y: %1 Z: %2").arg(G5(q.x()), G5(-q.y() + 0.0));
  }
  return {};
}

void TGeometryCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  Render(p, QRectF(rect()), Transform());
}

void TGeometryCanvas::resizeEvent(QResizeEvent*) {
  if (fitted_) FitToWindow();
}


void TGeometryCanvas::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps == 0) return;
  Rebuild();
  fitted_ = false;
  transform_.ZoomAbout(event->position(), std::pow(kWheelStep, steps));
  update();
  event->accept();
}

void TGeometryCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragFrom_ = event->position();
}

void TGeometryCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
    Rebuild();
    fitted_ = false;
    transform_.Pan(event->position() - *dragFrom_);
    dragFrom_ = event->position();
    update();
  }
  emit PointerMoved(CoordinatesText(event->position()));
}

void TGeometryCanvas::mouseReleaseEvent(QMouseEvent*) { dragFrom_.reset(); }

void TGeometryCanvas::mouseDoubleClickEvent(QMouseEvent*) { FitToWindow(); }

// --- Layout ------------------------------------------------------------------

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

// --- Drawing -----------------------------------------------------------------

void TGeometryCanvas::Render(QPainter& p, const QRectF& area, const TViewTransform& t) const {
  Rebuild();
  p.save();
  p.setClipRect(area);
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

std::vector<TPlacedLabel> TGeometryCanvas::PlacedLabels(const QSizeF& size, const TViewTransform& t) const {
  Rebuild();
  return LayOut(QFontMetricsF(LabelFont()), size, t).labels;
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

// --- Window ------------------------------------------------------------------

TGeometryView::TGeometryView(TViewPlane plane, ProjectSource project, const TProjectTables& tables, QWidget* parent)
    : QWidget(parent), project_(project) {
  setObjectName(plane == TViewPlane::Top ? QStringLiteral("TopView")
                                         : plane == TViewPlane::SideXZ ? QStringLiteral("SideViewXZ")
                                                                       : QStringLiteral("SideViewYZ"));
  setWindowTitle(ViewName(plane));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* tools = new QToolBar(this);
  canvas_ = new TGeometryCanvas(plane, std::move(project), tables, this);
  QAction* fit = tools->addAction(QStringLiteral("Fit"), canvas_, &TGeometryCanvas::FitToWindow);
  fit->setObjectName(QStringLiteral("Fit"));
  tools->addAction(QStringLiteral("Print..."), this, &TGeometryView::Print)->setObjectName(QStringLiteral("Print"));
  tools->addAction(QStringLiteral("Save Picture..."), this, &TGeometryView::SavePictureAs)
      ->setObjectName(QStringLiteral("SavePicture"));
  // Vector pictures, with or without a printer installed.
  tools->addAction(QStringLiteral("Export PDF..."), this, &TGeometryView::ExportPdf)
      ->setObjectName(QStringLiteral("ExportPdf"));
  tools->addAction(QStringLiteral("Export SVG..."), this, &TGeometryView::ExportSvg)
      ->setObjectName(QStringLiteral("ExportSvg"));
  layout->addWidget(tools);
  layout->addWidget(canvas_, 1);
  connect(canvas_, &TGeometryCanvas::PointerMoved, this, [this, plane](const QString& coordinates) {
    setWindowTitle(ViewName(plane) + QStringLiteral("  ") + coordinates);
  });
}

QString TGeometryView::ViewName(TViewPlane plane) {
  switch (plane) {
    case TViewPlane::Top: return QStringLiteral("Top View");
    case TViewPlane::SideXZ: return QStringLiteral("Side View (XZ-Plane)");
    case TViewPlane::SideYZ: return QStringLiteral("Side View (YZ-Plane)");
  }
  return {};
}

QString TGeometryView::DocumentTitle() const {
  const QString title = project_().Title.trimmed();
  const QString view = ViewName(canvas_->Plane());
  return title.isEmpty() ? view : title + QStringLiteral(" - ") + view;
}

void TGeometryView::PaintPage(QPainter& p, const QRectF& area, double ppi) const {
  // The page is laid out in pixels of a 96-ppi screen and scaled once.
  const double k = ppi > 0 && std::isfinite(ppi) ? ppi / 96.0 : 1.0;
  const QSizeF logical(area.width() / k, area.height() / k);
  p.save();
  p.translate(area.topLeft());
  p.scale(k, k);
  QFont font = TGeometryCanvas::LabelFont();
  font.setPixelSize(16);  // 12 points
  p.setFont(font);
  p.setPen(Qt::black);
  QStringList header;
  if (!project_().Title.trimmed().isEmpty()) header << project_().Title.trimmed();
  header << ViewName(canvas_->Plane());
  const double height = QFontMetricsF(font).height() * (header.size() + 0.5);
  p.drawText(QRectF(0, 0, logical.width(), height), Qt::AlignLeft | Qt::AlignTop, header.join(QLatin1Char('\n')));
  canvas_->RenderAt(p, QRectF(0, height, logical.width(), std::max(0.0, logical.height() - height)), 96.0);
  p.restore();
}

void TGeometryView::PrintTo(QPrinter& printer) const {
  QPainter p(&printer);
  if (!p.isActive()) return;
  const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
  PaintPage(p, QRectF(0, 0, page.width(), page.height()), printer.resolution());
}

TPdfPage TGeometryView::PdfPage() const {
  TPdfPage page;
  page.Title = DocumentTitle();
  return page;
}

QString TGeometryView::SuggestedFileName() const {
  return FileNameOf(project_().Title + QStringLiteral(" ") + ViewName(canvas_->Plane()));
}

void TGeometryView::ExportPdf() {
  ExportPdfCommand(this, SuggestedFileName(), PdfPage(),
                   [this](QPainter& p, const QRectF& area, double ppi) { PaintPage(p, area, ppi); });
}

void TGeometryView::ExportSvg() {
  // The drawing as the window shows it, at the canvas's size.
  const QSize size = canvas_->size().expandedTo(QSize(200, 160));
  const TViewTransform transform = canvas_->Transform();
  ExportSvgCommand(this, SuggestedFileName(), QSizeF(size), DocumentTitle(),
                   [this, transform](QPainter& p, const QRectF& area, double ppi) {
                     canvas_->RenderAt(p, area, ppi, transform);
                   });
}

bool TGeometryView::SavePicture(const QString& path) const {
  QImage image(canvas_->size().expandedTo(QSize(200, 160)), QImage::Format_ARGB32);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    canvas_->Render(p, QRectF(image.rect()), canvas_->Transform());
  }
  if (!image.save(path, "PNG")) {
    ShowMessage(TMessageKind::Error, QStringLiteral("TERVA"), QStringLiteral("Cannot write the picture \"%1\".").arg(path),
                MbOk);
    return false;
  }
  return true;
}

void TGeometryView::Print() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(ViewName(canvas_->Plane()));
  QPrintDialog dialog(&printer, this);
  if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void TGeometryView::SavePictureAs() {
  const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Picture"), QString(),
                                                    QStringLiteral("PNG pictures (*.png)"));
  if (!path.isEmpty()) SavePicture(path);
}

}  // namespace terva::gui
