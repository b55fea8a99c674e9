#pragma once

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/pass.h"
#include "gui/files/file_window.h"
#include "gui/operations/registry.h"

class QAction;
class QActionGroup;
class QFrame;
class QLabel;
class QMenu;
class QToolBar;
class TPacketGrid;
class TStatusBar;
class Tfr_analyser;
class Tfr_colors;
class THelpWindow;
class TPelorin_Plugin;
class TUndoHistory;
class undo_recorder;

// The main window: owns the packet store of the open signal, shows it in the grid, runs every
// operation through the dispatcher, and keeps the saved flag and the status bar. Its menus and
// tool bar carry the commands of the operation registry's rows besides its own.
class TfMain : public QMainWindow, public sig_loader_host {
  Q_OBJECT

 public:
  // `arguments` are the command-line arguments without the program name; the first one is opened
  // at the first activation.
  explicit TfMain(QStringList arguments = {}, QWidget* parent = nullptr);
  TfMain(const TfMain&) = delete;
  TfMain& operator=(const TfMain&) = delete;
  ~TfMain() override;

  // Makes the dialog of one operation index; the main window is its owner.
  using operation_factory = std::function<std::unique_ptr<TPelorin_Plugin>(TfMain&)>;
  // Puts another dialog under an operation index (0..12) in place of the registry's; an empty
  // factory makes the operation answer that it cannot be started.
  void SetOperation(int index, operation_factory factory);

  // Creates the dialog of `index`, runs it on the store with the current command word, applies
  // its result (saved flag, recount, redraw) and destroys it. The row of the index and command
  // code says what kind of change it is.
  void RunOperation(int index);
  // Command word for the next dispatcher call: the low byte is the command code; the high byte
  // (the quick filters' drop flag) stays unless `drop` is given.
  void SetCommand(uint8_t code);
  void SetCommand(uint8_t code, bool drop);
  [[nodiscard]] uint16_t commandWord() const { return command_word_; }

  [[nodiscard]] PAKETS& store() { return store_; }
  [[nodiscard]] TPacketGrid* grid() const { return tGrid; }
  [[nodiscard]] TStatusBar* statusPanels() const { return tBar; }
  [[nodiscard]] Tfr_colors* colours() const { return fColors; }
  [[nodiscard]] bool saved() const { return saved_; }
  [[nodiscard]] bool protocolPane() const { return protocol_pane_; }
  [[nodiscard]] THelpWindow* helpWindow() const { return help_.get(); }
  [[nodiscard]] TUndoHistory& history() { return *history_; }

  // Menu handlers (also called by their tool bar twins).
  void mLoadClick();
  void mSaveClick();
  void mMergeClick();
  // Undo and redo of the last step, or the step undone last.
  void mUndoClick();
  void mRedoClick();
  void mViewDecClick() { SelectMode(0); }
  void mViewHexClick() { SelectMode(1); }
  void mViewBinClick() { SelectMode(2); }
  void mViewTextClick() { SelectMode(3); }
  void mViewPseudoClick() { SelectMode(4); }
  void mExpandedClick();
  void mScrollClick();
  void mViewWProtoClick();
  void mGotoClick();
  // Copies the current packet's bytes (or those of the marked columns) as hexadecimal text.
  void mCopyClick();
  void mHelpClick();
  void mAboutClick();
  // Colouring: the current colour is the tool bar's; none of them touches the saved flag. Each is
  // one change of the kind change_kind::colours.
  void mMarkClick();
  void mUnmarkClick();
  void mSelAllClick();
  void mUnselallClick();
  void mUnselCurClick();
  void mInvertSelClick();

  // Asks whether to save a signal that is not saved: true when the caller may go on (saved, or
  // the user chose not to save); false when the user cancelled or the save failed.
  bool ConfirmDiscard();

  // The file window's view of the main window.
  void SetCurrentCell(int column, int row) override;
  void SetSignalCaption(const QString& file_name) override;
  void ShowFirstScreen() override;
  void SetGridVisible(bool on) override;
  void SetSaved(bool saved) override;
  [[nodiscard]] QString CommandLineFile() const override;

  // The program's texts of this window.
  static QString cannot_start_text();
  static QString unsaved_question_text();
  // The status bar's word that a step ran without undo (its record did not fit the budget), and
  // that an undo or a redo found no memory.
  static QString not_undoable_text();
  static QString undo_failed_text();
  // The settings key of the undo budget in MiB; unset, a quarter of the memory available when a
  // signal opens.
  static constexpr const char* undo_budget_key = "UndoMemoryMB";

 signals:
  // A command that may change the store has run (an operation's pass, a file command, a quick
  // filter, a marking), of the kind its row names: sent once per command, also when it changed
  // nothing or was cancelled, after the work and before the window shows its result.
  void changeApplied(change_kind kind);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void FormActivate();
  void BuildMenus();
  void BuildToolBar();
  void BuildPopup();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut, void (TfMain::*handler)());
  // The registry's commands of `place`, in row order; those with a button join the tool bar.
  void AddRows(QMenu* menu, command_menu place);
  // Sets the row's command word and runs its operation.
  void RunRow(const operation_row& row);
  void RunRow(int index, uint8_t code);
  // Every change of the store passes through here: runs `work`, one command's change of the kind
  // given, with other commands held off, and shows its result: the step joins the undo history
  // under `step` (the name the Edit menu gives it; none: the command keeps its own history), the
  // saved flag follows the history, a recount when lengths or the packet count may have changed,
  // the protocol pane emptied when its packet may be gone, the status panels and the grid
  // redrawn. `work` gets the recorder to hand to its pass (null: record nothing).
  void ApplyChange(change_kind kind, const QString& step,
                   const std::function<PLUGIN_RESULT(undo_recorder*)>& work);
  // A colouring command named `step`: `colour` recolours and returns how many packets it
  // coloured.
  void ApplyColouring(const QString& step, const std::function<int32_t(undo_recorder*)>& colour);
  // The name of a row's step in the Edit menu.
  static QString StepName(const operation_row& row);
  // What a file command does to the history: a load or an unload starts it anew, a merge is a step
  // of what it appended to the store's `first` packets, which had `link_types`.
  void FileCommandDone(uint8_t code, size_t first, std::vector<uint32_t> link_types);
  // Takes the store a step back or forth in the history and shows it.
  void StepHistory(bool back);
  // After a step of the history: recount, the protocol pane emptied, the current cell kept within
  // the packets, the panels and the grid redrawn.
  void ShowHistoryStep();
  // The Edit menu, its buttons and the saved panel after the history changed.
  void HistoryChanged();
  // The undo budget from the settings, or by default.
  [[nodiscard]] static uint64_t UndoBudget();
  // The step name of the menu command `action` (an object name): its caption.
  [[nodiscard]] QString MenuStep(const char* action) const;
  // Whether a load of the file window is under way.
  [[nodiscard]] bool LoadRunning() const;
  // What a dialog may use of this window.
  [[nodiscard]] operation_context Context();
  void SelectMode(int position);
  void tGridSelectCell(int column, int row);
  void tGridActivate(uint32_t number);
  void Recount();
  // The recently opened or saved signals, kept in the settings.
  static QStringList RecentFiles();
  void RememberFile(const QString& path);
  void FillRecentMenu();
  // Opens `path` as the command-line file is opened: no file dialog.
  void OpenNamedFile(const QString& path);

  PAKETS store_;
  QStringList arguments_;
  QString named_file_;  // a file chosen from the recent list while its load runs
  bool saved_ = true;
  bool protocol_pane_ = true;
  bool expanded_ = true;
  bool scroll_bars_ = false;
  bool activated_ = false;
  bool busy_ = false;  // a dispatcher call or a recount is under way: commands wait
  // The row RunRow runs, while it runs: several rows share an index and code (the quick filters).
  const operation_row* running_row_ = nullptr;
  int running_index_ = -1;  // the operation index of the last dispatcher call
  uint16_t command_word_ = 0;
  std::array<operation_factory, operation_count> operations_;

  // The tool bar's buttons, left to right, each the twin of a menu item made before it; a new
  // group begins after a separator.
  enum class tool_group : uint8_t {
    files,
    edit,
    view_modes,
    protocols,
    colouring,
    operations,
    help
  };
  enum class button_role : uint8_t { plain, view_mode, toggle };
  struct tool_button {
    QAction* twin;
    const char* name;  // object name, also the icon's name
    const char* tip;   // UTF-8; null: none
    tool_group group;
    button_role role = button_role::plain;
  };
  std::vector<tool_button> tool_buttons_;

  TPacketGrid* tGrid = nullptr;
  QFrame* tpProto = nullptr;
  Tfr_analyser* fAnalyser = nullptr;
  TStatusBar* tBar = nullptr;
  QToolBar* tToolBar = nullptr;
  Tfr_colors* fColors = nullptr;
  QMenu* mView = nullptr;
  QMenu* mPopup = nullptr;
  QMenu* mRecent = nullptr;
  QAction* mExpanded = nullptr;
  QAction* mScroll = nullptr;
  QAction* mViewWProto = nullptr;
  QAction* btnAnalyz = nullptr;
  QAction* mUndo = nullptr;
  QAction* mRedo = nullptr;
  TUndoHistory* history_ = nullptr;
  QAction* mode_items_[5] = {};
  QAction* mode_buttons_[5] = {};
  std::unique_ptr<THelpWindow> help_;
};
