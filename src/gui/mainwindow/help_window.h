#pragma once

#include <QWidget>

class QTextBrowser;
class QToolButton;

// The help window: the program's Russian help pages (a Qt resource under :/help) in a text
// browser with back, forward and contents buttons. One window serves the whole session.
class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the contents page.
  void ShowContents();
  [[nodiscard]] QTextBrowser* browser() const { return browser_; }

  static QString contents_page() { return QStringLiteral("qrc:/help/index.html"); }

 private:
  QTextBrowser* browser_ = nullptr;
};
