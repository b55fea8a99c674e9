#pragma once

#include <QMainWindow>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/model/cp1251.h"
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

  // Menu handlers (also called by their tool bar twins).
  void mLoadClick();
  void mSaveClick();
  void mMergeClick();
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
  // given, with other commands held off, and shows its result: the saved flag by the dispatcher's
  // rule, a recount when lengths or the packet count may have changed, the protocol pane emptied
  // when its packet may be gone, the status panels and the grid redrawn.
  void ApplyChange(change_kind kind, const std::function<PLUGIN_RESULT()>& work);
  // A colouring command: `colour` recolours and returns how many packets it coloured.
  void ApplyColouring(const std::function<int32_t()>& colour);
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
  uint16_t command_word_ = 0;
  cp1251_table cp1251_;
  std::array<operation_factory, operation_count> operations_;

  // The tool bar's buttons, left to right, each the twin of a menu item made before it; a new
  // group begins after a separator.
  enum class tool_group : uint8_t { files, view_modes, protocols, colouring, operations, help };
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
  QAction* mode_items_[5] = {};
  QAction* mode_buttons_[5] = {};
  std::unique_ptr<THelpWindow> help_;
};
