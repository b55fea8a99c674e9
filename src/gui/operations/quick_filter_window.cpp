#include "gui/operations/quick_filter_window.h"

#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QScopeGuard>
#include <QTimer>
#include <QToolButton>

#include "core/operations/quick_filter.h"
#include "gui/dialogs/gauge.h"
#include "gui/dialogs/glyphs.h"
#include "gui/grid/packet_grid.h"

TfSigInline::TfSigInline(QWidget* owner) : TPelorin_Plugin(owner) {
  setObjectName(QStringLiteral("TfSigInline"));
  StartOnActivation();
  setWindowTitle(QStringLiteral("отбор"));
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
  setFixedSize(281, 57);
  auto* bevel = new QFrame(this);
  bevel->setObjectName(QStringLiteral("Bevel1"));
  bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  bevel->setLineWidth(2);
  bevel->setGeometry(0, 0, 281, 57);
  bevel->lower();
  imgLogo->setPixmap(program_logo(24));
  imgLogo->setGeometry(6, 4, 24, 24);
  lblTitle->setText(QStringLiteral("Отбор..."));
  lblTitle->setGeometry(36, 5, 236, 21);
  gbParams->hide();
  btnOk->hide();
  panProgress->setGeometry(6, 31, 245, 21);
  gProgress->setGeometry(1, 1, 243, 19);
  btnCancel->move(253, 30);

  tTimer = new QTimer(this);
  tTimer->setObjectName(QStringLiteral("tTimer"));
  tTimer->setInterval(10);
  connect(tTimer, &QTimer::timeout, this, [this] { tTimerTimer(); });
}

TfSigInline::~TfSigInline() = default;

PLUGIN_RESULT TfSigInline::Execute(uint16_t command, PAKETS& store) {
  command_ = command;
  store_ = &store;
  InitRange();
  InitProgress();
  tTimer->start();
  RunModal();
  tTimer->stop();
  return pass_.result;
}

int TfSigInline::Process() {
  std::optional<quick_filter_params> params = quick_filter_from_command(command_);
  const std::optional<uint32_t> row = CurrentPacket();
  if (!params || !row || grid_ == nullptr) return 1;
  params->row = *row;
  params->column = CurrentByte().value_or(npos);
  // A filter with nothing to compare with leaves the signal and the view alone.
  if (!quick_filter_applies(*store_, *params)) return 1;
  TPacketGrid& grid = *grid_;
  {
    // Until the pass has renumbered the store, its entries past the kept packets may name
    // packets already destroyed: the grid must not paint from it while the gauge lets events in.
    grid.setUpdatesEnabled(false);
    const auto repaint_later = qScopeGuard([&grid] { grid.setUpdatesEnabled(true); });
    quick_filter(*store_, *params, pass_);
  }
  grid.setFirstVisibleRow(1);
  grid.setFirstVisibleColumn(1);
  return 1;
}

void TfSigInline::tTimerTimer() {
  if (started() && !pass_.running && !working()) accept();
}

void TfSigInline::Closing() {
  tTimer->stop();
  pass_.running = false;
}
