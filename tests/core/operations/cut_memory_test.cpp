#include <gtest/gtest.h>

#include <vector>

#include "core/operations/cut.h"
#include "support/memory_figure.h"
#include "support/test_store.h"

namespace {

// A packet whose buffers above `limit` bytes cannot be had, as when memory runs out.
class starved_paket : public xpaket {
 public:
  starved_paket(const std::vector<uint8_t>& bytes, uint32_t limit)
      : xpaket(bytes.data(), static_cast<uint32_t>(bytes.size())), limit_(limit) {}

 protected:
  uint8_t* new_buffer(uint32_t bytes) override {
    return bytes > limit_ ? nullptr : xpaket::new_buffer(bytes);
  }

 private:
  uint32_t limit_;
};

}  // namespace

TEST(CutMemory, GrowthIsComparedWithTheMemoryAvailable) {
  test_store s(
      {std::vector<uint8_t>(10, 1), std::vector<uint8_t>(20, 2), std::vector<uint8_t>(30, 3)},
      {colour_white, 0x0000FF, colour_white});
  const scope all{};
  const scope white{false, colour_white};
  struct row {
    const char* what;
    scope in;
    cut_params params;
    uint64_t growth;
  };
  const row rows[] = {
      {"shortening", all, {false, 2, 3}, 0},
      {"bits", all, {true, -5, 0}, 0},
      {"100 bytes longer", all, {false, 0, -100}, (110 + 16) + (120 + 16) + (130 + 16)},
      {"white only", white, {false, 1, -100}, (110 + 16) + (130 + 16)},
      // Beyond 2^32 - 1 bits a packet is left as it is: no growth.
      {"too long to grow", all, {false, 0, -536870912}, 0},
      {"nearly 2^32 bits", all, {false, 0, -268435455}, 3 * uint64_t{268435455} + 60 + 48},
  };
  for (const row& r : rows) {
    EXPECT_EQ(cut_growth(s.store, r.in, r.params), r.growth) << r.what;
    {
      const memory_figure enough(memory_reserve + r.growth);
      EXPECT_TRUE(cut_fits_memory(s.store, r.in, r.params)) << r.what;
    }
    const memory_figure short_by_one(memory_reserve + r.growth - 1);
    EXPECT_EQ(cut_fits_memory(s.store, r.in, r.params), r.growth == 0) << r.what;
  }
}

TEST(CutMemory, APacketThatCannotGrowStopsThePassAndIsReported) {
  test_store s;
  s.store.append(new xpaket(std::vector<uint8_t>(4, 1).data(), 4));
  s.store.append(new starved_paket(std::vector<uint8_t>(4, 2), 4));
  s.store.append(new xpaket(std::vector<uint8_t>(4, 3).data(), 4));
  pass run;
  EXPECT_FALSE(cut(s.store, scope{}, {false, 0, -100}, run));
  EXPECT_FALSE(run.running);
  EXPECT_EQ(run.result.processed, 1);
  EXPECT_EQ(run.result.changed, 1);
  EXPECT_EQ(s[0].byte_length(), 104u);
  EXPECT_EQ(s.packet(1), std::vector<uint8_t>(4, 2));  // kept as it was
  EXPECT_EQ(s[2].byte_length(), 4u);

  pass shortening;
  EXPECT_TRUE(cut(s.store, scope{}, {false, 1, 1}, shortening));
  EXPECT_EQ(shortening.result.changed, 3);
}

TEST(CutMemory, AShorteningCutNeedsNoMemory) {
  // Cut to an eighth, a packet would move into a smaller buffer; without one it keeps its own and
  // is cut all the same (its bits moved down, its length the new one).
  std::vector<uint8_t> bytes(100);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 5);
  test_store s;
  s.store.append(new starved_paket(bytes, 0));
  s.store.append(new xpaket(bytes.data(), 100));
  pass run;
  ASSERT_TRUE(cut(s.store, scope{}, {true, 701, 0}, run));
  EXPECT_EQ(s[0].bit_length(), 99u);
  EXPECT_EQ(s.packet(0), s.packet(1));
}

TEST(CutMemory, GrowingAfterAnUnevenLengthAppendsZeroBits) {
  test_store s({{0xFF, 0xFF}});
  pass run;
  ASSERT_TRUE(cut(s.store, scope{}, {true, 3, 0}, run));    // 13 bits, all 1
  ASSERT_TRUE(cut(s.store, scope{}, {false, 0, 1}, run));   // 5 bits; the byte still holds 1s above
  ASSERT_TRUE(cut(s.store, scope{}, {false, 0, -2}, run));  // 21 bits
  EXPECT_EQ(s[0].bit_length(), 21u);
  EXPECT_EQ(s.packet(0), (std::vector<uint8_t>{0x1F, 0x00, 0x00}));
}
