#include "core/operations/colouring.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/test_store.h"

namespace {

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t white = colour_white;

std::vector<uint32_t> colours_of(const test_store& s) {
  std::vector<uint32_t> all;
  for (const auto& entry : s.store) all.push_back(entry.second->colour);
  return all;
}

}  // namespace

TEST(Colouring, StoreWideCommands) {
  struct row {
    std::string name;
    std::function<void(PAKETS&)> command;
    std::vector<uint32_t> expected;
  };
  // Every row starts from white, red, blue, red.
  const row rows[] = {
      {"invert with red", [](PAKETS& s) { invert_selection(s, red); }, {red, white, white, white}},
      {"invert with blue",
       [](PAKETS& s) { invert_selection(s, blue); },
       {blue, white, white, white}},
      {"invert with white",
       [](PAKETS& s) { invert_selection(s, white); },
       {white, white, white, white}},
      {"unselect blue leaves red",
       [](PAKETS& s) { unselect_colour(s, blue); },
       {white, red, white, red}},
      {"unselect red", [](PAKETS& s) { unselect_colour(s, red); }, {white, white, blue, white}},
      {"select all", [](PAKETS& s) { select_all(s, blue); }, {blue, blue, blue, blue}},
      {"unselect all", [](PAKETS& s) { unselect_all(s); }, {white, white, white, white}},
  };
  for (const row& r : rows) {
    test_store s({{1}, {2}, {3}, {4}}, {white, red, blue, red});
    r.command(s.store);
    EXPECT_EQ(colours_of(s), r.expected) << r.name;
    EXPECT_EQ(s.contents(), (std::vector<std::vector<uint8_t>>{{1}, {2}, {3}, {4}})) << r.name;
  }
}

TEST(Colouring, MarkAndUnmarkOnlyAnExistingPacket) {
  test_store s(std::vector<std::vector<uint8_t>>{{1}, {2}});
  EXPECT_TRUE(mark_paket(s.store, 1, blue));
  EXPECT_EQ(colours_of(s), (std::vector<uint32_t>{white, blue}));
  EXPECT_TRUE(unmark_paket(s.store, 1));
  EXPECT_EQ(colours_of(s), (std::vector<uint32_t>{white, white}));
  EXPECT_FALSE(mark_paket(s.store, 2, blue));
  EXPECT_FALSE(unmark_paket(s.store, 2));
  EXPECT_EQ(s.store.size(), 2u);

  test_store empty;
  EXPECT_FALSE(mark_paket(empty.store, 0, red));
  EXPECT_TRUE(empty.store.empty()) << "marking adds no packet";
}
