#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileDialog>
#include <QScopeGuard>
#include <QString>

#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "gui/dialogs/message_box.h"
#include "gui/dialogs/plugin_dialog.h"

// Stands in for the person at the screen: records every message, answers questions, input boxes
// and file dialogs from queues, and runs modal dialogs without a modal loop (the dialog is shown
// and events are processed until it closes itself).
class ui_capture {
 public:
  struct message {
    message_hooks::kind kind;
    QString text;
  };

  ui_capture()
      : hooks_(message_hooks{
            [this](message_hooks::kind kind, const QString& text) {
              messages.push_back({kind, text});
            },
            [this](const QString& text) {
              questions.push_back(text);
              return next(answers, answer::cancel);
            },
            [this](const QString&, const QString&) { return next(texts, std::nullopt); },
            [this](QFileDialog& dialog) {
              file_dialogs.push_back({dialog.objectName(), dialog.nameFilters(),
                                      dialog.defaultSuffix(),
                                      dialog.testOption(QFileDialog::HideNameFilterDetails)});
              return next(files, std::nullopt);
            }}),
        modal_([this](TPelorin_Plugin& dialog) { return run(dialog); }) {}

  std::vector<message> messages;
  std::vector<QString> questions;
  // What each file dialog offered (the dialogs themselves die with their window).
  struct file_dialog_seen {
    QString name;
    QStringList filters;
    QString default_suffix;
    bool hides_filter_details = false;
  };
  std::vector<file_dialog_seen> file_dialogs;
  std::deque<answer> answers;
  std::deque<std::optional<QString>> texts;
  std::deque<std::optional<file_choice>> files;
  // Called once the dialog is shown and before events run; for a Cancel click, say.
  std::function<void(TPelorin_Plugin&)> on_show;
  int modal_runs = 0;

  [[nodiscard]] QString last_text() const {
    return messages.empty() ? QString() : messages.back().text;
  }

 private:
  template <typename T, typename D>
  static T next(std::deque<T>& queue, D fallback) {
    if (queue.empty()) return fallback;
    // The front is moved straight into the result and popped after: a named copy of an optional
    // QString trips GCC's maybe-uninitialized check in optimised builds.
    const auto pop = qScopeGuard([&queue] { queue.pop_front(); });
    return std::move(queue.front());
  }

  int run(TPelorin_Plugin& dialog) {
    ++modal_runs;
    dialog.setModal(false);
    dialog.show();
    if (on_show) on_show(dialog);
    const QDeadlineTimer deadline(20000);
    while (dialog.isVisible() && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    if (dialog.isVisible()) {
      ADD_FAILURE() << "the dialog " << dialog.objectName().toStdString()
                    << " did not close within 20 s";
      dialog.reject();
    }
    return dialog.result();
  }

  scoped_message_hooks hooks_;
  scoped_modal_hook modal_;
};
