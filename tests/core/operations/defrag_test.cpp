#include "core/operations/defrag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/operations/operation_contract.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

constexpr uint32_t red = 0x0000FF;
constexpr uint32_t blue = 0xFF0000;
constexpr uint32_t green = 0x00FF00;
constexpr uint32_t grey = 0x808080;

// First red (tail 2), intermediate blue and last green (one byte off each end).
defrag_params three_colours() {
  defrag_params p;
  p.first = scope{false, red};
  p.first_tail = 2;
  p.middle = scope{false, blue};
  p.middle_head = 1;
  p.middle_tail = 1;
  p.last = scope{false, green};
  p.last_head = 1;
  p.last_tail = 1;
  return p;
}

struct outcome {
  contents after;
  std::vector<uint32_t> colours;
  int32_t deleted;
  uint32_t joined;
};

outcome run_defrag(const contents& before, const std::vector<uint32_t>& colours,
                   const defrag_params& params) {
  test_store s(before, colours);
  pass run;
  defrag(s.store, params, run);
  EXPECT_EQ(run.result.processed, static_cast<int32_t>(before.size()));
  EXPECT_TRUE(s.numbered_from_zero());
  outcome o{s.contents(), {}, run.result.deleted, run.result.joined};
  for (const auto& [number, p] : s.store) o.colours.push_back(p->colour);
  return o;
}

TEST(Defrag, JoinsAGroupWhereItCloses) {
  const outcome o = run_defrag({{1, 2, 0xEE, 0xEE}, {0x0F, 3, 4, 0x0E}, {0x0F, 5, 6, 0x0E}, {7}},
                               {red, blue, green, grey}, three_colours());
  EXPECT_EQ(o.after, (contents{{1, 2, 3, 4, 5, 6}, {7}}));
  EXPECT_EQ(o.colours, (std::vector<uint32_t>{colour_white, grey}));
  EXPECT_EQ(o.deleted, 3);
  EXPECT_EQ(o.joined, 1u);
}

TEST(Defrag, MarginsActAsTheirLabelsSay) {
  // Head bytes leave the start, tail bytes the end.
  defrag_params p = three_colours();
  p.middle_head = 2;
  p.middle_tail = 0;
  const outcome o =
      run_defrag({{1, 0xEE, 0xEE}, {0xA, 0xB, 2, 3}, {0, 4, 0}}, {red, blue, green}, p);
  EXPECT_EQ(o.after, (contents{{1, 2, 3, 4}}));
}

TEST(Defrag, GroupsCloseOnANewFirstFragmentAndAtTheEnd) {
  defrag_params p = three_colours();
  p.last.reset();
  // Two first fragments in a row; the green packet is an ordinary one with last fragments off;
  // the group still open at the end is joined there.
  const outcome o = run_defrag({{1, 9, 9}, {2, 9, 9}, {5}, {0, 3, 0}}, {red, red, green, blue}, p);
  EXPECT_EQ(o.after, (contents{{1}, {5}, {2, 3}}));
  EXPECT_EQ(o.joined, 2u);
  EXPECT_EQ(o.deleted, 3);
}

// The record of a group's first fragment carries the joined packet: nothing of the fragment's
// colour, decoded layers or partly used last byte may show through.
TEST(Defrag, JoinedPacketsAreUnmarkedUndecodedWholeBytes) {
  test_store s({{1, 2, 0xEE, 0xEE}, {0x0F, 3, 4, 0x0E}, {0x0F, 5, 6, 0x0E}}, {red, blue, green});
  s.store.at(0)->resize(30);
  s.store.at(0)->decode();
  ASSERT_FALSE(s.store.at(0)->protocols.empty());
  pass run;
  defrag(s.store, three_colours(), run);
  ASSERT_EQ(s.contents(), (contents{{1, 2, 3, 4, 5, 6}}));
  const xpaket& joined = *s.store.at(0);
  EXPECT_EQ(joined.bit_length(), 48u);
  EXPECT_TRUE(joined.protocols.empty());
  EXPECT_EQ(joined.colour, colour_white);
}

TEST(Defrag, AFirstFragmentThatAddsNothingGivesWayToTheNext) {
  // The first red packet is all margin: the group opens with the second.
  const outcome o =
      run_defrag({{9}, {1, 9, 9}, {0, 3, 0}, {0, 4, 0}}, {red, red, blue, green}, three_colours());
  EXPECT_EQ(o.after, (contents{{1, 3, 4}}));
  EXPECT_EQ(o.deleted, 4);
  EXPECT_EQ(o.joined, 1u);
}

TEST(Defrag, ShortFragmentsAddNothingAndOverlongPacketsStay) {
  defrag_params p = three_colours();
  std::vector<uint32_t> told;
  p.on_overlong = [&](uint32_t n) { told.push_back(n); };
  const bytes big(defrag_buffer_bytes, 0x55);
  const outcome o = run_defrag({{1, 2, 3}, {0x0F}, big, {0, 4, 0}}, {red, blue, red, green}, p);
  // The red over-long packet is no first fragment: it stays where it was, the group goes on.
  EXPECT_EQ(o.after, (contents{big, {1, 4}}));
  EXPECT_EQ(told, (std::vector<uint32_t>{2}));
  EXPECT_EQ(o.deleted, 3);
}

TEST(Defrag, FragmentsThatDoNotFitStayInTheSignal) {
  defrag_params p = three_colours();
  p.first_tail = 0;
  p.middle_head = p.middle_tail = p.last_head = p.last_tail = 0;
  const bytes almost(defrag_buffer_bytes - 2, 1);
  // The first fragment fills all but 2 bytes: an intermediate of 2 does not fit (stays, the group
  // goes on), one of 1 does; a last fragment of 2 then does not fit either: it closes the group
  // and stays after it.
  const outcome o = run_defrag({almost, {2, 2}, {3}, {4, 4}}, {red, blue, blue, green}, p);
  bytes joined = almost;
  joined.push_back(3);
  EXPECT_EQ(o.after, (contents{{2, 2}, joined, {4, 4}}));
  EXPECT_EQ(o.joined, 1u);
  EXPECT_EQ(o.deleted, 2);
}

TEST(Defrag, CancelInAGroupLosesNothing) {
  test_store s({{1, 0, 0}, {0, 2, 0}, {0, 3, 0}, {0, 4, 0}, {9}}, {red, blue, blue, green, grey});
  pass run;
  int steps = 0;
  run.step = [&] {
    if (++steps == 2) run.running = false;
  };
  defrag(s.store, three_colours(), run);
  // The open group {1, 2} is joined at the stop; the packets not visited follow unchanged.
  EXPECT_EQ(s.contents(), (contents{{1, 2}, {0, 3, 0}, {0, 4, 0}, {9}}));
  EXPECT_EQ(run.result.processed, 2);
  EXPECT_EQ(run.result.joined, 1u);
  EXPECT_TRUE(s.numbered_from_zero());
}

INSTANTIATE_TEST_SUITE_P(Defrag, OperationContract,
                         ::testing::Values(operation_case{"three_colours",
                                                          [](PAKETS& st, const scope&, pass& run) {
                                                            defrag_params p;
                                                            p.first = scope{false, red};
                                                            p.middle = scope{false, 0xFF0000};
                                                            p.last = scope{false, colour_white};
                                                            defrag(st, p, run);
                                                          },
                                                          false}),
                         case_name);

}  // namespace
