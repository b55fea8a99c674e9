#include "gui/dialogs/gauge.h"

#include <QPainter>

TGauge::TGauge(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("gProgress"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGauge::setMaximum(qint64 maximum) {
  maximum_ = maximum;
  update();
}

void TGauge::setValue(qint64 value) {
  if (value == value_) return;
  const int before = percent();
  value_ = value;
  if (percent() != before) update();
}

int TGauge::percent() const {
  if (maximum_ <= 0) return 0;
  const qint64 v = qBound<qint64>(0, value_, maximum_);
  return static_cast<int>(v * 100 / maximum_);
}

void TGauge::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect all = rect();
  const QRect bar(0, 0, all.width() * percent() / 100, all.height());
  const QString text = QString::number(percent()) + QLatin1Char('%');
  painter.fillRect(all, palette().color(QPalette::Button));
  painter.setPen(Qt::black);
  painter.drawText(all, Qt::AlignCenter, text);
  painter.setClipRect(bar);
  painter.fillRect(bar, Qt::black);
  painter.setPen(Qt::white);
  painter.drawText(all, Qt::AlignCenter, text);
}
