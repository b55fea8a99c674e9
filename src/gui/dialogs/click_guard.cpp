#include "gui/dialogs/click_guard.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleHints>

namespace {

// Watches the application's mouse events until its deadline, its press, or its press's release.
class second_click_filter : public QObject {
 public:
  second_click_filter(QPoint global, int ms)
      : QObject(QCoreApplication::instance()), at_(global), deadline_(ms) {
    QCoreApplication::instance()->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // A click reaches the window first, which hands it to the widget under it: only the widget's
    // events are looked at, so that the window keeps its own account of the buttons.
    const QEvent::Type type = event->type();
    if (!watched->isWidgetType() ||
        (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
         type != QEvent::MouseButtonRelease)) {
      return QObject::eventFilter(watched, event);
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (!swallowing_) {
      // The second press comes as a press, then a double click; either may be the first seen.
      if (type == QEvent::MouseButtonRelease) return false;
      const int distance = QGuiApplication::styleHints()->mouseDoubleClickDistance();
      if (deadline_.hasExpired() ||
          (mouse->globalPosition().toPoint() - at_).manhattanLength() > distance) {
        Finish();
        return false;
      }
      swallowing_ = true;
      button_ = mouse->button();
      return true;
    }
    // The double click and the release go the same way. A press without a release before it
    // (its release went missing) is the user's next click.
    if (type == QEvent::MouseButtonPress) {
      Finish();
      return false;
    }
    if (type == QEvent::MouseButtonRelease && mouse->button() == button_) Finish();
    return true;
  }

 private:
  void Finish() {
    QCoreApplication::instance()->removeEventFilter(this);
    deleteLater();
  }

  QPoint at_;
  QDeadlineTimer deadline_;
  bool swallowing_ = false;
  Qt::MouseButton button_ = Qt::NoButton;
};

QPointer<second_click_filter> watching;

}  // namespace

void swallow_second_click(QPoint global, int ms) {
  if (QCoreApplication::instance() == nullptr || ms <= 0) return;
  delete watching.data();
  watching = new second_click_filter(global, ms);
}
