#include "gui/dialogs/basic_logger.h"

#include "gui/dialogs/message_box.h"

namespace {

QString program_title = QStringLiteral("Pelorin");

}  // namespace

void set_application_title(const QString& title) {
  program_title = title;
}

QString application_title() {
  return program_title;
}

basic_logger::basic_logger(int& argc, char** argv) : QApplication(argc, argv) {}

bool basic_logger::notify(QObject* receiver, QEvent* event) {
  return deliver_guarded([&] { return QApplication::notify(receiver, event); });
}

QString escaped_exception_text() {
  return QStringLiteral("Неизвестная ошибка - программное исключение Windows.   ");
}

bool deliver_guarded(const std::function<bool()>& deliver) {
  bool escaped = false;
  try {
    return deliver();
  } catch (...) {
    escaped = true;
  }
  if (escaped) show_error(nullptr, escaped_exception_text(), application_title());
  return false;
}
