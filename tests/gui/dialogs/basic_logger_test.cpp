// The application object itself: an exception thrown by a real event handler reaches notify(),
// shows the one message, and the program goes on handling events. A program of its own, because
// it needs basic_logger as its one QApplication.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <cstdlib>
#include <stdexcept>

#include "gui/dialogs/basic_logger.h"
#include "gui/dialogs/message_box.h"

namespace {

// A widget whose handler of one event type throws.
class throwing_widget : public QWidget {
 public:
  int handled = 0;

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("handler failed");
    if (e->type() == QEvent::User + 1) ++handled;
    return QWidget::event(e);
  }
};

TEST(BasicLoggerApplication, EscapedExceptionIsReportedAndTheProgramGoesOn) {
  std::vector<QString> messages;
  const scoped_message_hooks hooks(
      message_hooks{[&messages](message_hooks::kind kind, const QString& text) {
                      EXPECT_EQ(kind, message_hooks::kind::error);
                      messages.push_back(text);
                    },
                    {},
                    {},
                    {}});
  throwing_widget widget;
  QEvent failing(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&widget, &failing));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QStringLiteral("Неизвестная ошибка - программное исключение Windows.   "));

  // Posted events go through the same door.
  QCoreApplication::postEvent(&widget, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&widget, new QEvent(static_cast<QEvent::Type>(QEvent::User + 1)));
  QCoreApplication::processEvents();
  EXPECT_EQ(messages.size(), 2u);
  EXPECT_EQ(widget.handled, 1);
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  basic_logger app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
