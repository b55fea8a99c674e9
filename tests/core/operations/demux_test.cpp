#include "core/operations/demux.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/operations/operation_contract.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

constexpr uint32_t red = 0x0000FF;

TEST(Demux, KeepsOrRemovesTheBandOnWholeBytes) {
  struct row {
    std::string name;
    bool keep;
    uint32_t first, last;
    contents before, after;
    int32_t changed, deleted;
  };
  const row rows[] = {
      // B = 4 reaches the last column (L = 3) and keeps F..L; B = 3 = L keeps F..B-1.
      {"keep 2-4",
       true,
       1,
       3,
       {{0x10, 0x11, 0x12, 0x13, 0x14},
        {0x10, 0x11, 0x12, 0x13},
        {0x10, 0x11, 0x12},
        {0x10, 0x11},
        {0x10}},
       {{0x11, 0x12, 0x13}, {0x11, 0x12, 0x13}, {0x11, 0x12}, {0x11}},
       4,
       1},
      {"remove 2-4",
       false,
       1,
       3,
       {{0x10, 0x11, 0x12, 0x13, 0x14}, {0x10, 0x11, 0x12}, {0x10}},
       {{0x10, 0x14}, {0x10}, {0x10}},
       3,
       0},
      {"keep from the first byte", true, 0, 0, {{1, 2, 3}, {}}, {{1}}, 1, 1},
      {"remove everything a packet has", false, 0, 3, {{1, 2}}, {{}}, 1, 0},
  };
  for (const row& r : rows) {
    test_store s(r.before);
    pass run;
    demux(s.store, scope{}, {r.keep, r.first, r.last}, run);
    EXPECT_EQ(s.contents(), r.after) << r.name;
    EXPECT_EQ(run.result.changed, r.changed) << r.name;
    EXPECT_EQ(run.result.deleted, r.deleted) << r.name;
    EXPECT_EQ(run.result.processed, static_cast<int32_t>(r.before.size())) << r.name;
    EXPECT_TRUE(run.result.modified) << r.name;
    EXPECT_TRUE(s.numbered_from_zero()) << r.name;
  }
}

TEST(Demux, ResultsEndOnAWholeByte) {
  // A 12-bit packet kept whole by a band wider than it becomes 16 bits.
  test_store s;
  auto* p = new xpaket(bytes{0xAB, 0x0C}.data(), 2);
  p->resize(12);
  s.store.append(p);
  pass run;
  demux(s.store, scope{}, {true, 0, 3}, run);
  EXPECT_EQ(s.store.at(0)->bit_length(), 16u);
  EXPECT_EQ(s.packet(0), (bytes{0xAB, 0x0C}));
}

TEST(Demux, PacketsOutOfScopeAreRenumberedWithTheRest) {
  test_store s({{1, 2}, {3}, {4, 5}, {6, 7}}, {colour_white, red, colour_white, red});
  const auto before = s.pointers();
  pass run;
  demux(s.store, scope{false, red}, {true, 1, 1}, run);  // the red {3} is deleted
  EXPECT_EQ(s.contents(), (contents{{1, 2}, {4, 5}, {7}}));
  EXPECT_EQ(s.pointers()[1], before[2]);
  EXPECT_EQ(run.result.deleted, 1);
  EXPECT_EQ(run.result.changed, 1);
}

TEST(Demux, NothingInScopeLeavesTheStoreUnmodified) {
  test_store s({{1, 2}}, {red});
  pass run;
  demux(s.store, scope{false, colour_white}, {false, 0, 0}, run);
  EXPECT_FALSE(run.result.modified);
  EXPECT_EQ(s.contents(), (contents{{1, 2}}));
}

INSTANTIATE_TEST_SUITE_P(
    Demux, OperationContract,
    ::testing::Values(operation_case{"keep",
                                     [](PAKETS& st, const scope& sc, pass& run) {
                                       demux(st, sc, {true, 2, 5}, run);
                                     }},
                      operation_case{"remove",
                                     [](PAKETS& st, const scope& sc, pass& run) {
                                       demux(st, sc, {false, 1, 3}, run);
                                     }}),
    case_name);

}  // namespace
