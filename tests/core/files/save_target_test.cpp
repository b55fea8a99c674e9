#include <gtest/gtest.h>

#include <sys/stat.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/files/signal_io.h"
#include "support/temp_dir.h"
#include "support/test_store.h"

namespace {

TEST(SaveTarget, OnlyAFileInAnExistingFolderCanBeWritten) {
  temp_dir dir;
  const std::string existing = dir.write("old.sig", {1, 0, 7});
  ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
  struct row {
    std::string path;
    bool writable;
  };
  const row rows[] = {
      {dir.file("new.sig"), true},
      {existing, true},
      {dir.file("sub"), false},              // a folder is no file
      {dir.file("missing/new.sig"), false},  // no such folder
      {existing + "/below.sig", false},      // a file is no folder
      {"/proc/pelorin-new.sig", false},      // a folder that takes no new files
  };
  for (const row& r : rows) EXPECT_EQ(can_write_target(r.path), r.writable) << r.path;
}

TEST(SaveTarget, NameWithoutExtensionGetsTheFiltersAndATypedOneDecides) {
  constexpr signal_format sig = signal_format::sig;
  constexpr signal_format bit = signal_format::bit;
  constexpr signal_format pcap = signal_format::capture;
  struct row {
    const char* typed;
    signal_format chosen;
    const char* path;
    signal_format format;
  };
  const row rows[] = {
      {"/d/out2", bit, "/d/out2.bit", bit},
      {"/d/out2", sig, "/d/out2.sig", sig},
      {"/d/out2", pcap, "/d/out2.pcap", pcap},
      {"/d/out2.", bit, "/d/out2.bit", bit},
      {"/d/a.sig", bit, "/d/a.sig", sig},
      {"/d/a.BIT", sig, "/d/a.BIT", bit},
      {"/d/a.Pcap", sig, "/d/a.Pcap", pcap},
      {"/d/a.txt", bit, "/d/a.txt", bit},
      {"/d.x/.hidden", sig, "/d.x/.hidden.sig", sig},
      {"rel", sig, "rel.sig", sig},
  };
  for (const row& r : rows) {
    const save_name name = resolve_save_name(r.typed, r.chosen);
    EXPECT_EQ(name.path, r.path) << r.typed;
    EXPECT_EQ(name.format, r.format) << r.typed;
  }
}

TEST(SaveTarget, LinkIsKeptAndItsTargetSaved) {
  temp_dir dir;
  test_store s({{5, 6}});
  ASSERT_EQ(::mkdir(dir.file("real").c_str(), 0755), 0);
  const std::string target = dir.write("real/data.sig", {1, 0, 9});
  // A relative link to a relative link.
  ASSERT_EQ(::symlink("real/data.sig", dir.file("first.sig").c_str()), 0);
  ASSERT_EQ(::symlink("first.sig", dir.file("second.sig").c_str()), 0);
  ASSERT_TRUE(can_write_target(dir.file("second.sig")));
  EXPECT_EQ(save_signal_file(dir.file("second.sig"), s.store, true).status, save_status::saved);
  struct stat st {};
  ASSERT_EQ(::lstat(dir.file("second.sig").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(read_file(target), (std::vector<uint8_t>{2, 0, 5, 6}));
  // A dangling link creates its target.
  ASSERT_EQ(::symlink("real/new.sig", dir.file("dangling.sig").c_str()), 0);
  EXPECT_TRUE(can_write_target(dir.file("dangling.sig")));
  EXPECT_EQ(save_signal_file(dir.file("dangling.sig"), s.store, false).status, save_status::saved);
  EXPECT_EQ(read_file(dir.file("real/new.sig")), (std::vector<uint8_t>{5, 6}));
  // No temporary file is left in either folder.
  size_t entries = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir.path())) {
    (void)e;
    ++entries;
  }
  EXPECT_EQ(entries, 6u);  // real, two files in it, three links
}

TEST(SaveTarget, NameAtTheLengthLimitSaves) {
  temp_dir dir;
  test_store s(std::vector<std::vector<uint8_t>>{{7}});
  const long limit = ::pathconf(dir.path().c_str(), _PC_NAME_MAX);
  ASSERT_GT(limit, 10);
  const std::string path = dir.file(std::string(static_cast<size_t>(limit) - 4, 'n') + ".sig");
  EXPECT_TRUE(can_write_target(path));
  EXPECT_EQ(save_signal_file(path, s.store, true).status, save_status::saved);
  EXPECT_EQ(read_file(path), (std::vector<uint8_t>{1, 0, 7}));
}

TEST(SaveTarget, WritableFileInAReadOnlyFolderIsWrittenInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders: nothing to test";
  temp_dir dir;
  test_store s({{7, 8}});
  ASSERT_EQ(::mkdir(dir.file("ro").c_str(), 0755), 0);
  const std::string path = dir.write("ro/old.sig", {1, 0, 9});
  ASSERT_EQ(::chmod(dir.file("ro").c_str(), 0555), 0);
  EXPECT_TRUE(can_write_target(path));
  EXPECT_FALSE(can_write_target(dir.file("ro/new.sig")));
  EXPECT_EQ(save_signal_file(path, s.store, true).status, save_status::saved);
  EXPECT_EQ(read_file(path), (std::vector<uint8_t>{2, 0, 7, 8}));
  ::chmod(dir.file("ro").c_str(), 0755);
}

}  // namespace
