#include "frontends/qt/app_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include "app/resource_ids.h"

namespace zl::qt {

QPixmap DrawAppIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);

  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  // Draw on a 64 by 64 grid and let the painter scale it.
  painter.scale(size / 64.0, size / 64.0);

  // Background: a rounded tile in a blue gradient.
  QLinearGradient tile(0, 0, 0, 64);
  tile.setColorAt(0.0, QColor(0x2f, 0x7d, 0xc4));
  tile.setColorAt(1.0, QColor(0x14, 0x3f, 0x73));
  painter.setPen(Qt::NoPen);
  painter.setBrush(tile);
  painter.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

  // The chip's pins, four on each side.
  painter.setBrush(QColor(0xd9, 0xdd, 0xe3));
  for (int i = 0; i < 4; ++i) {
    const double y = 19 + i * 8;
    painter.drawRect(QRectF(10, y, 6, 3));
    painter.drawRect(QRectF(48, y, 6, 3));
  }

  // The chip's body.
  painter.setBrush(QColor(0x24, 0x28, 0x2e));
  painter.setPen(QPen(QColor(0x0b, 0x0d, 0x10), 1.2));
  painter.drawRoundedRect(QRectF(16, 14, 32, 36), 3, 3);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x5a, 0x60, 0x6a));
  painter.drawEllipse(QPointF(21, 19), 1.8, 1.8);

  // A lightning-shaped "Z" across the chip.
  const QPolygonF bolt({QPointF(23, 21), QPointF(42, 21), QPointF(31, 32), QPointF(38, 32),
                        QPointF(22, 45), QPointF(28, 35), QPointF(23, 35), QPointF(31, 26),
                        QPointF(23, 26)});
  painter.setBrush(QColor(0xff, 0xc8, 0x2e));
  painter.setPen(QPen(QColor(0xb0, 0x80, 0x00), 0.8));
  painter.drawPolygon(bolt);

  painter.end();
  return pixmap;
}

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addPixmap(DrawAppIcon(size));
  return icon;
}

QIcon IconResource(int resourceId) {
  return resourceId == IDR_MAINFRAME ? AppIcon() : QIcon();
}

}  // namespace zl::qt
