#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

using bytes = std::vector<uint8_t>;

run_result cli(const temp_dir& dir, const std::vector<std::string>& args) {
  return run_program(dir, PELORIN_CLI, args);
}

}  // namespace

TEST(CliCut, WritesTheCutPacketsAndCounts) {
  struct row {
    std::string name;
    std::vector<std::string> options;
    std::vector<bytes> input;
    std::string out;
    std::vector<bytes> expected;
  };
  const row rows[] = {
      {"bytes from both ends",
       {"--bytes", "--start", "1", "--end", "1"},
       {{1, 2, 3, 4}, {5, 6}, {7}},
       "processed=3 changed=2\n",
       {{2, 3}, {6}, {7}}},
      {"bytes is the default",
       {"--start", "+2"},
       {{1, 2, 3}, {4, 5}},
       "processed=2 changed=1\n",
       {{3}, {4, 5}}},
      {"bits across a byte",
       {"--bits", "--start", "4"},
       {{0x21, 0x43}, {0xF0}},
       "processed=2 changed=2\n",
       {{0x32, 0x04}, {0x0F}}},
      {"negative trailing count",
       {"--start", "0", "--end", "-1"},
       {{9}},
       "processed=1 changed=1\n",
       {{9, 0}}},
  };
  for (const row& r : rows) {
    temp_dir dir;
    const std::string in = dir.write("in.sig", sig_image(r.input));
    std::vector<std::string> args = {"cut"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    args.insert(args.end(), {in, "-o", dir.file("out.sig")});
    const run_result result = cli(dir, args);
    EXPECT_EQ(result.status, 0) << r.name << result.err;
    EXPECT_EQ(result.out, r.out) << r.name;
    EXPECT_EQ(read_file(dir.file("out.sig")), sig_image(r.expected)) << r.name;
  }
}

TEST(CliCut, RefusesBadArgumentsAndWritesNothing) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1, 2}}));
  const std::string out = dir.file("out.sig");
  struct row {
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const row rows[] = {
      {{"cut", "--bits", "--start", "1", "--end", "1", in, "-o", out},
       2,
       "--end cannot be used with --bits"},
      {{"cut", "--start", "1x", in, "-o", out}, 2, "invalid count 1x for --start"},
      {{"cut", "--start", "2147483648", in, "-o", out}, 2, "invalid count"},
      {{"cut", in, "-o", out}, 2, "cut needs --start"},
      {{"cut", "--start", "1", in}, 2, "cut takes IN.sig -o OUT.sig"},
      {{"cut", "--start"}, 2, "--start needs a value"},
      {{"cut", "--start", "1", dir.file("missing.sig"), "-o", out}, 3, "cannot open"},
  };
  for (const row& r : rows) {
    const run_result result = cli(dir, r.args);
    EXPECT_EQ(result.status, r.status) << r.message;
    EXPECT_NE(result.err.find(r.message), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(read_file(out).empty()) << r.message;
  }
}

TEST(CliCut, WhereLimitsTheCutToPacketsMeetingEveryCondition) {
  temp_dir dir;
  const std::string in =
      dir.write("in.sig", sig_image({{0x45, 1, 2}, {0x45}, {0x46, 1, 2}, {0x45, 9, 2}, {0x45, 1}}));
  struct row {
    std::vector<std::string> where;
    std::string out;
    std::vector<bytes> expected;
  };
  const row rows[] = {
      {{"--where", "byte:1=0x45"},
       "processed=5 changed=3\n",
       {{1, 2}, {0x45}, {0x46, 1, 2}, {9, 2}, {1}}},
      {{"--where", "byte:1=69,byte:3>=2"},
       "processed=5 changed=2\n",
       {{1, 2}, {0x45}, {0x46, 1, 2}, {9, 2}, {0x45, 1}}},
      {{"--where", "byte:1=69", "--where", "bit:9=1"},
       "processed=5 changed=3\n",
       {{1, 2}, {0x45}, {0x46, 1, 2}, {9, 2}, {1}}},
      {{"--where", "byte:2<=1"},
       "processed=5 changed=3\n",
       {{1, 2}, {0x45}, {1, 2}, {0x45, 9, 2}, {1}}},
  };
  for (const row& r : rows) {
    std::vector<std::string> args = {"cut", "--start", "1", in, "-o", dir.file("out.sig")};
    args.insert(args.begin() + 1, r.where.begin(), r.where.end());
    const run_result result = run_program(dir, PELORIN_CLI, args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, r.out) << testing::PrintToString(r.where);
    EXPECT_EQ(read_file(dir.file("out.sig")), sig_image(r.expected))
        << testing::PrintToString(r.where);
  }
}

TEST(CliCut, MalformedWhereIsAUsageErrorNamingTheCondition) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1, 2}}));
  const std::string out = dir.file("out.sig");
  struct row {
    std::string where;
    std::string named;
  };
  const row rows[] = {
      {"byte:0=1", "\"byte:0=1\""},
      {"byte:1=1,bit:2=2", "\"bit:2=2\""},
      {"byte:1<1", "\"byte:1<1\""},
      {"byte:1=256", "\"byte:1=256\""},
      {"", "\"\""},
      {"byte:1=1,", "\"\""},
  };
  for (const row& r : rows) {
    const run_result result =
        run_program(dir, PELORIN_CLI, {"cut", "--start", "1", "--where", r.where, in, "-o", out});
    EXPECT_EQ(result.status, 2) << r.where;
    EXPECT_NE(result.err.find("--where: bad condition " + r.named), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("usage:"), std::string::npos);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(read_file(out).empty()) << r.where;
  }
  const run_result missing =
      run_program(dir, PELORIN_CLI, {"cut", "--start", "1", in, "-o", out, "--where"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("--where needs a value"), std::string::npos) << missing.err;
}
