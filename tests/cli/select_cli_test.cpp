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

// Packets of 1, 10, 12 and 20 bytes; the first byte 69 in all but the third.
const std::vector<bytes> sample = {bytes{69}, bytes(10, 69), bytes(12, 1), bytes(20, 69)};

}  // namespace

TEST(CliSelect, PrintsTheMatchingRowsAndWritesThem) {
  struct row {
    std::string name;
    std::vector<std::string> options;
    std::string out;
    std::vector<bytes> written;
  };
  const row rows[] = {
      {"length at most includes N",
       {"--length", "<=", "10"},
       "1\n2\nmatched=2 processed=4\n",
       {sample[0], sample[1]}},
      {"length at least includes N",
       {"--length", ">=", "12"},
       "3\n4\nmatched=2 processed=4\n",
       {sample[2], sample[3]}},
      {"length equal", {"--length", "=", "20"}, "4\nmatched=1 processed=4\n", {sample[3]}},
      {"length not equal",
       {"--length", "!=", "1"},
       "2\n3\n4\nmatched=3 processed=4\n",
       {sample[1], sample[2], sample[3]}},
      {"byte 1 = 69 and byte 10 >= 0",
       {"--where", "byte:1=69,byte:10>=0"},
       "2\n4\nmatched=2 processed=4\n",
       {sample[1], sample[3]}},
      {"byte 20 != 7 fails short packets",
       {"--where", "byte:20!=7"},
       "4\nmatched=1 processed=4\n",
       {sample[3]}},
      {"bit 1 = 1 on odd first bytes",
       {"--where", "bit:1=1"},
       "1\n2\n3\n4\nmatched=4 processed=4\n",
       sample},
      {"nothing matches", {"--length", "=", "5"}, "matched=0 processed=4\n", {}},
  };
  for (const row& r : rows) {
    temp_dir dir;
    const std::string in = dir.write("in.sig", sig_image(sample));
    std::vector<std::string> args = {"select"};
    args.insert(args.end(), r.options.begin(), r.options.end());
    args.push_back(in);
    run_result result = cli(dir, args);
    EXPECT_EQ(result.status, 0) << r.name << result.err;
    EXPECT_EQ(result.out, r.out) << r.name;
    args.insert(args.end(), {"-o", dir.file("out.sig")});
    result = cli(dir, args);
    EXPECT_EQ(result.status, 0) << r.name << result.err;
    EXPECT_EQ(result.out, r.out) << r.name;
    EXPECT_EQ(read_file(dir.file("out.sig")), sig_image(r.written)) << r.name;
  }
}

TEST(CliSelect, WritesBareBytesToABitFile) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1, 2}, {3}, {4, 5}}));
  const run_result result =
      cli(dir, {"select", "--length", ">=", "2", in, "-o", dir.file("out.bit")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(read_file(dir.file("out.bit")), (bytes{1, 2, 4, 5}));
}

TEST(CliSelect, RefusesBadArguments) {
  temp_dir dir;
  const std::string in = dir.write("in.sig", sig_image({{1, 2}}));
  const std::vector<std::vector<std::string>> bad = {
      {"select", in},
      {"select", "--length", "<", "2", in},
      {"select", "--length", "<=", "-1", in},
      {"select", "--length", "<=", "x", in},
      {"select", "--length", "=", "1", "--where", "byte:1=1", in},
      {"select", "--where", "byte:0=1", in},
      {"select", "--where", "bit:1>=1", in},
      {"select", "--length", "=", "1"},
  };
  for (const auto& args : bad) {
    const run_result result = cli(dir, args);
    EXPECT_EQ(result.status, 2) << args[1] << ' ' << result.out;
    EXPECT_EQ(result.out, "") << args[1];
  }
  const run_result twice = cli(dir, {"select", "--length", "=", "1", "--length", "=", "2", in});
  EXPECT_EQ(twice.status, 2);
  EXPECT_NE(twice.err.find("--length is given once"), std::string::npos) << twice.err;
}
