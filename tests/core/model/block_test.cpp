#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/model/bit_block.h"
#include "core/model/byte_helpers.h"
#include "core/model/paket.h"

namespace {

std::vector<uint8_t> bytes_of(const xblock& b) {
  return {b.bytes(), b.bytes() + b.byte_length()};
}

xpaket paket(std::vector<uint8_t> bytes) {
  return xpaket(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace

TEST(BitBlock, ThirteenBitsSpanTwoBytesAndIgnoreBitsBeyondTheEnd) {
  xbit_block b(13u);
  EXPECT_EQ(b.size(true), 2u);
  EXPECT_EQ(b.size(false), 13u);
  b.set_bit(13);
  b.set_bit(40);
  EXPECT_EQ(bytes_of(b), (std::vector<uint8_t>{0, 0}));
  b.set_bit(12);
  EXPECT_EQ(b.get_byte(1), 0x10);  // bit 12 is bit 4 of byte 1
  EXPECT_EQ(b.get_bit(12), 1);
  EXPECT_EQ(b.get_bit(13), 0);
  b.clear_bit(12);
  EXPECT_EQ(b.get_bit(12), 0);
  b.set_byte(2, 0xFF);  // beyond the byte length: ignored
  EXPECT_EQ(bytes_of(b), (std::vector<uint8_t>{0, 0}));
}

TEST(BitBlock, GetByteBeyondTheEndGivesByteZero) {
  xpaket p = paket({0xAB, 0x01, 0x02});
  EXPECT_EQ(p.get_byte(2), 0x02);
  EXPECT_EQ(p.get_byte(5), 0xAB);
  xpaket empty = paket({});
  EXPECT_EQ(empty.get_byte(0), 0);
  EXPECT_EQ(empty.get_bit(0), 0);
  EXPECT_EQ(empty.bytes(), nullptr);
}

TEST(BitBlock, ResizeGrowsWithZerosAndShrinksKeepingPaddingBits) {
  xpaket p = paket({0xFF, 0x01});
  p.resize(20);
  EXPECT_EQ(p.size(false), 20u);
  EXPECT_EQ(bytes_of(p), (std::vector<uint8_t>{0xFF, 0x01, 0x00}));
  p.resize(4);
  EXPECT_EQ(p.size(false), 4u);
  EXPECT_EQ(bytes_of(p), (std::vector<uint8_t>{0xFF}));  // bits 4..7 keep their values
  // Growing keeps the old last byte whole, its spare bits included.
  xpaket twelve = paket({0x35, 0xFA});
  twelve.resize(12);
  twelve.resize(32);
  EXPECT_EQ(bytes_of(twelve), (std::vector<uint8_t>{0x35, 0xFA, 0x00, 0x00}));
  p.resize(0);
  EXPECT_EQ(p.size(true), 0u);
  EXPECT_EQ(p.bytes(), nullptr);
}

TEST(BitBlock, ResizeKeepsBytesWhateverTheBufferSize) {
  // Lengths around the packet record's inline storage and the in-place reuse threshold.
  const uint32_t lengths[] = {1, 23, 24, 25, 40, 100, 200, 64, 10, 0, 3, 300, 2};
  std::vector<uint8_t> first(20);
  for (uint8_t i = 0; i < 20; ++i) first[i] = static_cast<uint8_t>(0xA0 + i);
  xpaket p = paket(first);
  std::vector<uint8_t> expected = first;
  for (uint32_t bytes : lengths) {
    p.resize(bytes * 8);
    expected.resize(bytes, 0);
    ASSERT_EQ(bytes_of(p), expected) << bytes;
    if (bytes > 0) p.set_byte(bytes - 1, static_cast<uint8_t>(bytes));
    if (bytes > 0) expected[bytes - 1] = static_cast<uint8_t>(bytes);
  }
}

TEST(BitBlock, DropLeadingShiftsAcrossBytes) {
  struct row {
    std::vector<uint8_t> in;
    uint32_t n;
    int result;
    std::vector<uint8_t> out;
  };
  const row rows[] = {
      {{0x21, 0x43}, 4, 0, {0x32, 0x04}},
      {{0x21, 0x43}, 16, 4, {0x21, 0x43}},
      {{0x21, 0x43}, 200, 4, {0x21, 0x43}},
      {{0x21, 0x43, 0x65}, 8, 0, {0x43, 0x65, 0x65}},   // whole bytes move to the front
      {{0x21, 0x43, 0x65}, 12, 0, {0x54, 0x06, 0x00}},  // byte and bit shift together
      {{0x80, 0x01}, 7, 0, {0x03, 0x00}},
      {{0xFF}, 0, 0, {0xFF}},
  };
  for (const row& r : rows) {
    xpaket p = paket(r.in);
    EXPECT_EQ(p.drop_leading(r.n), r.result) << r.n;
    EXPECT_EQ(bytes_of(p), r.out) << r.n;
    EXPECT_EQ(p.size(false), r.in.size() * 8) << "lengths stay";
  }
}

// keep_bytes is drop_leading and resize in one move where that needs no new buffer; anywhere else
// it refuses and leaves the block to them.
TEST(BitBlock, KeepBytesActsAsDropAndResizeOrRefuses) {
  struct row {
    std::vector<uint8_t> in;
    uint32_t bits;  // the block's bit length (at most 8 * in.size())
    uint32_t first;
    uint32_t count;
    bool kept;
  };
  std::vector<uint8_t> long_packet(100);
  for (size_t i = 0; i < long_packet.size(); ++i) long_packet[i] = static_cast<uint8_t>(i);
  const row rows[] = {
      {{1, 2, 3, 4, 5}, 40, 1, 3, true},
      {{1, 2, 3, 4, 5}, 40, 0, 5, true},  // the whole block
      {{1, 2, 3, 4, 5}, 40, 4, 1, true},
      {{1, 2, 3, 4, 5}, 40, 0, 1, true},
      {long_packet, 800, 10, 60, true},
      {long_packet, 800, 10, 4, false},  // resize would give the buffer back
      {{1, 2, 3, 4, 5}, 40, 1, 0, false},
      {{1, 2, 3, 4, 5}, 40, 5, 1, false},
      {{1, 2, 3, 4, 5}, 40, 2, 4, false},
      {{1, 2, 3, 4, 5}, 37, 1, 2, false},  // a partial last byte
  };
  for (const row& r : rows) {
    xpaket p = paket(r.in);
    p.resize(r.bits);
    xpaket expected = paket(r.in);
    expected.resize(r.bits);
    ASSERT_EQ(p.keep_bytes(r.first, r.count), r.kept) << r.first << " " << r.count;
    if (r.kept) {
      if (r.first > 0) expected.drop_leading(8 * r.first);
      expected.resize(8 * r.count);
    }
    EXPECT_EQ(bytes_of(p), bytes_of(expected)) << r.first << " " << r.count;
    EXPECT_EQ(p.bit_length(), expected.bit_length()) << r.first << " " << r.count;
  }
}

TEST(BitBlock, InvertAndTextForms) {
  xpaket p = paket({0x41});
  EXPECT_EQ(p.to_string(), "10000010");
  p.invert();
  EXPECT_EQ(p.get_byte(0), 0xBE);
  p.resize(3);
  EXPECT_EQ(p.to_string(), "011");
  p.invert();  // padding bits are complemented too
  EXPECT_EQ(p.get_byte(0), 0x41);
}

TEST(BitBlock, FromTextRoundsTheBufferToFourBytes) {
  xbit_block b(std::string_view("1101"));
  EXPECT_EQ(b.size(false), 4u);
  EXPECT_EQ(b.size(true), 4u);
  EXPECT_EQ(bytes_of(b), (std::vector<uint8_t>{0x0B, 0, 0, 0}));
  xbit_block nine(std::string_view("000000001"));
  EXPECT_EQ(nine.get_byte(1), 0x01);
  EXPECT_EQ(nine.to_string(), "000000001");
  xbit_block empty(std::string_view(""));
  EXPECT_EQ(empty.size(true), 0u);
  EXPECT_THROW(xbit_block(std::string_view("10a1")), std::invalid_argument);
  EXPECT_THROW(xbit_block(std::string_view("10 1")), std::invalid_argument);
}

TEST(BitBlock, FindPatternTellsAMatchAtZeroFromNone) {
  struct row {
    std::vector<uint8_t> bytes;
    std::string pattern;
    uint32_t start;
    uint32_t expected;
  };
  const row rows[] = {
      {{0x0A}, "101", 0, 1},
      {{0x05}, "101", 0, 0},
      {{0x00}, "101", 0, npos},
      {{0x05}, "101", 1, npos},  // start + length must stay inside
      {{0x05}, "101", 6, npos},
      {{0x05}, "", 0, npos},
      {{0x05}, "1x1", 0, npos},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, std::string(33, '1'), 0, npos},
      {{0x00, 0x80, 0x01}, "11", 0, 15},  // across a byte boundary
      {{0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x0F}, std::string(32, '1'), 0, 12},
      {{0x00, 0xF0, 0xFF, 0xFF, 0xFF, 0x0F}, std::string(32, '1'), 13, npos},
      {{0xFF}, "1", 7, 7},
  };
  for (const row& r : rows) {
    xpaket p = paket(r.bytes);
    EXPECT_EQ(p.find_pattern(r.pattern, r.start), r.expected) << r.pattern << " from " << r.start;
  }
}

TEST(BitBlock, FindPatternAgreesWithABitByBitSearch) {
  // Packets of 0..19 bytes with cut-short bit lengths, patterns of 1..32 bits, every start.
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes(next() % 20);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(next() & 0x0F ? next() : 0xFF);
    xpaket p = paket(bytes);
    if (!bytes.empty() && next() % 2 == 0) p.resize(p.bit_length() - next() % 8);
    const std::string bits = p.to_string();
    std::string pattern(1 + next() % 32, '0');
    // Half the patterns are taken from the packet, so that matches are common.
    if (bits.size() >= pattern.size() && next() % 2 == 0) {
      pattern = bits.substr(next() % (bits.size() - pattern.size() + 1), pattern.size());
    } else {
      for (char& c : pattern) c = next() % 2 != 0 ? '1' : '0';
    }
    for (uint32_t start = 0; start <= bits.size(); ++start) {
      const size_t at = bits.find(pattern, start);
      const uint32_t expected = at == std::string::npos ? npos : static_cast<uint32_t>(at);
      ASSERT_EQ(p.find_pattern(pattern, start), expected)
          << bits << " / " << pattern << " from " << start;
    }
  }
}

TEST(ByteHelpers, ReverseBinaryAndByteSearch) {
  EXPECT_EQ(reverse_bits(0x01), 0x80);
  EXPECT_EQ(reverse_bits(0x41), 0x82);
  EXPECT_EQ(reverse_bits(0xF0), 0x0F);

  const std::pair<uint8_t, std::string> texts[] = {
      {0x41, "10000010"}, {1, "10000000"}, {128, "00000001"}, {6, "01100000"}, {0, "00000000"}};
  for (const auto& [b, text] : texts) {
    char buffer[8] = {'0', '0', '0', '0', '0', '0', '0', '0'};
    byte_to_binary(b, buffer);
    EXPECT_EQ(std::string(buffer, 8), text);
  }

  const std::vector<uint8_t> hay = {1, 2, 3, 2, 3};
  const std::vector<uint8_t> needle = {2, 3};
  const std::vector<uint8_t> absent = {3, 1};
  const std::vector<uint8_t> whole = {1, 2, 3, 2, 3, 4};
  EXPECT_EQ(find_bytes(hay, needle), 1u);
  EXPECT_EQ(find_bytes(hay, absent), npos);
  EXPECT_EQ(find_bytes(hay, whole), npos);
  EXPECT_EQ(find_bytes(hay, {}), 0u);
  EXPECT_EQ(find_bytes({}, {}), 0u);
}
