#include "gui/widgets/AppIcon.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace terva::gui {

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x9c, 0x6b, 0x3f));  // soil
    painter.drawRect(QRectF(0, 18 * s, 32 * s, 14 * s));
    painter.setBrush(QColor(0x7a, 0x50, 0x2c));  // soil layer
    painter.drawRect(QRectF(0, 26 * s, 32 * s, 6 * s));
    QPainterPath wave(QPointF(0, 24 * s));  // a wave through the ground
    for (int x = 0; x < 32; x += 4) {
      wave.quadTo(QPointF((x + 2) * s, (x % 8 == 0 ? 22.5 : 25.5) * s), QPointF((x + 4) * s, 24 * s));
    }
    painter.setPen(QPen(QColor(0xe9, 0xc7, 0x9b), 1.2 * s, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(wave);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x8d, 0x93, 0x9a));  // footing
    painter.drawRect(QRectF(5 * s, 14 * s, 22 * s, 8 * s));
    painter.setBrush(QColor(0x2f, 0x5d, 0x8a));  // machine
    painter.drawRoundedRect(QRectF(9 * s, 4 * s, 14 * s, 10 * s), 2 * s, 2 * s);
    painter.setBrush(QColor(0xf2, 0xb1, 0x34));  // shaft
    painter.drawEllipse(QPointF(16 * s, 9 * s), 2.5 * s, 2.5 * s);
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace terva::gui
