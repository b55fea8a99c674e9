#include <gtest/gtest.h>

#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/files/signal_io.h"
#include "core/model/memory_budget.h"
#include "core/model/stream.h"
#include "support/special_files.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace {

// Sets the available-memory figure for one test.
struct memory_figure {
  explicit memory_figure(uint64_t bytes) { set_available_memory_for_testing(bytes); }
  memory_figure(const memory_figure&) = delete;
  memory_figure& operator=(const memory_figure&) = delete;
  ~memory_figure() { set_available_memory_for_testing(std::nullopt); }
};

std::vector<std::vector<uint8_t>> records(size_t n, size_t length) {
  std::vector<std::vector<uint8_t>> packets(n);
  for (size_t i = 0; i < n; ++i) packets[i].assign(length, static_cast<uint8_t>(i));
  return packets;
}

}  // namespace

TEST(HostileInput, NonRegularFilesAreRefusedAtOnce) {
  temp_dir dir;
  const std::string fifo = make_fifo(dir, "pipe.sig");
  const std::string socket = make_socket(dir, "sock.sig");
  ASSERT_FALSE(fifo.empty());
  ASSERT_FALSE(socket.empty());
  for (const std::string& path : {fifo, socket, std::string("/dev/null"), dir.path()}) {
    // A FIFO without a writer would block a plain open for ever.
    const std::optional<int> opened = within_seconds(10, fifo, [&path] {
      xin_stream in;
      return in.open(path);
    });
    ASSERT_TRUE(opened.has_value()) << path << " blocked the open";
    EXPECT_EQ(*opened, 2) << path;
    test_store s;
    EXPECT_EQ(load_sig_file(path, s.store).open_result, 2) << path;
  }
}

TEST(HostileInput, AFileCutWhileItIsReadKeepsWhatWasReadAndFails) {
  temp_dir dir;
  // 100 records of 2 + 3 bytes.
  const std::string path = dir.write("cut.sig", sig_image(records(100, 3)));
  xin_stream in;
  in.set_chunk_bytes(50);
  in.on_chunk = [&path](uint64_t read) {
    if (read == 50) {
      ASSERT_EQ(::truncate(path.c_str(), 100), 0);
    }
  };
  ASSERT_EQ(in.open(path), 0);
  EXPECT_TRUE(in.truncated());
  EXPECT_EQ(in.file_size(), 100u);
  test_store s;
  const sig_read_result read = read_sig_stream(in, signal_format::sig, s.store);
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.next, 20u);
  ASSERT_EQ(s.store.size(), 20u);
  EXPECT_EQ(s.store.at(19)->get_byte(2), 19);
}

TEST(HostileInput, AFileCutBetweenPacketsDoesNotDisturbTheLoad) {
  temp_dir dir;
  const std::string path = dir.write("cut.sig", sig_image(records(3000, 40)));
  test_store s;
  sig_read_hooks hooks;
  int asked = 0;
  hooks.keep_going = [&] {
    if (++asked == 10) {
      EXPECT_EQ(::truncate(path.c_str(), 0), 0);
    }
    return true;
  };
  const load_result loaded = load_sig_file(path, s.store, hooks);
  EXPECT_EQ(loaded.open_result, 0);
  EXPECT_TRUE(loaded.ok);
  ASSERT_EQ(s.store.size(), 3000u);
  EXPECT_EQ(s.store.at(2999)->size(true), 40u);
}

TEST(HostileInput, TheLoadStopsBeforeMemoryRunsOut) {
  temp_dir dir;
  // Empty records cost far more in memory than in the file.
  const std::string path = dir.write("zeros.sig", std::vector<uint8_t>(2000, 0));
  constexpr uint64_t reserve = uint64_t{32} << 20;
  struct row {
    uint64_t available;
    bool ok;
    uint32_t packets;
  };
  const row rows[] = {
      {reserve + 100 * packet_memory(0), false, 100},
      {reserve + 100 * packet_memory(0) - 1, false, 99},
      {reserve + 1000 * packet_memory(0), true, 1000},
      {1000, false, 0},  // not even the file's bytes fit
  };
  for (const row& r : rows) {
    const memory_figure figure(r.available);
    test_store s;
    const load_result loaded = load_sig_file(path, s.store);
    EXPECT_EQ(loaded.open_result, 0) << r.available;
    EXPECT_EQ(loaded.ok, r.ok) << r.available;
    EXPECT_EQ(loaded.next, r.packets) << r.available;
    EXPECT_EQ(s.store.size(), r.packets) << r.available;
  }
}

TEST(HostileTarget, OnlyRegularFilesNobodyHoldsAreReplaced) {
  temp_dir dir;
  test_store s;
  s.store.append(new xpaket(std::vector<uint8_t>{1, 2}.data(), 2));
  const std::vector<uint8_t> old_bytes{1, 0, 7};
  const std::string locked = dir.write("locked.sig", old_bytes);
  const int holder = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  const std::string fifo = make_fifo(dir, "pipe.sig");
  const std::string device = full_device(dir);
  for (const std::string& path : {locked, fifo, device}) {
    EXPECT_FALSE(can_write_target(path)) << path;
    const std::optional<save_status> saved =
        within_seconds(10, fifo, [&] { return save_signal_file(path, s.store, true).status; });
    ASSERT_TRUE(saved.has_value()) << path << " blocked the save";
    EXPECT_EQ(*saved, save_status::write_failed) << path;
  }
  EXPECT_EQ(read_file(locked), old_bytes);
  EXPECT_TRUE(is_fifo(fifo));
  struct stat st {};
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
  ::close(holder);
  EXPECT_TRUE(can_write_target(locked));
}

TEST(HostileTarget, AReadOnlyFileIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write a read-only file: nothing to refuse";
  temp_dir dir;
  const std::string path = dir.write("ro.sig", {1, 0, 7});
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  test_store s;
  EXPECT_FALSE(can_write_target(path));
  EXPECT_EQ(save_signal_file(path, s.store, true).status, save_status::write_failed);
  EXPECT_EQ(read_file(path), (std::vector<uint8_t>{1, 0, 7}));
}

TEST(HostileTarget, ASymbolicLinkIsSavedThroughToItsFile) {
  temp_dir dir;
  const std::string target = dir.write("real.sig", {1, 0, 7});
  const std::string link = dir.file("link.sig");
  ASSERT_EQ(::symlink("real.sig", link.c_str()), 0);
  const std::string dangling = dir.file("dangling.sig");
  ASSERT_EQ(::symlink("missing/none.sig", dangling.c_str()), 0);
  test_store s;
  s.store.append(new xpaket(std::vector<uint8_t>{5, 6}.data(), 2));
  EXPECT_TRUE(can_write_target(link));
  EXPECT_EQ(save_signal_file(link, s.store, true).status, save_status::saved);
  EXPECT_EQ(read_file(target), (std::vector<uint8_t>{2, 0, 5, 6}));
  struct stat st {};
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_FALSE(can_write_target(dangling));
  EXPECT_EQ(save_signal_file(dangling, s.store, true).status, save_status::write_failed);
}
