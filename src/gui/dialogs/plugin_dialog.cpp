#include "gui/dialogs/plugin_dialog.h"

#include <QTimer>

#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleHints>
#include <QToolButton>

#include <ctime>
#include <utility>

#include "gui/dialogs/click_guard.h"
#include "gui/dialogs/gauge.h"
#include "gui/dialogs/glyphs.h"
#include "gui/dialogs/heap_merging.h"
#include "gui/dialogs/select_frame.h"
#include "gui/dialogs/tab_stops.h"
#include "gui/grid/packet_grid.h"

namespace {

modal_hook installed_modal_hook;

// Milliseconds on the coarse monotonic clock. It moves in steps of a few milliseconds, which is
// fine against event_interval_ms, and costs a few nanoseconds to read, where the precise clock
// costs tens: the step reads it once per clock_stride packets, thousands of times in a large
// pass.
qint64 coarse_now_ms() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return qint64{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

QToolButton* glyph_button(QWidget* parent, const char* name, const QIcon& icon, int x, int y) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoRaise(true);
  button->setIcon(icon);
  button->setIconSize(QSize(16, 16));
  button->setGeometry(x, y, 23, 22);
  return button;
}

}  // namespace

TPelorin_Plugin::TPelorin_Plugin(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName(QStringLiteral("TPelorin_Plugin"));
  setWindowTitle(QStringLiteral("Pelorin"));
  setFixedSize(278, 219);
  QFont tahoma(QStringLiteral("Tahoma"));
  tahoma.setPointSize(8);
  setFont(tahoma);

  imgLogo = new QLabel(this);
  imgLogo->setObjectName(QStringLiteral("imgLogo"));
  imgLogo->setGeometry(2, 0, 33, 33);

  lblTitle = new QLabel(QStringLiteral("PELORIN"), this);
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont verdana(QStringLiteral("Verdana"));
  verdana.setBold(true);
  verdana.setPixelSize(17);
  lblTitle->setFont(verdana);
  lblTitle->setGeometry(40, 6, 230, 21);

  gbParams = new QGroupBox(QStringLiteral("параметры"), this);
  gbParams->setObjectName(QStringLiteral("gbParams"));
  gbParams->setGeometry(0, 32, 277, 161);

  panProgress = new QFrame(this);
  panProgress->setObjectName(QStringLiteral("panProgress"));
  panProgress->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panProgress->setGeometry(2, 196, 225, 21);
  gProgress = new TGauge(panProgress);
  gProgress->setGeometry(1, 1, 223, 19);

  btnCancel = glyph_button(this, "btnCancel", cancel_glyph(), 229, 196);
  btnCancel->setToolTip(QStringLiteral("Отмена"));
  btnOk = glyph_button(this, "btnOk", ok_glyph(), 253, 196);
  btnOk->setToolTip(QStringLiteral("OK"));
  connect(btnCancel, &QToolButton::clicked, this, [this] { btnCancelClick(); });
  btnCancel->installEventFilter(this);
  btnOk->installEventFilter(this);

  pass_.stride = static_cast<uint32_t>(clock_stride);
  pass_.step = [this] { AdvanceProgress(clock_stride); };
  events_at_ms_ = coarse_now_ms();
}

TPelorin_Plugin::TPelorin_Plugin(QWidget* owner, const dialog_frame& frame)
    : TPelorin_Plugin(owner) {
  setObjectName(QString::fromLatin1(frame.name));
  setWindowTitle(QString::fromUtf8(frame.caption));
  lblTitle->setText(QString::fromLatin1(frame.title));
  imgLogo->setPixmap(program_logo(imgLogo->width()));
  GrowFrame(frame.extra_width, frame.extra_height);
  if (frame.scope != scope_place::none) {
    fSelect = new Tfr_select(gbParams);
    fSelect->setObjectName(QStringLiteral("fSelect"));
    constexpr int top = 14;  // below the group's caption
    fSelect->move(0,
                  frame.scope == scope_place::top ? top : gbParams->height() - fSelect->height());
    scope_last_in_tab_order_ = frame.scope == scope_place::bottom;
  }
  connect(btnOk, &QToolButton::clicked, this, [this] { btnOkClick(); });
}

TPelorin_Plugin::~TPelorin_Plugin() = default;

void TPelorin_Plugin::btnOkClick() {
  RunPassAndClose();
}

void TPelorin_Plugin::InitRange() {
  position_ = store_->begin();
  end_ = store_->end();
}

void TPelorin_Plugin::InitProgress() {
  show_progress_ = store_->size() > progress_threshold;
  SetGauge(static_cast<qint64>(store_->size()), 0);
}

void TPelorin_Plugin::DeletePaket(xpaket* p) {
  pass_.delete_paket(p);
}

void TPelorin_Plugin::StepProgress() {
  AdvanceProgress(1);
}

void TPelorin_Plugin::AdvanceProgress(qint64 packets) {
  if (!show_progress_) return;
  const qint64 before = gauge_position_;
  gauge_position_ += packets;
  // Reading the clock costs little, but not nothing: look at it every clock_stride packets.
  if (before / clock_stride == gauge_position_ / clock_stride ||
      coarse_now_ms() - events_at_ms_ < event_interval_ms_) {
    return;
  }
  gProgress->setValue(gauge_position_);
  QCoreApplication::processEvents();
  events_at_ms_ = coarse_now_ms();
}

PLUGIN_RESULT TPelorin_Plugin::Execute(uint16_t command, PAKETS& store) {
  command_ = command;
  store_ = &store;
  InitRange();
  InitProgress();
  if (Prepare()) RunModal();
  return pass_.result;
}

std::optional<uint32_t> TPelorin_Plugin::CurrentPacket() const {
  if (grid_ == nullptr || store_ == nullptr) return std::nullopt;
  const int row = grid_->currentRow();
  if (row < 1 || static_cast<size_t>(row) > store_->size()) return std::nullopt;
  return static_cast<uint32_t>(row - 1);
}

std::optional<uint32_t> TPelorin_Plugin::CurrentByte() const {
  if (grid_ == nullptr) return std::nullopt;
  const int column = grid_->currentColumn();
  if (column < 1) return std::nullopt;
  return static_cast<uint32_t>(column - 1);
}

std::optional<byte_range> TPelorin_Plugin::MarkedBytes() const {
  if (grid_ == nullptr) return std::nullopt;
  const int first = grid_->rangeFirst();
  const int last = grid_->rangeLast();
  if (first < 1 || last < first) return std::nullopt;
  return byte_range{static_cast<uint32_t>(first - 1), static_cast<uint32_t>(last - 1)};
}

void TPelorin_Plugin::GrowParams(int extra) {
  GrowFrame(0, extra);
}

void TPelorin_Plugin::GrowFrame(int extra_width, int extra_height) {
  setFixedSize(width() + extra_width, height() + extra_height);
  gbParams->resize(gbParams->width() + extra_width, gbParams->height() + extra_height);
  // The gauge keeps the left of the bottom row and takes the new width; Cancel and OK keep the
  // right.
  panProgress->setGeometry(panProgress->x(), panProgress->y() + extra_height,
                           panProgress->width() + extra_width, panProgress->height());
  gProgress->resize(gProgress->width() + extra_width, gProgress->height());
  for (QWidget* w : {static_cast<QWidget*>(btnCancel), static_cast<QWidget*>(btnOk)}) {
    w->move(w->x() + extra_width, w->y() + extra_height);
  }
}

void TPelorin_Plugin::PutScopeLastInTabOrder() {
  QWidget* last = nullptr;
  std::vector<QWidget*> in_scope;
  for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
    if (w->focusPolicy() == Qt::NoFocus) continue;
    if (fSelect->isAncestorOf(w)) {
      in_scope.push_back(w);
    } else {
      last = w;
    }
  }
  if (last == nullptr) return;
  for (QWidget* w : in_scope) {
    setTabOrder(last, w);
    last = w;
  }
}

void TPelorin_Plugin::AddStartControl(QWidget* control) {
  start_controls_.push_back(control);
}

std::optional<int> TPelorin_Plugin::RunPass() {
  // A click that reached us from inside a pass's event processing starts nothing.
  if (working_) return std::nullopt;
  btnOk->setEnabled(false);
  for (QWidget* w : start_controls_) w->setEnabled(false);
  working_ = true;
  int processed = 0;
  try {
    processed = ProcessAndSettle();
  } catch (...) {
    working_ = false;
    btnOk->setEnabled(true);
    for (QWidget* w : start_controls_) w->setEnabled(true);
    throw;
  }
  working_ = false;
  btnOk->setEnabled(true);
  for (QWidget* w : start_controls_) w->setEnabled(true);
  if (pending_result_) {
    done(*std::exchange(pending_result_, std::nullopt));
    return std::nullopt;
  }
  return processed;
}

void TPelorin_Plugin::RunPassAndClose() {
  const std::optional<int> processed = RunPass();
  if (!processed) return;
  done(*processed != 0 ? Accepted : Rejected);
}

int TPelorin_Plugin::RunModal() {
  events_at_ms_ = coarse_now_ms();
  if (installed_modal_hook) return installed_modal_hook(*this);
  return exec();
}

bool TPelorin_Plugin::event(QEvent* e) {
  if (e->type() == QEvent::Polish && std::exchange(scope_last_in_tab_order_, false)) {
    PutScopeLastInTabOrder();
  }
  const bool handled = QDialog::event(e);
  if (!start_on_activation_) return handled;
  if (e->type() == QEvent::WindowActivate) {
    FormActivate();
  } else if (e->type() == QEvent::Show) {
    // Without a window manager the window may never be activated: start from the show as well.
    QTimer::singleShot(0, this, [this] { FormActivate(); });
  }
  return handled;
}

void TPelorin_Plugin::showEvent(QShowEvent* e) {
  if (focusWidget() == nullptr) {
    const std::vector<QWidget*> stops = tab_stops(*this);
    if (!stops.empty()) stops.front()->setFocus(Qt::TabFocusReason);
  }
  QDialog::showEvent(e);
}

namespace {

// A button that does something of its own when pressed, rather than choosing a state.
bool is_push_button(const QWidget* w) {
  if (qobject_cast<const QPushButton*>(w) != nullptr) return true;
  const auto* tool = qobject_cast<const QToolButton*>(w);
  return tool != nullptr && !tool->isCheckable();
}

}  // namespace

bool TPelorin_Plugin::focusNextPrevChild(bool next) {
  QWidget* to = next_tab_stop(*this, focusWidget(), next);
  if (to == nullptr) return QDialog::focusNextPrevChild(next);
  to->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
}

void TPelorin_Plugin::keyPressEvent(QKeyEvent* e) {
  if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
      (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    QWidget* focused = focusWidget();
    if (focused != nullptr && focused != btnOk && is_push_button(focused) && focused->isEnabled()) {
      static_cast<QAbstractButton*>(focused)->click();
    } else if (btnOk->isVisible() && btnOk->isEnabled()) {
      btnOk->click();
    }
    e->accept();
    return;
  }
  QDialog::keyPressEvent(e);
}

void TPelorin_Plugin::FormActivate() {
  if (!start_on_activation_ || started_ || !ReadyToStart()) return;
  started_ = true;
  working_ = true;
  ProcessAndSettle();
  working_ = false;
  if (pending_result_) {
    done(*pending_result_);
  } else {
    AfterWork();
  }
}

void TPelorin_Plugin::done(int result) {
  if (working_) {
    pass_.running = false;
    pending_result_ = result;
    return;
  }
  Closing();
  if (close_press_clock_.isValid()) {
    const qint64 left =
        QGuiApplication::styleHints()->mouseDoubleClickInterval() - close_press_clock_.elapsed();
    if (left > 0) swallow_second_click(close_press_at_, static_cast<int>(left));
  }
  QDialog::done(result);
}

bool TPelorin_Plugin::eventFilter(QObject* watched, QEvent* e) {
  if ((watched == btnOk || watched == btnCancel) && e->type() == QEvent::MouseButtonPress) {
    close_press_at_ = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
    close_press_clock_.start();
  }
  return QDialog::eventFilter(watched, e);
}

void TPelorin_Plugin::btnCancelClick() {
  pass_.running = false;
  reject();
}

int TPelorin_Plugin::ProcessAndSettle() {
  struct settle {
    TPelorin_Plugin& dialog;
    ~settle() {
      if (dialog.show_progress_) dialog.gauge_position_ += dialog.pass_.pending_steps();
      dialog.pass_.drop_pending_steps();
    }
  } const settled{*this};
  // Records freed by the pass merge into the heap as they go, not in a sweep at an event break.
  const heap_merging_scope merging;
  // The interval counts from the start of the pass: a pass shorter than it runs without a
  // round of events, however long the window stood before OK.
  events_at_ms_ = coarse_now_ms();
  return Process();
}

void TPelorin_Plugin::SetGauge(qint64 maximum, qint64 position) {
  pass_.drop_pending_steps();
  gauge_position_ = position;
  gProgress->setMaximum(maximum);
  gProgress->setValue(position);
}

scoped_modal_hook::scoped_modal_hook(modal_hook hook)
    : previous_(std::exchange(installed_modal_hook, std::move(hook))) {}

scoped_modal_hook::~scoped_modal_hook() {
  installed_modal_hook = std::move(previous_);
}
