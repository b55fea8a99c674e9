#pragma once

#include <QString>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// Every modal message and question of the program goes through these helpers, so that the texts
// live in one place and tests can answer instead of a person.

// Caption "Pelorin", exclamation icon, OK.
void show_warning(QWidget* parent, const QString& text);
// Caption "Pelorin" (or the given one), stop icon, OK.
void show_error(QWidget* parent, const QString& text, const QString& caption = QString());

enum class answer { yes, no, cancel };
// Caption "Pelorin", question icon, Да / Нет / Отмена; Escape or the close box answer cancel.
[[nodiscard]] answer ask_yes_no_cancel(QWidget* parent, const QString& text);

// The platform's one-line input box; nothing when the user cancels.
[[nodiscard]] std::optional<QString> ask_text(QWidget* parent, const QString& caption,
                                              const QString& prompt, const QString& initial);

// A file chosen in an open or save dialog, with the position of the name filter left selected.
struct file_choice {
  QString path;
  int filter = 0;
};
// Runs the file dialog modally; nothing when the user cancels.
[[nodiscard]] std::optional<file_choice> run_file_dialog(QFileDialog& dialog);
// What an accepted file dialog holds: its first file and its selected filter.
[[nodiscard]] file_choice chosen_file(const QFileDialog& dialog);
// The position of `filter` among the dialog's name filters, given whole or, as a dialog that
// hides the filters' patterns names it, without them; -1 for none.
[[nodiscard]] int name_filter_index(const QFileDialog& dialog, const QString& filter);

// What tests put in place of the modal boxes. A hook left empty falls back to the real box.
struct message_hooks {
  enum class kind { warning, error };
  std::function<void(kind, const QString& text)> message;
  std::function<answer(const QString& text)> question;
  std::function<std::optional<QString>(const QString& prompt, const QString& initial)> text;
  std::function<std::optional<file_choice>(QFileDialog& dialog)> file;
};

// Installs hooks for the lifetime of the object (the previous ones come back after it).
class scoped_message_hooks {
 public:
  explicit scoped_message_hooks(message_hooks hooks);
  scoped_message_hooks(const scoped_message_hooks&) = delete;
  scoped_message_hooks& operator=(const scoped_message_hooks&) = delete;
  ~scoped_message_hooks();

 private:
  message_hooks previous_;
};
