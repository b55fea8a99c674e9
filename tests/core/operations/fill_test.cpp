#include "core/operations/fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "core/operations/operation_contract.h"
#include "support/memory_figure.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint32_t red = 0x0000FF;

fill_params to(int32_t target, uint8_t value = 0) {
  return {false, target, value};
}

}  // namespace

TEST(Fill, PadsOnePacketToTheTarget) {
  struct row {
    std::string name;
    fill_params params;
    bytes input;
    uint32_t input_bits;  // 0: 8 per byte
    bytes expected;
    uint32_t expected_bits;
    bool changed;
  };
  const row rows[] = {
      {"two bytes to four", to(4, 0xFF), {1, 2}, 0, {1, 2, 0xFF, 0xFF}, 32, true},
      // The spare bits 12..15 of the old last byte stay and become part of the packet.
      {"twelve bits to three bytes", to(3, 0xAA), {0x34, 0xF2}, 12, {0x34, 0xF2, 0xAA}, 24, true},
      {"empty packet", to(2, 7), {}, 0, {7, 7}, 16, true},
      {"target of zero", to(0, 9), {1}, 0, {1}, 8, false},
      {"already at the target", to(2, 9), {1, 2}, 0, {1, 2}, 16, false},
      {"partial byte at the target stays partial", to(2, 9), {1, 2}, 12, {1, 2}, 12, false},
      {"longer than the target", to(1, 9), {1, 2}, 0, {1, 2}, 16, false},
      {"negative target", to(-1, 9), {1, 2}, 0, {1, 2}, 16, false},
      {"most negative target", to(INT32_MIN, 9), {1}, 0, {1}, 8, false},
  };
  for (const row& r : rows) {
    test_store s({r.input});
    if (r.input_bits != 0) s[0].resize(r.input_bits);
    const bytes stored = s.packet(0);
    pass run;
    fill(s.store, scope{}, r.params, run);
    EXPECT_EQ(s.packet(0), r.expected) << r.name;
    // Every stored byte stays, the spare bits of a partial last byte included.
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), s.packet(0).begin())) << r.name;
    EXPECT_EQ(s[0].bit_length(), r.expected_bits) << r.name;
    EXPECT_EQ(run.result.changed, r.changed ? 1 : 0) << r.name;
    EXPECT_EQ(run.result.processed, 1) << r.name;
    EXPECT_FALSE(run.result.modified) << r.name;
    EXPECT_FALSE(run.running) << r.name;
  }
}

TEST(Fill, GrowthIsComparedWithTheMemoryBudgetBeforeThePass) {
  test_store s({{1}, bytes(10, 2), {3, 3}}, {colour_white, colour_white, red});
  const scope all{};
  const scope white{false, colour_white};
  constexpr uint64_t past_any_packet = UINT64_MAX;
  struct row {
    const char* what;
    scope in;
    fill_params params;
    uint64_t growth;  // a new buffer and its allocator header for every packet padded
  };
  const row rows[] = {
      {"to 10", all, to(10), 2 * (10 + 16)},
      {"to 10, white only", white, to(10), 10 + 16},
      {"longest", all, {true, 0, 0}, 2 * (10 + 16)},
      {"nothing shorter", all, to(1), 0},
      {"negative", all, to(-5), 0},
      {"past any packet", all, to(INT32_MAX), past_any_packet},
  };
  for (const row& r : rows) {
    EXPECT_EQ(fill_growth(s.store, r.in, r.params), r.growth) << r.what;
    if (r.growth != past_any_packet) {
      const memory_figure enough(memory_reserve + r.growth);
      EXPECT_TRUE(fill_fits_memory(s.store, r.in, r.params)) << r.what;
    }
    const memory_figure short_by_one(memory_reserve + std::min(r.growth, uint64_t{1} << 40) - 1);
    EXPECT_EQ(fill_fits_memory(s.store, r.in, r.params), r.growth == 0) << r.what;
  }
}

TEST(Fill, APacketThatCannotBePaddedStopsThePassAndIsReported) {
  test_store s({{1, 2, 3}, {1}, {2}}, {colour_white, red, red});
  pass run;
  EXPECT_FALSE(fill(s.store, scope{false, red}, to(INT32_MAX), run));
  EXPECT_EQ(run.result.processed, 1);  // the white packet is out of scope; the next cannot grow
  EXPECT_EQ(run.result.changed, 0);
  EXPECT_EQ(s.contents(), (std::vector<bytes>{{1, 2, 3}, {1}, {2}}));
  EXPECT_FALSE(run.running);
}

TEST(Fill, LongestModeMeasuresTheWholeStoreWhateverTheScope) {
  // The longest packet is red and out of scope; the white ones grow to its length all the same.
  test_store s({{1}, {1, 2, 3, 4, 5}, {1, 2}, {}}, {colour_white, red, colour_white, red});
  pass run;
  fill(s.store, scope{false, colour_white}, {true, 0, 0x5A}, run);
  EXPECT_EQ(s.contents(),
            (std::vector<bytes>{
                {1, 0x5A, 0x5A, 0x5A, 0x5A}, {1, 2, 3, 4, 5}, {1, 2, 0x5A, 0x5A, 0x5A}, {}}));
  EXPECT_EQ(run.result.changed, 2);
  EXPECT_EQ(run.result.processed, 4);
}

TEST(Fill, LongestModeIgnoresTheNumericTargetAndAnEmptyStoreIsNothing) {
  test_store s(std::vector<bytes>{{1}, {1, 2}});
  pass run;
  fill(s.store, scope{}, {true, 100, 1}, run);
  EXPECT_EQ(s.contents(), (std::vector<bytes>{{1, 1}, {1, 2}}));

  test_store empty;
  pass none;
  fill(empty.store, scope{}, {true, 0, 1}, none);
  EXPECT_EQ(none.result.processed, 0);
  EXPECT_FALSE(none.running);
}

INSTANTIATE_TEST_SUITE_P(
    Fill, OperationContract,
    ::testing::Values(operation_case{"longest",
                                     [](PAKETS& st, const scope& sc, pass& run) {
                                       fill(st, sc, {true, 0, 0xEE}, run);
                                     }},
                      operation_case{"to_ten", [](PAKETS& st, const scope& sc,
                                                  pass& run) { fill(st, sc, to(10, 1), run); }}),
    case_name);
