#include "gui/operations/demux_dialog.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QScopeGuard>

#include "gui/dialogs/message_box.h"
#include "gui/dialogs/select_frame.h"
#include "gui/grid/packet_grid.h"

namespace {

QRadioButton* radio(QWidget* parent, const char* name, const QString& text, int y) {
  auto* button = new QRadioButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(8, y, 262, 17);
  return button;
}

}  // namespace

TfSigDemux::TfSigDemux(QWidget* owner)
    : TPelorin_Plugin(owner, {.name = "TfSigDemux",
                              .caption = "демультиплексор",
                              .title = "SIGDemux",
                              .scope = scope_place::bottom}) {
  rbLeave = radio(gbParams, "rbLeave", QStringLiteral("оставить выделенные столбцы"), 18);
  rbDel = radio(gbParams, "rbDel", QStringLiteral("оставить все столбцы кроме выделенных"), 40);
  rbLeave->setChecked(true);
}

QString TfSigDemux::no_columns_text() {
  return QStringLiteral("Необходимо выделить столбцы.    ");
}

bool TfSigDemux::Prepare() {
  const std::optional<byte_range> marked = MarkedBytes();
  if (!marked) {
    show_warning(parentWidget(), no_columns_text());
    return false;
  }
  range_ = *marked;
  return true;
}

int TfSigDemux::Process() {
  {
    // Until the pass has renumbered the store, entries behind the walk may name packets already
    // destroyed: the grid must not paint from it while the gauge lets events in.
    TPacketGrid* view = grid();
    if (view != nullptr) view->setUpdatesEnabled(false);
    const auto repaint_later = qScopeGuard([view] {
      if (view != nullptr) view->setUpdatesEnabled(true);
    });
    demux(*store_, fSelect->Scope(), {rbLeave->isChecked(), range_.first, range_.last}, pass_);
  }
  if (grid() != nullptr) grid()->setColumnRange(0, 0);
  return 1;
}
