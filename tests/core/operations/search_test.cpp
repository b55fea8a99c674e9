#include "core/operations/search.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/model/cp1251.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using numbers = std::vector<uint32_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;

// The packets that an all-matches search over `range` visits, in order, when every packet matches.
numbers visited(size_t packets, search_range range) {
  test_store s(std::vector<bytes>(packets, bytes{0x55}));
  search_params params{search_kind::text, "U", range, true, red};
  numbers seen;
  pass run;
  const auto found =
      search(s.store, params, run, [&seen](const search_hit& h) { seen.push_back(h.packet); });
  EXPECT_FALSE(found);
  return seen;
}

}  // namespace

TEST(Search, MatchInOnePacket) {
  struct row {
    const char* name;
    search_kind kind;
    std::string pattern;
    bytes packet;
    uint32_t bits;  // 0: 8 per byte
    std::optional<uint32_t> offset;
  };
  const row rows[] = {
      {"text at the start", search_kind::text, "AB", {0x41, 0x42, 0x43}, 0, 0},
      {"text at the end", search_kind::text, "BC", {0x41, 0x42, 0x43}, 0, 1},
      {"text after a false start", search_kind::text, "AC", {0x41, 0x41, 0x43}, 0, 1},
      {"text is case sensitive", search_kind::text, "ab", {0x41, 0x42}, 0, std::nullopt},
      {"text longer than the packet",
       search_kind::text,
       "ABCD",
       {0x41, 0x42, 0x43},
       0,
       std::nullopt},
      {"text of the whole packet", search_kind::text, "ABC", {0x41, 0x42, 0x43}, 0, 0},
      {"text with a zero byte", search_kind::text, std::string("\0B", 2), {0x41, 0x00, 0x42}, 0, 1},
      {"text of high bytes", search_kind::text, "\xC0\xFF", {0x01, 0xC0, 0xFF}, 0, 1},
      {"text in an empty packet", search_kind::text, "A", {}, 0, std::nullopt},
      {"bits 8 to 10", search_kind::bits, "101", {0x00, 0x05}, 0, 8},
      {"bits at offset 0", search_kind::bits, "1", {0x01}, 0, 0},
      {"bits absent", search_kind::bits, "1", {0x00, 0x00}, 0, std::nullopt},
      {"bits across bytes", search_kind::bits, "11", {0x80, 0x01}, 0, 7},
      {"bits never in the padding", search_kind::bits, "1", {0xF0}, 4, std::nullopt},
      {"32 bits", search_kind::bits, std::string(32, '1'), {0x00, 0xFF, 0xFF, 0xFF, 0xFF}, 0, 8},
      {"32 bits at the very end",
       search_kind::bits,
       std::string(31, '0') + "1",
       {0x00, 0x00, 0x00, 0x00, 0x80},
       0,
       8},
      {"bits longer than the packet",
       search_kind::bits,
       std::string(9, '0'),
       {0x00},
       0,
       std::nullopt},
  };
  for (const row& r : rows) {
    test_store s({r.packet});
    if (r.bits != 0) s[0].resize(r.bits);
    EXPECT_EQ(match_offset(s[0], r.kind, r.pattern), r.offset) << r.name;
  }
  EXPECT_EQ(hit_column(search_kind::text, 0), 1u);
  EXPECT_EQ(hit_column(search_kind::text, 4), 5u);
  EXPECT_EQ(hit_column(search_kind::bits, 8), 2u);
  EXPECT_EQ(hit_column(search_kind::bits, 7), 1u);
}

TEST(Search, RangesVisitThePacketsInTheirOrder) {
  struct row {
    const char* name;
    search_direction direction;
    int64_t current_row;
    numbers expected;
  };
  const row rows[] = {
      {"whole signal", search_direction::all, 3, {0, 1, 2, 3}},
      {"down from row 2", search_direction::down, 2, {2, 3}},
      {"down from the last row", search_direction::down, 4, {}},
      {"down from no row", search_direction::down, 0, {0, 1, 2, 3}},
      {"up from row 4", search_direction::up, 4, {2, 1, 0}},
      {"up from the second packet", search_direction::up, 2, {0}},
      {"up from the first packet", search_direction::up, 1, {}},
      {"up from past the end", search_direction::up, 9, {}},
  };
  for (const row& r : rows) {
    EXPECT_EQ(visited(4, range_of(r.direction, r.current_row)), r.expected) << r.name;
  }
}

TEST(Search, FirstMatchStopsAtTheNearestPacketInTheOrder) {
  test_store s({{1, 2}, {9, 0x41, 0x42}, {3}, {0x41, 0x42}, {4}});
  const PAKETS& store = s.store;
  struct row {
    search_range range;
    std::optional<search_hit> expected;
  };
  const row rows[] = {
      {{0, false}, search_hit{1, 1}}, {{2, false}, search_hit{3, 0}}, {{4, false}, std::nullopt},
      {{4, true}, search_hit{3, 0}},  {{2, true}, search_hit{1, 1}},  {{0, true}, std::nullopt},
      {{5, false}, std::nullopt},     {{-1, true}, std::nullopt},
  };
  for (const row& r : rows) {
    pass run;
    const auto found = search(s.store, {search_kind::text, "AB", r.range, false, red}, run);
    EXPECT_EQ(found, r.expected) << r.range.first << (r.range.descending ? " up" : " down");
    EXPECT_FALSE(run.running);
    EXPECT_EQ(run.result.processed, 0);
  }
  for (const auto& [number, p] : store) EXPECT_EQ(p->colour, colour_white) << number;
}

TEST(Search, AllMatchesColoursEveryMatchInTheRangeAndCountsNothing) {
  test_store s({{0x05}, {0x00}, {0x0A}, {0x00, 0x05}, {0x05}},
               {blue, blue, colour_white, colour_white, colour_white});
  std::vector<search_hit> hits;
  pass run;
  const auto found = search(s.store, {search_kind::bits, "101", {1, false}, true, red}, run,
                            [&hits](const search_hit& h) { hits.push_back(h); });
  EXPECT_FALSE(found);
  EXPECT_EQ(hits, (std::vector<search_hit>{{2, 1}, {3, 8}, {4, 0}}));
  numbers colours;
  for (const auto& [number, p] : s.store) colours.push_back(p->colour);
  // Packet 0 matches but lies outside the range; packet 1 keeps its colour.
  EXPECT_EQ(colours, (numbers{blue, blue, red, red, red}));
  EXPECT_EQ(run.result.processed, 0);
  EXPECT_EQ(run.result.recoloured, 0);
  EXPECT_FALSE(run.result.modified);
  EXPECT_FALSE(run.running);
}

TEST(Search, CancelStopsBeforeTheNextPacket) {
  test_store s(std::vector<bytes>(10, bytes{0x41}));
  pass run;
  int steps = 0;
  run.step = [&] {
    if (++steps == 3) run.running = false;
  };
  (void)search(s.store, {search_kind::text, "A", {0, false}, true, red}, run);
  int coloured = 0;
  for (const auto& [number, p] : s.store) coloured += p->colour == red;
  EXPECT_EQ(coloured, 3);
  EXPECT_FALSE(run.running);
}

TEST(Search, PatternsArePreparedAsTheUserCountsThem) {
  const auto times = [](const std::string& one, int n) {
    std::string t;
    for (int i = 0; i < n; ++i) t += one;
    return t;
  };
  struct row {
    search_kind kind;
    std::string typed;
    pattern_problem expected;
    std::string pattern;  // with no problem
  };
  const row rows[] = {
      {search_kind::text, "", pattern_problem::empty, ""},
      {search_kind::bits, "", pattern_problem::empty, ""},
      {search_kind::text, std::string(32, 'x'), pattern_problem::none, std::string(32, 'x')},
      {search_kind::text, std::string(33, 'x'), pattern_problem::too_long, ""},
      // Characters, not their bytes, count: 20 Cyrillic letters are 40 bytes of UTF-8.
      {search_kind::text, times("ж", 20), pattern_problem::none, std::string(20, '\xE6')},
      {search_kind::text, times("ж", 33), pattern_problem::too_long, ""},
      {search_kind::text, times("中", 20), pattern_problem::invalid, ""},
      {search_kind::text, "a b", pattern_problem::none, "a b"},
      {search_kind::bits, std::string(32, '1'), pattern_problem::none, std::string(32, '1')},
      {search_kind::bits, std::string(33, '0'), pattern_problem::too_long, ""},
      {search_kind::bits, "1 0", pattern_problem::invalid, ""},
      {search_kind::bits, "102", pattern_problem::invalid, ""},
      {search_kind::bits, "ж", pattern_problem::invalid, ""},
      {search_kind::bits, times("ж", 33), pattern_problem::too_long, ""},
  };
  for (const row& r : rows) {
    const prepared_pattern prepared = prepare_pattern(r.kind, r.typed);
    EXPECT_EQ(prepared.problem, r.expected) << r.typed;
    EXPECT_EQ(prepared.pattern, r.pattern) << r.typed;
  }
  EXPECT_EQ(pattern_problem_text(pattern_problem::empty),
            "Необходимо значение в поле 'искать...'.   ");
  EXPECT_EQ(pattern_problem_text(pattern_problem::too_long),
            "Значение в поле 'искать...' не более 32 символов.   ");
  EXPECT_EQ(pattern_problem_text(pattern_problem::invalid),
            "Недопустимые символы в поле 'искать...'.   ");
  EXPECT_EQ(not_found_text("Жук"), "Не найдено: Жук.   ");
}

TEST(Cp1251, EncodesWhatTheTableDecodes) {
  const cp1251_table& table = cp1251();
  for (int b = 0; b < 256; ++b) {
    if (b == 0x98) continue;  // undefined in the code page
    const auto back = table.encode(table.utf8(static_cast<uint8_t>(b)));
    ASSERT_TRUE(back) << b;
    EXPECT_EQ(*back, std::string(1, static_cast<char>(b))) << b;
  }
  EXPECT_EQ(table.encode("AЖ€"), std::string("A\xC6\x88"));
  EXPECT_EQ(table.encode(""), std::string());
  for (const char* bad : {"中", "\xEF\xBF\xBD", "\xC6", "\xFF", "A\x80"}) {
    EXPECT_FALSE(table.encode(bad)) << bad;
  }
}
