#include "core/operations/select_by_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/operations/operation_contract.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using colours = std::vector<uint32_t>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t w = colour_white;

xsort_clause byte_clause(uint32_t position, clause_operator op, uint8_t value) {
  return {clause_element::byte, op, position, value};
}
xsort_clause bit_clause(uint32_t position, uint8_t value,
                        clause_operator op = clause_operator::equal) {
  return {clause_element::bit, op, position, value};
}

colours colours_of(test_store& s) {
  colours all;
  for (const auto& [number, p] : s.store) all.push_back(p->colour);
  return all;
}

bytes with_first(uint8_t first, size_t length) {
  bytes b(length, 0);
  if (length > 0) b[0] = first;
  return b;
}

}  // namespace

TEST(SelectByValues, ColoursThePacketsThatMeetEveryCondition) {
  using op = clause_operator;
  struct row {
    std::string name;
    std::vector<bytes> packets;
    CLAUSES conditions;
    colours expected;
  };
  const row rows[] = {
      {"byte 1 = 69 and byte 10 >= 0",
       {with_first(69, 10), with_first(69, 9), with_first(70, 12), with_first(69, 20)},
       {byte_clause(1, op::equal, 69), byte_clause(10, op::at_least, 0)},
       {red, w, w, red}},
      {"bit 9 = 1 on an odd second byte",
       {{0, 1}, {0, 2}, {0xFF, 0xFE}, {0, 0x81}, {1}},
       {bit_clause(9, 1)},
       {red, w, w, red, w}},
      {"bit 1 = 0 on an even first byte", {{2}, {3}, {}}, {bit_clause(1, 0)}, {red, w, w}},
      {"a bit condition is an equality whatever its operator",
       {{0, 1}, {0, 0}},
       {bit_clause(9, 1, op::not_equal)},
       {red, w}},
      {"position 20 fails short packets, also for not equal",
       {bytes(19, 5), bytes(20, 5), bytes(25, 0)},
       {byte_clause(20, op::not_equal, 7)},
       {w, red, red}},
      {"position 20 fails short packets for at least 0",
       {bytes(19, 5), bytes(20, 5)},
       {byte_clause(20, op::at_least, 0)},
       {w, red}},
      {"less includes the value",
       {{9}, {10}, {11}},
       {byte_clause(1, op::at_most, 10)},
       {red, red, w}},
      {"greater includes the value",
       {{9}, {10}, {11}},
       {byte_clause(1, op::at_least, 10)},
       {w, red, red}},
      {"not equal", {{9}, {10}}, {byte_clause(1, op::not_equal, 10)}, {red, w}},
      {"an unknown operator holds on a long enough packet",
       {{9}, {}},
       {byte_clause(1, static_cast<op>(9), 0)},
       {red, w}},
      {"position 0 never holds, for bytes and bits",
       {{0}, {1}, {}},
       {byte_clause(0, op::at_least, 0)},
       {w, w, w}},
      {"position 0 bit", {{0}, {1}}, {bit_clause(0, 0)}, {w, w}},
      {"bit 12 is bit 3 of the second byte",
       {{0x00, 0x08}, {0x00, 0x08}},
       {bit_clause(12, 1)},
       {red, red}},
  };
  for (const row& r : rows) {
    test_store s(r.packets);
    pass run;
    select_by_values(s.store, scope{}, r.conditions, red, run);
    EXPECT_EQ(colours_of(s), r.expected) << r.name;
    int32_t matched = 0;
    for (uint32_t c : r.expected) matched += c == red ? 1 : 0;
    EXPECT_EQ(run.result.recoloured, matched) << r.name;
    EXPECT_EQ(run.result.processed, static_cast<int32_t>(r.packets.size())) << r.name;
    EXPECT_EQ(run.result.changed, 0) << r.name;
    EXPECT_FALSE(run.result.modified) << r.name;
    EXPECT_FALSE(run.running) << r.name;
  }
}

TEST(SelectByValues, BitConditionsStopAtTheBitLength) {
  // 12 bits stored: bit 13 is beyond the packet although its byte exists.
  test_store s({{0x00, 0x1F}});
  s[0].resize(12);
  pass run;
  select_by_values(s.store, scope{}, {bit_clause(13, 0)}, red, run);
  EXPECT_EQ(colours_of(s), (colours{w}));
  select_by_values(s.store, scope{}, {bit_clause(12, 1)}, red, run);
  EXPECT_EQ(colours_of(s), (colours{red}));
}

TEST(SelectByValues, UnselectedScopeLooksOnlyAtWhitePacketsAndUncoloursNothing) {
  test_store s({{1}, {1}, {2}, {1}}, {w, red, w, blue});
  pass run;
  select_by_values(s.store, scope{false, w}, {byte_clause(1, clause_operator::equal, 1)}, blue,
                   run);
  EXPECT_EQ(colours_of(s), (colours{blue, red, w, blue}));
  EXPECT_EQ(run.result.recoloured, 1);
  EXPECT_EQ(run.result.processed, 4);
}

TEST(SelectByValues, PacketsOfTheColourCountAgain) {
  test_store s({{1}, {1}}, {red, w});
  pass run;
  select_by_values(s.store, scope{}, {byte_clause(1, clause_operator::equal, 1)}, red, run);
  EXPECT_EQ(run.result.recoloured, 2);
}

TEST(SelectByValues, ThePassWorksOnACopyOfTheList) {
  // A list changed from the step (as the dialog's editor could during a long pass) does not
  // change the conditions of the pass under way.
  test_store s({{1}, {1}, {1}});
  CLAUSES list = {byte_clause(1, clause_operator::equal, 1)};
  pass run;
  run.step = [&] { list.push_back(byte_clause(1, clause_operator::equal, 2)); };
  select_by_values(s.store, scope{}, list, red, run);
  EXPECT_EQ(colours_of(s), (colours{red, red, red}));
}

INSTANTIATE_TEST_SUITE_P(SelectByValues, OperationContract,
                         ::testing::Values(operation_case{
                             "two_bytes_and_a_bit",
                             [](PAKETS& st, const scope& sc, pass& run) {
                               select_by_values(st, sc,
                                                {byte_clause(1, clause_operator::at_least, 100),
                                                 byte_clause(3, clause_operator::not_equal, 0),
                                                 bit_clause(2, 1)},
                                                0x00FF00, run);
                             }}),
                         case_name);
