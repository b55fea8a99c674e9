#include "gui/operations/demux_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScopeGuard>

#include <algorithm>
#include <climits>

#include "gui/dialogs/fields.h"
#include "gui/dialogs/message_box.h"
#include "gui/dialogs/select_frame.h"
#include "gui/grid/packet_grid.h"

namespace {

// The parameter group grows by one line for the marked columns.
constexpr int range_row_height = 18;

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
                              // A line more for the marked columns.
                              .extra_height = range_row_height,
                              .scope = scope_place::bottom}) {
  rbLeave = radio(gbParams, "rbLeave", QStringLiteral("оставить выделенные столбцы"), 18);
  rbDel = radio(gbParams, "rbDel", QStringLiteral("оставить все столбцы кроме выделенных"), 40);
  rbLeave->setChecked(true);
  lblRange = add_label(gbParams, QString(), 8, 62, 262);
  lblRange->setObjectName(QStringLiteral("lblRange"));
}

QString TfSigDemux::no_columns_text() {
  return QStringLiteral("Необходимо выделить столбцы.    ");
}

QString TfSigDemux::range_text(int first, int last) {
  if (first == last) return QStringLiteral("выделен столбец %1").arg(first);
  return QStringLiteral("выделены столбцы с %1 по %2").arg(first).arg(last);
}

bool TfSigDemux::Prepare() {
  const std::optional<byte_range> marked = MarkedBytes();
  if (!marked) {
    show_warning(parentWidget(), no_columns_text());
    return false;
  }
  range_ = *marked;
  lblRange->setText(range_text(static_cast<int>(std::min<uint32_t>(range_.first, INT_MAX - 1)) + 1,
                               static_cast<int>(std::min<uint32_t>(range_.last, INT_MAX - 1)) + 1));
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
