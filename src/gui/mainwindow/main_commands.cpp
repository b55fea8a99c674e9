// The main window's commands: the dispatcher, the file commands, colouring, go to packet, help,
// About, and what the file window asks of the main window.

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "core/grid/cell_text.h"
#include "core/grid/grid_layout.h"
#include "core/model/cp1251.h"
#include "core/operations/colouring.h"
#include "core/operations/history/undo_record.h"
#include "core/operations/history/undo_recorder.h"
#include "gui/dialogs/basic_logger.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/message_box.h"
#include "gui/dialogs/texts.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/status_bar.h"
#include "gui/mainwindow/undo_history.h"
#include "gui/protocols/analyser_pane.h"

QString TfMain::cannot_start_text() {
  return QStringLiteral("Невозможно запустить модуль.   ");
}

QString TfMain::unsaved_question_text() {
  return QStringLiteral("Сигнал не сохранён. Сохранить изменения?   ");
}

QString TfMain::not_undoable_text() {
  return QStringLiteral(" Это действие нельзя отменить: не хватило памяти для его записи.");
}

QString TfMain::undo_failed_text() {
  return QStringLiteral(" Не хватило памяти: шаг не отменён, история правки очищена.");
}

namespace {

// A menu caption as the Edit menu names its step after "Отменить: ".
QString step_of(const QString& caption) {
  return caption.isEmpty() ? caption : caption.front().toLower() + caption.mid(1);
}

}  // namespace

void TfMain::SetCommand(uint8_t code) {
  command_word_ = static_cast<uint16_t>((command_word_ & 0xFF00) | code);
}

void TfMain::SetCommand(uint8_t code, bool drop) {
  command_word_ = static_cast<uint16_t>((drop ? 0x100 : 0) | code);
}

void TfMain::SetOperation(int index, operation_factory factory) {
  if (index >= 0 && index < operation_count)
    operations_[static_cast<size_t>(index)] = std::move(factory);
}

void TfMain::RunRow(const operation_row& row) {
  if (row.asks_to_save && (busy_ || !ConfirmDiscard())) return;
  if (row.drop) {
    SetCommand(row.code, *row.drop);
  } else {
    SetCommand(row.code);
  }
  running_row_ = &row;
  RunOperation(row.index);
  running_row_ = nullptr;
}

void TfMain::RunRow(int index, uint8_t code) {
  if (const operation_row* row = row_of(index, code)) RunRow(*row);
}

void TfMain::RunOperation(int index) {
  // The store must not change under a pass or a recount that lets events through.
  if (busy_) return;
  std::unique_ptr<TPelorin_Plugin> dialog;
  if (index >= 0 && index < operation_count && operations_[static_cast<size_t>(index)]) {
    dialog = operations_[static_cast<size_t>(index)](*this);
  }
  if (!dialog) {
    show_warning(this, cannot_start_text());
    return;
  }
  const auto code = static_cast<uint8_t>(command_word_ & 0xFF);
  running_index_ = index;
  const operation_row* row =
      running_row_ != nullptr && running_row_->index == index && running_row_->code == code
          ? running_row_
          : row_of(index, code);
  // The file window's commands keep the history their own way (FileCommandDone).
  const bool files = index == op_files;
  const size_t first = store_.size();
  std::vector<uint32_t> link_types;
  if (files) link_types = store_.link_types();
  // A command no row names may change anything.
  const change_kind kind = row != nullptr ? row->change : change_kind::rebuild;
  const QString step = files ? QString() : row != nullptr ? StepName(*row) : QStringLiteral("?");
  // An exception leaves through here: the dialog is destroyed by its owner pointer and the
  // application's handler reports it.
  ApplyChange(kind, step, [&](undo_recorder* recorder) {
    dialog->SetRecorder(recorder);
    const PLUGIN_RESULT result = dialog->Execute(command_word_, store_);
    // The last panel tells what the operation had to say, or nothing (an earlier note is stale).
    tBar->setPanelText(TStatusBar::note_panel, dialog->StatusText());
    dialog.reset();
    if (files) FileCommandDone(code, first, std::move(link_types));
    return result;
  });
}

QString TfMain::StepName(const operation_row& row) {
  return step_of(QString::fromUtf8(row.command.caption));
}

void TfMain::FileCommandDone(uint8_t code, size_t first, std::vector<uint32_t> link_types) {
  switch (code) {
    case TfSigLoader::merge:
      if (store_.size() > first) {
        const operation_row* row = row_of(op_files, code);
        const bool recorded = history_->Record(
            history_->Budget() > 0 ? undo_record::appended(store_, first, std::move(link_types))
                                   : nullptr,
            row != nullptr ? StepName(*row) : QString(), false);
        if (!recorded && history_->Budget() > 0)
          tBar->setPanelText(TStatusBar::note_panel, not_undoable_text());
      }
      break;
    case TfSigLoader::unload:
      history_->Restart(true);
      break;
    default:
      // A load starts its history when it replaces the signal (SetSignalCaption).
      break;
  }
}

namespace {

struct busy_guard {
  bool& busy;
  explicit busy_guard(bool& b) : busy(b) { busy = true; }
  busy_guard(const busy_guard&) = delete;
  busy_guard& operator=(const busy_guard&) = delete;
  ~busy_guard() { busy = false; }
};

}  // namespace

void TfMain::ApplyChange(change_kind kind, const QString& step,
                         const std::function<PLUGIN_RESULT(undo_recorder*)>& work) {
  if (busy_) return;
  const busy_guard guard(busy_);
  tBar->setPanelText(TStatusBar::note_panel, QString());
  // The step is recorded while it runs, within the budget of the whole history.
  std::optional<undo_recorder> recorder;
  if (kind != change_kind::none && !step.isEmpty() && history_->Budget() > 0) {
    recorder.emplace(store_, history_->Budget());
  }
  const bool colours_only = kind == change_kind::colours;
  PLUGIN_RESULT result;
  try {
    result = work(recorder ? &*recorder : nullptr);
  } catch (...) {
    // The pass stopped where it was, the store whole: what it changed so far is a step.
    history_->Record(recorder ? recorder->finish(store_) : nullptr, step, colours_only);
    throw;
  }
  // Not every command counts what it changed (a search colours without a counter): the kind says
  // what it may have changed.
  emit changeApplied(kind);
  std::unique_ptr<undo_record> record = recorder ? recorder->finish(store_) : nullptr;
  // Changes the command counted but its pass did not show cannot be undone either.
  if (record && record->empty() && marks_unsaved(result)) record.reset();
  if (record || (recorder && recorder->gave_up())) {
    if (!history_->Record(std::move(record), step, colours_only)) {
      tBar->setPanelText(TStatusBar::note_panel, not_undoable_text());
    }
  } else if (marks_unsaved(result)) {
    history_->Record(nullptr, step, false);
  }
  // Packets changed in place may have new lengths (a cut, say) even with the modified flag clear:
  // the column count and the length totals are recounted for them too.
  if (result.modified || result.changed != 0) Recount();
  // The tree may show a packet that is now changed, renumbered or destroyed.
  if (result.modified || result.changed != 0 || result.deleted != 0 || result.joined != 0) {
    fAnalyser->ShowPaket(nullptr);
  }
  // The current cell's byte may be another one now.
  tGridSelectCell(tGrid->currentColumn(), tGrid->currentRow());
  tGrid->Redraw();
}

void TfMain::ApplyColouring(const QString& step,
                            const std::function<int32_t(undo_recorder*)>& colour) {
  ApplyChange(change_kind::colours, step, [&colour](undo_recorder* recorder) {
    PLUGIN_RESULT result;
    result.recoloured = colour(recorder);
    return result;
  });
}

void TfMain::mUndoClick() {
  StepHistory(true);
}

void TfMain::mRedoClick() {
  StepHistory(false);
}

void TfMain::StepHistory(bool back) {
  if (busy_ || !(back ? history_->CanUndo() : history_->CanRedo())) return;
  const busy_guard guard(busy_);
  tBar->setPanelText(TStatusBar::note_panel, QString());
  if (!(back ? history_->Undo() : history_->Redo())) {
    tBar->setPanelText(TStatusBar::note_panel, undo_failed_text());
  }
  ShowHistoryStep();
}

void TfMain::ShowHistoryStep() {
  Recount();
  fAnalyser->ShowPaket(nullptr);
  // An undone merge, a redone filter: the current row may be past the last packet now.
  const int column = tGrid->currentColumn();
  const int last =
      static_cast<int>(std::min<size_t>(store_.size(), std::numeric_limits<int>::max()));
  if (last > 0 && tGrid->currentRow() > last) tGrid->setCurrentCell(std::max(1, column), last);
  tGridSelectCell(tGrid->currentColumn(), tGrid->currentRow());
  tGrid->Redraw();
}

void TfMain::HistoryChanged() {
  saved_ = history_->Saved();
  tBar->setSaved(saved_);
  const auto name = [](const QString& verb, const QString& step) {
    return step.isEmpty() ? verb : verb + QStringLiteral(": ") + step;
  };
  const QString undo =
      name(QStringLiteral("Отменить"), history_->CanUndo() ? history_->UndoName() : QString());
  const QString redo =
      name(QStringLiteral("Повторить"), history_->CanRedo() ? history_->RedoName() : QString());
  mUndo->setText(undo);
  mUndo->setEnabled(history_->CanUndo());
  mRedo->setText(redo);
  mRedo->setEnabled(history_->CanRedo());
}

void TfMain::Recount() {
  tGrid->RecountPackets();
}

bool TfMain::ConfirmDiscard() {
  if (saved_) return true;
  switch (ask_yes_no_cancel(this, unsaved_question_text())) {
    case answer::yes:
      mSaveClick();
      return saved_;
    case answer::no:
      return true;
    case answer::cancel:
      break;
  }
  return false;
}

void TfMain::mLoadClick() {
  RunRow(op_files, TfSigLoader::load);
}

void TfMain::mSaveClick() {
  RunRow(op_files, TfSigLoader::save);
}

void TfMain::mMergeClick() {
  RunRow(op_files, TfSigLoader::merge);
}

void TfMain::mAboutClick() {
  RunRow(op_about, 0);
}

void TfMain::mHelpClick() {
  if (!help_) help_ = std::make_unique<THelpWindow>();
  help_->ShowContents();
}

void TfMain::mGotoClick() {
  const std::optional<QString> text =
      ask_text(this, QStringLiteral("Pelorin"), QStringLiteral("перейти к пакету номер"),
               QStringLiteral("1"));
  if (!text) return;
  bool ok = false;
  const qlonglong row = text->trimmed().toLongLong(&ok, 10);
  if (!ok || row <= 0 || row > static_cast<qlonglong>(store_.size()) ||
      row > std::numeric_limits<int>::max()) {
    show_warning(this, invalid_value_text());
    return;
  }
  tGrid->setCurrentCell(std::max(1, tGrid->currentColumn()), static_cast<int>(row));
}

namespace {

// The packet number of a grid row; npos for the fixed row.
uint32_t packet_of_row(int row) {
  return row >= 1 ? static_cast<uint32_t>(row - 1) : npos;
}

}  // namespace

QString TfMain::MenuStep(const char* action) const {
  const auto* item = findChild<QAction*>(QString::fromLatin1(action));
  return item != nullptr ? step_of(item->text()) : QString();
}

// The colouring commands count one packet, or, over the whole store, every packet.
void TfMain::mMarkClick() {
  ApplyColouring(MenuStep("mMark"), [this](undo_recorder* recorder) {
    return int32_t{
        mark_paket(store_, packet_of_row(tGrid->currentRow()), fColors->ChosenColour(), recorder)};
  });
}

void TfMain::mUnmarkClick() {
  ApplyColouring(MenuStep("mUnmark"), [this](undo_recorder* recorder) {
    return int32_t{unmark_paket(store_, packet_of_row(tGrid->currentRow()), recorder)};
  });
}

void TfMain::mSelAllClick() {
  ApplyColouring(MenuStep("mSelAll"), [this](undo_recorder* recorder) {
    select_all(store_, fColors->ChosenColour(), recorder);
    return static_cast<int32_t>(store_.size());
  });
}

void TfMain::mUnselallClick() {
  ApplyColouring(MenuStep("mUnselall"), [this](undo_recorder* recorder) {
    unselect_all(store_, recorder);
    return static_cast<int32_t>(store_.size());
  });
}

void TfMain::mUnselCurClick() {
  ApplyColouring(MenuStep("mUnselCur"), [this](undo_recorder* recorder) {
    unselect_colour(store_, fColors->ChosenColour(), recorder);
    return static_cast<int32_t>(store_.size());
  });
}

void TfMain::mInvertSelClick() {
  ApplyColouring(MenuStep("mInvertSel"), [this](undo_recorder* recorder) {
    invert_selection(store_, fColors->ChosenColour(), recorder);
    return static_cast<int32_t>(store_.size());
  });
}

void TfMain::tGridSelectCell(int column, int row) {
  if (row < 1 || column < 1) return;
  const auto found = static_cast<size_t>(row) > store_.size()
                         ? store_.end()
                         : store_.find(static_cast<uint32_t>(row - 1));
  const bool has_byte =
      found != store_.end() && static_cast<uint64_t>(column) <= found->second->byte_length();
  if (found != store_.end()) {
    tBar->setPanelText(2, QStringLiteral(" пакет %1 : байт %2 - биты с %3 по %4")
                              .arg(row)
                              .arg(column)
                              .arg(8LL * column - 7)
                              .arg(8LL * column));
  } else {
    tBar->setPanelText(2, QString());
  }
  // A cell past the packet's end, or below the last packet, has no byte to show.
  if (!has_byte) {
    for (int panel : {5, 7, 9, 11}) tBar->setPanelText(panel, QString());
    return;
  }
  const uint8_t b = found->second->get_byte(static_cast<uint32_t>(column - 1));
  char buffer[8];
  const QChar blank(QLatin1Char(' '));
  tBar->setPanelText(5, blank + QString::number(b));
  tBar->setPanelText(7, blank + QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper());
  const std::string_view bits = numeric_cell_text(b, view_mode::binary, buffer);
  tBar->setPanelText(9,
                     blank + QString::fromLatin1(bits.data(), static_cast<qsizetype>(bits.size())));
  tBar->setPanelText(11, blank + QString::fromStdString(cp1251().utf8(b)));
}

void TfMain::mCopyClick() {
  const int row = tGrid->currentRow();
  if (row < 1 || static_cast<size_t>(row) > store_.size()) return;
  const auto found = store_.find(static_cast<uint32_t>(row - 1));
  if (found == store_.end()) return;
  const xpaket& p = *found->second;
  const std::string text =
      hex_copy_text(p.bytes(), p.byte_length(), {tGrid->rangeFirst(), tGrid->rangeLast()});
  QGuiApplication::clipboard()->setText(QString::fromLatin1(text));
}

void TfMain::tGridActivate(uint32_t number) {
  const auto found = store_.find(number);
  if (found != store_.end()) fAnalyser->ShowPaket(found->second);
}

void TfMain::SetCurrentCell(int column, int row) {
  tGrid->setCurrentCell(column, row);
}

void TfMain::SetSignalCaption(const QString& file_name) {
  const QString caption = QStringLiteral("Pelorin - ") + file_name;
  // The program's title follows the signal too. The platform's display name stays unset: it would
  // be appended to the caption of every dialog.
  set_application_title(caption);
  setWindowTitle(caption);
  RememberFile(file_name);
  // A load names its file once it has let the old signal go: the new one starts its own history,
  // within the memory there is now.
  if (LoadRunning()) {
    history_->SetBudget(UndoBudget());
    history_->Restart(false);
  }
}

bool TfMain::LoadRunning() const {
  const auto code = static_cast<uint8_t>(command_word_ & 0xFF);
  return busy_ && running_index_ == op_files &&
         (code == TfSigLoader::load || code == TfSigLoader::load_argument);
}

void TfMain::ShowFirstScreen() {
  // The store holds a few dozen packets now, so this recount costs nothing.
  tGrid->RecountPackets();
  tGrid->viewport()->repaint();
}

void TfMain::SetGridVisible(bool on) {
  tGrid->setVisible(on);
}

void TfMain::SetSaved(bool saved) {
  if (saved) {
    history_->MarkSaved();
  } else if (!(busy_ && running_index_ == op_files &&
               (command_word_ & 0xFF) == TfSigLoader::merge)) {
    // A merge is unsaved by its own step, which undo takes back.
    history_->MarkUnsaved();
  }
}

QString TfMain::CommandLineFile() const {
  if (!named_file_.isEmpty()) return named_file_;
  return arguments_.isEmpty() ? QString() : arguments_.constFirst();
}
