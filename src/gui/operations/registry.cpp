#include "gui/operations/registry.h"

#include <utility>

#include "core/operations/quick_filter.h"
#include "gui/files/file_window.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/operations/cut_dialog.h"
#include "gui/operations/defrag_dialog.h"
#include "gui/operations/demux_dialog.h"
#include "gui/operations/edit_dialog.h"
#include "gui/operations/fill_dialog.h"
#include "gui/operations/quick_filter_window.h"
#include "gui/operations/search_dialog.h"
#include "gui/operations/sort_dialog.h"
#include "gui/operations/sort_len_dialog.h"
#include "gui/operations/stat_dialog.h"
#include "gui/operations/swap_dialog.h"

namespace {

// An operation dialog that reads the grid.
template <typename Dialog>
std::unique_ptr<TPelorin_Plugin> make_dialog(const operation_context& context) {
  auto dialog = std::make_unique<Dialog>(context.owner);
  dialog->SetGrid(context.grid);
  return dialog;
}

std::unique_ptr<TPelorin_Plugin> make_about(const operation_context& context) {
  return std::make_unique<TfAbout>(context.owner);
}

std::unique_ptr<TPelorin_Plugin> make_file_window(const operation_context& context) {
  return std::make_unique<TfSigLoader>(context.owner, context.files);
}

std::unique_ptr<TPelorin_Plugin> make_search(const operation_context& context) {
  auto dialog = std::make_unique<TfSigFind>(context.owner);
  dialog->SetGrid(context.grid);
  // A match switches the main window's view, menu and tool bar included.
  dialog->SetModeSwitch(context.show_mode);
  return dialog;
}

operation_row make_row(int index, uint8_t code, change_kind change, dialog_factory factory,
                       command_menu menu = command_menu::none, menu_command command = {}) {
  return {index, code, std::nullopt, change, factory, menu, std::move(command)};
}

// A command of the processing menu, with its tool bar button.
operation_row processing(int index, change_kind change, dialog_factory factory,
                         menu_command command, uint8_t code = 0) {
  return make_row(index, code, change, factory, command_menu::processing, std::move(command));
}

// A command of the file window; `asks_to_save`: it replaces the signal, and an unsaved one is
// offered for saving first.
operation_row file_command(uint8_t code, change_kind change, menu_command command = {},
                           bool asks_to_save = false) {
  operation_row r = make_row(op_files, code, change, make_file_window,
                             command.name != nullptr ? command_menu::file : command_menu::none,
                             std::move(command));
  r.asks_to_save = asks_to_save;
  return r;
}

// A quick filter of the grid's popup menu: keeps (or drops) the packets like the current cell's.
operation_row quick_filter(filter_criterion criterion, bool drop, menu_command command) {
  operation_row r =
      make_row(op_quick_filter, static_cast<uint8_t>(criterion), change_kind::rebuild,
               make_dialog<TfSigInline>, command_menu::grid_popup, std::move(command));
  r.drop = drop;
  return r;
}

using change = change_kind;

}  // namespace

// The commands of this build, each menu's in its order. An operation index missing here answers
// "cannot start". Made on first use: the sequence of a standard key (open, save) is the
// platform's, known once the application runs.
std::span<const operation_row> operation_rows() {
  static const operation_row rows[] = {
      file_command(TfSigLoader::load, change::rebuild,
                   {"mLoad", "Открыть", QKeySequence::Open, "btnOpen", "открыть поток"}, true),
      file_command(TfSigLoader::save, change::none,
                   {"mSave", "Сохранить", QKeySequence::Save, "btnSave", "сохранить поток"}),
      file_command(TfSigLoader::merge, change::rebuild,
                   {"mMerge", "Подгрузить", {}, "btnMerge", "подгрузить поток"}),
      // The open of the command-line (or a recent) file, and the unload before the window closes.
      file_command(TfSigLoader::load_argument, change::rebuild),
      file_command(TfSigLoader::unload, change::rebuild),

      processing(op_cut, change::in_place, make_dialog<TfSigCut>,
                 {"mCut", "Обрезка", QKeySequence(Qt::CTRL | Qt::Key_F1), "btnCut", "обрезка"}),
      processing(op_swap, change::in_place, make_dialog<TfSigSwap>,
                 {"mSwap", "Перестановка", QKeySequence(Qt::CTRL | Qt::Key_F2), "btnSwap",
                  "перестановка"}),
      processing(
          op_fill, change::in_place, make_dialog<TfSigFill>,
          {"mFill", "Дополнение", QKeySequence(Qt::CTRL | Qt::Key_F3), "btnFill", "дополнение"}),
      processing(op_demux, change::rebuild, make_dialog<TfSigDemux>,
                 {"mDemux", "Демультиплексор", QKeySequence(Qt::CTRL | Qt::Key_F4), "btnDemux",
                  "демультиплексор"}),
      processing(op_edit, change::in_place, make_dialog<TfSigEdit>,
                 {"mEdit", "Изменить значение", QKeySequence(Qt::CTRL | Qt::Key_F5), "btnEdit",
                  "изменить значение"}),
      processing(op_defrag, change::rebuild, make_dialog<TfSigDefrag>,
                 {"mDefrag", "Дефрагментатор", QKeySequence(Qt::CTRL | Qt::Key_F6), "btnDefrag",
                  "дефрагментатор"}),
      processing(op_stat, change::none, make_dialog<TfSigStat>,
                 {"mStat", "Статистика", QKeySequence(Qt::Key_F2), "btnStat", "статистика", true}),
      processing(op_sort_len, change::colours, make_dialog<TfSortLen>,
                 {"mSelLen", "Отбор по длинам", QKeySequence(Qt::Key_F3), "btnSortLen",
                  "сортировка по длинам"}),
      processing(op_sort, change::colours, make_dialog<TfSigSort>,
                 {"mSelVal", "Отбор по значениям", QKeySequence(Qt::Key_F4), "btnSort",
                  "сортировка по значениям"}),
      // Find marks every match when asked to; find next only moves the current cell.
      processing(op_search, change::colours, make_search,
                 {"mFind", "Найти", QKeySequence(Qt::Key_F7), "btnFind", "найти", true}),
      processing(
          op_search, change::none, make_search,
          {"mFindNext", "Найти далее", QKeySequence(Qt::Key_F5), "btnFindNext", "найти далее"}, 1),

      make_row(op_about, 0, change::none, make_about, command_menu::help,
               {"mAbout", "О программе"}),

      quick_filter(filter_criterion::colour, false,
                   {"mLeaveMarked", "отобрать пакеты этого цвета", {}, {}, {}, true}),
      quick_filter(filter_criterion::colour, true, {"mDropMarked", "выкинуть пакеты этого цвета"}),
      quick_filter(filter_criterion::byte, false,
                   {"mLeave", "отобрать пакеты с этим байтом", {}, {}, {}, true}),
      quick_filter(filter_criterion::byte, true, {"mDrop", "выкинуть пакеты с этим байтом"}),
      quick_filter(filter_criterion::length, false,
                   {"mLeaveLen", "отобрать пакеты этой длины", {}, {}, {}, true}),
      quick_filter(filter_criterion::length, true, {"mDropLen", "выкинуть пакеты этой длины"}),
  };
  return rows;
}

const operation_row* row_of(int index, uint8_t code) {
  for (const operation_row& row : operation_rows()) {
    if (row.index == index && row.code == code) return &row;
  }
  return nullptr;
}

dialog_factory factory_of(int index) {
  for (const operation_row& row : operation_rows()) {
    if (row.index == index) return row.factory;
  }
  return nullptr;
}
