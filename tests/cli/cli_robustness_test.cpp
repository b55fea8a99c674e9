#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

run_result cli(const temp_dir& dir, const std::vector<std::string>& args) {
  return run_program(dir, PELORIN_CLI, args);
}

// Runs pelorin-cli through the shell after `setup` (a redirection or a limit of the shell).
run_result cli_after(const temp_dir& dir, const std::string& setup,
                     const std::vector<std::string>& args) {
  std::vector<std::string> shell_args = {"-c", setup + "; exec \"$0\" \"$@\"", PELORIN_CLI};
  shell_args.insert(shell_args.end(), args.begin(), args.end());
  return run_program(dir, "/bin/sh", shell_args);
}

[[maybe_unused]] std::vector<std::string> file_names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (const dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(CliHelp, EveryCommandDescribesItselfOnStandardOutput) {
  temp_dir dir;
  const std::vector<std::string> commands = {"info", "dump", "convert", "decode", "cut", "find"};
  for (const std::string& c : commands) {
    for (const char* flag : {"--help", "-h"}) {
      const run_result r = cli(dir, {c, flag});
      EXPECT_EQ(r.status, 0) << c << ' ' << flag;
      EXPECT_EQ(r.err, "") << c;
      EXPECT_EQ(r.out.rfind("usage: pelorin-cli " + c + ' ', 0), 0u) << r.out;
    }
  }
  const run_result cut = cli(dir, {"cut", "--start", "1", "--help"});
  EXPECT_EQ(cut.status, 0) << "help wins over the other arguments";
  EXPECT_NE(cut.out.find("--where CONDS"), std::string::npos) << cut.out;

  const run_result all = cli(dir, {"--help"});
  EXPECT_EQ(all.status, 0);
  for (const std::string& c : commands) {
    EXPECT_NE(all.out.find("  pelorin-cli " + c + ' '), std::string::npos) << c;
  }
}

TEST(CliRobustness, AFullStandardOutputFailsWithStatus3) {
  temp_dir dir;
  const std::string sig = dir.write("in.sig", sig_image({{0x45, 0x00}, {1, 2, 3}}));
  const std::vector<std::vector<std::string>> rows = {
      {"info", sig},
      {"dump", sig},
      {"decode", sig},
      {"cut", "--start", "1", sig, "-o", dir.file("out.sig")},
      {"find", "--text", "E", sig},
      {"info", "--help"},
  };
  for (const auto& args : rows) {
    const run_result r = cli_after(dir, "exec >/dev/full", args);
    EXPECT_EQ(r.status, 3) << testing::PrintToString(args);
    EXPECT_EQ(r.err, "pelorin-cli: cannot write the standard output\n")
        << testing::PrintToString(args);
  }
  const run_result usage = cli_after(dir, "exec >/dev/full", {"info"});
  EXPECT_EQ(usage.status, 2) << "a failure keeps its own status";
}

TEST(CliRobustness, RunningOutOfMemoryIsOneLineAndStatus4) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves far more address space than the limit this test sets "
                  "and aborts instead of throwing std::bad_alloc";
#else
  temp_dir dir;
  // Four million empty records: 8 MB of file, far more than 200 MB of packet records.
  const std::string sig = dir.write("many.sig", bytes(8'000'000, 0));
  const std::string out_dir = dir.file("out");
  ASSERT_EQ(cli_after(dir, "mkdir " + out_dir, {"--help"}).status, 0);
  const std::vector<std::vector<std::string>> rows = {
      {"info", sig},
      {"dump", sig},
      {"cut", "--start", "1", sig, "-o", out_dir + "/out.sig"},
  };
  for (const auto& args : rows) {
    const run_result r = cli_after(dir, "ulimit -v 200000", args);
    EXPECT_EQ(r.status, 4) << testing::PrintToString(args) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("out of memory"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "") << testing::PrintToString(args);
  }
  EXPECT_TRUE(file_names(out_dir).empty()) << "no output and no temporary file";
#endif
}
