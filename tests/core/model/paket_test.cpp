#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

#include "core/model/pakets.h"
#include "core/protocols/protocol.h"

namespace {

struct counted_layer : xprotocol {
  explicit counted_layer(std::vector<int>& log, int id) : log_(log), id_(id) {}
  ~counted_layer() override { log_.push_back(id_); }
  std::unique_ptr<xprotocol> parse(const xprotocol&) override { return nullptr; }
  std::vector<int>& log_;
  int id_;
};

xpaket* make(std::vector<uint8_t> bytes) {
  return new xpaket(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace

TEST(Paket, NewPacketIsWhiteWithoutLayers) {
  const uint8_t bytes[] = {1, 2, 3};
  xpaket p(bytes, 3);
  EXPECT_EQ(p.colour, 0xFFFFFFu);
  EXPECT_TRUE(p.protocols.empty());
  EXPECT_EQ(p.size(false), 24u);
  EXPECT_NE(p.bytes(), bytes);  // a copy

  xpaket empty(nullptr, 0);
  EXPECT_EQ(empty.size(false), 0u);
  EXPECT_EQ(empty.size(true), 0u);

  const uint8_t cut[] = {7, 8};
  xpaket short_record(cut, 2, 5);
  EXPECT_EQ(std::vector<uint8_t>(short_record.bytes(), short_record.bytes() + 5),
            (std::vector<uint8_t>{7, 8, 0, 0, 0}));
}

TEST(Paket, DestructorDestroysEveryLayerInListOrder) {
  std::vector<int> log;
  auto* p = make({1});
  for (int id = 1; id <= 3; ++id) p->protocols.push_back(new counted_layer(log, id));
  delete p;
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
}

TEST(Paket, WriteWithAndWithoutLengthField) {
  xpaket p(nullptr, 0);
  p.resize(13);
  p.set_byte(0, 0xAB);
  p.set_byte(1, 0xFF);  // padding bits above bit 12 are written as stored
  std::ostringstream sig;
  std::ostringstream bit;
  p.write(sig, true);
  p.write(bit);
  EXPECT_EQ(sig.str(), std::string("\x02\x00\xAB\xFF", 4));
  EXPECT_EQ(bit.str(), std::string("\xAB\xFF", 2));
}

TEST(Pakets, AppendNumbersFromTheSizeAndAssignmentSharesPackets) {
  PAKETS store;
  for (int i = 0; i < 10; ++i) store.append(make({static_cast<uint8_t>(i)}));
  ASSERT_EQ(store.size(), 10u);
  EXPECT_EQ(store.begin()->first, 0u);
  EXPECT_EQ(store.rbegin()->first, 9u);

  // Drop 3 and 5 the way the filtering operations do: rebuild, then assign.
  PAKETS rebuilt;
  for (const auto& [number, p] : store) {
    if (number == 3 || number == 5) {
      delete p;
    } else {
      rebuilt.append(p);
    }
  }
  store = rebuilt;
  rebuilt.clear();
  ASSERT_EQ(store.size(), 8u);
  std::vector<int> firsts;
  uint32_t expected = 0;
  for (const auto& [number, p] : store) {
    EXPECT_EQ(number, expected++);
    firsts.push_back(p->get_byte(0));
  }
  EXPECT_EQ(firsts, (std::vector<int>{0, 1, 2, 4, 6, 7, 8, 9}));

  PAKETS copy(store);
  EXPECT_EQ(copy.at(7), store.at(7));
  copy.clear();

  std::vector<uint32_t> destroyed;
  unload_store(store, [&](xpaket* p) {
    destroyed.push_back(p->get_byte(0));
    delete p;
  });
  EXPECT_TRUE(store.empty());
  EXPECT_EQ(destroyed.size(), 8u);
  EXPECT_EQ(destroyed.front(), 0u);
  EXPECT_EQ(destroyed.back(), 9u);
}

TEST(Paket, RecordStaysSmall) {
  // A signal holds millions of packets: the record must stay within one 64-byte heap chunk, the
  // layer list taking one pointer until the first decode.
  if constexpr (sizeof(void*) == 8) {
    EXPECT_EQ(sizeof(xprotocol_list), sizeof(void*));
    EXPECT_LE(sizeof(xpaket), 56u);
  }
  xpaket p(nullptr, 0);
  EXPECT_EQ(p.protocols.begin(), p.protocols.end());
  p.decode();
  EXPECT_FALSE(p.protocols.empty());
  EXPECT_EQ(p.protocols.end() - p.protocols.begin(), static_cast<long>(p.protocols.size()));
  p.clear_protocols();
  EXPECT_TRUE(p.protocols.empty());
  EXPECT_EQ(p.protocols.begin(), p.protocols.end());
}

namespace {

// The first byte of every packet, in number order, checking the numbers on the way.
std::vector<int> firsts_of(const PAKETS& store) {
  std::vector<int> firsts;
  uint32_t expected = 0;
  for (const auto& [number, p] : store) {
    EXPECT_EQ(number, expected++);
    firsts.push_back(p->get_byte(0));
  }
  return firsts;
}

}  // namespace

TEST(Pakets, LookupsAndSlotsByNumber) {
  PAKETS store;
  EXPECT_EQ(store.find(0), store.end());
  EXPECT_THROW((void)store.at(0), std::out_of_range);
  store[0] = make({10});
  store[1] = make({11});
  EXPECT_THROW(store[3], std::out_of_range) << "number 3 would leave a gap";
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(store.find(1)->first, 1u);
  EXPECT_EQ(store.find(1)->second, store.at(1));
  EXPECT_EQ(store.find(2), store.end());
  EXPECT_THROW((void)store.at(2), std::out_of_range);

  // Assigning through a visit's entry stores into the slot.
  xpaket* replacement = make({20});
  for (const auto& [number, p] : store) {
    if (number == 0) std::swap(p, replacement);
  }
  delete replacement;  // packet 10
  EXPECT_EQ(firsts_of(store), (std::vector<int>{20, 11}));

  const PAKETS& view = store;
  EXPECT_EQ(view.rbegin()->first, 1u);
  EXPECT_EQ(view.rbegin()->second->get_byte(0), 11);
  EXPECT_EQ(view.end() - view.begin(), 2);
  EXPECT_EQ(view.begin()[1].second, store.at(1));
  unload_store(store);
}

TEST(Pakets, EraseMovesTheLaterPacketsDown) {
  struct row {
    const char* name;
    std::vector<uint32_t> erased;  // one after the other
    std::vector<int> left;
  };
  const row rows[] = {
      {"first", {0}, {1, 2, 3, 4}},
      {"middle", {2}, {0, 1, 3, 4}},
      {"last", {4}, {0, 1, 2, 3}},
      {"beyond the end", {5}, {0, 1, 2, 3, 4}},
      {"twice at the same number", {1, 1}, {0, 3, 4}},
  };
  for (const row& r : rows) {
    PAKETS store;
    for (uint8_t k = 0; k < 5; ++k) store.append(make({k}));
    std::vector<xpaket*> taken;
    for (const uint32_t number : r.erased) {
      const bool there = number < store.size();
      if (there) taken.push_back(store.at(number));
      EXPECT_EQ(store.erase(number), there ? 1u : 0u) << r.name;
    }
    EXPECT_EQ(firsts_of(store), r.left) << r.name;
    for (xpaket* p : taken) delete p;
    unload_store(store);
  }

  PAKETS store;
  for (uint8_t k = 0; k < 6; ++k) store.append(make({k}));
  for (auto at = store.begin() + 1; at != store.begin() + 4; ++at) delete at->second;
  const auto next = store.erase(store.begin() + 1, store.begin() + 4);
  EXPECT_EQ(next->first, 1u);
  EXPECT_EQ(next->second->get_byte(0), 4);
  EXPECT_EQ(firsts_of(store), (std::vector<int>{0, 4, 5}));
  unload_store(store);
}
