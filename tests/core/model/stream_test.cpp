#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "core/model/bit_block.h"
#include "core/model/stream.h"
#include "support/temp_dir.h"

TEST(InStream, OpenResultsForBadFiles) {
  temp_dir dir;
  xin_stream s;
  EXPECT_EQ(s.open(dir.file("missing.sig")), 2);
  EXPECT_EQ(s.open(dir.path()), 2);  // a folder is not a file
  EXPECT_EQ(s.open(dir.write("empty.sig", {})), 3);
  EXPECT_FALSE(s.is_open());
  EXPECT_EQ(s.close(), 1);
  EXPECT_EQ(s.end(), nullptr);
}

TEST(InStream, MapsTheWholeFileAndSharesItWithReadersOnly) {
  temp_dir dir;
  const std::string path = dir.write("a.SIG", {1, 2, 3});
  xin_stream s;
  ASSERT_EQ(s.open(path), 0);
  EXPECT_TRUE(s.is_open());
  EXPECT_TRUE(s.is_sig());
  EXPECT_EQ(s.size(true), 3u);
  EXPECT_EQ(s.size(false), 24u);
  EXPECT_EQ(s.end() - s.current(), 3);
  EXPECT_EQ(s.current()[2], 3);

  xin_stream second;
  EXPECT_EQ(second.open(path), 0);  // readers share
  EXPECT_EQ(second.close(), 0);
  {
    // A writer's lock refuses the reader.
    const int writer = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    xin_stream third;
    EXPECT_NE(::flock(writer, LOCK_EX | LOCK_NB), 0) << "the reader holds a shared lock";
    s.close();
    ASSERT_EQ(::flock(writer, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(third.open(path), 2);
    ::close(writer);
    ASSERT_EQ(s.open(path), 0);
  }
  s.set_byte(0, 9);  // read-only: ignored
  s.set_bit(1);
  EXPECT_EQ(s.get_byte(0), 1);

  EXPECT_EQ(s.close(), 0);
  EXPECT_EQ(s.close(), 1);
  EXPECT_EQ(second.open(path), 0);  // free again
  xin_stream other;
  EXPECT_EQ(other.open(dir.write("b.bin", {1})), 0);
  EXPECT_FALSE(other.is_sig());
}

TEST(InStream, TellSeekAndPatternSearchMoveTheCursor) {
  temp_dir dir;
  xin_stream s;
  ASSERT_EQ(s.open(dir.write("c.bin", {0x00, 0x0A})), 0);
  EXPECT_EQ(s.tell(), 0u);
  EXPECT_EQ(s.seek(16), 0);  // one past the last bit is allowed
  EXPECT_EQ(s.seek(17), 2);
  EXPECT_EQ(s.seek(11), 0);
  EXPECT_EQ(s.current() - s.end(), -1);
  EXPECT_EQ(s.bit_offset(), 3u);
  EXPECT_EQ(s.tell(), 11u);

  ASSERT_EQ(s.seek(0), 0);
  EXPECT_EQ(s.find_pattern("101", 0), 9u);
  EXPECT_EQ(s.tell(), 0u);  // no_advance is set from construction
  s.set_no_advance(false);
  EXPECT_EQ(s.find_pattern("101", 0), 9u);
  EXPECT_EQ(s.tell(), 9u);
}

TEST(InStream, TransferCopiesBitsIntoABlock) {
  temp_dir dir;
  xin_stream s;
  ASSERT_EQ(s.open(dir.write("t.bin", {0x21, 0x43, 0x65})), 0);
  ASSERT_EQ(s.seek(4), 0);
  xbit_block b(16u);
  EXPECT_EQ(b.transfer(s), 0);
  EXPECT_EQ(b.get_byte(0), 0x32);
  EXPECT_EQ(b.get_byte(1), 0x54);
  EXPECT_EQ(s.tell(), 4u);

  // Fewer bytes remain than the block holds: the block is shortened, the last incomplete
  // destination byte is not stored.
  s.set_no_advance(false);
  ASSERT_EQ(s.seek(12), 0);
  xbit_block big(32u);
  EXPECT_EQ(big.transfer(s), 4);
  EXPECT_EQ(big.size(false), 16u);
  EXPECT_EQ(big.get_byte(0), 0x54);
  EXPECT_EQ(big.get_byte(1), 0x00);
  EXPECT_EQ(s.tell(), 12u);  // 12 + 16 lies beyond the end: the seek is refused

  xin_stream closed;
  xbit_block c(8u);
  EXPECT_EQ(c.transfer(closed), 2);
  EXPECT_EQ(c.size(false), 8u);
}

TEST(InStream, FilesBeyondFourGigabytesKeepTheirFullSize) {
  temp_dir dir;
  const std::string path = dir.file("huge.sig");
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  const off_t size = (off_t{1} << 32) + 5;
  const bool sparse = ::ftruncate(fd, size) == 0;
  ::close(fd);
  if (!sparse) GTEST_SKIP() << "no sparse files here";
  xin_stream s;
  ASSERT_EQ(s.open(path), 0);
  EXPECT_EQ(s.file_size(), static_cast<uint64_t>(size));
  EXPECT_EQ(static_cast<uint64_t>(s.end() - s.current()), static_cast<uint64_t>(size));
  EXPECT_EQ(s.size(true), 0xFFFFFFFFu);
  EXPECT_EQ(s.seek(uint64_t{size} * 8), 0);
  EXPECT_EQ(s.tell(), uint64_t{size} * 8);
}
