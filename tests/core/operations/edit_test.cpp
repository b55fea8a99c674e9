#include "core/operations/edit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/operations/operation_contract.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint32_t red = 0x0000FF;

edit_params byte_at(uint32_t position, uint8_t value) {
  return {false, position, value};
}
edit_params bit_at(uint32_t position, uint8_t value) {
  return {true, position, value};
}

}  // namespace

TEST(Edit, WritesOnePacket) {
  struct row {
    std::string name;
    edit_params params;
    bytes input;
    uint32_t input_bits;  // 0: 8 per byte
    bytes expected;
    bool changed;
  };
  const row rows[] = {
      {"third byte", byte_at(2, 0xFF), {1, 2, 3}, 0, {1, 2, 0xFF}, true},
      {"byte past the end", byte_at(2, 0xFF), {1, 2}, 0, {1, 2}, false},
      {"same value still counts", byte_at(0, 1), {1}, 0, {1}, true},
      {"partial last byte", byte_at(1, 0xAB), {1, 2}, 12, {1, 0xAB}, true},
      {"empty packet", byte_at(0, 1), {}, 0, {}, false},
      {"bit 9 set", bit_at(8, 1), {0, 0}, 0, {0, 1}, true},
      {"bit 9 cleared", bit_at(8, 0), {0xFF, 0xFF}, 0, {0xFF, 0xFE}, true},
      {"any non-zero sets", bit_at(15, 0x80), {0, 0}, 0, {0, 0x80}, true},
      {"bit within a partial byte", bit_at(11, 1), {0, 0}, 12, {0, 0x08}, true},
      {"bit 13 of 12", bit_at(12, 1), {0, 0}, 12, {0, 0}, false},
  };
  for (const row& r : rows) {
    test_store s({r.input});
    if (r.input_bits != 0) s[0].resize(r.input_bits);
    const uint32_t bits = s[0].bit_length();
    pass run;
    edit(s.store, scope{}, r.params, run);
    EXPECT_EQ(s.packet(0), r.expected) << r.name;
    EXPECT_EQ(s[0].bit_length(), bits) << r.name;
    EXPECT_EQ(run.result.changed, r.changed ? 1 : 0) << r.name;
    EXPECT_EQ(run.result.processed, 1) << r.name;
    EXPECT_FALSE(run.result.modified) << r.name;
  }
}

TEST(Edit, ValueIsTheLowEightBits) {
  const std::pair<int32_t, uint8_t> rows[] = {{0, 0},    {255, 255}, {256, 0},      {300, 44},
                                              {-1, 255}, {-256, 0},  {INT32_MIN, 0}};
  for (const auto& [typed, value] : rows) EXPECT_EQ(edit_value_of(typed), value) << typed;
}

TEST(Edit, ScopeAndLengthDecideWhatIsWritten) {
  test_store s({{1, 2, 3}, {1, 2}, {1, 2, 3}, {1, 2, 3, 4}},
               {colour_white, colour_white, red, red});
  pass run;
  edit(s.store, scope{false, red}, byte_at(2, 0), run);
  EXPECT_EQ(s.contents(), (std::vector<bytes>{{1, 2, 3}, {1, 2}, {1, 2, 0}, {1, 2, 0, 4}}));
  EXPECT_EQ(run.result.changed, 2);
  EXPECT_EQ(run.result.processed, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Edit, OperationContract,
    ::testing::Values(operation_case{"byte",
                                     [](PAKETS& st, const scope& sc, pass& run) {
                                       edit(st, sc, byte_at(3, 0x99), run);
                                     }},
                      operation_case{"bit", [](PAKETS& st, const scope& sc,
                                               pass& run) { edit(st, sc, bit_at(5, 0), run); }}),
    case_name);
