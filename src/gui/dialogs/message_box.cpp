#include "gui/dialogs/message_box.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

namespace {

// The hooks in force; empty outside tests.
message_hooks installed_hooks;

const QString program_caption = QStringLiteral("Pelorin");

void show_box(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
              const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

void show_warning(QWidget* parent, const QString& text) {
  if (installed_hooks.message) {
    installed_hooks.message(message_hooks::kind::warning, text);
    return;
  }
  show_box(parent, QMessageBox::Warning, program_caption, text);
}

void show_error(QWidget* parent, const QString& text, const QString& caption) {
  if (installed_hooks.message) {
    installed_hooks.message(message_hooks::kind::error, text);
    return;
  }
  show_box(parent, QMessageBox::Critical, caption.isEmpty() ? program_caption : caption, text);
}

answer ask_yes_no_cancel(QWidget* parent, const QString& text) {
  if (installed_hooks.question) return installed_hooks.question(text);
  QMessageBox box(QMessageBox::Question, program_caption, text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
  box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
  box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
  box.setDefaultButton(QMessageBox::Yes);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return answer::yes;
    case QMessageBox::No:
      return answer::no;
    default:
      return answer::cancel;
  }
}

std::optional<QString> ask_text(QWidget* parent, const QString& caption, const QString& prompt,
                                const QString& initial) {
  if (installed_hooks.text) return installed_hooks.text(prompt, initial);
  bool ok = false;
  const QString text =
      QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, initial, &ok);
  if (!ok) return std::nullopt;
  return text;
}

std::optional<file_choice> run_file_dialog(QFileDialog& dialog) {
  if (installed_hooks.file) return installed_hooks.file(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return chosen_file(dialog);
}

file_choice chosen_file(const QFileDialog& dialog) {
  const QStringList files = dialog.selectedFiles();
  const int filter = name_filter_index(dialog, dialog.selectedNameFilter());
  return file_choice{files.isEmpty() ? QString() : files.constFirst(), filter < 0 ? 0 : filter};
}

int name_filter_index(const QFileDialog& dialog, const QString& filter) {
  const QStringList filters = dialog.nameFilters();
  for (qsizetype i = 0; i < filters.size(); ++i) {
    const QString& whole = filters[i];
    // "Name (*.ext)" shows as "Name".
    const qsizetype patterns = whole.lastIndexOf(QLatin1Char('('));
    if (whole == filter || (patterns > 0 && whole.left(patterns).simplified() == filter)) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

scoped_message_hooks::scoped_message_hooks(message_hooks hooks)
    : previous_(std::exchange(installed_hooks, std::move(hooks))) {}

scoped_message_hooks::~scoped_message_hooks() {
  installed_hooks = std::move(previous_);
}
