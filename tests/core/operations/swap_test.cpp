#include "core/operations/swap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/operations/operation_contract.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

constexpr uint32_t red = 0x0000FF;

constexpr swap_params reverse{swap_mode::reverse_bits};
constexpr swap_params pairs{swap_mode::swap_bytes};

}  // namespace

TEST(Swap, RearrangesOnePacket) {
  struct row {
    std::string name;
    swap_params params;
    bytes input;
    uint32_t input_bits;  // 0: 8 per byte
    bytes expected;
    int32_t changed;
  };
  const row rows[] = {
      {"mirrors of single bits", reverse, {0x01, 0x0F, 0x12, 0x80}, 0, {0x80, 0xF0, 0x48, 0x01}, 1},
      // The used low nibble of the last byte moves into its unused upper half.
      {"partial last byte", reverse, {0x35, 0x0A}, 12, {0xAC, 0x50}, 1},
      {"empty packet counts", reverse, {}, 0, {}, 1},
      {"three bytes", pairs, {1, 2, 3}, 0, {2, 1, 3}, 1},
      {"four bytes", pairs, {1, 2, 3, 4}, 0, {2, 1, 4, 3}, 2},
      {"partial last byte in a pair", pairs, {0x11, 0x05}, 12, {0x05, 0x11}, 1},
      {"one byte", pairs, {7}, 0, {7}, 0},
      {"empty packet", pairs, {}, 0, {}, 0},
  };
  for (const row& r : rows) {
    test_store s({r.input});
    if (r.input_bits != 0) s[0].resize(r.input_bits);
    const uint32_t bits = s[0].bit_length();
    pass run;
    swap(s.store, scope{}, r.params, run);
    EXPECT_EQ(s.packet(0), r.expected) << r.name;
    EXPECT_EQ(s[0].bit_length(), bits) << r.name;
    EXPECT_EQ(run.result.changed, r.changed) << r.name;
    EXPECT_EQ(run.result.processed, 1) << r.name;
    EXPECT_FALSE(run.result.modified) << r.name;
  }
}

TEST(Swap, TwiceRestoresEveryByte) {
  bytes all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<uint8_t>(i);
  for (const swap_params params : {reverse, pairs}) {
    test_store s(std::vector<bytes>{all, {1, 2, 3}});
    s[1].resize(20);
    pass run;
    swap(s.store, scope{}, params, run);
    EXPECT_NE(s.packet(0), all);
    swap(s.store, scope{}, params, run);
    EXPECT_EQ(s.packet(0), all);
    EXPECT_EQ(s.packet(1), (bytes{1, 2, 3}));
    EXPECT_EQ(s[1].bit_length(), 20u);
  }
}

TEST(Swap, OnlyThePacketsInScopeCount) {
  test_store s({{1, 2}, {1, 2}, {1, 2, 3, 4}}, {colour_white, red, colour_white});
  pass run;
  swap(s.store, scope{false, colour_white}, pairs, run);
  EXPECT_EQ(s.contents(), (std::vector<bytes>{{2, 1}, {1, 2}, {2, 1, 4, 3}}));
  EXPECT_EQ(run.result.changed, 3);
  EXPECT_EQ(run.result.processed, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Swap, OperationContract,
    ::testing::Values(operation_case{"reverse_bits", [](PAKETS& st, const scope& sc,
                                                        pass& run) { swap(st, sc, reverse, run); }},
                      operation_case{"swap_bytes", [](PAKETS& st, const scope& sc,
                                                      pass& run) { swap(st, sc, pairs, run); }}),
    case_name);
