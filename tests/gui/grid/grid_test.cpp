#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "core/grid/grid_layout.h"
#include "gui/grid/grid_header.h"
#include "gui/grid/grid_model.h"
#include "gui/grid/packet_grid.h"

namespace {

using bytes = std::vector<uint8_t>;

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);
const QColor green(0, 128, 0);
const QColor black(0, 0, 0);
const QColor white(255, 255, 255);

class GridTest : public ::testing::Test {
 protected:
  GridTest() {
    grid.resize(720, 420);
    grid.setStore(&store);
    QObject::connect(&grid, &TPacketGrid::statusText,
                     [this](int panel, const QString& text) { status.emplace_back(panel, text); });
    grid.show();
  }
  ~GridTest() override { unload_store(store); }

  void load(const std::vector<bytes>& packets, const std::vector<uint32_t>& colours = {}) {
    for (size_t i = 0; i < packets.size(); ++i) {
      auto* p = new xpaket(packets[i].data(), static_cast<uint32_t>(packets[i].size()));
      if (i < colours.size()) p->colour = colours[i];
      store.append(p);
    }
    grid.RecountPackets();
  }

  void mode(view_mode m) { grid.SetViewMode(static_cast<int>(m)); }

  QImage shot() {
    QCoreApplication::processEvents();
    return grid.grab().toImage();
  }

  // A data cell's section in the grid's own coordinates (grid numbering: packet 0 is row 1).
  QRect cell(int column, int row) const {
    const QRect r = grid.visualRect(grid.gridModel()->index(row - 1, column - 1));
    return r.translated(grid.viewport()->mapTo(&grid, QPoint(0, 0)));
  }
  // Its painted area without the grid lines.
  QRect inner(int column, int row) const {
    const QRect s = cell(column, row);
    const cell_rect r =
        paint_rect(s.x(), s.y(), s.width(), s.height(), has_vertical_lines(grid.viewMode()));
    return {r.left, r.top, r.width(), r.height()};
  }
  QRect header_cell(int column) const {
    QHeaderView* h = grid.horizontalHeader();
    const QRect r(h->sectionViewportPosition(column - 1), 0, h->sectionSize(column - 1),
                  h->height());
    return r.translated(h->viewport()->mapTo(&grid, QPoint(0, 0)));
  }
  QRect fixed_cell(int row) const {
    QHeaderView* h = grid.verticalHeader();
    const QRect r(0, h->sectionViewportPosition(row - 1), h->width(), h->sectionSize(row - 1));
    return r.translated(h->viewport()->mapTo(&grid, QPoint(0, 0)));
  }
  QString text(int column, int row) const {
    return grid.gridModel()->index(row - 1, column - 1).data().toString();
  }

  PAKETS store;
  TPacketGrid grid;
  std::vector<std::pair<int, QString>> status;
};

QColor at(const QImage& image, QPoint p) {
  return image.pixelColor(p);
}

int count_colour(const QImage& image, const QRect& r, const QColor& c) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += image.pixelColor(x, y) == c ? 1 : 0;
  return n;
}

// Pixels that are neither of the two background colours: drawn text.
int count_ink(const QImage& image, const QRect& r, const QColor& background) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += image.pixelColor(x, y) != background ? 1 : 0;
  return n;
}

QColor button_face(const TPacketGrid& grid) {
  return grid.palette().color(QPalette::Button);
}

}  // namespace

TEST_F(GridTest, EmptyStoreIsAWhite256By256Grid) {
  grid.RecountPackets();
  EXPECT_EQ(grid.gridColumnCount(), 256);
  EXPECT_EQ(grid.gridRowCount(), 256);
  const std::vector<std::pair<int, QString>> expected = {
      {1, " выделение памяти..."}, {0, " всего пакетов - 0"}, {1, " длина мин: 1 -  макс: 0"}};
  EXPECT_EQ(status, expected);

  const QImage image = shot();
  EXPECT_EQ(at(image, inner(1, 1).center()), white);
  EXPECT_EQ(at(image, inner(3, 5).center()), white);
  // Even the fixed cell of a row past the last packet is white; the column numbers show.
  const QRect fixed = fixed_cell(1).adjusted(0, 0, -1, -1);
  EXPECT_EQ(count_colour(image, fixed, white), fixed.width() * fixed.height());
  EXPECT_GT(count_ink(image, header_cell(12).adjusted(0, 0, -1, -1), button_face(grid)), 0);
  EXPECT_EQ(grid.gridModel()->headerData(11, Qt::Horizontal, Qt::DisplayRole).toString(), "12");
}

TEST_F(GridTest, RecountTextsAndDimensions) {
  load({bytes(5), bytes(3), bytes(5), bytes(2)});
  const std::vector<std::pair<int, QString>> expected = {
      {1, " выделение памяти..."}, {0, " всего пакетов - 4"}, {1, " длина мин: 2 -  макс: 5"}};
  EXPECT_EQ(status, expected);
  EXPECT_EQ(grid.gridColumnCount(), 6);
  EXPECT_EQ(grid.gridRowCount(), 5);
  EXPECT_EQ(grid.gridModel()->headerData(1, Qt::Vertical, Qt::DisplayRole).toString(), "2  :  3");
}

TEST_F(GridTest, ZeroLengthPacketsKeepTheirColourAcrossTheRow) {
  load({bytes(), bytes()}, {0x0080FF, colour_white});
  EXPECT_EQ(grid.gridColumnCount(), 256);
  EXPECT_EQ(text(1, 1), "");
  const QImage image = shot();
  for (int column : {1, 2, 7}) {
    EXPECT_EQ(at(image, inner(column, 1).center()), QColor(255, 128, 0)) << column;
    EXPECT_EQ(at(image, inner(column, 2).center()), white) << column;
  }
}

TEST_F(GridTest, ByteTextsInEveryMode) {
  load({{0x41, 0x20, 0x00, 0xC0, 0xFF}});
  struct row {
    view_mode mode;
    std::vector<QString> texts;  // columns 1..5
  };
  const row table[] = {
      {view_mode::decimal, {"65", "32", "0", "192", "255"}},
      {view_mode::hexadecimal, {"41", "20", "00", "C0", "FF"}},
      {view_mode::binary, {"10000010", "00000100", "00000000", "00000011", "11111111"}},
      {view_mode::text, {"A", "", "", QString(QChar(0x0410)), QString(QChar(0x044F))}},
      {view_mode::pseudo, {"", "", "", "", ""}},
  };
  grid.setCurrentCell(5, 1);
  for (const row& r : table) {
    mode(r.mode);
    const QImage image = shot();
    for (int column = 1; column <= 5; ++column) {
      EXPECT_EQ(text(column, 1), r.texts[static_cast<size_t>(column - 1)])
          << static_cast<int>(r.mode) << " column " << column;
      if (r.mode == view_mode::pseudo || column == 5) continue;
      // What is drawn matches the text: ink for a text, a clean white cell for none.
      const int ink = count_ink(image, inner(column, 1), white);
      EXPECT_EQ(ink > 0, !r.texts[static_cast<size_t>(column - 1)].isEmpty())
          << static_cast<int>(r.mode) << " column " << column;
    }
  }
}

TEST_F(GridTest, PseudoGraphicStripesOf0x41) {
  load({{0x41, 0x41}});
  mode(view_mode::pseudo);
  const QImage image = shot();
  const QRect r = inner(1, 1);
  const int w = r.width() / 8;
  ASSERT_GT(w, 0);
  const QColor expected[8] = {green, black, black, black, black, black, green, black};
  for (int j = 0; j < 8; ++j) {
    EXPECT_EQ(at(image, QPoint(r.left() + j * w + w / 2, r.center().y())), expected[j]) << j;
  }
}

TEST_F(GridTest, FixedCellsPerMode) {
  load({{1, 2, 3}});
  mode(view_mode::decimal);
  QImage image = shot();
  const QColor face = button_face(grid);
  EXPECT_GT(count_ink(image, header_cell(2).adjusted(0, 0, -1, -1), face), 0);
  EXPECT_GT(count_ink(image, fixed_cell(1).adjusted(0, 0, -1, -1), face), 0);

  // The narrow columns of the text view show their numbers too, where they fit.
  mode(view_mode::text);
  image = shot();
  EXPECT_GT(count_ink(image, header_cell(2).adjusted(0, 0, -1, -1), face), 0);
  EXPECT_GT(count_ink(image, fixed_cell(1).adjusted(0, 0, -1, -1), face), 0);

  grid.setExpanded(true);
  mode(view_mode::pseudo);
  image = shot();
  EXPECT_EQ(grid.rowHeight(0), pseudo_row_height);
  EXPECT_GT(count_ink(image, header_cell(2).adjusted(0, 0, -1, -1), face), 0);
  EXPECT_EQ(count_ink(image, fixed_cell(1).adjusted(0, 0, -1, -1), face), 0);
}

TEST_F(GridTest, SizingFollowsTheModeAndTheExpandedFlag) {
  load({{0x20, 0x20}});
  grid.setCurrentCell(2, 1);
  const QFontMetrics fm(grid.font());
  struct row {
    view_mode mode;
    const char* sample;
    bool lines;
  };
  const row table[] = {{view_mode::decimal, " 000 ", true},
                       {view_mode::binary, " 00000000 ", true},
                       {view_mode::text, " 0", false}};
  for (const row& r : table) {
    mode(r.mode);
    EXPECT_EQ(grid.columnWidth(0), fm.horizontalAdvance(QString::fromLatin1(r.sample)));
    EXPECT_EQ(grid.rowHeight(0), fm.height() + 4);
    const QImage image = shot();
    const QRect s = cell(1, 1);
    EXPECT_EQ(at(image, QPoint(s.right(), s.center().y())) != white, r.lines) << r.sample;
    EXPECT_NE(at(image, QPoint(s.center().x(), s.bottom())), white) << r.sample;
  }
  grid.setExpanded(true);
  grid.SetViewMode(6);
  EXPECT_EQ(grid.viewMode(), view_mode::text);
  EXPECT_EQ(grid.rowHeight(0), fm.height() + 12);
  EXPECT_EQ(grid.horizontalHeader()->height(), header_row_height);
  EXPECT_EQ(grid.verticalHeader()->width(), fixed_column_width);
}

TEST_F(GridTest, CurrentCellFrameAndCellSelectedComesFirst) {
  load({{1, 2, 3}, {4, 5, 6}});
  grid.setCurrentCell(2, 1);
  std::vector<std::pair<int, int>> moves;
  int row_when_told = -1;
  QObject::connect(&grid, &TPacketGrid::cellSelected, [&](int column, int row) {
    moves.emplace_back(column, row);
    row_when_told = grid.currentRow();
  });
  QTest::keyClick(&grid, Qt::Key_Down);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0], std::make_pair(2, 2));
  EXPECT_EQ(row_when_told, 1);
  EXPECT_EQ(grid.currentRow(), 2);
  EXPECT_EQ(grid.currentColumn(), 2);

  const QImage image = shot();
  const QRect r = inner(2, 2);
  EXPECT_EQ(at(image, QPoint(r.left(), r.center().y())), blue);
  EXPECT_EQ(at(image, QPoint(r.center().x(), r.top())), blue);
  const QRect old = inner(2, 1);
  EXPECT_EQ(at(image, QPoint(old.left(), old.center().y())), white);
}

TEST_F(GridTest, CurrentCellFrameShowsOnEveryMarkingColour) {
  // 0xFF0000 is blue in the colour numbers' BGR layout: a blue frame would vanish on it.
  load({{1, 2, 3}, {4, 5, 6}}, {0xFF0000, 0x00FFFF});
  grid.setCurrentCell(2, 1);
  QImage image = shot();
  QRect r = inner(2, 1);
  EXPECT_EQ(at(image, QPoint(r.left(), r.center().y())), white);
  EXPECT_EQ(at(image, QPoint(r.left() + 2, r.top() + 2)), blue);
  grid.setCurrentCell(2, 2);
  image = shot();
  r = inner(2, 2);
  EXPECT_EQ(at(image, QPoint(r.left(), r.center().y())), blue);
}

TEST_F(GridTest, TextReadsOnEveryMarkingColour) {
  // White numbers on blue, black ones on red (colour numbers are 0x00BBGGRR); the marked
  // column's header is red with its number in black.
  load({{200, 200, 200}, {200, 200, 200}}, {0xFF0000, 0x0000FF});
  grid.setColumnRange(3, 3);
  grid.setCurrentCell(1, 2);
  const QImage image = shot();
  // Ink is what stands apart from the cell's fill: light on blue, dark on red.
  auto count_lightness = [&image](const QRect& r, auto test) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
      for (int x = r.left(); x <= r.right(); ++x) n += test(image.pixelColor(x, y).lightness());
    }
    return n;
  };
  const auto light = [](int l) { return l > 200; };
  const auto dark = [](int l) { return l < 60; };
  EXPECT_GT(count_lightness(inner(2, 1), light), 0);
  EXPECT_EQ(count_lightness(inner(2, 1), dark), 0);
  EXPECT_GT(count_lightness(inner(2, 2), dark), 0);
  EXPECT_EQ(count_lightness(inner(2, 2), light), 0);
  const QRect header = header_cell(3).adjusted(0, 0, -2, -2);
  EXPECT_GT(count_colour(image, header, red), header.width() * header.height() / 2);
  EXPECT_GT(count_lightness(header, dark), 0);
}

TEST(GridFixedText, TextWiderThanItsCellShrinksIntoIt) {
  QImage image(140, 24, QImage::Format_RGB32);
  image.fill(white);
  QPainter painter(&image);
  painter.setFont(TPacketGrid::defaultGridFont());
  const cell_rect r{30, 2, 30 + fixed_column_width - 1, 20};
  grid_header::drawFixedText(painter, r, QStringLiteral("1000000 : 20000012"), white);
  painter.end();
  // The whole text, not a clipped part of it, lies inside the cell.
  int first = -1;
  int last = -1;
  for (int x = 0; x < image.width(); ++x) {
    if (count_ink(image, QRect(x, 0, 1, image.height()), white) == 0) continue;
    if (first < 0) first = x;
    last = x;
  }
  EXPECT_GT(first, r.left);
  EXPECT_LT(last, r.right - 1);
}

TEST_F(GridTest, EnterAndDoubleClickHandOverThePacket) {
  std::vector<uint32_t> activated;
  QObject::connect(&grid, &TPacketGrid::packetActivated,
                   [&](uint32_t number) { activated.push_back(number); });
  grid.RecountPackets();
  grid.setCurrentCell(1, 1);
  QTest::keyClick(&grid, Qt::Key_Return);
  EXPECT_TRUE(activated.empty()) << "no packet in an empty store";

  load({{1}, {2}, {3}});
  grid.setCurrentCell(1, 3);
  QTest::keyClick(&grid, Qt::Key_Enter);
  const QPoint second = grid.visualRect(grid.gridModel()->index(1, 0)).center();
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, second);
  EXPECT_EQ(activated, (std::vector<uint32_t>{2, 1}));
}

TEST_F(GridTest, DraggingAHeaderColumnMarksOrClearsTheRange) {
  load({bytes(12, 0x20), bytes(12, 0x20)});
  grid.setCurrentCell(1, 2);
  std::vector<std::pair<int, int>> ranges;
  QObject::connect(&grid, &TPacketGrid::columnRangeChanged,
                   [&](int first, int last) { ranges.emplace_back(first, last); });
  QHeaderView* header = grid.horizontalHeader();
  QWidget* target = header->viewport();
  // Pressed in the middle of `from`, released near the left edge of `to`.
  auto drag = [&](int from, int to) {
    const int y = header->height() / 2;
    const QPoint a(header->sectionViewportPosition(from - 1) + header->sectionSize(from - 1) / 2,
                   y);
    const QPoint b(header->sectionViewportPosition(to - 1) + 2, y);
    QTest::mousePress(target, Qt::LeftButton, {}, a);
    QTest::mouseMove(target, (a + b) / 2);
    QTest::mouseMove(target, b);
    QTest::mouseRelease(target, Qt::LeftButton, {}, b);
  };

  drag(3, 7);
  EXPECT_EQ(grid.rangeFirst(), 3);
  EXPECT_EQ(grid.rangeLast(), 7);
  for (int v = 0; v < header->count(); ++v) ASSERT_EQ(header->logicalIndex(v), v);

  const QImage image = shot();
  EXPECT_GT(count_colour(image, header_cell(3), red), 0);
  EXPECT_GT(count_colour(image, header_cell(7), red), 0);
  EXPECT_EQ(count_colour(image, header_cell(2), red), 0);
  EXPECT_EQ(count_colour(image, header_cell(8), red), 0);
  const QRect first = inner(3, 1);
  const QRect last = cell(7, 1);
  EXPECT_EQ(at(image, QPoint(first.left(), first.center().y())), red);
  EXPECT_EQ(at(image, QPoint(last.right(), last.center().y())), red);
  const QRect middle = inner(5, 1);
  EXPECT_GT(count_colour(image, middle, QColor(128, 128, 128)), 0);
  EXPECT_GT(count_colour(image, middle, white), 0) << "the hatch is transparent between lines";
  EXPECT_EQ(count_colour(image, inner(9, 1), QColor(128, 128, 128)), 0);
  // The hatch rises to the right.
  bool rising = false;
  for (int y = middle.top() + 1; y < middle.bottom() && !rising; ++y)
    for (int x = middle.left(); x < middle.right() && !rising; ++x)
      rising = at(image, {x, y}) == QColor(128, 128, 128) &&
               at(image, {x + 1, y - 1}) == QColor(128, 128, 128);
  EXPECT_TRUE(rising);

  // A plain click marks the one column clicked.
  QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(9) + 3, 5));
  EXPECT_EQ(grid.rangeFirst(), 10);
  EXPECT_EQ(grid.rangeLast(), 10);

  drag(7, 3);
  EXPECT_EQ(grid.rangeFirst(), 0);
  EXPECT_EQ(grid.rangeLast(), 0);
  EXPECT_EQ(count_colour(shot(), header_cell(3), red), 0);
  EXPECT_EQ(ranges, (std::vector<std::pair<int, int>>{{3, 7}, {10, 10}, {0, 0}}));
}

TEST_F(GridTest, RecountKeepsCurrentCellAndScrollPosition) {
  load(std::vector<bytes>(300, bytes(80)));
  grid.setCurrentCell(2, 150);
  grid.setFirstVisibleRow(100);
  grid.setFirstVisibleColumn(2);
  for (int k = 0; k < 50; ++k) store.append(new xpaket(nullptr, 0));
  grid.RecountPackets();
  EXPECT_EQ(grid.gridRowCount(), 351);
  EXPECT_EQ(grid.currentRow(), 150);
  EXPECT_EQ(grid.currentColumn(), 2);
  EXPECT_EQ(grid.firstVisibleRow(), 100);
  EXPECT_EQ(grid.firstVisibleColumn(), 2);
  grid.setScrollBars(false);
  EXPECT_EQ(grid.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_FALSE(grid.scrollBars());
}

TEST_F(GridTest, ModelPassesTheItemModelTester) {
  QAbstractItemModelTester tester(grid.gridModel(),
                                  QAbstractItemModelTester::FailureReportingMode::Fatal);
  load({{1, 2}, {3}});
  for (int k = 0; k < 400; ++k) store.append(new xpaket(nullptr, 0));
  grid.RecountPackets();
  for (const auto& entry : store) delete entry.second;
  store.clear();
  grid.RecountPackets();
  EXPECT_EQ(grid.gridRowCount(), 256);
  EXPECT_EQ(grid.gridModel()->rowCount(), 255);
}
