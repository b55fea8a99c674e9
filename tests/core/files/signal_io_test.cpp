#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "core/files/signal_io.h"
#include "core/model/stream.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace {

using bytes = std::vector<uint8_t>;

void fill(PAKETS& store, const std::vector<bytes>& packets) {
  for (const bytes& p : packets)
    store.append(new xpaket(p.data(), static_cast<uint32_t>(p.size())));
}

}  // namespace

TEST(SignalLoad, OpenFailuresLeaveTheStoreAlone) {
  temp_dir dir;
  test_store s;
  fill(s.store, {{1}, {2}});
  EXPECT_EQ(load_sig_file(dir.file("missing.sig"), s.store).open_result, 2);
  EXPECT_EQ(load_sig_file(dir.path(), s.store).open_result, 2);
  // A file of 0 bytes is an empty signal, whatever its name says.
  for (const char* empty : {"empty.sig", "empty.pcap"}) {
    const load_result loaded = load_sig_file(dir.write(empty, {}), s.store);
    EXPECT_EQ(loaded.open_result, 0) << empty;
    EXPECT_TRUE(loaded.ok) << empty;
    EXPECT_EQ(loaded.next, 2u) << empty;
  }

  const std::string held = dir.write("held.sig", sig_image({{9}}));
  // A writer holds the file.
  const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  const load_result locked = load_sig_file(held, s.store);
  EXPECT_EQ(locked.open_result, 2);
  EXPECT_FALSE(locked.ok);
  EXPECT_EQ(s.store.size(), 2u);

  ::close(holder);
  const load_result merged = load_sig_file(held, s.store);
  EXPECT_TRUE(merged.ok);
  EXPECT_EQ(merged.next, 3u);
  EXPECT_EQ(s.store.at(2)->get_byte(0), 9);
}

TEST(SignalSave, SigAndBitBytesAreExact) {
  temp_dir dir;
  test_store s;
  fill(s.store, {{0x41, 0x42}, {0x43}, {}});
  const std::string sig = dir.file("out.sig");
  const std::string bit = dir.file("out.bit");
  EXPECT_EQ(save_signal_file(sig, s.store, true).status, save_status::saved);
  EXPECT_EQ(save_signal_file(bit, s.store, false).status, save_status::saved);
  EXPECT_EQ(read_file(sig), (bytes{2, 0, 0x41, 0x42, 1, 0, 0x43, 0, 0}));
  EXPECT_EQ(read_file(bit), (bytes{0x41, 0x42, 0x43}));
  struct stat st {};
  ASSERT_EQ(::stat(sig.c_str(), &st), 0);
  EXPECT_NE(st.st_mode & 0044, 0u) << "a saved file gets the usual permissions";

  test_store back;
  EXPECT_TRUE(load_sig_file(sig, back.store).ok);
  ASSERT_EQ(back.store.size(), 3u);
  EXPECT_EQ(back.store.at(0)->get_byte(1), 0x42);
}

TEST(SignalSave, CancelFailureAndOversizeLeaveTheOldFileUntouched) {
  temp_dir dir;
  const bytes old = {1, 0, 0x77};
  const std::string path = dir.write("keep.sig", old);
  test_store s;
  fill(s.store, {{1}, {2}, {3}});

  int asked = 0;
  save_hooks hooks;
  hooks.keep_going = [&] { return ++asked < 3; };
  EXPECT_EQ(save_signal_file(path, s.store, true, hooks).status, save_status::cancelled);
  EXPECT_EQ(read_file(path), old);

  EXPECT_EQ(save_signal_file(dir.file("no/such/folder.sig"), s.store, true).status,
            save_status::write_failed);

  const bytes big(70000, 5);
  s.store.append(new xpaket(big.data(), static_cast<uint32_t>(big.size())));
  const save_result refused = save_signal_file(path, s.store, true);
  EXPECT_EQ(refused.status, save_status::packet_too_long);
  EXPECT_EQ(refused.packet, 3u);
  EXPECT_EQ(read_file(path), old);
  EXPECT_EQ(save_signal_file(dir.file("long.bit"), s.store, false).status, save_status::saved);
  EXPECT_EQ(read_file(dir.file("long.bit")).size(), 70003u);

  // Nothing but the two saved files is left behind: no temporary files.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2);
}
