#include "core/operations/quick_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using numbers = std::vector<uint32_t>;

constexpr uint32_t red = 0x0000FF;
constexpr auto by_byte = filter_criterion::byte;
constexpr auto by_length = filter_criterion::length;
constexpr auto by_colour = filter_criterion::colour;

// Lengths 5, 3, 5, 2; packet 1 is red, the others white.
const std::vector<bytes> packets = {{1, 2, 3, 4, 5}, {1, 2, 3}, {9, 2, 3, 4, 6}, {1, 2}};
const std::vector<uint32_t> colours = {colour_white, red, colour_white, colour_white};

struct filter_case {
  std::string name;
  quick_filter_params params;
  numbers kept;  // old numbers of the packets left, in their new order
};

}  // namespace

TEST(QuickFilter, KeepsOrDropsByTheCurrentPacket) {
  const filter_case cases[] = {
      {"keep length", {by_length, false, 0, 0}, {0, 2}},
      {"keep length ignores the column", {by_length, false, 0, 4}, {0, 2}},
      {"drop length", {by_length, true, 0, 4}, {1, 3}},
      {"keep colour of packet 0, short packets too", {by_colour, false, 0, 4}, {0, 2, 3}},
      {"drop colour of packet 0 keeps other colours", {by_colour, true, 0, 4}, {1}},
      {"keep red, the current packet's colour", {by_colour, false, 1, 0}, {1}},
      {"keep byte: no byte means not kept", {by_byte, false, 0, 3}, {0, 2}},
      {"drop byte: no byte means kept", {by_byte, true, 0, 3}, {1, 3}},
      {"keep last byte", {by_byte, false, 0, 4}, {0}},
      {"drop last byte", {by_byte, true, 0, 4}, {1, 2, 3}},
      {"keep byte shared by all", {by_byte, false, 3, 1}, {0, 1, 2, 3}},
      {"drop first byte of packet 2", {by_byte, true, 2, 0}, {0, 1, 3}},
  };
  for (const filter_case& c : cases) {
    test_store s(packets, colours);
    const auto before = s.pointers();
    pass run;
    quick_filter(s.store, c.params, run);
    std::vector<const xpaket*> expected;
    for (uint32_t n : c.kept) expected.push_back(before[n]);
    EXPECT_EQ(s.pointers(), expected) << c.name << ": kept packets are moved, not copied";
    EXPECT_TRUE(s.numbered_from_zero()) << c.name;
    const auto deleted = static_cast<int32_t>(packets.size() - c.kept.size());
    EXPECT_EQ(run.result.processed, 4) << c.name;
    EXPECT_EQ(run.result.deleted, deleted) << c.name;
    EXPECT_EQ(run.result.modified, deleted != 0) << c.name;
    EXPECT_EQ(run.result.changed, 0) << c.name;
    EXPECT_EQ(marks_unsaved(run.result), deleted != 0) << c.name;
    EXPECT_FALSE(run.running) << c.name;
  }
}

TEST(QuickFilter, KeptPacketsKeepTheirBytesAndColours) {
  test_store s(packets, colours);
  pass run;
  quick_filter(s.store, {by_length, true, 0, 0}, run);
  EXPECT_EQ(s.contents(), (std::vector<bytes>{{1, 2, 3}, {1, 2}}));
  EXPECT_EQ(s[0].colour, red);
  EXPECT_EQ(s[1].colour, colour_white);
}

TEST(QuickFilter, DoesNothingWithoutAReference) {
  const filter_case cases[] = {
      {"row beyond the last packet", {by_length, false, 4, 0}, {}},
      {"current packet too short for the column", {by_byte, false, 1, 4}, {}},
      {"no current column", {by_byte, true, 0, npos}, {}},
  };
  for (const filter_case& c : cases) {
    test_store s(packets, colours);
    const auto before = s.pointers();
    pass run;
    quick_filter(s.store, c.params, run);
    EXPECT_EQ(s.pointers(), before) << c.name;
    EXPECT_EQ(run.result.processed, 0) << c.name;
    EXPECT_FALSE(run.result.modified) << c.name;
  }
  test_store empty;
  pass run;
  quick_filter(empty.store, {by_colour, true, 0, 0}, run);
  EXPECT_TRUE(empty.store.empty());
}

TEST(QuickFilter, CancelKeepsTheUnvisitedPacketsBehindTheKeptOnes) {
  // 10002 packets alternating one and two bytes; keep the one-byte packets, cancel after 5000.
  std::vector<bytes> many;
  for (uint32_t i = 0; i < 10002; ++i) many.push_back(i % 2 == 0 ? bytes{1} : bytes{2, 2});
  test_store s(many);
  const auto before = s.pointers();
  pass run;
  run.step = [&run] {
    if (run.result.processed == 5000) run.running = false;
  };
  quick_filter(s.store, {by_length, false, 0, 0}, run);

  std::vector<const xpaket*> expected;
  for (uint32_t i = 0; i < 5000; i += 2) expected.push_back(before[i]);
  expected.insert(expected.end(), before.begin() + 5000, before.end());
  EXPECT_EQ(s.pointers(), expected);
  EXPECT_TRUE(s.numbered_from_zero());
  EXPECT_EQ(run.result.processed, 5000);
  EXPECT_EQ(run.result.deleted, 2500);
  EXPECT_TRUE(run.result.modified);
  EXPECT_FALSE(run.running);
}

TEST(QuickFilter, CommandWordsRoundTrip) {
  for (auto c : {by_byte, by_length, by_colour}) {
    for (bool drop : {false, true}) {
      const auto params = quick_filter_from_command(quick_filter_command(c, drop));
      ASSERT_TRUE(params.has_value());
      EXPECT_EQ(params->criterion, c);
      EXPECT_EQ(params->drop, drop);
    }
  }
  EXPECT_EQ(quick_filter_command(by_colour, true), 0x105);
  EXPECT_EQ(quick_filter_command(by_byte, false), 0x003);
  for (uint16_t word : {0x0000, 0x0002, 0x0006, 0x0203, 0x0204}) {
    EXPECT_FALSE(quick_filter_from_command(word).has_value()) << word;
  }
}
