#include <gtest/gtest.h>

#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/special_files.h"
#include "support/temp_dir.h"

namespace {

// pelorin-cli under a time limit: a blocked open ends as status 124, not as a hung test.
run_result cli_in_time(const temp_dir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), {"30", PELORIN_CLI});
  return run_program(dir, "timeout", args);
}

}  // namespace

TEST(CliHostile, ConvertRefusesTargetsItMustNotReplace) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1, 2, 3}}));
  const std::vector<uint8_t> old_bytes{1, 0, 9};
  const std::string locked = dir.write("locked.sig", old_bytes);
  const int holder = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  const std::string fifo = make_fifo(dir, "pipe.sig");
  const std::string device = full_device(dir);
  std::vector<std::string> targets{locked, fifo, device};
  const std::string read_only = dir.write("ro.sig", old_bytes);
  ASSERT_EQ(::chmod(read_only.c_str(), 0444), 0);
  // Root may write a read-only file, so there it is no refusal to test.
  if (::geteuid() != 0) targets.push_back(read_only);
  for (const std::string& target : targets) {
    const run_result r = cli_in_time(dir, {"convert", in, target});
    EXPECT_EQ(r.status, 3) << target << ": " << r.err;
  }
  ::close(holder);
  EXPECT_EQ(read_file(locked), old_bytes);
  EXPECT_EQ(read_file(read_only), old_bytes);
  EXPECT_TRUE(is_fifo(fifo));
  struct stat st {};
  ASSERT_EQ(::stat(device.c_str(), &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  const std::string link = dir.file("link.sig");
  ASSERT_EQ(::symlink("locked.sig", link.c_str()), 0);
  const run_result through = cli_in_time(dir, {"convert", in, link});
  EXPECT_EQ(through.status, 0) << through.err;
  EXPECT_EQ(read_file(locked), sig_image({{1, 2, 3}}));
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(CliHostile, AFifoAsInputIsRefusedAtOnce) {
  temp_dir dir;
  const std::string fifo = make_fifo(dir, "pipe.sig");
  const run_result r = cli_in_time(dir, {"info", fifo});
  EXPECT_EQ(r.status, 3) << r.err;
}

TEST(CliHostile, ACutThatWouldExhaustMemoryIsAUsageError) {
  temp_dir dir;
  // Each packet would grow to nearly 2^32 bits (512 MiB): a thousand of them hold no machine.
  const std::string in =
      dir.write("in.sig", sig_image(std::vector<std::vector<uint8_t>>(1000, {7})));
  const run_result r = cli_in_time(
      dir, {"cut", "--start", "0", "--end", "-536870910", in, "-o", dir.file("out.sig")});
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("memory"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.sig")));
}
