// The amplitude plot's chart helpers: the series' marker pictures, the
// chart view that reports the mouse and lets the dialog draw over the
// chart, and the guard that gives the chart's fonts in pixels while a page
// is painted.
#pragma once

#include <QChartView>
#include <QColor>
#include <QFont>
#include <QImage>

#include <functional>
#include <vector>

class QAbstractAxis;
class QChart;

namespace terva::gui {

// The marker pictures of the series: a filled square (shape 0), triangle
// (1) or star (2) of five pixels.
QImage Marker(int shape, const QColor& colour);

// The chart view that reports the mouse position to the dialog and lets it
// draw over the chart.
class TAmpChartView : public QChartView {
 public:
  TAmpChartView(QChart* chart, std::function<void(const QPointF&)> moved,
                std::function<void(QPainter&)> foreground, QWidget* parent);

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  void drawForeground(QPainter* painter, const QRectF& rect) override;

 private:
  std::function<void(const QPointF&)> moved_;
  std::function<void(QPainter&)> foreground_;
};

// While it lives, the chart's fonts are given in pixels of a 96-ppi screen
// instead of points: a page's painter is scaled by ppi / 96, and a point
// size would be scaled a second time by the page's resolution.
class TPixelFonts {
 public:
  explicit TPixelFonts(QChart* chart);
  ~TPixelFonts();
  TPixelFonts(const TPixelFonts&) = delete;
  TPixelFonts& operator=(const TPixelFonts&) = delete;

  // The font with its size in pixels of a 96-ppi screen.
  static QFont InPixels(QFont font);

 private:
  struct Saved {
    QAbstractAxis* axis;
    QFont labels, title;
  };
  QChart* chart_;
  std::vector<Saved> axes_;
  QFont legend_;
};

}  // namespace terva::gui
