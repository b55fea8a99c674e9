#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>

#include "demodulator/core/bit_iterator.h"
#include "demodulator/core/bitset.h"
#include "demodulator/core/find.h"
#include "demodulator/core/memory_stream.h"
#include "reference.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;
using sysx::bit_iterator;
using sysx::memory_stream;

// Runs f and returns the text of the exception of type E it throws ("" for none).
template <typename E>
std::string thrown(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "";
}

bytes bytes_of(const sysx::basic_memory& m) {
  return {m.data(), m.data() + m.byte_size()};
}

}  // namespace

TEST(Bitset, BuildsBitsFirstCharacterLowest) {
  struct row {
    const char* text;
    bytes expected;
    uint32_t value;
  };
  const row rows[] = {
      {"1010011000010101", {0x65, 0xA8}, 0xA865},
      {"", {}, 0},
      {"1", {0x01}, 1},
      {"000000001", {0x00, 0x01}, 0x100},
      {"11111111111111111111111111111111", {0xFF, 0xFF, 0xFF, 0xFF}, 0xFFFFFFFF},
  };
  for (const row& r : rows) {
    const sysx::bitset b(r.text);
    EXPECT_EQ(bytes_of(b), r.expected) << r.text;
    EXPECT_EQ(b.bit_size(), std::string(r.text).size()) << r.text;
    EXPECT_EQ(b.value(), r.value) << r.text;
  }
  EXPECT_EQ(thrown<std::invalid_argument>([] { sysx::bitset b("10201"); }),
            "bitset::constructing with non-binary string");
}

TEST(BitIterator, MovesAcrossBytesBothWays) {
  bytes m(8, 0);
  const bit_iterator first(m.data(), 0);
  const bit_iterator p = first + 13;
  EXPECT_EQ(p.byte(), m.data() + 1);
  EXPECT_EQ(p.bit(), 5u);
  EXPECT_EQ(p - 13, first);
  EXPECT_EQ(p - 6, bit_iterator(m.data(), 7));
  EXPECT_EQ((p + 3) - p, 3);
  bit_iterator q = p;
  ++q;
  ++q;
  ++q;
  EXPECT_EQ(q, bit_iterator(m.data() + 2, 0));
  --q;
  EXPECT_EQ(q, bit_iterator(m.data() + 1, 7));
  EXPECT_LT(p, q);
  EXPECT_GT(q, p);
  q.write(true);
  (first + 63).write(true);
  EXPECT_EQ(m[1], 0x80);
  EXPECT_EQ(m[7], 0x80);
  EXPECT_TRUE(q.read());
  q.write(false);
  EXPECT_EQ(m[1], 0x00);
}

class MemoryStream : public ::testing::Test {
 protected:
  temp_dir dir;
  std::string file(const std::string& name, const bytes& content) {
    return dir.write(name, content);
  }
};

TEST_F(MemoryStream, MisuseThrowsItsText) {
  const std::string in = file("in", {1, 2, 3});
  struct row {
    const char* what;
    std::function<void(memory_stream&)> f;
    std::string text;
  };
  const row rows[] = {
      {"map closed", [](memory_stream& s) { (void)s.map(10); },
       "memory_stream::trying to map closed file"},
      {"close closed", [](memory_stream& s) { s.close(0); },
       "memory_stream::trying to close closed file"},
      {"unmap unmapped", [](memory_stream& s) { s.unmap(); },
       "memory_stream::trying to unmap not mapped file"},
      {"map empty output",
       [&](memory_stream& s) {
         s.create_file(dir.file("out"), memory_stream::create);
         (void)s.map(0);
       },
       "memory_stream::trying to map empty output"},
      {"resize input",
       [&](memory_stream& s) {
         s.create_file(in, memory_stream::read);
         s.close(7);
       },
       "memory_stream::trying to resize input stream"},
  };
  for (const row& r : rows) {
    memory_stream s;
    EXPECT_EQ(thrown<std::logic_error>([&] { r.f(s); }), r.text) << r.what;
  }
}

TEST_F(MemoryStream, FilesThatCannotBeOpenedOrMapped) {
  const std::string missing = dir.file("missing");
  for (const uint8_t mode : {memory_stream::read, memory_stream::read_write}) {
    memory_stream s;
    EXPECT_EQ(thrown<std::invalid_argument>([&] { s.create_file(missing, mode); }),
              "memory_stream::create_file failed");
    EXPECT_FALSE(s.is_open());
  }
  memory_stream folder;
  EXPECT_EQ(
      thrown<std::invalid_argument>([&] { folder.create_file(dir.path(), memory_stream::read); }),
      "memory_stream::create_file failed");

  // An empty file opens but has nothing to map; the stream is closed afterwards.
  memory_stream empty;
  empty.create_file(file("empty", {}), memory_stream::read);
  EXPECT_EQ(thrown<std::runtime_error>([&] { (void)empty.map(0); }),
            "memory_stream::create_file_mapping failed");
  EXPECT_FALSE(empty.is_open());

  // Sizes are 32-bit: a file of 4 GiB is refused rather than cut (sparse, costs no disk).
  const std::string huge = dir.file("huge");
  {
    const int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, off_t{1} << 32), 0);
    ::close(fd);
  }
  memory_stream big;
  EXPECT_EQ(thrown<std::invalid_argument>([&] { big.create_file(huge, memory_stream::read); }),
            "memory_stream::create_file failed");
}

TEST_F(MemoryStream, OutputGrowsWithZerosAndIsCutOnClose) {
  struct row {
    uint32_t final_size;
    size_t expected;
  };
  for (const row r : {row{0, 100}, row{7, 7}, row{150, 150}}) {
    const std::string out = file("out", {9, 9, 9});  // emptied by create
    memory_stream s;
    s.create_file(out, memory_stream::create);
    EXPECT_EQ(s.byte_size(), 0u);
    const bit_iterator first = s.map(100);
    EXPECT_EQ(s.bit_size(), 800u);
    EXPECT_EQ(bytes_of(s), bytes(100, 0));
    (first + 9).write(true);
    s.unmap();
    s.close(r.final_size);
    EXPECT_FALSE(s.is_open());
    bytes expected(r.expected, 0);
    expected[1] = 0x02;
    EXPECT_EQ(read_file(out), expected) << r.final_size;
  }
}

TEST_F(MemoryStream, ReadWriteModeChangesTheFileInPlace) {
  const std::string path = file("rw", {1, 2, 3, 4});
  {
    memory_stream s;
    s.create_file(path, memory_stream::read_write);
    (void)s.map(0);
    s.data()[3] = 0x44;
    s.unmap();
    s.close(0);
  }
  EXPECT_EQ(read_file(path), (bytes{1, 2, 3, 0x44}));
  memory_stream in;
  in.create_file(path, memory_stream::read);
  const bit_iterator first = in.map(0);
  EXPECT_EQ(bit_iterator::last(in), first + 31);
}

TEST_F(MemoryStream, OnlyReadersShareAnOpenFile) {
  const std::string path = file("held", {1, 2});
  for (const uint8_t holder : {memory_stream::read, memory_stream::read_write}) {
    for (const uint8_t second :
         {memory_stream::read, memory_stream::create, memory_stream::read_write}) {
      {
        memory_stream first;
        first.create_file(path, holder);
        memory_stream other;
        if (holder == memory_stream::read && second == memory_stream::read) {
          EXPECT_NO_THROW(other.create_file(path, second));
        } else {
          EXPECT_THROW(other.create_file(path, second), std::invalid_argument);
        }
      }  // destroying the first stream closes and releases the file
      memory_stream again;
      again.create_file(path, second);
    }
    (void)dir.write("held", {1, 2});
  }
  // Another holder's lock keeps the file untouched: create does not empty it.
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(fd, LOCK_SH), 0);
  memory_stream s;
  EXPECT_THROW(s.create_file(path, memory_stream::create), std::invalid_argument);
  ::close(fd);
  EXPECT_EQ(read_file(path), (bytes{1, 2}));
}

TEST(Find, MatchesThePlainSearchOnRandomMemory) {
  std::mt19937 rng(7);
  for (int round = 0; round < 400; ++round) {
    bytes m(1 + rng() % 40);
    for (uint8_t& b : m) b = static_cast<uint8_t>(rng() % 4 == 0 ? 0xFF : rng());
    const unsigned n = 1 + rng() % 32;
    std::string text;
    for (unsigned i = 0; i < n; ++i) text += rng() % 3 == 0 ? '0' : '1';
    // Plant the pattern somewhere, sometimes running past the end (zeros there).
    const sysx::bitset pattern(text);
    const uint64_t plant = rng() % (m.size() * 8);
    for (unsigned i = 0; i < n && plant + i < m.size() * 8; ++i) {
      bit_iterator(m.data() + (plant + i) / 8, (plant + i) % 8).write(text[i] == '1');
    }
    const uint64_t from = rng() % (m.size() * 8);
    const bit_iterator first(m.data() + from / 8, from % 8);
    const bit_iterator last(m.data() + m.size() - 1, 7);
    const bit_iterator found = sysx::find(first, last, pattern);
    EXPECT_EQ(static_cast<uint64_t>(found - bit_iterator(m.data(), 0)),
              reference::find(m, from, pattern))
        << "round " << round << " pattern " << text << " from " << from;
  }
}

TEST(Find, PatternEndingPastTheMemoryReadsZeros) {
  bytes m = {0x00, 0x80, 0x00};  // a lone 1 at bit 15
  const bit_iterator first(m.data(), 0);
  const bit_iterator last(m.data() + 2, 7);
  EXPECT_EQ(sysx::find(first, last, sysx::bitset("1000")) - first, 15);
  // Positions in the last byte are never tested.
  m = {0x00, 0x00, 0x01};
  EXPECT_EQ(sysx::find(first, last, sysx::bitset("1")), last);
  EXPECT_EQ(thrown<std::invalid_argument>(
                [&] { (void)sysx::find(first, last, sysx::bitset(std::string(33, '1'))); }),
            "find::value size above 32 bits");
  EXPECT_THROW((void)sysx::find(first, last, sysx::bitset(std::string(33, '1')), 4800),
               std::invalid_argument);
}

namespace {

const sysx::bitset sync("1010011000010101");

void plant(bytes& m, uint64_t at) {
  for (uint64_t i = 0; i < 16; ++i) {
    bit_iterator(m.data() + (at + i) / 8, (at + i) % 8).write(((0xA865 >> i) & 1) != 0);
  }
}

// Offset of the periodic find in the memory, compared with the plain search.
int64_t periodic(bytes& m) {
  const bit_iterator first(m.data(), 0);
  const bit_iterator last(m.data() + m.size() - 1, 7);
  const int64_t found = sysx::find(first, last, sync, 4800) - first;
  EXPECT_EQ(static_cast<uint64_t>(found), reference::find_periodic(m, 0, sync, 4800));
  return found;
}

}  // namespace

TEST(Find, PeriodicNeedsFourRepeatsAtTheExactDistance) {
  const int64_t none = 3000 * 8 - 1;
  struct row {
    const char* what;
    std::vector<uint64_t> plants;
    int64_t expected;
  };
  const row rows[] = {
      {"four repeats", {100, 4900, 9700, 14500, 19300}, 100},
      {"once only", {100}, none},
      {"repeats 4799 apart", {100, 4899, 9698, 14497, 19296}, none},
      {"missing at +14400, goes on from p + 1",
       {100, 4900, 9700, 19300, 150, 4950, 9750, 14550, 19350},
       150},
      {"last confirmation past the end", {5000, 9800, 14600, 19400}, none},
      {"fifth repeat not needed", {3000, 7800, 12600, 17400, 22200}, 3000},
  };
  for (const row& r : rows) {
    bytes m(3000, 0);
    for (const uint64_t p : r.plants) plant(m, p);
    EXPECT_EQ(periodic(m), r.expected) << r.what;
  }
}
