#pragma once

#include <QKeySequence>

#include <cstdint>
#include <memory>
#include <span>

class TfMain;
class TPelorin_Plugin;

// The dispatcher's operation indexes.
enum operation_index : int {
  op_about = 0,
  op_files = 1,
  op_quick_filter = 2,
  op_cut = 3,
  op_swap = 4,
  op_fill = 5,
  op_demux = 6,
  op_edit = 7,
  op_defrag = 8,
  op_stat = 9,
  op_sort = 10,
  op_sort_len = 11,
  op_search = 12,
};
inline constexpr int operation_count = 13;

// Makes the dialog of one operation; the main window is its owner and lends it the grid.
using dialog_factory = std::unique_ptr<TPelorin_Plugin> (*)(TfMain& main);

// The dialog of `index` in this build, or null when its module is not part of it (the dispatcher
// then answers that the module cannot be started).
[[nodiscard]] dialog_factory factory_of(int index);

// One command of the processing menu: its menu item, its tool bar twin and what it runs.
struct operation_command {
  const char* menu_name;  // object name of the menu item ("mCut")
  const char* caption;    // menu caption, UTF-8
  QKeySequence shortcut;
  const char* button_name;  // object name of the tool bar button ("btnCut")
  const char* tip;          // its tool tip, UTF-8
  int index;                // operation index
  uint8_t code;             // command code handed to Execute
  bool separator_before;    // a separator precedes it in the menu
};

// The processing menu, in menu order; the tool bar shows the same commands in the same order.
[[nodiscard]] std::span<const operation_command> operation_commands();
