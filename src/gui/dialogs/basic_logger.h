#pragma once

#include <QApplication>

#include <functional>

// The program's application object. Every exception that escapes an event handler ends in its
// notify(): the error box shows the program's one message for it and the program goes on.
class basic_logger : public QApplication {
  Q_OBJECT

 public:
  basic_logger(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

// The program's title, the caption of the box that reports an escaped exception: "Pelorin" at
// start, then the main window's caption, which names the open signal. It is the program's own
// value: the platform's application name stays as it is, so that no window title has the signal's
// name appended.
void set_application_title(const QString& title);
[[nodiscard]] QString application_title();

// The message of an escaped exception.
[[nodiscard]] QString escaped_exception_text();

// Runs deliver(); an exception escaping it is reported in the error box (after the handler has
// left, so no box opens while the exception is alive) and the result is false.
bool deliver_guarded(const std::function<bool()>& deliver);
