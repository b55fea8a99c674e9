#include "core/operations/select_by_length.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/operations/operation_contract.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t lime = 0x00FF00;

// Packets of 1, 9, 10, 11 and 20 bytes.
test_store lengths_store(const std::vector<uint32_t>& colours = {}) {
  return test_store({bytes(1), bytes(9), bytes(10), bytes(11), bytes(20)}, colours);
}

std::vector<uint32_t> colours_of(test_store& s) {
  std::vector<uint32_t> all;
  for (const auto& [number, p] : s.store) all.push_back(p->colour);
  return all;
}

}  // namespace

TEST(SelectByLength, ComparesTheByteCountInclusively) {
  constexpr uint32_t w = colour_white;
  struct row {
    std::string name;
    length_operator op;
    uint32_t length;
    std::vector<uint32_t> expected;
  };
  const row rows[] = {
      {"equal", length_operator::equal, 10, {w, w, red, w, w}},
      {"not equal", length_operator::not_equal, 10, {red, red, w, red, red}},
      {"less includes the number", length_operator::at_most, 10, {red, red, red, w, w}},
      {"greater includes the number", length_operator::at_least, 10, {w, w, red, red, red}},
      {"equal to nothing", length_operator::equal, 12, {w, w, w, w, w}},
      {"unknown operator matches all",
       static_cast<length_operator>(7),
       10,
       {red, red, red, red, red}},
  };
  for (const row& r : rows) {
    test_store s = lengths_store();
    pass run;
    select_by_length(s.store, scope{}, {r.op, r.length, red}, run);
    EXPECT_EQ(colours_of(s), r.expected) << r.name;
    int32_t matched = 0;
    for (uint32_t c : r.expected) matched += c == red ? 1 : 0;
    EXPECT_EQ(run.result.recoloured, matched) << r.name;
    EXPECT_EQ(run.result.processed, 5) << r.name;
    EXPECT_EQ(run.result.changed, 0) << r.name;
    EXPECT_FALSE(run.result.modified) << r.name;
    EXPECT_FALSE(marks_unsaved(run.result)) << r.name;
  }
}

TEST(SelectByLength, CountsBitsRoundedUpToBytes) {
  test_store s({bytes{0xFF, 0x0F}, bytes{1}});
  s[0].resize(12);
  pass run;
  select_by_length(s.store, scope{}, {length_operator::equal, 2, blue}, run);
  EXPECT_EQ(colours_of(s), (std::vector<uint32_t>{blue, colour_white}));
}

TEST(SelectByLength, RecountsPacketsOfTheColourAndUncoloursNothing) {
  test_store s = lengths_store({red, lime, red, colour_white, lime});
  pass run;
  select_by_length(s.store, scope{}, {length_operator::at_most, 10, red}, run);
  // The first and third were red already and count again; the others keep their colours.
  EXPECT_EQ(colours_of(s), (std::vector<uint32_t>{red, red, red, colour_white, lime}));
  EXPECT_EQ(run.result.recoloured, 3);
}

TEST(SelectByLength, UnselectedScopeLooksOnlyAtWhitePackets) {
  test_store s = lengths_store({colour_white, red, colour_white, lime, colour_white});
  pass run;
  select_by_length(s.store, scope{false, colour_white}, {length_operator::at_least, 1, blue}, run);
  EXPECT_EQ(colours_of(s), (std::vector<uint32_t>{blue, red, blue, lime, blue}));
  EXPECT_EQ(run.result.recoloured, 3);
  EXPECT_EQ(run.result.processed, 5);
}

INSTANTIATE_TEST_SUITE_P(
    SelectByLength, OperationContract,
    ::testing::Values(operation_case{
        "at_most_10",
        [](PAKETS& st, const scope& sc, pass& run) {
          select_by_length(st, sc, {length_operator::at_most, 10, 0x00FF00}, run);
        }}),
    case_name);
