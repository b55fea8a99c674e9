#pragma once

#include <QWidget>

// The progress gauge `gProgress`: a black bar on the button-face colour with the percentage in its
// middle (white over the bar, black beside it). Painting only; the owner sets the numbers.
class TGauge : public QWidget {
  Q_OBJECT

 public:
  explicit TGauge(QWidget* parent = nullptr);

  void setMaximum(qint64 maximum);
  void setValue(qint64 value);
  [[nodiscard]] qint64 maximum() const { return maximum_; }
  [[nodiscard]] qint64 value() const { return value_; }
  [[nodiscard]] int percent() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  qint64 maximum_ = 100;
  qint64 value_ = 0;
};
