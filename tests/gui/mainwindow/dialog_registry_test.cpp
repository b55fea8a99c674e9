// Every operation dialog of the registry: from the keyboard alone Tab walks every enabled control
// in reading order and comes round to the first, and Enter runs the pass; every text can be read
// whole at the dialog's font.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "gui/grid/packet_grid.h"
#include "gui/mainwindow/main_window.h"
#include "gui/operations/registry.h"
#include "gui/ui_capture.h"

namespace {

// Whether the button is one of a group of which one is checked at a time.
bool in_exclusive_group(const QAbstractButton* b) {
  if (!b->isCheckable()) return false;
  return b->group() != nullptr ? b->group()->exclusive() : b->autoExclusive();
}

// Where Tab should stop: the controls a user works with, visible and enabled, whatever focus they
// take; of a group of exclusive buttons the checked one (the arrows move within the group).
std::vector<QWidget*> tab_stops_of(QWidget& dialog) {
  std::vector<QWidget*> stops;
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    const auto* button = qobject_cast<QAbstractButton*>(w);
    const bool input = button != nullptr || qobject_cast<QAbstractSpinBox*>(w) != nullptr ||
                       qobject_cast<QComboBox*>(w) != nullptr ||
                       qobject_cast<QAbstractItemView*>(w) != nullptr ||
                       (qobject_cast<QLineEdit*>(w) != nullptr && w->focusProxy() == nullptr);
    // The parts of a list (its corner button, say) belong to the list.
    const bool part_of_list = qobject_cast<QAbstractItemView*>(w->parentWidget()) != nullptr;
    if (!input || part_of_list || !w->isVisibleTo(&dialog) || !w->isEnabled()) continue;
    if (button != nullptr && in_exclusive_group(button) && !button->isChecked()) continue;
    stops.push_back(w);
  }
  return stops;
}

// Whether b comes after a when the window is read line by line, left to right: to the right of a
// beside it, or below it.
bool reads_after(QWidget& dialog, const QWidget* a, const QWidget* b) {
  const QRect ra(a->mapTo(&dialog, QPoint(0, 0)), a->size());
  const QRect rb(b->mapTo(&dialog, QPoint(0, 0)), b->size());
  const bool beside = rb.top() <= ra.bottom() && ra.top() <= rb.bottom();
  return beside ? rb.left() > ra.left() : rb.top() > ra.bottom();
}

QString name_of(const QWidget* w) {
  return w == nullptr ? QStringLiteral("(none)") : w->objectName();
}

std::string names_of(const std::vector<QWidget*>& widgets) {
  QStringList names;
  for (const QWidget* w : widgets) names << name_of(w);
  return names.join(QLatin1Char(' ')).toStdString();
}

// Sets the fields a pass needs beyond their defaults.
using preparation = std::function<void(QWidget& dialog)>;

template <typename T>
T* find(QWidget& dialog, const char* name) {
  return dialog.findChild<T*>(QString::fromLatin1(name));
}

const std::map<int, preparation> preparations = {
    {op_edit, [](QWidget& d) { find<QComboBox>(d, "cbVal")->setEditText(QStringLiteral("7")); }},
    {op_search, [](QWidget& d) { find<QLineEdit>(d, "edVal")->setText(QStringLiteral("A")); }},
    {op_sort,
     [](QWidget& d) {
       // Enter in the condition's value field accepts the condition and leaves the dialog open.
       auto* value = find<QSpinBox>(d, "edVal");
       value->setFocus();
       QTest::keyClick(value, Qt::Key_Return);
       EXPECT_TRUE(d.isVisible());
     }},
};

// Opens every dialog of the processing menu once through its menu item on the same small signal
// (packets "A" 0, "A" 1, ... of four bytes, half of them red; columns 2 and 3 marked) and hands
// it to `check` while it is shown.
void for_each_dialog(const std::function<void(const operation_row&, TPelorin_Plugin&)>& check) {
  ui_capture ui;
  TfMain main;
  main.show();
  std::set<int> seen;
  for (const operation_row& command : operation_rows()) {
    if (command.menu != command_menu::processing || command.code != 0 ||
        !seen.insert(command.index).second) {
      continue;
    }
    SCOPED_TRACE(command.command.name);
    main.grid()->setStore(nullptr);
    unload_store(main.store());
    main.grid()->setStore(&main.store());
    for (int i = 0; i < 6; ++i) {
      const uint8_t bytes[] = {0x41, static_cast<uint8_t>(i), 7, 9};
      auto* p = new xpaket(bytes, sizeof bytes);
      p->colour = i % 2 == 0 ? 0x0000FF : colour_white;
      main.store().append(p);
    }
    main.grid()->RecountPackets();
    main.grid()->setColumnRange(2, 3);
    main.grid()->setCurrentCell(1, 1);
    int shown = 0;
    ui.on_show = [&](TPelorin_Plugin& d) {
      ++shown;
      d.activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
      check(command, d);
      if (d.isVisible()) d.reject();
    };
    main.findChild<QAction*>(QString::fromLatin1(command.command.name))->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ui.messages.size(), 0u) << ui.last_text().toStdString();
    ui.messages.clear();
  }
  main.SetSaved(true);
}

// Where the contents of a titled group box begin, below its caption and frame line, in the box's
// coordinates; nothing for a box without a title, whose frame runs along its edge.
std::optional<int> contents_top_of(const QGroupBox& box) {
  if (box.title().isEmpty()) return std::nullopt;
  QStyleOptionGroupBox option;
  option.initFrom(&box);
  option.text = box.title();
  option.lineWidth = 1;
  option.textAlignment = box.alignment();
  option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
  return box.style()
      ->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, &box)
      .top();
}

TEST(DialogKeyboard, TabWalksEveryControlInReadingOrderAndEnterRunsThePass) {
  for_each_dialog([](const operation_row& command, TPelorin_Plugin& d) {
    const std::vector<QWidget*> inputs = tab_stops_of(d);
    ASSERT_FALSE(inputs.empty());
    // Tab as many times as there are stops: every one once, in reading order but for the one
    // step that wraps from the last to the first.
    std::vector<QWidget*> walk{QApplication::focusWidget()};
    for (size_t i = 0; i < inputs.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      walk.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(walk.front(), walk.back());
    EXPECT_EQ(std::set<QWidget*>(walk.begin(), walk.end()),
              std::set<QWidget*>(inputs.begin(), inputs.end()))
        << names_of(walk) << " / " << names_of(inputs);
    int wraps = 0;
    for (size_t i = 1; i < walk.size(); ++i) {
      if (walk[i - 1] == nullptr || walk[i] == nullptr) continue;
      if (!reads_after(d, walk[i - 1], walk[i])) {
        ++wraps;
        EXPECT_EQ(i, walk.size() - 1)
            << name_of(walk[i - 1]).toStdString() << " -> " << name_of(walk[i]).toStdString();
      }
    }
    EXPECT_EQ(wraps, 1);

    if (const auto prepare = preparations.find(command.index); prepare != preparations.end()) {
      prepare->second(d);
    }
    // Enter from the first field, or from a button where the dialog has no field.
    const auto field = std::find_if(walk.begin(), walk.end(), [](QWidget* w) {
      return w != nullptr && qobject_cast<QAbstractButton*>(w) == nullptr;
    });
    QWidget* from = field != walk.end() ? *field : walk.front();
    from->setFocus();
    QTest::keyClick(from, Qt::Key_Return);
    // The search raises no counter: its pass shows in the close with OK.
    EXPECT_TRUE(command.index == op_search ? d.result() == QDialog::Accepted
                                           : d.pluginResult().processed > 0);
  });
}

TEST(DialogTexts, EveryLabelAndCaptionFitsItsControlBelowItsGroupsCaption) {
  for_each_dialog([](const operation_row&, TPelorin_Plugin& d) {
    for (QWidget* w : d.findChildren<QWidget*>()) {
      if (!w->isVisible()) continue;
      QString text;
      int room = 0;
      if (auto* label = qobject_cast<QLabel*>(w)) {
        text = label->text();
        room = label->contentsRect().width();
      } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        text = button->text();
        room = button->width() -
               (button->sizeHint().width() - button->fontMetrics().horizontalAdvance(text));
      }
      if (text.isEmpty()) continue;
      const QFontMetrics metrics = w->fontMetrics();
      EXPECT_LE(metrics.horizontalAdvance(text), room) << text.toStdString();
      // The text's line, centred in its control, below the caption and the frame line of the
      // group it is in.
      for (QWidget* up = w->parentWidget(); up != nullptr && up != &d; up = up->parentWidget()) {
        auto* box = qobject_cast<QGroupBox*>(up);
        if (box == nullptr) continue;
        if (const std::optional<int> contents = contents_top_of(*box)) {
          const int top = w->mapTo(box, QPoint(0, (w->height() - metrics.height()) / 2)).y();
          EXPECT_GE(top, *contents) << text.toStdString();
        }
        break;
      }
    }
  });
}

}  // namespace
