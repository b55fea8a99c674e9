#pragma once

#include <QKeySequence>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "core/grid/cell_text.h"
#include "core/model/pakets.h"

class QWidget;
class TPacketGrid;
class TPelorin_Plugin;
class sig_loader_host;

// The dispatcher's operation indexes: the program's own numbering (About 0, the file window 1,
// the quick filters 2, then the processing operations).
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
  operation_end  // one past the last index
};
inline constexpr int operation_count = operation_end;

// What the main window lends the dialog of an operation, and nothing more of itself.
struct operation_context {
  QWidget* owner;          // the dialog's parent
  TPacketGrid* grid;       // borrowed for the dialog's life
  PAKETS& store;           // the store the dialog is run on
  sig_loader_host& files;  // what the file window does to the main window
  // Switches the main window's display mode, its View menu and tool bar included.
  std::function<void(view_mode)> show_mode;
};

// Makes the dialog of one operation.
using dialog_factory = std::unique_ptr<TPelorin_Plugin> (*)(const operation_context& context);

// What a command may change in the store. The main window runs every change through one place,
// which learns the kind from the command's row.
enum class change_kind : uint8_t {
  none,      // nothing (About, a save, the statistics, find next)
  colours,   // packet colours only (the selections, a search that marks every match)
  in_place,  // bytes and lengths of packets; the numbering stays
  rebuild,   // the numbering: packets dropped, joined, read or freed
};

// The menu that shows a command; `none`: the main window runs it by itself.
enum class command_menu : uint8_t { none, file, processing, help, grid_popup };

// A menu item and, when it has one, its tool bar button.
struct menu_command {
  const char* name = nullptr;     // object name of the menu item ("mCut")
  const char* caption = nullptr;  // UTF-8
  QKeySequence shortcut = {};
  const char* button = nullptr;   // object name of the tool bar button, also its icon's name
  const char* tip = nullptr;      // the button's tool tip, UTF-8
  bool separator_before = false;  // a separator precedes the item in its menu
};

// One command of the dispatcher: the operation and its command code, what it changes, and where
// the user finds it. An operation with several commands (the file window, the quick filters, the
// search) has a row for each.
struct operation_row {
  int index = op_about;
  uint8_t code = 0;  // the command code handed to Execute
  // The drop flag the command sets in the command word (the quick filters); others keep it.
  std::optional<bool> drop;
  change_kind change = change_kind::none;
  dialog_factory factory = nullptr;
  command_menu menu = command_menu::none;
  menu_command command;
  bool asks_to_save = false;  // the command replaces the signal: an unsaved one is offered first
};

// Every command, in menu order within each menu (the tool bar shows the buttons in that order).
[[nodiscard]] std::span<const operation_row> operation_rows();

// The row of a command; null when no row has this index and code.
[[nodiscard]] const operation_row* row_of(int index, uint8_t code);

// The dialog of `index` in this build, or null when its module is not part of it (the dispatcher
// then answers that the module cannot be started).
[[nodiscard]] dialog_factory factory_of(int index);
