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

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/glyphs.h"
#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/help_window.h"
#include "gui/mainwindow/status_bar.h"
#include "gui/mainwindow/tool_icons.h"
#include "gui/protocols/analyser_pane.h"

namespace {

constexpr int protocol_pane_width = 251;
constexpr QSize tool_button_size(23, 22);

// The View menu positions of the display modes and of the expanded item.
constexpr int expanded_position = 6;

// The file menu lists this many of the signals last opened or saved, the newest first.
constexpr qsizetype recent_limit = 8;
constexpr const char* recent_key = "RecentFiles";

QSettings program_settings() {
  return QSettings(QStringLiteral("Quillmark"), QStringLiteral("Pelorin"));
}

struct tool_button {
  const char* name;  // null: a separator
  const char* tip;
  void (TfMain::*handler)();
};

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
  rows->addWidget(columns, 1);
  rows->addWidget(tBar);
  setCentralWidget(client);

  BuildMenus();
  BuildToolBar();
  BuildPopup();

  // The operation modules of this build; the others answer that they cannot be started.
  for (int index = 0; index < operation_count; ++index) {
    if (const dialog_factory factory = factory_of(index)) SetOperation(index, factory);
  }

  connect(tGrid, &TPacketGrid::statusText, tBar, &TStatusBar::setPanelText);
  connect(tGrid, &TPacketGrid::cellSelected, this, &TfMain::tGridSelectCell);
  connect(tGrid, &TPacketGrid::packetActivated, this, &TfMain::tGridActivate);
  FormCreate();
}

TfMain::~TfMain() {
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
  tBar->setSaved(saved_);
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

QAction* TfMain::AddOperation(QMenu* menu, const operation_command& command) {
  if (command.separator_before) menu->addSeparator();
  QAction* action = menu->addAction(QString::fromUtf8(command.caption));
  action->setObjectName(QString::fromLatin1(command.menu_name));
  action->setShortcut(command.shortcut);
  connect(action, &QAction::triggered, this, [this, index = command.index, code = command.code] {
    SetCommand(code);
    RunOperation(index);
  });
  return action;
}

void TfMain::BuildMenus() {
  QMenuBar* mMain = menuBar();
  mMain->setObjectName(QStringLiteral("mMain"));
  QMenu* file = mMain->addMenu(QStringLiteral("Файл"));
  AddAction(file, "mLoad", QStringLiteral("Открыть"), QKeySequence::Open, &TfMain::mLoadClick);
  AddAction(file, "mSave", QStringLiteral("Сохранить"), QKeySequence::Save, &TfMain::mSaveClick);
  AddAction(file, "mMerge", QStringLiteral("Подгрузить"), {}, &TfMain::mMergeClick);
  file->addSeparator();
  mRecent = file->addMenu(QStringLiteral("Недавние файлы"));
  mRecent->setObjectName(QStringLiteral("mRecent"));
  FillRecentMenu();

  mView = mMain->addMenu(QStringLiteral("Вид"));
  mode_items_[0] = AddAction(mView, "mViewDec", QStringLiteral("Десятичный"),
                             QKeySequence(Qt::SHIFT | Qt::Key_F1), &TfMain::mViewDecClick);
  mode_items_[1] = AddAction(mView, "mViewHex", QStringLiteral("Шестнадцатеричный"),
                             QKeySequence(Qt::SHIFT | Qt::Key_F2), &TfMain::mViewHexClick);
  mode_items_[2] = AddAction(mView, "mViewBin", QStringLiteral("Двоичный"),
                             QKeySequence(Qt::SHIFT | Qt::Key_F3), &TfMain::mViewBinClick);
  mode_items_[3] = AddAction(mView, "mViewText", QStringLiteral("Текстовый"),
                             QKeySequence(Qt::SHIFT | Qt::Key_F4), &TfMain::mViewTextClick);
  mode_items_[4] = AddAction(mView, "mViewPseudo", QStringLiteral("Псевдографика"),
                             QKeySequence(Qt::SHIFT | Qt::Key_F5), &TfMain::mViewPseudoClick);
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
  mView->addSeparator();
  AddAction(mView, "mSelAll", QStringLiteral("Выделить все пакеты"),
            QKeySequence(Qt::CTRL | Qt::Key_A), &TfMain::mSelAllClick);
  AddAction(mView, "mUnselall", QStringLiteral("Снять все выделение"), {}, &TfMain::mUnselallClick);
  AddAction(mView, "mUnselCur", QStringLiteral("Снять текущее выделение"), {},
            &TfMain::mUnselCurClick);
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

  QMenu* processing = mMain->addMenu(QStringLiteral("Обработка"));
  for (const operation_command& command : operation_commands()) AddOperation(processing, command);

  QMenu* help = mMain->addMenu(QStringLiteral("Справка"));
  AddAction(help, "mHelp", QStringLiteral("Справка"), QKeySequence(Qt::Key_F1),
            &TfMain::mHelpClick);
  AddAction(help, "mAbout", QStringLiteral("О программе"), {}, &TfMain::mAboutClick);
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

  auto menu_twin = [this](const char* name) {
    return findChild<QAction*>(QString::fromLatin1(name));
  };
  const tool_button buttons[] = {
      {"btnOpen", "открыть поток", &TfMain::mLoadClick},
      {"btnSave", "сохранить поток", &TfMain::mSaveClick},
      {"btnMerge", "подгрузить поток", &TfMain::mMergeClick},
      {nullptr, nullptr, nullptr},
      {"btnDec", "десятичный вид", &TfMain::mViewDecClick},
      {"btnHex", "шестнадцатеричный вид", &TfMain::mViewHexClick},
      {"btnBin", "двоичный вид", &TfMain::mViewBinClick},
      {"btnText", "текстовый вид", &TfMain::mViewTextClick},
      {"btnPseudo", "вид в псевдографике", &TfMain::mViewPseudoClick},
      {nullptr, nullptr, nullptr},
      {"btnAnalyz", "окно протоколов", &TfMain::mViewWProtoClick},
      {nullptr, nullptr, nullptr},
      {"btnSelAll", "выделить все пакеты", nullptr},
      {"btnUnselAll", "снять все выделение", nullptr},
      {"btnUnselCur", "снять выделение текущего цвета", nullptr},
      {nullptr, nullptr, nullptr},
      {nullptr, nullptr, nullptr},
      {"btnHelp", "", &TfMain::mHelpClick},
  };
  // The operation buttons follow the colouring buttons, in the processing menu's order.
  std::vector<tool_button> all(std::begin(buttons), std::end(buttons));
  auto at = all.end() - 2;
  for (const operation_command& command : operation_commands()) {
    at = all.insert(at, tool_button{command.button_name, command.tip, nullptr}) + 1;
  }
  // Operation buttons call the action of their menu twin, so both run the same command.
  std::vector<std::pair<const char*, const char*>> twins = {
      {"btnSelAll", "mSelAll"}, {"btnUnselAll", "mUnselall"}, {"btnUnselCur", "mUnselCur"}};
  for (const operation_command& command : operation_commands()) {
    twins.emplace_back(command.button_name, command.menu_name);
  }
  auto* modes = new QActionGroup(this);
  modes->setExclusive(true);
  int mode = 0;
  for (const tool_button& b : all) {
    if (b.name == nullptr) {
      tToolBar->addSeparator();
      continue;
    }
    const QString name = QString::fromLatin1(b.name);
    QAction* action = tToolBar->addAction(tool_icon(name), QString());
    action->setObjectName(name);
    action->setToolTip(QString::fromUtf8(b.tip));
    if (b.handler != nullptr) {
      connect(action, &QAction::triggered, this, [this, h = b.handler] { (this->*h)(); });
    } else {
      for (const auto& [button, item] : twins) {
        if (name == QLatin1String(button)) {
          QAction* twin = menu_twin(item);
          connect(action, &QAction::triggered, twin, &QAction::trigger);
          action->setEnabled(twin->isEnabled());
        }
      }
    }
    if (QWidget* widget = tToolBar->widgetForAction(action)) {
      widget->setObjectName(name);
      // Flat 23 x 22 buttons: with the style's wider ones the colour frame at the right end would
      // not fit a window of the start size and would hide behind the extension arrow.
      widget->setFixedSize(tool_button_size);
    }
    if (name.startsWith(QLatin1String("btnDec")) || name == QLatin1String("btnHex") ||
        name == QLatin1String("btnBin") || name == QLatin1String("btnText") ||
        name == QLatin1String("btnPseudo")) {
      action->setCheckable(true);
      modes->addAction(action);
      mode_buttons_[mode++] = action;
    }
    if (name == QLatin1String("btnAnalyz")) {
      action->setCheckable(true);
      btnAnalyz = action;
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
  struct filter {
    const char* name;
    const char* caption;
    uint8_t code;
    bool drop;
  };
  const filter filters[] = {
      {"mLeaveMarked", "отобрать пакеты этого цвета", 5, false},
      {"mDropMarked", "выкинуть пакеты этого цвета", 5, true},
      {"mLeave", "отобрать пакеты с этим байтом", 3, false},
      {"mDrop", "выкинуть пакеты с этим байтом", 3, true},
      {"mLeaveLen", "отобрать пакеты этой длины", 4, false},
      {"mDropLen", "выкинуть пакеты этой длины", 4, true},
  };
  for (size_t i = 0; i < std::size(filters); ++i) {
    if (i % 2 == 0) mPopup->addSeparator();
    const filter& f = filters[i];
    QAction* action = mPopup->addAction(QString::fromUtf8(f.caption));
    action->setObjectName(QString::fromLatin1(f.name));
    connect(action, &QAction::triggered, this, [this, f] {
      SetCommand(f.code, f.drop);
      RunOperation(op_quick_filter);
    });
  }
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
  SetCommand(TfSigLoader::load_argument);
  RunOperation(op_files);
}

void TfMain::closeEvent(QCloseEvent* e) {
  if (busy_ || !ConfirmDiscard()) {
    e->ignore();
    return;
  }
  SetCommand(TfSigLoader::unload);
  RunOperation(op_files);
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
  SetCommand(TfSigLoader::load_argument);
  RunOperation(op_files);
  named_file_.clear();
}
