#include "core/operations/conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/operations/pass.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

xsort_clause byte_clause(uint32_t position, clause_operator op, uint8_t value) {
  return {clause_element::byte, op, position, value};
}
xsort_clause bit_clause(uint32_t position, uint8_t value) {
  return {clause_element::bit, clause_operator::equal, position, value};
}

}  // namespace

TEST(Conditions, ParsesEveryFormOfCondition) {
  struct row {
    std::string text;
    CLAUSES expected;
  };
  const row rows[] = {
      {"byte:1=69", {byte_clause(1, clause_operator::equal, 69)}},
      {"byte:10!=0x1f", {byte_clause(10, clause_operator::not_equal, 0x1F)}},
      {"byte:2<=0xFF", {byte_clause(2, clause_operator::at_most, 255)}},
      {"byte:3>=0", {byte_clause(3, clause_operator::at_least, 0)}},
      {"bit:9=1", {bit_clause(9, 1)}},
      {"bit:4294967295=0x0", {bit_clause(4294967295u, 0)}},
      {"byte:1=0x45,byte:10>=0,bit:9=1",
       {byte_clause(1, clause_operator::equal, 0x45), byte_clause(10, clause_operator::at_least, 0),
        bit_clause(9, 1)}},
  };
  for (const row& r : rows) {
    const clauses_parse_result parsed = parse_clauses(r.text);
    EXPECT_EQ(parsed.error, "") << r.text;
    EXPECT_EQ(parsed.clauses, r.expected) << r.text;
  }
}

TEST(Conditions, RefusesMalformedTextNamingTheBadCondition) {
  struct row {
    std::string text;
    std::string named;  // the condition the error quotes
  };
  const row rows[] = {
      {"", "\"\""},
      {"byte:1=1,", "\"\""},
      {",byte:1=1", "\"\""},
      {"byte:0=1", "\"byte:0=1\""},
      {"bit:0=1", "\"bit:0=1\""},
      {"byte:1=256", "\"byte:1=256\""},
      {"byte:1=0x100", "\"byte:1=0x100\""},
      {"byte:1=-1", "\"byte:1=-1\""},
      {"byte:1=+1", "\"byte:1=+1\""},
      {"byte:1=", "\"byte:1=\""},
      {"byte:1=0x", "\"byte:1=0x\""},
      {"byte:1=1x", "\"byte:1=1x\""},
      {"byte:1= 1", "\"byte:1= 1\""},
      {"byte:=1", "\"byte:=1\""},
      {"byte:+1=1", "\"byte:+1=1\""},
      {"byte:0x1=1", "\"byte:0x1=1\""},
      {"byte:4294967296=1", "\"byte:4294967296=1\""},
      {"byte:1<1", "\"byte:1<1\""},
      {"byte:1>1", "\"byte:1>1\""},
      {"byte:1==1", "\"byte:1==1\""},
      {"byte:1", "\"byte:1\""},
      {"bit:3=2", "\"bit:3=2\""},
      {"bit:3!=1", "\"bit:3!=1\""},
      {"bit:3>=1", "\"bit:3>=1\""},
      {"word:1=1", "\"word:1=1\""},
      {"BYTE:1=1", "\"BYTE:1=1\""},
      {"byte:1=1,bit:2=5,byte:0=0", "\"bit:2=5\""},
  };
  for (const row& r : rows) {
    const clauses_parse_result parsed = parse_clauses(r.text);
    EXPECT_TRUE(parsed.clauses.empty()) << r.text;
    EXPECT_NE(parsed.error.find("bad condition " + r.named), std::string::npos)
        << r.text << ": " << parsed.error;
  }
}

TEST(Conditions, TestPacketsByLengthValueAndBitOrder) {
  struct row {
    std::string name;
    std::string conditions;
    bytes packet;
    bool holds;
  };
  const row rows[] = {
      {"equal", "byte:1=69", {69}, true},
      {"equal fails", "byte:1=69", {70}, false},
      {"not equal", "byte:2!=0", {0, 1}, true},
      {"not equal fails", "byte:2!=0", {1, 0}, false},
      {"at most includes equality", "byte:1<=5", {5}, true},
      {"at most below", "byte:1<=5", {4}, true},
      {"at most above", "byte:1<=5", {6}, false},
      {"at least includes equality", "byte:1>=5", {5}, true},
      {"at least above", "byte:1>=5", {255}, true},
      {"at least below", "byte:1>=5", {4}, false},
      {"too short, whatever the operator", "byte:3!=0", {1, 2}, false},
      {"last byte reachable", "byte:3=9", {1, 2, 9}, true},
      {"bit 9 is bit 0 of byte 2", "bit:9=1", {0x00, 0x01}, true},
      {"bit 9 of an even byte", "bit:9=1", {0xFF, 0xFE}, false},
      {"bit 1 is the least significant", "bit:1=1", {0x01}, true},
      {"bit 8 is the most significant", "bit:8=1", {0x80}, true},
      {"bit 8 of 0x7F", "bit:8=0", {0x7F}, true},
      {"bit beyond the packet", "bit:9=0", {0x00}, false},
      {"every condition must hold", "byte:1=69,byte:10>=0", {69, 0, 0, 0, 0, 0, 0, 0, 0}, false},
      {"all of them hold", "byte:1=69,byte:10>=0", {69, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},
      {"an empty packet fails", "byte:1>=0", {}, false},
  };
  for (const row& r : rows) {
    const clauses_parse_result parsed = parse_clauses(r.conditions);
    ASSERT_EQ(parsed.error, "") << r.name;
    test_store s({r.packet});
    EXPECT_EQ(meets_all(s[0], parsed.clauses), r.holds) << r.name;
  }
}

TEST(Conditions, PositionZeroAndUnknownOperators) {
  test_store s({{0, 0, 0}});
  for (clause_operator op : {clause_operator::equal, clause_operator::not_equal,
                             clause_operator::at_most, clause_operator::at_least}) {
    EXPECT_FALSE(clause_holds(s[0], byte_clause(0, op, 0)));
  }
  EXPECT_FALSE(clause_holds(s[0], bit_clause(0, 0)));
  EXPECT_TRUE(clause_holds(s[0], byte_clause(1, static_cast<clause_operator>(7), 9)))
      << "an operator beyond the list always holds";
  EXPECT_FALSE(clause_holds(s[0], byte_clause(4, static_cast<clause_operator>(7), 9)))
      << "but the length test still applies";
  EXPECT_TRUE(meets_all(s[0], {}));
}

TEST(Conditions, ScopeCombinesColourAndConditions) {
  constexpr uint32_t red = 0x0000FF;
  test_store s({{1}, {2}, {1}, {2}}, {red, red, colour_white, colour_white});
  const CLAUSES ones = parse_clauses("byte:1=1").clauses;
  struct row {
    std::string name;
    scope sc;
    std::vector<bool> in;
  };
  const row rows[] = {
      {"all", scope{}, {true, true, true, true}},
      {"red", scope{false, red}, {true, true, false, false}},
      {"conditions", scope{true, colour_white, &ones}, {true, false, true, false}},
      {"red and conditions", scope{false, red, &ones}, {true, false, false, false}},
  };
  for (const row& r : rows) {
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(r.sc.contains(s[i]), r.in[i]) << r.name << ' ' << i;
  }
}

TEST(Conditions, ALongListInAnyOrderTestsLikeTheList) {
  // Conditions on 2000 bytes in a scattered order; those on byte 5 stand far apart in the list.
  constexpr uint32_t length = 2000;
  CLAUSES list = {byte_clause(5, clause_operator::at_least, 3)};
  for (uint32_t k = 0; k < length; ++k) {
    list.push_back(byte_clause(k * 7919 % length + 1, clause_operator::at_least, 1));
    if (k == length / 2) list.push_back(bit_clause(33, 1));
  }
  list.push_back(byte_clause(5, clause_operator::at_most, 7));
  const clause_test test(list);
  // Byte 5 must be odd and within 3..7; every byte at least 1; the packet 2000 bytes long.
  const std::vector<std::pair<uint8_t, bool>> fifth = {{3, true},  {5, true},  {7, true},
                                                       {8, false}, {2, false}, {4, false}};
  for (const auto& [value, holds] : fifth) {
    bytes packet(length, 1);
    packet[4] = value;
    test_store s({packet, bytes(length - 1, 1)});
    EXPECT_EQ(test(s[0]), holds) << int{value};
    EXPECT_FALSE(test(s[1])) << "one byte short";
  }
}
