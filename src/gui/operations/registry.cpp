#include "gui/operations/registry.h"

#include <array>

#include "gui/files/file_window.h"
#include "gui/mainwindow/about_dialog.h"
#include "gui/mainwindow/main_window.h"
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

template <typename Dialog>
std::unique_ptr<TPelorin_Plugin> make_dialog(TfMain& main) {
  auto dialog = std::make_unique<Dialog>(&main);
  dialog->SetGrid(main.grid());
  return dialog;
}

struct operation_entry {
  int index;
  dialog_factory factory;
};

// The operations of this build. An operation missing here answers "cannot start".
const operation_entry operation_entries[] = {
    {op_about,
     [](TfMain& main) -> std::unique_ptr<TPelorin_Plugin> {
       return std::make_unique<TfAbout>(&main);
     }},
    {op_files,
     [](TfMain& main) -> std::unique_ptr<TPelorin_Plugin> {
       return std::make_unique<TfSigLoader>(&main, main);
     }},
    {op_quick_filter, make_dialog<TfSigInline>},
    {op_cut, make_dialog<TfSigCut>},
    {op_demux, make_dialog<TfSigDemux>},
    {op_defrag, make_dialog<TfSigDefrag>},
    {op_stat, make_dialog<TfSigStat>},
    {op_search,
     [](TfMain& main) -> std::unique_ptr<TPelorin_Plugin> {
       auto dialog = std::make_unique<TfSigFind>(&main);
       dialog->SetGrid(main.grid());
       // A match switches the main window's view, menu and tool bar included.
       dialog->SetModeSwitch([&main](view_mode mode) {
         mode == view_mode::text ? main.mViewTextClick() : main.mViewBinClick();
       });
       return dialog;
     }},
    {op_sort, make_dialog<TfSigSort>},
    {op_sort_len, make_dialog<TfSortLen>},
    {op_swap, make_dialog<TfSigSwap>},
    {op_fill, make_dialog<TfSigFill>},
    {op_edit, make_dialog<TfSigEdit>},
};

const operation_command commands[] = {
    {"mCut", "Обрезка", QKeySequence(Qt::CTRL | Qt::Key_F1), "btnCut", "обрезка", op_cut, 0, false},
    {"mSwap", "Перестановка", QKeySequence(Qt::CTRL | Qt::Key_F2), "btnSwap", "перестановка",
     op_swap, 0, false},
    {"mFill", "Дополнение", QKeySequence(Qt::CTRL | Qt::Key_F3), "btnFill", "дополнение", op_fill,
     0, false},
    {"mDemux", "Демультиплексор", QKeySequence(Qt::CTRL | Qt::Key_F4), "btnDemux",
     "демультиплексор", op_demux, 0, false},
    {"mEdit", "Изменить значение", QKeySequence(Qt::CTRL | Qt::Key_F5), "btnEdit",
     "изменить значение", op_edit, 0, false},
    {"mDefrag", "Дефрагментатор", QKeySequence(Qt::CTRL | Qt::Key_F6), "btnDefrag",
     "дефрагментатор", op_defrag, 0, false},
    {"mStat", "Статистика", QKeySequence(Qt::Key_F2), "btnStat", "статистика", op_stat, 0, true},
    {"mSelLen", "Отбор по длинам", QKeySequence(Qt::Key_F3), "btnSortLen", "сортировка по длинам",
     op_sort_len, 0, false},
    {"mSelVal", "Отбор по значениям", QKeySequence(Qt::Key_F4), "btnSort",
     "сортировка по значениям", op_sort, 0, false},
    {"mFind", "Найти", QKeySequence(Qt::Key_F7), "btnFind", "найти", op_search, 0, true},
    {"mFindNext", "Найти далее", QKeySequence(Qt::Key_F5), "btnFindNext", "найти далее", op_search,
     1, false},
};

}  // namespace

dialog_factory factory_of(int index) {
  for (const operation_entry& e : operation_entries) {
    if (e.index == index) return e.factory;
  }
  return nullptr;
}

std::span<const operation_command> operation_commands() {
  return commands;
}
