#include "gui/plots/AmpChart.hpp"

#include <QAbstractAxis>
#include <QChart>
#include <QLegend>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace terva::gui {

QImage Marker(int shape, const QColor& colour) {
  const int size = 7;
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colour, 1));
  p.setBrush(colour);
  const double c = size / 2.0, r = 2.5;
  if (shape == 0) {
    p.drawRect(QRectF(c - r, c - r, 2 * r, 2 * r));
  } else if (shape == 1) {
    p.drawPolygon(QPolygonF({QPointF(c, c - r), QPointF(c + r, c + r), QPointF(c - r, c + r)}));
  } else {
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(c - r, c), QPointF(c + r, c));
    p.drawLine(QPointF(c, c - r), QPointF(c, c + r));
    p.drawLine(QPointF(c - r * 0.7, c - r * 0.7), QPointF(c + r * 0.7, c + r * 0.7));
    p.drawLine(QPointF(c - r * 0.7, c + r * 0.7), QPointF(c + r * 0.7, c - r * 0.7));
  }
  return image;
}

TAmpChartView::TAmpChartView(QChart* chart, std::function<void(const QPointF&)> moved,
                             std::function<void(QPainter&)> foreground, QWidget* parent)
    : QChartView(chart, parent), moved_(std::move(moved)), foreground_(std::move(foreground)) {
  setMouseTracking(true);
}

void TAmpChartView::mouseMoveEvent(QMouseEvent* event) {
  moved_(event->position());
  QChartView::mouseMoveEvent(event);
}

void TAmpChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  foreground_(*painter);
}

TPixelFonts::TPixelFonts(QChart* chart) : chart_(chart) {
  for (QAbstractAxis* axis : chart->axes()) {
    axes_.push_back({axis, axis->labelsFont(), axis->titleFont()});
    axis->setLabelsFont(InPixels(axis->labelsFont()));
    axis->setTitleFont(InPixels(axis->titleFont()));
  }
  legend_ = chart->legend()->font();
  chart->legend()->setFont(InPixels(legend_));
}

TPixelFonts::~TPixelFonts() {
  for (const Saved& s : axes_) {
    s.axis->setLabelsFont(s.labels);
    s.axis->setTitleFont(s.title);
  }
  chart_->legend()->setFont(legend_);
}

QFont TPixelFonts::InPixels(QFont font) {
  if (font.pixelSize() <= 0) font.setPixelSize(std::max(1, static_cast<int>(std::lround(font.pointSizeF() * 96.0 / 72.0))));
  return font;
}

}  // namespace terva::gui
