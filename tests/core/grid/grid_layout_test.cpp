#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/grid/cell_text.h"
#include "core/grid/grid_layout.h"
#include "core/grid/grid_recount.h"
#include "support/test_store.h"

namespace {

void fill_lengths(PAKETS& store, const std::vector<uint32_t>& lengths) {
  for (uint32_t n : lengths) {
    std::vector<uint8_t> bytes(n, 0x41);
    store.append(new xpaket(bytes.data(), n));
  }
}

}  // namespace

TEST(GridSizing, ModeSizesFollowTheSampleText) {
  struct row {
    view_mode mode;
    bool expanded;
    cell_size sample;
    cell_size expected;
  };
  const row table[] = {
      {view_mode::decimal, false, {25, 13}, {25, 17}},
      {view_mode::decimal, true, {25, 13}, {25, 25}},
      {view_mode::binary, false, {60, 13}, {60, 17}},
      {view_mode::text, true, {11, 14}, {11, 26}},
      {view_mode::pseudo, false, {48, 13}, {48, 8}},
      {view_mode::pseudo, true, {48, 13}, {48, 8}},
  };
  for (const row& r : table) {
    EXPECT_EQ(data_cell_size(r.mode, r.sample, r.expanded), r.expected)
        << static_cast<int>(r.mode) << " expanded " << r.expanded;
  }
  EXPECT_STREQ(sample_text(view_mode::decimal), " 000 ");
  EXPECT_STREQ(sample_text(view_mode::hexadecimal), " DD ");
  EXPECT_STREQ(sample_text(view_mode::binary), " 00000000 ");
  EXPECT_STREQ(sample_text(view_mode::text), " 0");
  EXPECT_STREQ(sample_text(view_mode::pseudo), "00000000");
  EXPECT_TRUE(has_vertical_lines(view_mode::binary));
  EXPECT_FALSE(has_vertical_lines(view_mode::text));
  EXPECT_FALSE(has_vertical_lines(view_mode::pseudo));
}

TEST(GridSizing, DimensionsForAStore) {
  EXPECT_EQ(grid_columns_for(0), 256);
  EXPECT_EQ(grid_columns_for(12), 13);
  EXPECT_EQ(grid_rows_for(0), 256);
  EXPECT_EQ(grid_rows_for(1000000), 1000001);
  // Counts beyond what the widget can take are capped rather than wrapped to a negative int.
  EXPECT_GT(grid_rows_for(0xFFFFFFFFu), 1000001);
  EXPECT_GT(grid_columns_for(0x80000000u), 0);
}

TEST(GridRange, DragToTheRightMarksAnyOtherDragClears) {
  EXPECT_EQ(range_after_drag(3, 7), (column_range{3, 7}));
  EXPECT_EQ(range_after_drag(7, 3), column_range{});
  EXPECT_EQ(range_after_drag(5, 5), column_range{});
  const column_range r{3, 7};
  EXPECT_FALSE(r.contains(2));
  EXPECT_TRUE(r.contains(3));
  EXPECT_TRUE(r.contains(7));
  EXPECT_FALSE(r.contains(8));
  EXPECT_FALSE(column_range{}.contains(1));
}

TEST(GridGeometry, HeaderNumbersWhereTheyFit) {
  // A number 18 pixels wide over columns of 25, 11, 6 and 1 pixels.
  EXPECT_EQ(header_number_stride(18, 25), 1);
  EXPECT_EQ(header_number_stride(18, 11), 2);
  EXPECT_EQ(header_number_stride(18, 6), 5);
  EXPECT_EQ(header_number_stride(18, 1), 20);
  std::vector<int> numbered;
  for (int c = 1; c <= 12; ++c) {
    if (header_numbered(c, 5)) numbered.push_back(c);
  }
  EXPECT_EQ(numbered, (std::vector<int>{1, 5, 10}));
  EXPECT_FALSE(header_numbered(1, 2));
  EXPECT_TRUE(header_numbered(7, 1));
}

TEST(GridGeometry, CellRectanglesAndStripes) {
  const cell_rect with_line = paint_rect(100, 20, 30, 17, true);
  EXPECT_EQ(with_line.right, 129);
  EXPECT_EQ(with_line.bottom, 36);
  EXPECT_EQ(paint_rect(100, 20, 30, 17, false).right, 130);
  EXPECT_EQ(centred_left(0, 30, 10), 10);

  // 0x41 reads 10000010 with bit 0 first; the stripe width is the cell width div 8.
  const stripes s = byte_stripes(0x41, paint_rect(0, 0, 47, 8, false));
  EXPECT_EQ(s.width, 5);
  const std::array<bool, 8> expected{true, false, false, false, false, false, true, false};
  EXPECT_EQ(s.ones, expected);
  EXPECT_EQ(fixed_column_text(5, 12), "5  :  12");
}

TEST(GridRecount, TotalsAndStatusTexts) {
  struct row {
    std::vector<uint32_t> lengths;
    store_totals expected;
    std::string panel0;
    std::string panel1;
  };
  const std::vector<row> table = {
      {{}, {0, 1, 0}, " всего пакетов - 0", " длина мин: 1 -  макс: 0"},
      {{5, 3, 5, 2}, {4, 2, 5}, " всего пакетов - 4", " длина мин: 2 -  макс: 5"},
      {{0, 0, 0}, {3, 0, 0}, " всего пакетов - 3", " длина мин: 0 -  макс: 0"},
      {{20000, 15000}, {2, 10000, 20000}, " всего пакетов - 2", " длина мин: 10000 -  макс: 20000"},
  };
  for (const row& r : table) {
    test_store s;
    fill_lengths(s.store, r.lengths);
    const store_totals t = count_store(s.store, {});
    EXPECT_EQ(t, r.expected) << r.panel0;
    EXPECT_EQ(total_packets_text(t), r.panel0);
    EXPECT_EQ(lengths_text(t), r.panel1);
  }
}

TEST(GridRecount, YieldsEveryThousandPackets) {
  // 1999 and 2000 packets tell a yield every 1000 from one every 1024 or 999.
  for (const auto& [count, expected] : {std::pair{1999u, 1}, std::pair{2000u, 2}}) {
    test_store s;
    fill_lengths(s.store, std::vector<uint32_t>(count, 1));
    int yields = 0;
    const store_totals t = count_store(s.store, [&] { ++yields; });
    EXPECT_EQ(yields, expected) << count;
    EXPECT_EQ(t.count, count);
  }
}

TEST(CellText, DecimalHasNoLeadingZerosAtEveryDigitBoundary) {
  const std::pair<uint8_t, std::string_view> rows[] = {{0, "0"},   {9, "9"},     {10, "10"},
                                                       {99, "99"}, {100, "100"}, {255, "255"}};
  for (const auto& [b, text] : rows) {
    char buffer[8];
    EXPECT_EQ(numeric_cell_text(b, view_mode::decimal, buffer), text) << int{b};
  }
}

TEST(CopyText, WholePacketOrTheMarkedColumnsItReaches) {
  const uint8_t bytes[] = {0x00, 0x0F, 0xA5, 0xFF, 0x10};
  struct row {
    column_range range;
    uint32_t length;
    const char* text;
  };
  const row rows[] = {
      {{0, 0}, 5, "00 0F A5 FF 10"},
      {{2, 3}, 5, "0F A5"},
      {{4, 9}, 5, "FF 10"},
      {{6, 9}, 5, ""},
      {{1, 1}, 5, "00"},
      {{0, 0}, 0, ""},
  };
  for (const row& r : rows) {
    EXPECT_EQ(hex_copy_text(bytes, r.length, r.range), r.text) << r.range.first;
  }
}
