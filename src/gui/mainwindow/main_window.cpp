#include "gui/mainwindow/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSettings>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

#include "core/operations/history/undo_budget.h"
#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/glyphs.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/status_bar.h"
#include "gui/mainwindow/tool_icons.h"
#include "gui/mainwindow/undo_history.h"
#include "gui/protocols/analyser_pane.h"

namespace {

constexpr int protocol_pane_width = 251;
constexpr QSize tool_button_size(21, 22);

// The View menu positions of the display modes and of the expanded item.
constexpr int expanded_position = 6;

// The file menu lists this many of the signals last opened or saved, the newest first.
constexpr qsizetype recent_limit = 8;
constexpr const char* recent_key = "RecentFiles";

QSettings program_settings() {
  return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Pelorin"));
}

}  // namespace

TfMain::TfMain(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)) {
  setObjectName(QStringLiteral("TfMain"));
  setWindowTitle(QStringLiteral("Pelorin"));
  setWindowIcon(QIcon(program_logo(64)));
  resize(978, 618);
  setFont(TPacketGrid::defaultGridFont());

  auto* client = new QWidget(this);
  auto* rows = new QVBoxLayout(client);
  rows->setContentsMargins(0, 0, 0, 0);
  rows->setSpacing(0);
  // The user may widen the protocol pane by its left edge.
  auto* columns = new QSplitter(Qt::Horizontal, client);
  columns->setObjectName(QStringLiteral("spProto"));
  columns->setChildrenCollapsible(false);
  columns->setHandleWidth(2);
  tGrid = new TPacketGrid(client);
  tGrid->setStore(&store_);
  tpProto = new QFrame(client);
  tpProto->setObjectName(QStringLiteral("tpProto"));
  tpProto->setMinimumWidth(protocol_pane_width / 2);
  auto* pane = new QVBoxLayout(tpProto);
  pane->setContentsMargins(0, 0, 0, 0);
  fAnalyser = new Tfr_analyser(tpProto);
  pane->addWidget(fAnalyser);
  columns->addWidget(tGrid);
  columns->addWidget(tpProto);
  columns->setStretchFactor(0, 1);
  columns->setStretchFactor(1, 0);
  columns->setSizes({width() - protocol_pane_width, protocol_pane_width});
  tBar = new TStatusBar(client);
  history_ = new TUndoHistory(store_, this);
  history_->SetBudget(UndoBudget());
  rows->addWidget(columns, 1);
  rows->addWidget(tBar);
  setCentralWidget(client);

  BuildMenus();
  BuildToolBar();
  BuildPopup();

  // The operation modules of this build; the others answer that they cannot be started.
  for (int index = 0; index < operation_count; ++index) {
    if (const dialog_factory factory = factory_of(index)) {
      SetOperation(index, [factory](TfMain& main) { return factory(main.Context()); });
    }
  }

  connect(tGrid, &TPacketGrid::statusText, tBar, &TStatusBar::setPanelText);
  connect(tGrid, &TPacketGrid::cellSelected, this, &TfMain::tGridSelectCell);
  connect(tGrid, &TPacketGrid::packetActivated, this, &TfMain::tGridActivate);
  connect(history_, &TUndoHistory::changed, this, &TfMain::HistoryChanged);
  FormCreate();
}

TfMain::~TfMain() {
  // The history goes first, quietly: its stack tells of its end, which this window no longer hears.
  disconnect(history_, nullptr, this, nullptr);
  delete history_;
  tGrid->setStore(nullptr);
  unload_store(store_);
}

void TfMain::FormCreate() {
  expanded_ = true;
  protocol_pane_ = true;
  scroll_bars_ = false;
  mExpandedClick();
  mViewDecClick();
  mViewWProtoClick();
  mScrollClick();
  Recount();
  HistoryChanged();
}

QAction* TfMain::AddAction(QMenu* menu, const char* name, const QString& caption,
                           const QKeySequence& shortcut, void (TfMain::*handler)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  action->setShortcut(shortcut);
  if (handler == nullptr) {
    // A command whose module is not part of this build yet.
    action->setEnabled(false);
  } else {
    connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
  }
  return action;
}

void TfMain::AddRows(QMenu* menu, command_menu place) {
  for (const operation_row& row : operation_rows()) {
    if (row.menu != place) continue;
    const menu_command& command = row.command;
    if (command.separator_before) menu->addSeparator();
    QAction* action = menu->addAction(QString::fromUtf8(command.caption));
    action->setObjectName(QString::fromLatin1(command.name));
    action->setShortcut(command.shortcut);
    connect(action, &QAction::triggered, this, [this, &row] { RunRow(row); });
    if (command.button != nullptr) {
      tool_buttons_.push_back(
          {action, command.button, command.tip,
           place == command_menu::file ? tool_group::files : tool_group::operations});
    }
  }
}

operation_context TfMain::Context() {
  return {this, tGrid, store_, *this,
          [this](view_mode mode) { SelectMode(static_cast<int>(mode)); }};
}

void TfMain::BuildMenus() {
  QMenuBar* mMain = menuBar();
  mMain->setObjectName(QStringLiteral("mMain"));
  QMenu* file = mMain->addMenu(QStringLiteral("Файл"));
  AddRows(file, command_menu::file);
  file->addSeparator();
  mRecent = file->addMenu(QStringLiteral("Недавние файлы"));
  mRecent->setObjectName(QStringLiteral("mRecent"));
  FillRecentMenu();

  // Undo and redo name their step; HistoryChanged keeps the captions and states.
  QMenu* edit = mMain->addMenu(QStringLiteral("Правка"));
  edit->setObjectName(QStringLiteral("mEdit"));
  mUndo = AddAction(edit, "mUndo", QStringLiteral("Отменить"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                    &TfMain::mUndoClick);
  mRedo = AddAction(edit, "mRedo", QStringLiteral("Повторить"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                    &TfMain::mRedoClick);
  mRedo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  tool_buttons_.push_back({mUndo, "btnUndo", "отменить", tool_group::edit});
  tool_buttons_.push_back({mRedo, "btnRedo", "повторить", tool_group::edit});

  mView = mMain->addMenu(QStringLiteral("Вид"));
  struct mode_command {
    const char* item;
    const char* caption;
    Qt::Key key;
    void (TfMain::*handler)();
    const char* button;
    const char* tip;
  };
  const mode_command modes[] = {
      {"mViewDec", "Десятичный", Qt::Key_F1, &TfMain::mViewDecClick, "btnDec", "десятичный вид"},
      {"mViewHex", "Шестнадцатеричный", Qt::Key_F2, &TfMain::mViewHexClick, "btnHex",
       "шестнадцатеричный вид"},
      {"mViewBin", "Двоичный", Qt::Key_F3, &TfMain::mViewBinClick, "btnBin", "двоичный вид"},
      {"mViewText", "Текстовый", Qt::Key_F4, &TfMain::mViewTextClick, "btnText", "текстовый вид"},
      {"mViewPseudo", "Псевдографика", Qt::Key_F5, &TfMain::mViewPseudoClick, "btnPseudo",
       "вид в псевдографике"},
  };
  for (size_t i = 0; i < std::size(modes); ++i) {
    const mode_command& m = modes[i];
    mode_items_[i] = AddAction(mView, m.item, QString::fromUtf8(m.caption),
                               QKeySequence(Qt::SHIFT | m.key), m.handler);
    tool_buttons_.push_back(
        {mode_items_[i], m.button, m.tip, tool_group::view_modes, button_role::view_mode});
  }
  mView->addSeparator();
  mExpanded =
      AddAction(mView, "mExpanded", QStringLiteral("Расширенный"), {}, &TfMain::mExpandedClick);
  mExpanded->setCheckable(true);
  mScroll =
      AddAction(mView, "mScroll", QStringLiteral("Полосы прокрутки"), {}, &TfMain::mScrollClick);
  mScroll->setCheckable(true);
  mView->addSeparator();
  mViewWProto = AddAction(mView, "mViewWProto", QStringLiteral("Окно протоколов"), {},
                          &TfMain::mViewWProtoClick);
  mViewWProto->setCheckable(true);
  tool_buttons_.push_back(
      {mViewWProto, "btnAnalyz", "окно протоколов", tool_group::protocols, button_role::toggle});
  mView->addSeparator();
  QAction* sel_all = AddAction(mView, "mSelAll", QStringLiteral("Выделить все пакеты"),
                               QKeySequence(Qt::CTRL | Qt::Key_A), &TfMain::mSelAllClick);
  QAction* unsel_all = AddAction(mView, "mUnselall", QStringLiteral("Снять все выделение"), {},
                                 &TfMain::mUnselallClick);
  QAction* unsel_cur = AddAction(mView, "mUnselCur", QStringLiteral("Снять текущее выделение"), {},
                                 &TfMain::mUnselCurClick);
  tool_buttons_.push_back({sel_all, "btnSelAll", "выделить все пакеты", tool_group::colouring});
  tool_buttons_.push_back({unsel_all, "btnUnselAll", "снять все выделение", tool_group::colouring});
  tool_buttons_.push_back(
      {unsel_cur, "btnUnselCur", "снять выделение текущего цвета", tool_group::colouring});
  AddAction(mView, "mInvertSel", QStringLiteral("Инвертировать выделение"), {},
            &TfMain::mInvertSelClick);
  mView->addSeparator();
  AddAction(mView, "mGoto", QStringLiteral("Перейти к пакету номер..."), {}, &TfMain::mGotoClick);
  // Not a menu item: the grid's copy key.
  auto* copy = new QAction(this);
  copy->setObjectName(QStringLiteral("mCopy"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WindowShortcut);
  connect(copy, &QAction::triggered, this, &TfMain::mCopyClick);
  addAction(copy);

  AddRows(mMain->addMenu(QStringLiteral("Обработка")), command_menu::processing);

  QMenu* help = mMain->addMenu(QStringLiteral("Справка"));
  QAction* contents = AddAction(help, "mHelp", QStringLiteral("Справка"), QKeySequence(Qt::Key_F1),
                                &TfMain::mHelpClick);
  // The help button has no tool tip.
  tool_buttons_.push_back({contents, "btnHelp", nullptr, tool_group::help});
  AddRows(help, command_menu::help);
}

void TfMain::BuildToolBar() {
  tToolBar = new QToolBar(this);
  tToolBar->setObjectName(QStringLiteral("tToolBar"));
  tToolBar->setMovable(false);
  tToolBar->setFloatable(false);
  tToolBar->setIconSize(QSize(16, 16));
  tToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  tToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
  addToolBar(Qt::TopToolBarArea, tToolBar);

  auto* modes = new QActionGroup(this);
  modes->setExclusive(true);
  int mode = 0;
  for (size_t i = 0; i < tool_buttons_.size(); ++i) {
    const tool_button& b = tool_buttons_[i];
    if (i > 0 && tool_buttons_[i - 1].group != b.group) tToolBar->addSeparator();
    const QString name = QString::fromLatin1(b.name);
    QAction* action = tToolBar->addAction(tool_icon(name), QString());
    action->setObjectName(name);
    action->setToolTip(QString::fromUtf8(b.tip));
    // A button runs the command of its menu twin, and is greyed with it.
    connect(action, &QAction::triggered, b.twin, &QAction::trigger);
    action->setEnabled(b.twin->isEnabled());
    QAction* twin = b.twin;
    connect(twin, &QAction::changed, action,
            [action, twin] { action->setEnabled(twin->isEnabled()); });
    if (QWidget* widget = tToolBar->widgetForAction(action)) {
      widget->setObjectName(name);
      // Flat 21 x 22 buttons: with the style's wider ones the colour frame at the right end would
      // not fit a window of the start size and would hide behind the extension arrow.
      widget->setFixedSize(tool_button_size);
    }
    switch (b.role) {
      case button_role::view_mode:
        action->setCheckable(true);
        modes->addAction(action);
        mode_buttons_[mode++] = action;
        break;
      case button_role::toggle:
        action->setCheckable(true);
        btnAnalyz = action;
        break;
      case button_role::plain:
        break;
    }
  }
  // The spacer parts the buttons from the colour frame; a separator there would cost the room the
  // frame needs.
  auto* spacer = new QWidget(tToolBar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  tToolBar->addWidget(spacer);
  auto* lblCurcolor = new QLabel(QStringLiteral(" текущий цвет: "), tToolBar);
  lblCurcolor->setObjectName(QStringLiteral("lblCurcolor"));
  tToolBar->addWidget(lblCurcolor);
  fColors = new Tfr_colors(tToolBar);
  fColors->setObjectName(QStringLiteral("fColors"));
  fColors->SetCompact();
  tToolBar->addWidget(fColors);
}

void TfMain::BuildPopup() {
  mPopup = new QMenu(this);
  mPopup->setObjectName(QStringLiteral("mPopup"));
  QAction* mark = AddAction(mPopup, "mMark", QStringLiteral("выделить пакет"),
                            QKeySequence(Qt::CTRL | Qt::Key_Q), &TfMain::mMarkClick);
  QAction* unmark = AddAction(mPopup, "mUnmark", QStringLiteral("снять выделение"),
                              QKeySequence(Qt::CTRL | Qt::Key_W), &TfMain::mUnmarkClick);
  // A menu that is not open takes no shortcuts: the grid carries the two as well, and they act
  // while it (or its viewport) has the keyboard focus.
  for (QAction* action : {mark, unmark}) {
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    tGrid->addAction(action);
  }
  AddRows(mPopup, command_menu::grid_popup);
  // A right click opens the menu without moving the current cell: its commands act on that cell.
  tGrid->viewport()->installEventFilter(this);
}

bool TfMain::eventFilter(QObject* watched, QEvent* e) {
  if (watched == tGrid->viewport() && e->type() == QEvent::MouseButtonPress) {
    const auto* press = static_cast<QMouseEvent*>(e);
    if (press->button() == Qt::RightButton) {
      mPopup->popup(press->globalPosition().toPoint());
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

bool TfMain::event(QEvent* e) {
  const bool handled = QMainWindow::event(e);
  if (e->type() == QEvent::WindowActivate) {
    FormActivate();
  } else if (e->type() == QEvent::Show && !activated_) {
    // Without a window manager the window may never be activated: start from the show as well.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
  }
  return handled;
}

void TfMain::FormActivate() {
  if (activated_) return;
  activated_ = true;
  if (arguments_.isEmpty()) return;
  RunRow(op_files, TfSigLoader::load_argument);
}

void TfMain::closeEvent(QCloseEvent* e) {
  if (busy_ || !ConfirmDiscard()) {
    e->ignore();
    return;
  }
  RunRow(op_files, TfSigLoader::unload);
  if (help_) help_->close();
  e->accept();
}

void TfMain::SelectMode(int position) {
  mode_buttons_[position]->setChecked(true);
  mView->setDefaultAction(mode_items_[position]);
  tGrid->SetViewMode(position);
}

void TfMain::mExpandedClick() {
  expanded_ = !expanded_;
  mExpanded->setChecked(expanded_);
  tGrid->setExpanded(expanded_);
  tGrid->SetViewMode(expanded_position);
}

void TfMain::mScrollClick() {
  scroll_bars_ = !scroll_bars_;
  mScroll->setChecked(scroll_bars_);
  tGrid->setScrollBars(scroll_bars_);
}

void TfMain::mViewWProtoClick() {
  protocol_pane_ = !protocol_pane_;
  mViewWProto->setChecked(protocol_pane_);
  btnAnalyz->setChecked(protocol_pane_);
  tpProto->setVisible(protocol_pane_);
}

uint64_t TfMain::UndoBudget() {
  bool ok = false;
  const qlonglong mib =
      program_settings().value(QString::fromLatin1(undo_budget_key)).toLongLong(&ok);
  if (ok && mib >= 0) return static_cast<uint64_t>(mib) << 20;
  return default_undo_budget();
}

QStringList TfMain::RecentFiles() {
  return program_settings().value(QString::fromLatin1(recent_key)).toStringList();
}

void TfMain::RememberFile(const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList files = RecentFiles();
  files.removeAll(absolute);
  files.prepend(absolute);
  if (files.size() > recent_limit) files.resize(recent_limit);
  program_settings().setValue(QString::fromLatin1(recent_key), files);
  FillRecentMenu();
}

void TfMain::FillRecentMenu() {
  mRecent->clear();
  const QStringList files = RecentFiles();
  for (qsizetype i = 0; i < files.size(); ++i) {
    const QString& path = files[i];
    // The digit is the item's accelerator; an ampersand of the name stays a plain character.
    QString caption = QStringLiteral("&%1 ").arg(i + 1);
    caption += QString(path).replace(QLatin1Char('&'), QStringLiteral("&&"));
    QAction* item = mRecent->addAction(caption);
    item->setToolTip(path);
    connect(item, &QAction::triggered, this, [this, path] { OpenNamedFile(path); });
  }
  mRecent->setEnabled(!files.isEmpty());
}

void TfMain::OpenNamedFile(const QString& path) {
  if (busy_ || !ConfirmDiscard()) return;
  named_file_ = path;
  RunRow(op_files, TfSigLoader::load_argument);
  named_file_.clear();
}
