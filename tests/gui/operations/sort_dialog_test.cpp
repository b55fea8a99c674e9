#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

#include <string>
#include <vector>

#include "gui/dialogs/colors_frame.h"
#include "gui/dialogs/select_frame.h"
#include "gui/dialogs/sort_frame.h"
#include "gui/operations/sort_dialog.h"
#include "gui/ui_capture.h"
#include "gui/widget_lookup.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using colours = std::vector<uint32_t>;
using row_texts = std::vector<QString>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t white = colour_white;

colours colours_of(test_store& s) {
  colours all;
  for (const auto& [number, p] : s.store) all.push_back(p->colour);
  return all;
}

// Drives the frame as the user does: picks the element, types position, operator and value,
// presses "принять условие".
struct editor {
  explicit editor(QWidget& frame)
      : elem(child<QComboBox>(frame, "cbElem")),
        pos(child<QSpinBox>(frame, "edPos")),
        op(child<QComboBox>(frame, "cbOp")),
        val(child<QSpinBox>(frame, "edVal")),
        add(child<QToolButton>(frame, "btnAdd")),
        edit(child<QToolButton>(frame, "btnEdit")),
        del(child<QToolButton>(frame, "btnDel")),
        grid(child<QTableWidget>(frame, "tGrid")) {}

  void choose_element(int index) {
    elem->setCurrentIndex(index);
    emit elem->activated(index);
  }
  void add_byte(int position, int op_index, int value) {
    choose_element(0);
    pos->setValue(position);
    op->setCurrentIndex(op_index);
    val->setValue(value);
    add->click();
  }
  void add_bit(int position, int value) {
    choose_element(1);
    pos->setValue(position);
    val->setValue(value);
    add->click();
  }
  [[nodiscard]] row_texts row(int r) const {
    row_texts texts;
    for (int c = 0; c < grid->columnCount(); ++c) {
      const QTableWidgetItem* item = grid->item(r, c);
      texts.push_back(item != nullptr ? item->text() : QString());
    }
    return texts;
  }

  QComboBox* elem;
  QSpinBox* pos;
  QComboBox* op;
  QSpinBox* val;
  QToolButton* add;
  QToolButton* edit;
  QToolButton* del;
  QTableWidget* grid;
};

const row_texts empty_row(5);

}  // namespace

TEST(SortFrame, ControlsCaptionsAndHints) {
  Tfr_sort frame;
  editor e(frame);
  ASSERT_EQ(e.elem->count(), 2);
  EXPECT_EQ(e.elem->itemText(0), QStringLiteral("байт"));
  EXPECT_EQ(e.elem->itemText(1), QStringLiteral("бит"));
  EXPECT_EQ(e.elem->currentIndex(), 0);
  EXPECT_EQ(e.add->toolTip(), QStringLiteral("принять условие"));
  EXPECT_EQ(e.edit->toolTip(), QStringLiteral("редактировать условие"));
  EXPECT_EQ(e.del->toolTip(), QStringLiteral("удалить условие"));
  QStringList labels;
  for (const QLabel* l : frame.findChildren<QLabel*>()) labels << l->text();
  EXPECT_TRUE(labels.contains(QStringLiteral("условие сортировки:")));
  EXPECT_TRUE(labels.contains(QStringLiteral("все условия сортировки:")));
  EXPECT_EQ(e.pos->minimum(), 0);
  EXPECT_EQ(e.val->minimum(), 0);
  // The grid: five columns, one empty row, whole rows selected.
  EXPECT_EQ(e.grid->columnCount(), 5);
  EXPECT_EQ(e.grid->rowCount(), 1);
  EXPECT_EQ(e.grid->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(e.grid->rowHeight(0), 18);
}

TEST(SortFrame, EveryCellShowsItsWholeTextInTheDialogsFont) {
  TfSigSort dialog(nullptr);
  dialog.show();
  editor e(*dialog.findChild<Tfr_sort*>());
  // "байт", a long position, the longest operator.
  e.add_byte(1500, 1, 255);
  e.add_bit(9, 1);
  const QFontMetrics metrics = e.grid->fontMetrics();
  // The style leaves a margin on both sides of a cell's text and elides what does not fit between.
  // The grid line takes the last pixel of a cell.
  const int margins =
      2 * (e.grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, e.grid) + 1) +
      (e.grid->showGrid() ? 1 : 0);
  for (int c = 0; c < 5; ++c) {
    for (int r = 0; r < 2; ++r) {
      const QString text = e.grid->item(r, c)->text();
      EXPECT_LE(metrics.horizontalAdvance(text) + margins, e.grid->columnWidth(c))
          << text.toStdString();
    }
  }
}

TEST(SortFrame, ElementChoiceRefillsOperatorsAndValueRange) {
  Tfr_sort frame;
  editor e(frame);
  const auto check_bytes = [&] {
    ASSERT_EQ(e.op->count(), 4);
    const char* texts[] = {"равен", "не равен", "меньше", "больше"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(e.op->itemText(i), QString::fromUtf8(texts[i]));
    EXPECT_EQ(e.op->currentIndex(), 0);
    EXPECT_EQ(e.val->value(), 1);
    EXPECT_EQ(e.val->maximum(), 255);
    EXPECT_FALSE(e.val->findChild<QLineEdit*>()->isReadOnly());
  };
  check_bytes();
  e.choose_element(1);
  ASSERT_EQ(e.op->count(), 1);
  EXPECT_EQ(e.op->itemText(0), QStringLiteral("равен"));
  EXPECT_EQ(e.val->value(), 0);
  EXPECT_EQ(e.val->maximum(), 1);
  EXPECT_TRUE(e.val->findChild<QLineEdit*>()->isReadOnly());
  e.val->stepUp();  // the arrows still work
  EXPECT_EQ(e.val->value(), 1);
  e.choose_element(0);
  check_bytes();
}

TEST(SortFrame, AddEditAndDelete) {
  Tfr_sort frame;
  editor e(frame);
  frame.SetPosition(5);
  e.add_byte(5, 1, 7);  // from 5 on, the position moves by itself
  e.choose_element(1);
  e.val->setValue(1);
  e.add->click();
  e.op->setCurrentIndex(3);
  e.val->setValue(200);
  e.add->click();  // the element stays "бит" and the operator list "равен" only
  EXPECT_EQ(e.pos->value(), 8);
  ASSERT_EQ(e.grid->rowCount(), 4);
  EXPECT_EQ(e.row(0), (row_texts{"условие 1:", "байт", "5", "не равен", "7"}));
  EXPECT_EQ(e.row(1), (row_texts{"условие 2:", "бит", "6", "равен", "1"}));
  EXPECT_EQ(e.row(2), (row_texts{"условие 3:", "бит", "7", "равен", "1"}));
  EXPECT_EQ(e.row(3), empty_row);
  ASSERT_EQ(frame.Clauses().size(), 3u);
  EXPECT_EQ(frame.Clauses()[0],
            (xsort_clause{clause_element::byte, clause_operator::not_equal, 5, 7}));
  EXPECT_EQ(frame.Clauses()[2], (xsort_clause{clause_element::bit, clause_operator::equal, 7, 1}));

  // Loading the byte condition into the editor brings its operators back; the list stays.
  e.grid->setCurrentCell(0, 2);
  e.edit->click();
  EXPECT_EQ(e.elem->currentIndex(), 0);
  EXPECT_EQ(e.op->count(), 4);
  EXPECT_EQ(e.op->currentIndex(), 1);
  EXPECT_EQ(e.pos->value(), 5);
  EXPECT_EQ(e.val->value(), 7);
  EXPECT_EQ(frame.Clauses().size(), 3u);
  // Loading a bit condition: the bit's operator and value range.
  e.grid->setCurrentCell(1, 0);
  e.edit->click();
  EXPECT_EQ(e.elem->currentIndex(), 1);
  EXPECT_EQ(e.op->count(), 1);
  EXPECT_EQ(e.val->maximum(), 1);
  EXPECT_EQ(e.val->value(), 1);
  EXPECT_EQ(e.pos->value(), 6);
  // The empty row loads nothing and deletes nothing.
  e.grid->setCurrentCell(3, 0);
  e.edit->click();
  EXPECT_EQ(e.pos->value(), 6);
  e.del->click();
  EXPECT_EQ(frame.Clauses().size(), 3u);

  // Deleting the second renumbers the third.
  e.grid->setCurrentCell(1, 0);
  e.del->click();
  ASSERT_EQ(e.grid->rowCount(), 3);
  EXPECT_EQ(e.row(0), (row_texts{"условие 1:", "байт", "5", "не равен", "7"}));
  EXPECT_EQ(e.row(1), (row_texts{"условие 2:", "бит", "7", "равен", "1"}));
  EXPECT_EQ(e.row(2), empty_row);
  ASSERT_EQ(frame.Clauses().size(), 2u);
  EXPECT_EQ(frame.Clauses()[1].position, 7u);
}

TEST(SortFrame, AClickIntoTheGridLoadsTheRow) {
  Tfr_sort frame;
  frame.show();
  editor e(frame);
  e.add_byte(3, 2, 40);
  e.add_byte(9, 0, 1);
  const QRect cell = e.grid->visualRect(e.grid->model()->index(0, 1));
  QTest::mouseClick(e.grid->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(e.pos->value(), 3);
  EXPECT_EQ(e.op->currentIndex(), 2);
  EXPECT_EQ(e.val->value(), 40);
  EXPECT_EQ(frame.Clauses().size(), 2u);
}

TEST(SortDialog, BuildsAListThroughTheFrameAndColoursTheMatches) {
  ui_capture ui;
  // Byte 1 = 69 and byte 3 <= 10 and bit 9 = 1 (second byte odd).
  test_store s({{69, 1, 10}, {69, 2, 10}, {69, 3, 11}, {68, 3, 0}, {69, 5}, {69, 7, 0, 0}},
               {white, white, white, white, white, blue});
  TfSigSort dialog(nullptr);
  ui.on_show = [&](TPelorin_Plugin& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("отбор по значениям"));
    EXPECT_EQ(child<QLabel>(d, "lblTitle")->text(), QStringLiteral("SIGSort"));
    EXPECT_NE(d.findChild<Tfr_select*>(QStringLiteral("fSelect")), nullptr);
    auto* frame = d.findChild<Tfr_sort*>(QStringLiteral("fSorter"));
    ASSERT_NE(frame, nullptr);
    auto* fColors = d.findChild<Tfr_colors*>(QStringLiteral("fColors"));
    ASSERT_NE(fColors, nullptr);
    EXPECT_EQ(fColors->ChosenColour(), red);
    editor e(*frame);
    e.add_byte(1, 0, 69);
    e.add_byte(3, 2, 10);
    e.add_bit(9, 1);
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  EXPECT_EQ(colours_of(s), (colours{red, white, white, white, white, red}));
  EXPECT_EQ(result.recoloured, 2);
  EXPECT_EQ(result.processed, 6);
  EXPECT_FALSE(marks_unsaved(result));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(ui.messages.empty());
}

TEST(SortDialog, ScopeAndColourApply) {
  ui_capture ui;
  test_store s({{1}, {1}, {1}, {2}}, {white, red, blue, white});
  TfSigSort dialog(nullptr);
  ui.on_show = [&](TPelorin_Plugin& d) {
    editor e(*d.findChild<Tfr_sort*>(QStringLiteral("fSorter")));
    e.add_byte(1, 0, 1);
    auto* scope_frame = d.findChild<Tfr_select*>(QStringLiteral("fSelect"));
    child<QRadioButton>(*scope_frame, "rbUnselectedPakets")->click();
    d.findChild<Tfr_colors*>(QStringLiteral("fColors"))->Choose(blue);
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  EXPECT_EQ(colours_of(s), (colours{blue, red, blue, white}));
  EXPECT_EQ(result.recoloured, 1);
}

TEST(SortDialog, OkWithNoConditionClosesWithNothingChanged) {
  ui_capture ui;
  test_store s(std::vector<bytes>{{1}, {2}});
  TfSigSort dialog(nullptr);
  ui.on_show = [&](TPelorin_Plugin& d) { child<QToolButton>(d, "btnOk")->click(); };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  EXPECT_EQ(colours_of(s), (colours{white, white}));
  EXPECT_EQ(result.processed, 0);
  EXPECT_EQ(result.recoloured, 0);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(ui.messages.empty());
}

TEST(SortDialog, CancelDuringALongPassKeepsTheRestUncoloured) {
  ui_capture ui;
  test_store s(std::vector<bytes>(20000, bytes{1, 2}));
  TfSigSort dialog(nullptr);
  dialog.setEventInterval(0);
  ui.on_show = [&](TPelorin_Plugin& d) {
    editor e(*d.findChild<Tfr_sort*>(QStringLiteral("fSorter")));
    e.add_byte(2, 0, 2);
    QTimer::singleShot(0, &d, [&d] { child<QToolButton>(d, "btnCancel")->click(); });
    child<QToolButton>(d, "btnOk")->click();
  };
  const PLUGIN_RESULT result = dialog.Execute(0, s.store);
  ASSERT_GT(result.processed, 0);
  ASSERT_LT(result.processed, 20000);
  EXPECT_EQ(result.recoloured, result.processed);
  const colours after = colours_of(s);
  for (size_t i = 0; i < after.size(); ++i) {
    ASSERT_EQ(after[i], i < static_cast<size_t>(result.processed) ? red : white) << i;
  }
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
}
