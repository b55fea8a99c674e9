#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/operations/operation_contract.h"
#include "core/statistics/statistics.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using rows = std::vector<std::pair<uint32_t, STAT_TYPE>>;

constexpr uint32_t absent = stat_absent;

rows as_rows(const STAT_SORTED_DATA& variants) {
  return {variants.begin(), variants.end()};
}

stat_result run_statistics(const PAKETS& store, stat_mode mode, std::vector<uint32_t> positions) {
  pass run;
  return statistics(store, mode, positions, run);
}

}  // namespace

TEST(Statistics, VariantsByCountThenKey) {
  struct row {
    std::string name;
    std::vector<bytes> packets;
    stat_mode mode;
    std::vector<uint32_t> positions;
    rows expected;
  };
  const row cases[] = {
      {"empty store", {}, stat_mode::bytes, {0}, {}},
      {"empty key counts every packet", {{1}, {2}, {}}, stat_mode::bytes, {}, {{3, {}}}},
      {"lengths",
       {bytes(10), bytes(10), bytes(12)},
       stat_mode::lengths,
       {},
       {{2, {10}}, {1, {12}}}},
      {"equal counts in ascending key order",
       {{9}, {3}, {7}, {3}, {9}, {7}},
       stat_mode::bytes,
       {0},
       {{2, {3}}, {2, {7}}, {2, {9}}}},
      {"two bytes, repeated position",
       {{1, 2}, {1, 3}, {1, 2}},
       stat_mode::bytes,
       {0, 1, 0},
       {{2, {1, 2, 1}}, {1, {1, 3, 1}}}},
      {"bits from the least significant end",
       {{0x01}, {0x02}, {0x03}, {0x80}},
       stat_mode::bits,
       {0, 1},
       {{1, {0, 0}}, {1, {0, 1}}, {1, {1, 0}}, {1, {1, 1}}}},
      {"bit 15 of the second byte",
       {{0, 0x80}, {0xFF, 0x7F}},
       stat_mode::bits,
       {15},
       {{1, {0}}, {1, {1}}}},
      // A short packet never counts as a value it does not have: the element past its end is
      // absent and sorts after every value.
      {"short packet, byte",
       {{5, 0}, {5}, {5, 0}},
       stat_mode::bytes,
       {0, 1},
       {{2, {5, 0}}, {1, {5, absent}}}},
      {"reading stops at the first position outside",
       {{1, 2}, {1, 2, 3}},
       stat_mode::bytes,
       {2, 0},
       {{1, {3, 1}}, {1, {absent, absent}}}},
      {"short packet, bit", {{1}, {}}, stat_mode::bits, {0}, {{1, {1}}, {1, {absent}}}},
      {"three bytes go through the table",
       {{1, 2, 3}, {1, 2, 3}, {0, 0}, {1, 2, 4}},
       stat_mode::bytes,
       {0, 1, 2},
       {{2, {1, 2, 3}}, {1, {0, 0, absent}}, {1, {1, 2, 4}}}},
  };
  for (const row& c : cases) {
    test_store s(c.packets);
    pass run;
    const stat_result r = statistics(s.store, c.mode, c.positions, run);
    EXPECT_EQ(as_rows(r.variants), c.expected) << c.name;
    EXPECT_EQ(r.processed, static_cast<int32_t>(c.packets.size())) << c.name;
    EXPECT_EQ(run.result.processed, r.processed) << c.name;
    EXPECT_FALSE(r.limited) << c.name;
    EXPECT_FALSE(run.running) << c.name;
    EXPECT_FALSE(run.result.modified) << c.name;
  }
}

TEST(Statistics, LongLengthsAreCountedLikeShortOnes) {
  test_store s({bytes(70000), bytes(3), bytes(70000), bytes(65535)});
  const stat_result r = run_statistics(s.store, stat_mode::lengths, {});
  EXPECT_EQ(as_rows(r.variants), (rows{{2, {70000}}, {1, {3}}, {1, {65535}}}));
}

TEST(Statistics, TheLimitStopsAtExactlyTwentyThousandVariants) {
  // Packet k holds k low byte first: every packet brings a new variant, so the 20000th ends it.
  std::vector<bytes> packets;
  for (uint32_t k = 0; k < 20001; ++k) {
    packets.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8)});
  }
  test_store s(packets);
  const stat_result r = run_statistics(s.store, stat_mode::bytes, {1, 0});
  EXPECT_TRUE(r.limited);
  EXPECT_EQ(r.variants.size(), stat_variant_limit);
  EXPECT_EQ(r.processed, 19999);
  EXPECT_EQ(r.variants.begin()->second, (STAT_TYPE{0, 0}));
  EXPECT_EQ(r.variants.rbegin()->second, (STAT_TYPE{19999 >> 8, 19999 & 0xFF}));

  // One variant fewer is no limit.
  packets.resize(19999);
  test_store fewer(packets);
  const stat_result below = run_statistics(fewer.store, stat_mode::bytes, {1, 0});
  EXPECT_FALSE(below.limited);
  EXPECT_EQ(below.variants.size(), 19999u);
  EXPECT_EQ(below.processed, 19999);
}

TEST(Statistics, ThreeBytePositionsReachTheLimitToo) {
  std::vector<bytes> packets;
  for (uint32_t k = 0; k < 30000; ++k) {
    packets.push_back({static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8), 0});
  }
  test_store s(packets);
  const stat_result r = run_statistics(s.store, stat_mode::bytes, {0, 1, 2});
  EXPECT_TRUE(r.limited);
  EXPECT_EQ(r.variants.size(), stat_variant_limit);
  EXPECT_EQ(r.processed, 19999);
}

TEST(Statistics, CancelKeepsWhatWasCounted) {
  test_store s({{1}, {2}, {2}, {3}});
  pass run;
  int steps = 0;
  run.step = [&] {
    if (++steps == 2) run.running = false;
  };
  bool sorted = false;
  const stat_result r = statistics(s.store, stat_mode::bytes, {0}, run,
                                   [&](bool limited) { sorted = !run.running && !limited; });
  EXPECT_TRUE(sorted);
  EXPECT_EQ(r.processed, 2);
  EXPECT_EQ(as_rows(r.variants), (rows{{1, {1}}, {1, {2}}}));
}

TEST(Statistics, ShareFormat) {
  struct row {
    uint32_t count;
    size_t total;
    std::string expected;
  };
  const row cases[] = {
      {1, 2, "50.00"},      {1, 3, "33.333"}, {2, 3, "66.667"}, {5, 5, "100.00"},
      {1, 8, "12.50"},      {1, 40, "2.50"},  {0, 7, "0.00"},   {1, 1000000, "0.00"},
      {1, 100000, "0.001"}, {3, 0, ""},
  };
  for (const row& c : cases) {
    EXPECT_EQ(format_share(c.count, c.total), c.expected) << c.count << "/" << c.total;
  }
  EXPECT_EQ(format_share(1, 3, ','), "33,333");
}

TEST(Statistics, Csv) {
  test_store s({{1, 2}, {1}, {1, 2}});
  const std::vector<uint32_t> positions{0, 1};
  const stat_result bytes_result = run_statistics(s.store, stat_mode::bytes, positions);
  EXPECT_EQ(statistics_csv(bytes_result.variants, stat_mode::bytes, {2, 6}, s.store.size()),
            "byte3,byte7,packets,percent\n1,2,2,66.667\n1,,1,33.333\n");
  EXPECT_EQ(statistics_csv(bytes_result.variants, stat_mode::bits, {8}, 4),
            "bit9,packets,percent\n1,2,2,50.00\n1,,1,25.00\n");
  const stat_result lengths = run_statistics(s.store, stat_mode::lengths, {});
  EXPECT_EQ(statistics_csv(lengths.variants, stat_mode::lengths, {}, s.store.size()),
            "length,packets,percent\n2,2,66.667\n1,1,33.333\n");
  const stat_result empty_key = run_statistics(s.store, stat_mode::bytes, {});
  EXPECT_EQ(statistics_csv(empty_key.variants, stat_mode::bytes, {}, s.store.size()),
            "packets,percent\n3,100.00\n");
}

TEST(Statistics, ChartLabelsAndLengthBins) {
  EXPECT_EQ(key_text({69, 0, 255}), "69 0 255");
  EXPECT_EQ(key_text({5, absent}), "5 -");
  EXPECT_EQ(key_text({}), "все пакеты");

  // Lengths 3 (twice), 7 and 10 (three times).
  const STAT_SORTED_DATA lengths{{3, {10}}, {2, {3}}, {1, {7}}};
  using bins = std::vector<length_bin>;
  EXPECT_EQ(length_histogram(lengths, 3), (bins{{3, 3, 2}, {7, 7, 1}, {10, 10, 3}}));
  // The lengths 3..10 in two bins of four.
  EXPECT_EQ(length_histogram(lengths, 2), (bins{{3, 6, 2}, {7, 10, 4}}));
  EXPECT_EQ(length_histogram(lengths, 1), (bins{{3, 10, 6}}));
  EXPECT_EQ(length_histogram({{1, {0}}, {1, {4}}, {1, {9}}}, 2), (bins{{0, 4, 2}, {5, 9, 1}}));
  EXPECT_EQ(length_histogram(lengths, 0), bins{});
  // The widest span there is ends at the largest length.
  EXPECT_EQ(length_histogram({{1, {0}}, {1, {7}}, {1, {UINT32_MAX}}}, 2),
            (bins{{0, 0x7FFFFFFF, 2}, {0x80000000, UINT32_MAX, 1}}));
}

TEST(Statistics, ShareScale) {
  struct row {
    double highest;
    share_scale expected;
  };
  const row cases[] = {
      {47.3, {50, 10, 0}},         {100, {100, 20, 0}}, {50, {60, 10, 0}},     {0.5, {0.6, 0.1, 1}},
      {0.0033, {0.004, 0.001, 3}}, {7, {8, 2, 0}},      {0.26, {0.3, 0.1, 1}}, {0, {100, 25, 0}},
  };
  for (const row& c : cases) {
    const share_scale s = share_scale_for(c.highest, 5);
    EXPECT_NEAR(s.top, c.expected.top, 1e-12) << c.highest;
    EXPECT_NEAR(s.step, c.expected.step, 1e-12) << c.highest;
    EXPECT_EQ(s.decimals, c.expected.decimals) << c.highest;
  }
}

// Reads every packet and changes none; it takes no scope.
INSTANTIATE_TEST_SUITE_P(Statistics, OperationContract,
                         ::testing::Values(operation_case{
                             "bytes",
                             [](PAKETS& st, const scope&, pass& run) {
                               statistics(st, stat_mode::bytes, {0, 2}, run);
                             },
                             false}),
                         case_name);
