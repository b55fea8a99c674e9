#include "core/operations/cut.h"
#include "core/operations/int_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;

struct cut_case {
  std::string name;
  cut_params params;
  bytes input;
  uint32_t input_bits;  // 0: 8 per byte
  bytes expected;
  uint32_t expected_bits;
  bool changed;
};

cut_params bytes_mode(int32_t start, int32_t end) {
  return {false, start, end};
}
cut_params bits_mode(int32_t start) {
  return {true, start, 0};
}

}  // namespace

TEST(Cut, CutsOnePacketExactly) {
  const cut_case cases[] = {
      {"nothing to cut", bytes_mode(0, 0), {1, 2, 3}, 0, {1, 2, 3}, 24, false},
      {"two leading bytes of three", bytes_mode(2, 0), {0xA, 0xB, 0xC}, 0, {0xC}, 8, true},
      {"leading count at the length", bytes_mode(2, 0), {0xA, 0xB}, 0, {0xA, 0xB}, 16, false},
      {"leading count beyond the length", bytes_mode(3, 0), {0xA, 0xB}, 0, {0xA, 0xB}, 16, false},
      {"trailing byte of a one-byte packet", bytes_mode(0, 1), {7}, 0, {7}, 8, false},
      {"trailing byte of 12 bits", bytes_mode(0, 1), {0xAB, 0x0C}, 12, {0xAB}, 4, true},
      {"trailing cut after the leading cut", bytes_mode(1, 1), {1, 2, 3}, 0, {2}, 8, true},
      {"trailing cut reaching the rest", bytes_mode(1, 2), {1, 2, 3}, 0, {2, 3}, 16, true},
      {"negative trailing count lengthens", bytes_mode(0, -1), {1, 2}, 0, {1, 2, 0}, 24, true},
      {"negative leading count", bytes_mode(-1, 0), {1, 2}, 0, {1, 2}, 16, false},
      {"huge leading count", bytes_mode(INT32_MAX, 0), {1, 2}, 0, {1, 2}, 16, false},
      {"huge trailing count", bytes_mode(0, INT32_MAX), {1, 2}, 0, {1, 2}, 16, false},
      {"lengthening past any packet", bytes_mode(0, INT32_MIN), {1, 2}, 0, {1, 2}, 16, false},
      // b0..b9 = 1 0 1 0 1 1 0 1 | 0 1: b3..b9 = 0 1 1 0 1 0 1
      {"three bits of ten", bits_mode(3), {0xB5, 0x02}, 10, {0x56}, 7, true},
      {"twelve bits across the byte", bits_mode(12), {0x34, 0x12}, 0, {0x01}, 4, true},
      {"all but the last bit", bits_mode(15), {0xFF, 0x7F}, 0, {0x00}, 1, true},
      {"bits at the length", bits_mode(16), {0x34, 0x12}, 0, {0x34, 0x12}, 16, false},
      {"zero bits come in at the end",
       bits_mode(4),
       {0xF0, 0xFF, 0x0F},
       0,
       {0xFF, 0xFF, 0x00},
       20,
       true},
      {"whole bytes in bit mode", bits_mode(8), {1, 2, 3}, 0, {2, 3}, 16, true},
  };
  for (const cut_case& c : cases) {
    test_store s({c.input});
    if (c.input_bits != 0) s[0].resize(c.input_bits);
    pass run;
    cut(s.store, scope{}, c.params, run);
    EXPECT_EQ(s.contents()[0], c.expected) << c.name;
    EXPECT_EQ(s[0].bit_length(), c.expected_bits) << c.name;
    EXPECT_EQ(run.result.changed, c.changed ? 1 : 0) << c.name;
    EXPECT_EQ(run.result.processed, 1) << c.name;
    EXPECT_FALSE(run.result.modified) << c.name;
    EXPECT_FALSE(run.running) << c.name;
    // The dispatcher marks the signal not saved exactly when something was cut.
    EXPECT_EQ(marks_unsaved(run.result), c.changed) << c.name;
  }
}

TEST(Cut, ScopeChoosesThePacketsAndEveryPacketCountsAsProcessed) {
  struct row {
    std::string name;
    scope s;
    std::vector<bytes> expected;
    int32_t changed;
  };
  const row rows[] = {
      {"all", scope{true, colour_white}, {{2}, {2}, {2}, {2}}, 4},
      {"unselected", scope{false, colour_white}, {{2}, {1, 2}, {1, 2}, {1, 2}}, 1},
      {"blue", scope{false, blue}, {{1, 2}, {1, 2}, {2}, {2}}, 2},
  };
  for (const row& r : rows) {
    test_store s({{1, 2}, {1, 2}, {1, 2}, {1, 2}}, {colour_white, red, blue, blue});
    pass run;
    cut(s.store, r.s, bytes_mode(1, 0), run);
    EXPECT_EQ(s.contents(), r.expected) << r.name;
    EXPECT_EQ(run.result.processed, 4) << r.name;
    EXPECT_EQ(run.result.changed, r.changed) << r.name;
    EXPECT_EQ(s[2].colour, blue) << "colours stay";
    EXPECT_EQ(s.store.size(), 4u);
  }
}

TEST(Cut, CancelLeavesTheRestAsItWas) {
  test_store s({{1, 2}, {1, 2}, {1, 2}, {1, 2}});
  pass run;
  run.step = [&run] {
    if (run.result.processed == 2) run.running = false;
  };
  cut(s.store, scope{}, bytes_mode(1, 0), run);
  EXPECT_EQ(s.contents(), (std::vector<bytes>{{2}, {2}, {1, 2}, {1, 2}}));
  EXPECT_EQ(run.result.processed, 2);
  EXPECT_EQ(run.result.changed, 2);
}

TEST(Cut, CountsAreSignedDecimalsOnly) {
  struct row {
    std::string text;
    std::optional<int32_t> value;
  };
  const row rows[] = {
      {"0", 0},
      {"12", 12},
      {"+7", 7},
      {"-3", -3},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"2147483648", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"1a", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"+-1", std::nullopt},
      {"0x10", std::nullopt},
      {"$10", std::nullopt},
  };
  for (const row& r : rows) EXPECT_EQ(parse_int32(r.text), r.value) << r.text;
}
