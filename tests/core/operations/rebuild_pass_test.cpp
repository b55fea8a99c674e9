#include "core/operations/rebuild_pass.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <vector>

#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;
using contents = std::vector<bytes>;

// Packets 0..n-1, packet k holding the one byte k.
std::vector<bytes> numbered(uint8_t n) {
  std::vector<bytes> all;
  for (uint8_t k = 0; k < n; ++k) all.push_back({k});
  return all;
}

xpaket* packet_of(uint8_t b) {
  return new xpaket(&b, 1);
}

}  // namespace

TEST(RebuildStore, CreatedPacketsMayOvertakeTheWalk) {
  // Every packet is followed by a new one: more packets than visited, all in order.
  test_store s(numbered(3));
  pass run;
  rebuild_store(s.store, run, [](xpaket* p, new_numbering& next) {
    next.append(p);
    next.append(packet_of(static_cast<uint8_t>(0x10 + p->bytes()[0])));
  });
  EXPECT_EQ(s.contents(), (contents{{0}, {0x10}, {1}, {0x11}, {2}, {0x12}}));
  EXPECT_TRUE(s.numbered_from_zero());
  EXPECT_EQ(run.result.processed, 3);
}

TEST(RebuildStore, PacketsThatOvertookTheWalkComeBeforeTheUnreachedOnes) {
  // Every packet is followed by a new one; the pass stops at packet 2, by Cancel or by a throw.
  for (const bool by_throw : {false, true}) {
    test_store s(numbered(5));
    pass run;
    run.step = [&run, by_throw] {
      if (!by_throw && run.result.processed == 2) run.running = false;
    };
    const auto rebuild = [&] {
      rebuild_store(s.store, run, [&](xpaket* p, new_numbering& next) {
        if (by_throw && p->bytes()[0] == 2) throw std::runtime_error("visit");
        next.append(p);
        next.append(packet_of(static_cast<uint8_t>(0x10 + p->bytes()[0])));
      });
    };
    if (by_throw) {
      EXPECT_THROW(rebuild(), std::runtime_error);
    } else {
      rebuild();
    }
    EXPECT_EQ(s.contents(), (contents{{0}, {0x10}, {1}, {0x11}, {2}, {3}, {4}})) << by_throw;
    EXPECT_TRUE(s.numbered_from_zero());
    EXPECT_EQ(run.result.processed, 2);
    EXPECT_FALSE(run.running);
  }
}

TEST(RebuildStore, CloseAppendsBeforeTheUnvisitedPackets) {
  // Packets are held back in an open group and flushed as one packet: at each even packet, and
  // by close after a cancel.
  test_store s(numbered(6));
  pass run;
  std::vector<xpaket*> group;
  const auto flush = [&](new_numbering& next) {
    if (group.empty()) return;
    bytes joined;
    for (xpaket* g : group) {
      joined.push_back(g->bytes()[0]);
      run.delete_paket(g);
    }
    group.clear();
    next.append(new xpaket(joined.data(), static_cast<uint32_t>(joined.size())));
  };
  run.step = [&run] {
    if (run.result.processed == 4) run.running = false;
  };
  rebuild_store(
      s.store, run,
      [&](xpaket* p, new_numbering& next) {
        if (p->bytes()[0] % 2 == 0) flush(next);
        group.push_back(p);
      },
      flush);
  EXPECT_EQ(s.contents(), (contents{{0, 1}, {2, 3}, {4}, {5}}));
  EXPECT_TRUE(s.numbered_from_zero());
  EXPECT_EQ(run.result.deleted, 4);
  EXPECT_EQ(run.result.processed, 4);
  EXPECT_FALSE(run.running);
}

TEST(RebuildStore, AThrowingVisitLeavesEveryPacketInTheStore) {
  for (uint8_t failing = 0; failing < 5; ++failing) {
    test_store s(numbered(5));
    pass run;
    const auto rebuild = [&] {
      rebuild_store(s.store, run, [&](xpaket* p, new_numbering& next) {
        if (p->bytes()[0] == failing) throw std::bad_alloc();
        if (p->bytes()[0] % 2 == 0) {
          next.append(p);
        } else {
          run.delete_paket(p);
        }
      });
    };
    EXPECT_THROW(rebuild(), std::bad_alloc);
    // Kept even packets before the failing one, then the failing one and the rest.
    contents expected;
    for (uint8_t k = 0; k < 5; ++k) {
      if (k >= failing || k % 2 == 0) expected.push_back({k});
    }
    EXPECT_EQ(s.contents(), expected) << int{failing};
    EXPECT_TRUE(s.numbered_from_zero());
    EXPECT_FALSE(run.running);
  }
}

TEST(RebuildStore, AVisitThatAppendsAndThenThrowsKeepsItsPacket) {
  // Packet 2's visit numbers a new packet into packet 2's own slot before it throws.
  test_store s(numbered(5));
  pass run;
  const auto rebuild = [&] {
    rebuild_store(s.store, run, [&](xpaket* p, new_numbering& next) {
      if (p->bytes()[0] == 2) {
        next.append(packet_of(0x20));
        throw std::runtime_error("visit");
      }
      next.append(p);
    });
  };
  EXPECT_THROW(rebuild(), std::runtime_error);
  EXPECT_EQ(s.contents(), (contents{{0}, {1}, {0x20}, {2}, {3}, {4}}));
  EXPECT_TRUE(s.numbered_from_zero());
}

TEST(RebuildStore, DeletingEverythingEmptiesTheStore) {
  test_store s(numbered(4));
  pass run;
  rebuild_store(s.store, run, [&](xpaket* p, new_numbering&) { run.delete_paket(p); });
  EXPECT_TRUE(s.store.empty());
  EXPECT_EQ(run.result.deleted, 4);

  test_store empty;
  rebuild_store(empty.store, run, [&](xpaket* p, new_numbering&) { run.delete_paket(p); });
  EXPECT_TRUE(empty.store.empty());
}
