// The main window's commands: the dispatcher, the file commands, colouring, go to packet, help,
// About, and what the file window asks of the main window.

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>

#include <limits>

#include "core/grid/cell_text.h"
#include "core/grid/grid_layout.h"
#include "core/operations/colouring.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/message_box.h"
#include "gui/dialogs/texts.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/status_bar.h"
#include "gui/protocols/analyser_pane.h"

QString TfMain::cannot_start_text() {
  return QStringLiteral("Невозможно запустить модуль.   ");
}

QString TfMain::unsaved_question_text() {
  return QStringLiteral("Сигнал не сохранён. Сохранить изменения?   ");
}

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
  RunOperation(row.index);
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
  // A command no row names may change anything.
  const operation_row* row = row_of(index, static_cast<uint8_t>(command_word_ & 0xFF));
  // An exception leaves through here: the dialog is destroyed by its owner pointer and the
  // application's handler reports it.
  ApplyChange(row != nullptr ? row->change : change_kind::rebuild, [&] {
    const PLUGIN_RESULT result = dialog->Execute(command_word_, store_);
    dialog.reset();
    return result;
  });
}

void TfMain::ApplyChange(change_kind kind, const std::function<PLUGIN_RESULT()>& work) {
  if (busy_) return;
  struct busy_guard {
    bool& busy;
    explicit busy_guard(bool& b) : busy(b) { busy = true; }
    busy_guard(const busy_guard&) = delete;
    busy_guard& operator=(const busy_guard&) = delete;
    ~busy_guard() { busy = false; }
  } guard(busy_);
  const PLUGIN_RESULT result = work();
  // Not every command counts what it changed (a search colours without a counter): the kind says
  // what it may have changed.
  emit changeApplied(kind);
  if (marks_unsaved(result)) SetSaved(false);
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

void TfMain::ApplyColouring(const std::function<int32_t()>& colour) {
  ApplyChange(change_kind::colours, [&colour] {
    PLUGIN_RESULT result;
    result.recoloured = colour();
    return result;
  });
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

// The colouring commands count one packet, or, over the whole store, every packet.
void TfMain::mMarkClick() {
  ApplyColouring([this] {
    return int32_t{mark_paket(store_, packet_of_row(tGrid->currentRow()), fColors->ChosenColour())};
  });
}

void TfMain::mUnmarkClick() {
  ApplyColouring(
      [this] { return int32_t{unmark_paket(store_, packet_of_row(tGrid->currentRow()))}; });
}

void TfMain::mSelAllClick() {
  ApplyColouring([this] {
    select_all(store_, fColors->ChosenColour());
    return static_cast<int32_t>(store_.size());
  });
}

void TfMain::mUnselallClick() {
  ApplyColouring([this] {
    unselect_all(store_);
    return static_cast<int32_t>(store_.size());
  });
}

void TfMain::mUnselCurClick() {
  ApplyColouring([this] {
    unselect_colour(store_, fColors->ChosenColour());
    return static_cast<int32_t>(store_.size());
  });
}

void TfMain::mInvertSelClick() {
  ApplyColouring([this] {
    invert_selection(store_, fColors->ChosenColour());
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
  tBar->setPanelText(11, blank + QString::fromStdString(cp1251_.utf8(b)));
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
  // The application's name, as the task bar shows it, follows the signal too; the platform adds
  // no second copy to a caption that already ends in it.
  QGuiApplication::setApplicationDisplayName(caption);
  setWindowTitle(caption);
  RememberFile(file_name);
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
  saved_ = saved;
  tBar->setSaved(saved);
}

QString TfMain::CommandLineFile() const {
  if (!named_file_.isEmpty()) return named_file_;
  return arguments_.isEmpty() ? QString() : arguments_.constFirst();
}
