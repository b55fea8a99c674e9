#include "gui/dialogs/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap blank_glyph() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon ok_glyph() {
  QPixmap pixmap = blank_glyph();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(0, 128, 0), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  QPainterPath tick;
  tick.moveTo(3, 8.5);
  tick.lineTo(6.5, 12);
  tick.lineTo(13, 4);
  painter.drawPath(tick);
  return QIcon(pixmap);
}

QIcon cancel_glyph() {
  QPixmap pixmap = blank_glyph();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(192, 0, 0), 2.4, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(4, 4), QPointF(12, 12));
  painter.drawLine(QPointF(12, 4), QPointF(4, 12));
  return QIcon(pixmap);
}

QIcon colour_glyph(uint32_t number) {
  QPixmap pixmap(16, 16);
  pixmap.fill(QColor(240, 240, 240));
  QPainter painter(&pixmap);
  painter.fillRect(QRect(4, 4, 8, 8), colour_of(number));
  painter.setPen(QColor(64, 64, 64));
  painter.drawRect(QRect(3, 3, 9, 9));
  return QIcon(pixmap);
}

QPixmap program_logo(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 33.0;
  painter.scale(s, s);
  painter.setPen(QPen(QColor(40, 40, 70), 1.2));
  painter.setBrush(QColor(250, 250, 250));
  painter.drawRoundedRect(QRectF(1, 1, 31, 31), 3, 3);
  const QColor rows[] = {QColor(255, 255, 255), QColor(255, 0, 0), QColor(255, 255, 255),
                         QColor(0, 128, 0), QColor(0, 0, 255)};
  for (int r = 0; r < 5; ++r) {
    for (int c = 0; c < 5; ++c) {
      painter.setPen(QPen(QColor(120, 120, 140), 0.6));
      painter.setBrush(rows[r]);
      painter.drawRect(QRectF(4 + c * 5.2, 4 + r * 5.2, 4.6, 4.6));
    }
  }
  painter.setPen(QPen(QColor(0, 0, 255), 1.2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(4 + 2 * 5.2 - 0.6, 4 + 2 * 5.2 - 0.6, 5.8, 5.8));
  return pixmap;
}
