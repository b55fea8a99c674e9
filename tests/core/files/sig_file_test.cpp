#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "core/files/sig_file.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

}  // namespace

TEST(SigRead, RecordsBecomePacketsAndMissingBytesReadAsZero) {
  struct row {
    const char* name;
    bytes image;
    std::vector<bytes> packets;
  };
  const row rows[] = {
      {"empty record", {0x00, 0x00}, {{}}},
      {"two records",
       {0x03, 0x00, 0x41, 0x42, 0x43, 0x01, 0x00, 0xFF},
       {{0x41, 0x42, 0x43}, {0xFF}}},
      {"last record cut short",
       {0x01, 0x00, 0x09, 0x0C, 0x00, 1, 2, 3, 4, 5},
       {{0x09}, {1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0}}},
      {"length field cut after its first byte", {0x01, 0x00, 0x09, 0x0C}, {{0x09}, bytes(12, 0)}},
      {"length field with nothing behind it", {0x02, 0x00}, {{0, 0}}},
      {"a 16-bit length, low byte first", sig_image({bytes(0x0102, 0x5A)}), {bytes(0x0102, 0x5A)}},
  };
  for (const row& r : rows) {
    test_store s;
    const sig_read_result result = read_sig_image(r.image, s.store, 0);
    EXPECT_TRUE(result.ok) << r.name;
    EXPECT_EQ(result.next, r.packets.size()) << r.name;
    ASSERT_EQ(s.store.size(), r.packets.size()) << r.name;
    for (uint32_t k = 0; k < r.packets.size(); ++k) {
      EXPECT_EQ(s.packet(k), r.packets[k]) << r.name << " packet " << k;
      EXPECT_EQ(s.store.at(k)->size(false), 8 * r.packets[k].size()) << r.name;
    }
  }
}

TEST(SigRead, LengthFieldsClaimingFarMoreThanTheFileHoldsStayInsideTheImage) {
  // 0xFFFF claimed, 3 bytes present: one packet of 65535 bytes, zero-filled, nothing more.
  const bytes image = {0xFF, 0xFF, 1, 2, 3};
  test_store s;
  const sig_read_result result = read_sig_image(image, s.store, 0);
  EXPECT_TRUE(result.ok);
  ASSERT_EQ(s.store.size(), 1u);
  const bytes p = s.packet(0);
  ASSERT_EQ(p.size(), 0xFFFFu);
  EXPECT_EQ(p[2], 3);
  EXPECT_EQ(p[3], 0);
  EXPECT_EQ(p.back(), 0);
}

TEST(SigRead, MergeNumbersFromTheStoreSizeAndKeepsOldPackets) {
  test_store s;
  ASSERT_TRUE(read_sig_image(sig_image(std::vector<bytes>(10, bytes{0xAA})), s.store, 0).ok);
  s.store.at(4)->colour = 0x0000FF;
  const bytes more = sig_image({{1}, {2}, {3}, {4}, {5}});
  const sig_read_result result = read_sig_image(more, s.store, 10);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.next, 15u);
  ASSERT_EQ(s.store.size(), 15u);
  EXPECT_EQ(s.store.at(4)->colour, 0x0000FFu);
  EXPECT_EQ(s.packet(9), bytes{0xAA});
  for (uint32_t k = 10; k < 15; ++k) {
    EXPECT_EQ(s.packet(k), bytes{static_cast<uint8_t>(k - 9)});
    EXPECT_EQ(s.store.at(k)->colour, 0xFFFFFFu);
  }
  // A first number that is not the store's size would leave a gap or overwrite: refused.
  EXPECT_FALSE(read_sig_image(more, s.store, 3).ok);
  EXPECT_EQ(s.store.size(), 15u);
}

TEST(SigRead, HooksAreCalledAtSeventyAndEveryThousand) {
  test_store s;
  int first_screen = 0;
  size_t packets_at_first_screen = 0;
  std::vector<uint64_t> progress;
  sig_read_hooks hooks;
  hooks.first_screen = [&] {
    ++first_screen;
    packets_at_first_screen = s.store.size();
  };
  hooks.progress = [&](uint64_t consumed) { progress.push_back(consumed); };
  const bytes image = sig_image(std::vector<bytes>(2500, bytes{1, 2, 3}));
  EXPECT_EQ(read_sig_image(image, s.store, 0, hooks).next, 2500u);
  EXPECT_EQ(first_screen, 1);
  EXPECT_EQ(packets_at_first_screen, 70u);
  EXPECT_EQ(progress, (std::vector<uint64_t>{5000, 10000}));

  // A merge behind 70 packets never reaches 70 again.
  first_screen = 0;
  progress.clear();
  EXPECT_EQ(read_sig_image(sig_image({{1}}), s.store, 2500, hooks).next, 2501u);
  EXPECT_EQ(first_screen, 0);
  EXPECT_TRUE(progress.empty());
}

TEST(SigRead, ContinueTestStopsBeforeTheNextRecord) {
  test_store s;
  int asked = 0;
  sig_read_hooks hooks;
  hooks.keep_going = [&] { return ++asked <= 3; };
  const sig_read_result result =
      read_sig_image(sig_image(std::vector<bytes>(10, {7})), s.store, 0, hooks);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.next, 3u);
  EXPECT_EQ(s.store.size(), 3u);
}

TEST(SigWrite, ThirteenBitPacketRoundTripsAsSixteenBits) {
  test_store s;
  s.store.append(new xpaket(nullptr, 0));
  s.store.at(0)->resize(13);
  s.store.at(0)->set_byte(0, 0x12);
  s.store.at(0)->set_byte(1, 0x34);
  std::ostringstream out;
  write_packet(*s.store.at(0), out, true);
  const std::string text = out.str();
  const bytes image(text.begin(), text.end());
  EXPECT_EQ(image, (bytes{0x02, 0x00, 0x12, 0x34}));

  test_store back;
  ASSERT_TRUE(read_sig_image(image, back.store, 0).ok);
  EXPECT_EQ(back.store.at(0)->size(false), 16u);
  EXPECT_EQ(back.packet(0), (bytes{0x12, 0x34}));
}

TEST(SigWrite, OversizePacketsAreFound) {
  test_store s;
  s.store.append(new xpaket(nullptr, 0));
  EXPECT_FALSE(first_oversize_packet(s.store).has_value());
  const bytes big(0x10000, 1);
  s.store.append(new xpaket(big.data(), 0xFFFF));
  EXPECT_FALSE(first_oversize_packet(s.store).has_value());
  s.store.append(new xpaket(big.data(), 0x10000));
  s.store.append(new xpaket(big.data(), 0x10000));
  EXPECT_EQ(first_oversize_packet(s.store), 2u);
}

TEST(SigRead, RandomImagesAccountForEveryByte) {
  // Whatever the bytes, the packets account for every record the image starts: the sum of
  // (2 + length) over the packets covers the image exactly or overshoots only by the last
  // record's missing bytes, and the reader never reads outside the image (ASan).
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return static_cast<uint8_t>(state >> 16);
  };
  for (int round = 0; round < 3000; ++round) {
    bytes image(next() % 48);
    for (uint8_t& b : image) b = next() % 4 == 0 ? next() : next() % 6;
    test_store s;
    const sig_read_result result = read_sig_image(image, s.store, 0);
    ASSERT_TRUE(result.ok);
    uint64_t covered = 0;
    uint64_t last = 0;
    for (const auto& [number, p] : s.store) {
      last = 2 + uint64_t{p->size(true)};
      covered += last;
    }
    EXPECT_EQ(result.next, s.store.size());
    if (image.empty()) {
      EXPECT_EQ(covered, 0u);
    } else {
      EXPECT_GE(covered, image.size());
      EXPECT_LT(covered - last, image.size());
    }
  }
}
