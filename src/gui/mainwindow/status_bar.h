#pragma once

#include <QIcon>
#include <QString>
#include <QWidget>

#include <array>

// The status bar `tBar`: thirteen panels of fixed widths, sunken or flat, and the saved indicator
// in panel 3. Passive: the main window pushes the texts.
class TStatusBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int panel_count = 13;
  static constexpr int saved_panel = 3;
  // The last panel, as wide as the bar leaves: what the last operation had to tell.
  static constexpr int note_panel = 12;

  explicit TStatusBar(QWidget* parent = nullptr);

  void setPanelText(int panel, const QString& text);
  [[nodiscard]] QString panelText(int panel) const;
  void setSaved(bool saved);
  [[nodiscard]] bool saved() const { return saved_; }
  // The text panel 3 shows.
  [[nodiscard]] QString savedText() const;
  // Left edge and width of a panel, in pixels.
  [[nodiscard]] QRect panelRect(int panel) const;

  [[nodiscard]] QSize sizeHint() const override;
  [[nodiscard]] QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void tBarDrawPanel(QPainter& painter, const QRect& rect);
  [[nodiscard]] int panelWidth(int panel) const;

  std::array<QString, panel_count> texts_;
  bool saved_ = true;
  QIcon saved_icon_;
  QIcon unsaved_icon_;
};
